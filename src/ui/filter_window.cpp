#include "ui/filter_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>

#include "ui/file_job.h"
#include "ui/form_position.h"
#include "ui/files_window_parts.h"
#include "ui/main_window.h"
#include "ui/user_messages.h"

namespace orv {
namespace {

// The Filter window keeps its position in the values of the IF matrix window.
constexpr int kFormNumber = 12;
constexpr int kDefaultTopTwips = 50;
constexpr int kDefaultLeftTwips = 300;

QString Qs(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

FilterWindow::FilterWindow(MainWindow& mainWindow, KeyValueStore& store, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow), store_(store), messages_(messages), job_(new FileJob(this)) {
    setObjectName("FilterWindow");
    setWindowTitle(QStringLiteral(" Filter                Orv"));
    AcceptDroppedFiles(this, [this](const QString& path) { DropFile(path); });
    BuildControls();
    if (!mainWindow_.FirstRun()) fileListBox1_->SetDirectory(mainWindow_.TelemetryDirectory());
    RestoreFormPosition(this, store_, kFormNumber, kDefaultTopTwips, kDefaultLeftTwips);
    connect(job_, &FileJob::Progress, progressBar1_, &QProgressBar::setValue);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible()) SaveFormPosition(this, store_, kFormNumber);
    });
}

void FilterWindow::BuildControls() {
    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    fileListBox1_ = new TelemetryFileList(this);
    fileListBox1_->setObjectName("FileListBox1");
    fileListBox1_->setToolTip(QStringLiteral(" Input file name "));
    fileListBox1_->setMinimumSize(200, 180);
    connect(fileListBox1_, &TelemetryFileList::FileChosen, this, &FilterWindow::SelectFilterInput);
    left->addWidget(fileListBox1_);
    auto* counts = new QGridLayout;
    staticText1_ = SunkenPanel(QStringLiteral("StaticText1"), QStringLiteral(" Total #blks in input file. "), 90, this);
    staticText2_ =
        SunkenPanel(QStringLiteral("StaticText2"), QStringLiteral(" Default output file, may be edited. "), 120, this);
    staticText3_ = SunkenPanel(QStringLiteral("StaticText3"), QStringLiteral(" Total # filtered blks "), 90, this);
    counts->addWidget(new QLabel(QStringLiteral("Input blocks:"), this), 0, 0);
    counts->addWidget(staticText1_, 0, 1);
    counts->addWidget(new QLabel(QStringLiteral("Output file:"), this), 1, 0);
    counts->addWidget(staticText2_, 1, 1);
    counts->addWidget(new QLabel(QStringLiteral("Filtered blocks:"), this), 2, 0);
    counts->addWidget(staticText3_, 2, 1);
    left->addLayout(counts);
    progressBar1_ = new QProgressBar(this);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setRange(0, 100);
    progressBar1_->setValue(0);
    left->addWidget(progressBar1_);
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    auto* blockType = new QGroupBox(QStringLiteral("Block Type"), this);
    auto* kindLayout = new QVBoxLayout(blockType);
    const struct {
        const char* caption;
        const char* hint;
    } kinds[] = {
        {"All", " Filter all \"CRCC OK\" blocks. "},
        {"A-blk", " Filter only \"CRCC OK\" data blocks. "},
        {"D-blk", ""},
        {"Events", " Filter one each \"CRCC OK\" event blocks. "},
        {"Text", " Filter all \"CRCC OK\" K,L,M,N blocks. "},
    };
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(kinds[i].caption), blockType);
        b->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        b->setToolTip(QString::fromLatin1(kinds[i].hint));
        kindLayout->addWidget(b);
        connect(b, &QRadioButton::clicked, this, &FilterWindow::SelectFilterInput);
        kinds_[i] = b;
    }
    kinds_[0]->setChecked(true);
    right->addWidget(blockType);
    auto* crcc = new QGroupBox(QStringLiteral("CRCC"), this);
    crcc->setObjectName("RadioGroup1");
    auto* crccLayout = new QVBoxLayout(crcc);
    filter_ = new QRadioButton(QStringLiteral("Filter"), crcc);
    ignore_ = new QRadioButton(QStringLiteral("Ignore"), crcc);
    filter_->setChecked(true);
    crccLayout->addWidget(filter_);
    crccLayout->addWidget(ignore_);
    connect(filter_, &QRadioButton::clicked, this, &FilterWindow::SelectFilterInput);
    connect(ignore_, &QRadioButton::clicked, this, &FilterWindow::SelectFilterInput);
    right->addWidget(crcc);
    button1_ = new QPushButton(QStringLiteral("Start"), this);
    button1_->setObjectName("Button1");
    button1_->setToolTip(QStringLiteral(" Begin file filtering. "));
    connect(button1_, &QPushButton::clicked, this, &FilterWindow::Button1Click);
    right->addWidget(button1_);
    right->addStretch();
    columns->addLayout(right);
    columns->setSizeConstraint(QLayout::SetFixedSize);
}

