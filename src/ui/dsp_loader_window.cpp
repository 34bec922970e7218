#include "ui/dsp_loader_window.h"

#include "tools/dsp_program.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "station/station.h"
#include "ui/user_messages.h"
#include "ui/window_text.h"

namespace orv {

DspLoaderWindow::DspLoaderWindow(Station& station, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      station_(station), messages_(messages) {
    setObjectName("DspLoaderWindow");
    setWindowTitle(WindowTitle(u"DSP-93 Loader              OrvCC"));
    fileCaption_ = new QLabel(QStringLiteral("DSP file to be loaded: "), this);
    fileList_ = new QListWidget(this);
    fileList_->setObjectName("FileList");
    fileList_->setSelectionMode(QAbstractItemView::SingleSelection);
    fileList_->setMinimumSize(240, 160);
    loadButton_ = new QPushButton(QStringLiteral("Load"), this);
    loadButton_->setObjectName("LoadButton");
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar");
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileCaption_);
    layout->addWidget(fileList_);
    auto* row = new QHBoxLayout;
    row->addWidget(loadButton_);
    row->addWidget(progressBar_, 1);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(fileList_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto items = fileList_->selectedItems();
        if (!items.isEmpty()) FileClicked(items.first()->text());
    });
    connect(loadButton_, &QPushButton::clicked, this, &DspLoaderWindow::LoadClick);
    connect(&load_, &DSPLoad::Started, this, &DspLoaderWindow::LoadStarted);
    connect(&load_, &DSPLoad::Progress, progressBar_, &QProgressBar::setValue);
    connect(&load_, &DSPLoad::Finished, this, &DspLoaderWindow::LoadFinished);
    RefreshFileList();
}

QString DspLoaderWindow::DspDirectory() const {
    if (station_.state().settings.firstRun) return {};
    return QString::fromStdString(station_.DspDirectory().string());
}

void DspLoaderWindow::RefreshFileList() {
    const QString dsp = DspDirectory();
    QStringList names;
    if (!dsp.isEmpty())
        names = QDir(dsp).entryList({QStringLiteral("*.obj")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QString selectedName = QFileInfo(selectedFile_).fileName();
    {
        const QSignalBlocker blocker(fileList_);
        fileList_->clear();
        fileList_->addItems(names);
    }
    // The chosen file stays chosen while it is still there.
    const int row = static_cast<int>(names.indexOf(selectedName));
    if (!selectedFile_.isEmpty() && row >= 0 && selectedFile_ == QDir(dsp).filePath(selectedName)) {
        const QSignalBlocker blocker(fileList_);
        fileList_->setCurrentRow(row);
    } else {
        selectedFile_.clear();
    }
}

QStringList DspLoaderWindow::FileNames() const {
    QStringList names;
    for (int i = 0; i < fileList_->count(); ++i) names << fileList_->item(i)->text();
    return names;
}

void DspLoaderWindow::FileClicked(const QString& fileName) { selectedFile_ = QDir(DspDirectory()).filePath(fileName); }

void DspLoaderWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!load_.IsRunning()) RefreshFileList();
}

void DspLoaderWindow::LoadClick() {
    if (load_.IsRunning()) return;
    // Records whose own checksum is wrong are sent with fresh ones; the operator decides.
    if (!selectedFile_.isEmpty()) {
        const DspProgram program = ReadDspProgram(selectedFile_.toStdString());
        if (program.Ok() && !program.checksumWarnings.empty() &&
            !messages_.AskYesNo(QStringLiteral("These records of the DSP program have a wrong checksum:\n%1\n"
                                               "The records sent to the modem get fresh checksums. Load anyway?")
                                    .arg(QString::fromStdString(ChecksumWarningText(program)))))
            return;
    }
    QString error;
    // A sound program emits Started (LoadStarted) before the transfer opens the port.
    if (!load_.Start(selectedFile_, station_.SerialDevice(), &error, true)) {
        messages_.Beep();
        messages_.Inform(QStringLiteral("The DSP program was not loaded:\n%1").arg(error));
    }
}

void DspLoaderWindow::LoadStarted() {
    SetBusy(true);
    progressBar_->setValue(0);
    station_.BeginDspLoad();
}

void DspLoaderWindow::LoadFinished(bool ok, const QString& message) {
    SetBusy(false);
    messages_.Beep();
    hide();
    station_.EndDspLoad();
    progressBar_->setValue(0);
    if (!ok) messages_.Inform(QStringLiteral("Loading the DSP program failed:\n%1").arg(message));
}

void DspLoaderWindow::SetBusy(bool busy) {
    if (busy) setCursor(Qt::WaitCursor);
    else unsetCursor();
    fileList_->setEnabled(!busy);
    loadButton_->setEnabled(!busy);
}

}  // namespace orv
