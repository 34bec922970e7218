#include "ui/filter_window.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <memory>

#include "ui/file_job.h"
#include "ui/form_position.h"
#include "ui/files_window_parts.h"
#include "station/station.h"
#include "ui/user_messages.h"
#include "ui/window_text.h"

namespace orv {
namespace {

// The Filter window keeps its position in the values of the IF matrix window.
constexpr FormSlot kForm{.number = 12, .defaultTopTwips = 50, .defaultLeftTwips = 300};

QString Qs(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

FilterWindow::FilterWindow(const Station& station, KeyValueStore& store, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      station_(station), messages_(messages), job_(new FileJob(this)) {
    setObjectName("FilterWindow");
    setWindowTitle(WindowTitle(u" Filter                Orv"));
    AcceptDroppedFiles(this, [this](const QString& path) { DropFile(path); });
    BuildControls();
    KeepFormPosition(this, store, kForm, kSaveOnClose | kSaveAtQuit);
    connect(job_, &FileJob::Progress, progressBar_, &QProgressBar::setValue);
}

void FilterWindow::BuildControls() {
    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    inputList_ = new TelemetryFileList(this);
    inputList_->setObjectName("InputFileList");
    inputList_->setToolTip(QStringLiteral(" Input file name "));
    inputList_->setMinimumSize(200, 180);
    connect(inputList_, &TelemetryFileList::FileChosen, this, &FilterWindow::SelectFilterInput);
    left->addWidget(inputList_);
    auto* counts = new QGridLayout;
    inputCount_ = SunkenPanel(QStringLiteral("InputCount"), QStringLiteral(" Total #blks in input file. "), 90, this);
    outputName_ =
        SunkenPanel(QStringLiteral("OutputName"), QStringLiteral(" Default output file, may be edited. "), 120, this);
    filteredCount_ = SunkenPanel(QStringLiteral("FilteredCount"), QStringLiteral(" Total # filtered blks "), 90, this);
    counts->addWidget(new QLabel(QStringLiteral("Input blocks:"), this), 0, 0);
    counts->addWidget(inputCount_, 0, 1);
    counts->addWidget(new QLabel(QStringLiteral("Output file:"), this), 1, 0);
    counts->addWidget(outputName_, 1, 1);
    counts->addWidget(new QLabel(QStringLiteral("Filtered blocks:"), this), 2, 0);
    counts->addWidget(filteredCount_, 2, 1);
    left->addLayout(counts);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar");
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    left->addWidget(progressBar_);
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    auto* blockType = new QGroupBox(QStringLiteral("Block Type"), this);
    auto* kindLayout = new QVBoxLayout(blockType);
    const struct {
        const char* caption;
        const char* name;
        const char* hint;
    } kinds[] = {
        {"All", "AllBlocksButton", " Filter all \"CRCC OK\" blocks. "},
        {"A-blk", "ABlocksButton", " Filter only \"CRCC OK\" data blocks. "},
        {"D-blk", "DBlocksButton", ""},
        {"Events", "EventBlocksButton", " Filter one each \"CRCC OK\" event blocks. "},
        {"Text", "TextBlocksButton", " Filter all \"CRCC OK\" K,L,M,N blocks. "},
    };
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(kinds[i].caption), blockType);
        b->setObjectName(QString::fromLatin1(kinds[i].name));
        b->setToolTip(QString::fromLatin1(kinds[i].hint));
        kindLayout->addWidget(b);
        connect(b, &QRadioButton::clicked, this, &FilterWindow::SelectFilterInput);
        kinds_[i] = b;
    }
    kinds_[0]->setChecked(true);
    right->addWidget(blockType);
    auto* crcc = new QGroupBox(QStringLiteral("CRCC"), this);
    crcc->setObjectName("CrccGroup");
    auto* crccLayout = new QVBoxLayout(crcc);
    crccFilter_ = new QRadioButton(QStringLiteral("Filter"), crcc);
    crccIgnore_ = new QRadioButton(QStringLiteral("Ignore"), crcc);
    crccFilter_->setChecked(true);
    crccLayout->addWidget(crccFilter_);
    crccLayout->addWidget(crccIgnore_);
    connect(crccFilter_, &QRadioButton::clicked, this, &FilterWindow::SelectFilterInput);
    connect(crccIgnore_, &QRadioButton::clicked, this, &FilterWindow::SelectFilterInput);
    right->addWidget(crcc);
    startButton_ = new QPushButton(QStringLiteral("Start"), this);
    startButton_->setObjectName("StartButton");
    startButton_->setToolTip(QStringLiteral(" Begin file filtering. "));
    connect(startButton_, &QPushButton::clicked, this, &FilterWindow::StartFiltering);
    right->addWidget(startButton_);
    right->addStretch();
    columns->addLayout(right);
    columns->setSizeConstraint(QLayout::SetFixedSize);
}

FilterKind FilterWindow::Kind() const {
    for (std::size_t i = 0; i < kinds_.size(); ++i)
        if (kinds_[i]->isChecked()) return static_cast<FilterKind>(i);
    return FilterKind::All;
}

CrccMode FilterWindow::Mode() const { return crccIgnore_->isChecked() ? CrccMode::Ignore : CrccMode::Filter; }
QString FilterWindow::OutputName() const { return outputName_->text(); }
QString FilterWindow::InputCount() const { return inputCount_->text(); }
QString FilterWindow::FilteredCount() const { return filteredCount_->text(); }
bool FilterWindow::Running() const { return job_->Running(); }

void FilterWindow::SelectFilterInput() {
    inputPath_ = inputList_->SelectedPath().trimmed();
    if (inputPath_.isEmpty()) {
        outputName_->clear();
        inputCount_->clear();
        return;
    }
    const QFileInfo input(inputPath_);
    const FilterName out = FilterOutputName(input.fileName().toStdString(), Kind(), Mode());
    outputName_->setText(QString::fromStdString(out.name));
    if (out.sameName) messages_.Inform(Qs(kSameNameText));
    const auto length = static_cast<std::uint64_t>(input.size());
    if (!IsWholeLength(length)) {
        messages_.Inform(Qs(kFileErrorText));
        inputCount_->clear();
    } else {
        inputCount_->setText(QString::number(BlockCountOfLength(length)));
    }
    inputList_->SelectFile(input.fileName());
    inputList_->setFocus();
}

void FilterWindow::StartFiltering() {
    if (job_->Running()) return;
    if (inputPath_.isEmpty()) {
        messages_.Inform(QStringLiteral("First select the input file in the list."));
        return;
    }
    filteredCount_->setText(QStringLiteral("---"));
    const QFileInfo input(inputPath_);
    if (!IsWholeLength(static_cast<std::uint64_t>(input.size()))) {
        messages_.Inform(Qs(kFileErrorText));
        return;
    }
    const QString output = QDir(TelemetryDirectoryText(station_)).filePath(OutputName());
    const QFileInfo out(output);
    // The output being the input itself is refused by the filter, not offered for overwriting.
    bool overwrite = false;
    if (out.exists() && out.canonicalFilePath() != input.canonicalFilePath()) {
        overwrite = messages_.AskYesNo(Qs(kOverwriteQuestion));
        if (!overwrite) {
            inputList_->SelectFile(input.fileName());
            return;
        }
    }
    filteredCount_->setText(QStringLiteral("0"));
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
    filteredCount_->setText(result.ran ? QString::number(result.writtenBlocks) : QStringLiteral("---"));
    inputList_->Refresh();
    inputList_->SelectFile(QFileInfo(inputPath_).fileName());
    inputList_->setFocus();
    if (!result.message.empty()) messages_.Inform(QString::fromStdString(result.message));
}

void FilterWindow::SetBusy(bool busy) {
    if (busy) setCursor(Qt::BusyCursor);
    else unsetCursor();
    startButton_->setEnabled(!busy);
    inputList_->setEnabled(!busy);
    for (auto* b : kinds_) b->setEnabled(!busy);
    crccFilter_->setEnabled(!busy);
    crccIgnore_->setEnabled(!busy);
}

void FilterWindow::DropFile(const QString& path) {
    if (job_->Running() || !AcceptsDroppedFilterFile(path.toStdString())) return;
    const QFileInfo info(path);
    if (inputList_->Directory() != info.absolutePath()) inputList_->SetDirectory(info.absolutePath());
    inputList_->SelectFile(info.fileName());
    SelectFilterInput();
}

void FilterWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || job_->Running()) return;
    // The list follows the data directory as Setup last saved it.
    inputList_->SetDirectory(TelemetryDirectoryText(station_));
}

}  // namespace orv
