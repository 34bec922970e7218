#pragma once
// FilterWindow, the Filter window: copies the chosen records of a telemetry file into a new telemetry
// file in the telemetry directory (one block kind, CRCC filtered or ignored), on a worker thread
// with a progress bar, so that gigabyte files keep the window responsive.
#include <QString>
#include <QWidget>
#include <array>

#include "files/telemetry_filter.h"
#include "reception/settings_store.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace orv {

class FileJob;
class Station;
class TelemetryFileList;
class UserMessages;

class FilterWindow : public QWidget {
    Q_OBJECT
public:
    FilterWindow(const Station& station, KeyValueStore& store, UserMessages& messages, QWidget* parent = nullptr);

    // The output name, the input length check and the input count for the selected file (run by
    // the list, each "Block Type" button and the "CRCC" group).
    void SelectFilterInput();
    // "Start": asks before replacing an existing output, then filters.
    void StartFiltering();
    // A dropped ".tlm" or ".raw" file becomes the selected input.
    void DropFile(const QString& path);

    FilterKind Kind() const;
    CrccMode Mode() const;
    QString InputPath() const { return inputPath_; }
    QString OutputName() const;
    QString InputCount() const;
    QString FilteredCount() const;
    bool Running() const;

    TelemetryFileList* FileList() const { return inputList_; }
    QRadioButton* KindButton(FilterKind kind) const { return kinds_[static_cast<std::size_t>(kind)]; }
    QRadioButton* CrccButton(CrccMode mode) const { return mode == CrccMode::Filter ? crccFilter_ : crccIgnore_; }
    QProgressBar* ProgressBar() const { return progressBar_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Finished(const FilterResult& result);
    void SetBusy(bool busy);

    const Station& station_;
    UserMessages& messages_;
    FileJob* job_ = nullptr;
    QString inputPath_;

    TelemetryFileList* inputList_ = nullptr;
    std::array<QRadioButton*, 5> kinds_{};
    QRadioButton* crccFilter_ = nullptr;
    QRadioButton* crccIgnore_ = nullptr;
    QLabel* inputCount_ = nullptr;
    QLabel* outputName_ = nullptr;
    QLabel* filteredCount_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
};

}  // namespace orv
