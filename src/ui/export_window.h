#pragma once
// ExportWindow, the Export window "Export ": up to eight channels of the A blocks of the replayed file
// into "export.txt" of the telemetry directory, one comma-separated line per block, written on a
// worker thread with a progress bar.
#include <QString>
#include <QWidget>
#include <array>

#include "files/telemetry_export.h"
#include "reception/settings_store.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace orv {

class FileJob;
class FormPositionKeeper;
class Station;
class ReplayWindow;
class UserMessages;

class ExportWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the position, the eight address texts and the Raw/Trans. choice.
    ExportWindow(const Station& station, ReplayWindow& replayWindow, KeyValueStore& store, UserMessages& messages, QWidget* parent = nullptr);

    // The Replay window's "Export": shows the window with the shared block range.
    void Open();
    // "Export": checks the fields, writes the file, then hides the window.
    void StartExport();

    ExportFields Fields() const;
    QString OutputPath() const;
    bool Running() const;

    QLineEdit* AddressField(int k) const { return addresses_[static_cast<std::size_t>(k)]; }  // k = 0..7
    QLineEdit* MaskField(int k) const { return masks_[static_cast<std::size_t>(k)]; }
    QLineEdit* StartField() const { return startField_; }
    QLineEdit* StopField() const { return stopField_; }
    QRadioButton* RawButton() const { return raw_; }
    QRadioButton* TransButton() const { return trans_; }
    QProgressBar* ProgressBar() const { return progressBar_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Finished(const ExportResult& result);
    void SetBusy(bool busy);
    void SaveSettings();

    const Station& station_;
    ReplayWindow& replayWindow_;
    KeyValueStore& store_;
    UserMessages& messages_;
    FileJob* job_ = nullptr;
    FormPositionKeeper* position_ = nullptr;

    std::array<QLineEdit*, kExportChannels> addresses_{};
    std::array<QLineEdit*, kExportChannels> masks_{};
    QLineEdit* startField_ = nullptr;
    QLineEdit* stopField_ = nullptr;
    QRadioButton* raw_ = nullptr;
    QRadioButton* trans_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
};

}  // namespace orv
