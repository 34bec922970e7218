#pragma once
// DspLoaderWindow, the DSP-93 loader: lists the program files (".obj") of the data directory's "Dsp"
// directory and loads the chosen one into the modem over the station's serial port. While the
// load runs the telemetry reception lets go of the port; afterwards it takes it back.
#include <QString>
#include <QWidget>

#include "tools/dsp_load.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace orv {

class Station;
class UserMessages;

class DspLoaderWindow : public QWidget {
    Q_OBJECT
public:
    DspLoaderWindow(Station& station, UserMessages& messages, QWidget* parent = nullptr);

    // The "Dsp" directory of the data directory, whatever the case of its name; empty when no
    // data directory is set.
    QString DspDirectory() const;
    // Re-reads the file list (also done whenever the window is shown).
    void RefreshFileList();

    void FileClicked(const QString& fileName);
    void LoadClick();  // "Load"

    const QString& SelectedFile() const { return selectedFile_; }
    QStringList FileNames() const;
    QListWidget* FileList() const { return fileList_; }
    QPushButton* LoadButton() const { return loadButton_; }
    QProgressBar* ProgressBar() const { return progressBar_; }
    DSPLoad& Loader() { return load_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadStarted();
    void LoadFinished(bool ok, const QString& message);
    void SetBusy(bool busy);

    Station& station_;
    UserMessages& messages_;
    DSPLoad load_;
    QString selectedFile_;

    QLabel* fileCaption_;
    QListWidget* fileList_;
    QPushButton* loadButton_;
    QProgressBar* progressBar_;
};

}  // namespace orv
