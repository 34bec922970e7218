#include "ui/dsp_loader_window.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/main_window.h"
#include "ui/user_messages.h"

namespace orv {
namespace {

constexpr int kTelemetryTextButtons = 5;  // "Raw", "K".."N"

}  // namespace

DspLoaderWindow::DspLoaderWindow(MainWindow& mainWindow, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow), messages_(messages) {
    setObjectName("DspLoaderWindow");
    setWindowTitle(QStringLiteral("DSP-93 Loader              OrvCC"));
    label1_ = new QLabel(QStringLiteral("DSP file to be loaded: "), this);
    fileListBox1_ = new QListWidget(this);
    fileListBox1_->setObjectName("FileListBox1");
    fileListBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
    fileListBox1_->setMinimumSize(240, 160);
    button1_ = new QPushButton(QStringLiteral("Load"), this);
    button1_->setObjectName("Button1");
    progressBar1_ = new QProgressBar(this);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setRange(0, 100);
    progressBar1_->setValue(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1_);
    layout->addWidget(fileListBox1_);
    auto* row = new QHBoxLayout;
    row->addWidget(button1_);
    row->addWidget(progressBar1_, 1);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(fileListBox1_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto items = fileListBox1_->selectedItems();
        if (!items.isEmpty()) FileListBox1Click(items.first()->text());
    });
    connect(button1_, &QPushButton::clicked, this, &DspLoaderWindow::Button1Click);
    connect(&load_, &DSPLoad::Started, this, &DspLoaderWindow::LoadStarted);
    connect(&load_, &DSPLoad::Progress, progressBar1_, &QProgressBar::setValue);
    connect(&load_, &DSPLoad::Finished, this, &DspLoaderWindow::LoadFinished);
    RefreshFileList();
}

QString DspLoaderWindow::DspDirectory() const {
    if (mainWindow_.FirstRun()) return {};
    const QString data = QString::fromStdString(mainWindow_.station().workingDataDirectory);
    if (data.isEmpty()) return {};
    const QDir dir(data);
    if (!dir.exists(QStringLiteral("Dsp"))) {
        for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (name.compare(QStringLiteral("dsp"), Qt::CaseInsensitive) == 0) return dir.filePath(name);
    }
    return dir.filePath(QStringLiteral("Dsp"));
}

void DspLoaderWindow::RefreshFileList() {
    const QString dsp = DspDirectory();
    QStringList names;
    if (!dsp.isEmpty())
        names = QDir(dsp).entryList({QStringLiteral("*.obj")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QString selectedName = QFileInfo(selectedFile_).fileName();
    {
        const QSignalBlocker blocker(fileListBox1_);
        fileListBox1_->clear();
        fileListBox1_->addItems(names);
    }
    // The chosen file stays chosen while it is still there.
    const int row = static_cast<int>(names.indexOf(selectedName));
    if (!selectedFile_.isEmpty() && row >= 0 && selectedFile_ == QDir(dsp).filePath(selectedName)) {
        const QSignalBlocker blocker(fileListBox1_);
        fileListBox1_->setCurrentRow(row);
    } else {
        selectedFile_.clear();
    }
}

QStringList DspLoaderWindow::FileNames() const {
    QStringList names;
    for (int i = 0; i < fileListBox1_->count(); ++i) names << fileListBox1_->item(i)->text();
    return names;
}

void DspLoaderWindow::FileListBox1Click(const QString& fileName) { selectedFile_ = QDir(DspDirectory()).filePath(fileName); }

void DspLoaderWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!load_.IsRunning()) RefreshFileList();
}

void DspLoaderWindow::Button1Click() {
    if (load_.IsRunning()) return;
    QString error;
    // A sound program emits Started (LoadStarted) before the transfer opens the port.
    if (!load_.Start(selectedFile_, mainWindow_.runtime().SerialDevice(), &error)) {
        messages_.Beep();
        messages_.Inform(QStringLiteral("The DSP program was not loaded:\n%1").arg(error));
    }
}

void DspLoaderWindow::LoadStarted() {
    SetBusy(true);
    progressBar1_->setValue(0);
    mainWindow_.station().flags.serialInputSuspended = true;
    portWasOpen_ = mainWindow_.runtime().serial().IsOpen();
    if (portWasOpen_) mainWindow_.RadioButton4Click();
}

void DspLoaderWindow::LoadFinished(bool ok, const QString& message) {
    SetBusy(false);
    if (portWasOpen_) {
        mainWindow_.TextButton(0)->setChecked(true);
        mainWindow_.RadioButton1Click();
    }
    messages_.Beep();
    hide();
    mainWindow_.station().flags.serialInputSuspended = false;
    progressBar1_->setValue(0);
    if (!ok) messages_.Inform(QStringLiteral("Loading the DSP program failed:\n%1").arg(message));
}

void DspLoaderWindow::SetBusy(bool busy) {
    if (busy) setCursor(Qt::WaitCursor);
    else unsetCursor();
    fileListBox1_->setEnabled(!busy);
    button1_->setEnabled(!busy);
    // While the loader owns the port, the telemetry selections would take it back.
    for (int i = 0; i < kTelemetryTextButtons; ++i) mainWindow_.TextButton(i)->setEnabled(!busy);
}

}  // namespace orv
