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

class MainWindow;
class UserMessages;

class DspLoaderWindow : public QWidget {
    Q_OBJECT
public:
    DspLoaderWindow(MainWindow& mainWindow, UserMessages& messages, QWidget* parent = nullptr);

    // The "Dsp" directory of the data directory, whatever the case of its name; empty when no
    // data directory is set.
    QString DspDirectory() const;
    // Re-reads the file list (also done whenever the window is shown).
    void RefreshFileList();

    void FileListBox1Click(const QString& fileName);
    void Button1Click();  // "Load"

    const QString& SelectedFile() const { return selectedFile_; }
    QStringList FileNames() const;
    QListWidget* FileList() const { return fileListBox1_; }
    QPushButton* LoadButton() const { return button1_; }
    QProgressBar* ProgressBar() const { return progressBar1_; }
    DSPLoad& Loader() { return load_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadStarted();
    void LoadFinished(bool ok, const QString& message);
    void SetBusy(bool busy);

    MainWindow& mainWindow_;
    UserMessages& messages_;
    DSPLoad load_;
    QString selectedFile_;
    bool portWasOpen_ = false;

    QLabel* label1_;
    QListWidget* fileListBox1_;
    QPushButton* button1_;
    QProgressBar* progressBar1_;
};

}  // namespace orv