FilterKind FilterWindow::Kind() const {
    for (std::size_t i = 0; i < kinds_.size(); ++i)
        if (kinds_[i]->isChecked()) return static_cast<FilterKind>(i);
    return FilterKind::All;
}

CrccMode FilterWindow::Mode() const { return ignore_->isChecked() ? CrccMode::Ignore : CrccMode::Filter; }
QString FilterWindow::OutputName() const { return staticText2_->text(); }
QString FilterWindow::InputCount() const { return staticText1_->text(); }
QString FilterWindow::FilteredCount() const { return staticText3_->text(); }
bool FilterWindow::Running() const { return job_->Running(); }

void FilterWindow::SelectFilterInput() {
    inputPath_ = fileListBox1_->SelectedPath().trimmed();
    if (inputPath_.isEmpty()) {
        staticText2_->clear();
        staticText1_->clear();
        return;
    }
    const QFileInfo input(inputPath_);
    const FilterName out = FilterOutputName(input.fileName().toStdString(), Kind(), Mode());
    staticText2_->setText(QString::fromStdString(out.name));
    if (out.sameName) messages_.Inform(Qs(kSameNameText));
    const auto length = static_cast<std::uint64_t>(input.size());
    if (!IsWholeLength(length)) {
        messages_.Inform(Qs(kFileErrorText));
        staticText1_->clear();
    } else {
        staticText1_->setText(QString::number(BlockCountOfLength(length)));
    }
    fileListBox1_->SelectFile(input.fileName());
    fileListBox1_->setFocus();
}

void FilterWindow::Button1Click() {
    if (job_->Running()) return;
    if (inputPath_.isEmpty()) {
        messages_.Inform(QStringLiteral("First select the input file in the list."));
        return;
    }
    staticText3_->setText(QStringLiteral("---"));
    const QFileInfo input(inputPath_);
    if (!IsWholeLength(static_cast<std::uint64_t>(input.size()))) {
        messages_.Inform(Qs(kFileErrorText));
        return;
    }
    const QString output = QDir(mainWindow_.TelemetryDirectory()).filePath(OutputName());
    const QFileInfo out(output);
    // The output being the input itself is refused by the filter, not offered for overwriting.
    bool overwrite = false;
    if (out.exists() && out.canonicalFilePath() != input.canonicalFilePath()) {
        overwrite = messages_.AskYesNo(Qs(kOverwriteQuestion));
        if (!overwrite) {
            fileListBox1_->SelectFile(input.fileName());
            return;
        }
    }
    staticText3_->setText(QStringLiteral("0"));
    SetBusy(true);
    auto result = std::make_shared<FilterResult>();
    job_->Start(
        [result, in = inputPath_.toStdString(), outPath = output.toStdString(), kind = Kind(), mode = Mode(),
         overwrite](const ProgressFn& progress) {
            const OverwriteQuestion answer = [overwrite](const std::filesystem::path&) { return overwrite; };
            *result = FilterFile(in, outPath, kind, mode, answer, progress);
        },
        [this, result] { Finished(*result); });
}

void FilterWindow::Finished(const FilterResult& result) {
    SetBusy(false);
    staticText3_->setText(result.ran ? QString::number(result.writtenBlocks) : QStringLiteral("---"));
    fileListBox1_->Refresh();
    fileListBox1_->SelectFile(QFileInfo(inputPath_).fileName());
    fileListBox1_->setFocus();
    if (!result.message.empty()) messages_.Inform(QString::fromStdString(result.message));
}

void FilterWindow::SetBusy(bool busy) {
    if (busy) setCursor(Qt::BusyCursor);
    else unsetCursor();
    button1_->setEnabled(!busy);
    fileListBox1_->setEnabled(!busy);
    for (auto* b : kinds_) b->setEnabled(!busy);
    filter_->setEnabled(!busy);
    ignore_->setEnabled(!busy);
}

void FilterWindow::DropFile(const QString& path) {
    if (job_->Running() || !AcceptsDroppedFilterFile(path.toStdString())) return;
    const QFileInfo info(path);
    if (fileListBox1_->Directory() != info.absolutePath()) fileListBox1_->SetDirectory(info.absolutePath());
    fileListBox1_->SelectFile(info.fileName());
    SelectFilterInput();
}

void FilterWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || job_->Running()) return;
    if (fileListBox1_->Directory().isEmpty() && !mainWindow_.FirstRun())
        fileListBox1_->SetDirectory(mainWindow_.TelemetryDirectory());
    else fileListBox1_->Refresh();
}

void FilterWindow::closeEvent(QCloseEvent* event) {
    SaveFormPosition(this, store_, kFormNumber);
    QWidget::closeEvent(event);
}

}  // namespace orv
