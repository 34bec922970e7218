#pragma once
// Parts shared by the files windows: the file list of the Replay and Filter windows (the telemetry
// files "*.tlm;*.raw;*.tlr", any case, of one directory), the files dropped onto a window, and the
// sunken panels that show counts and read-outs.
#include <QFileSystemWatcher>
#include <QLabel>
#include <QListWidget>
#include <QString>
#include <functional>

namespace orv {

class Station;

// The station's telemetry directory as the files windows list it; empty before the first-run
// Setup has given a data directory.
QString TelemetryDirectoryText(const Station& station);

class TelemetryFileList final : public QListWidget {
    Q_OBJECT
public:
    explicit TelemetryFileList(QWidget* parent = nullptr);

    // Points the list at `directory` (empty: no files) and reads it; while the list is shown it
    // reads the directory again whenever files come or go.
    void SetDirectory(const QString& directory);
    const QString& Directory() const { return directory_; }
    // Reads the directory again; the selected file stays selected while it is there.
    void Refresh();
    // Shows `path` alone and selects it (a dropped file).
    void ShowOnly(const QString& path);
    // Selects the entry of `fileName` without reporting it as a choice.
    void SelectFile(const QString& fileName);

    // Full path of the selected entry; empty when none is selected.
    QString SelectedPath() const;
    QStringList FileNames() const;

signals:
    // The user chose an entry (mouse or keys), or clicked the one already chosen.
    void FileChosen(const QString& path);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Watch(const QString& directory);

    QString directory_;
    QFileSystemWatcher watcher_;
    bool chosenByPress_ = false;  // the selection changed since the last press
};

// Makes `window` take dropped files: the first file of each drop (a local path) goes to `dropped`
// once the drop is complete.
void AcceptDroppedFiles(QWidget* window, std::function<void(const QString&)> dropped);

// A sunken text panel at least `minimumWidth` wide, with its hint.
QLabel* SunkenPanel(const QString& name, const QString& hint, int minimumWidth, QWidget* parent);

}  // namespace orv
