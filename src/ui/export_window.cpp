#include "ui/export_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>

#include "files/telemetry_number.h"
#include "ui/address_field_validator.h"
#include "ui/file_job.h"
#include "ui/form_position.h"
#include "ui/key_filter_validator.h"
#include "station/station.h"
#include "ui/files_window_parts.h"
#include "ui/replay_window.h"
#include "ui/user_messages.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 17, .defaultTopTwips = 100, .defaultLeftTwips = 1000};
constexpr std::string_view kRawTransName = "Raw/Trans";

std::string AddressName(std::size_t k) { return "Addr. #" + std::to_string(k + 1); }

QLineEdit* Field(const QString& name, const QString& hint, int width, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setToolTip(hint);
    field->setFixedWidth(width);
    return field;
}

}  // namespace

ExportWindow::ExportWindow(const Station& station, ReplayWindow& replayWindow, KeyValueStore& store, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      station_(station), replayWindow_(replayWindow), store_(store), messages_(messages), job_(new FileJob(this)) {
    setObjectName("ExportWindow");
    setWindowTitle(WindowTitle(u"Export "));
    setToolTip(QStringLiteral(" Export raw data values for other programs. "));
    BuildControls();
    position_ = KeepFormPosition(this, store_, kForm, kSaveOnClose | kSaveAtQuit);
    for (std::size_t k = 0; k < kExportChannels; ++k)
        addresses_[k]->setText(QString::fromStdString(store_.Read(kExportKey, AddressName(k))));
    long long rawTrans = 0;
    if (!ParseWholeNumber(store_.Read(kExportKey, kRawTransName), rawTrans)) rawTrans = 0;
    (rawTrans == 1 ? trans_ : raw_)->setChecked(true);
    connect(job_, &FileJob::Progress, progressBar_, &QProgressBar::setValue);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible()) SaveSettings();
    });
}

void ExportWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Address"), this), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Mask"), this), 0, 2, Qt::AlignHCenter);
    for (std::size_t k = 0; k < kExportChannels; ++k) {
        const int row = static_cast<int>(k) + 1;
        grid->addWidget(new QLabel(QStringLiteral("#%1").arg(k + 1), this), row, 0);
        addresses_[k] = Field(QStringLiteral("Address%1").arg(k + 1),
                              QStringLiteral(" Enter telemetry address as decimal  (nnn) or hex (#nnn) "), 60, this);
        new AddressFieldValidator(addresses_[k]);
        masks_[k] = Field(QStringLiteral("Mask%1").arg(k + 1),
                          QStringLiteral(" Enter Hex (#hh) or Dec (ddd) mask to apply to raw telem.  #FF or 255 "
                                         "gives full value. "),
                          50, this);
        masks_[k]->setText(QString::fromLatin1(kDefaultMask.data(), static_cast<qsizetype>(kDefaultMask.size())));
        new KeyFilterValidator(masks_[k], [](char key, std::string_view text) { return MaskKey(key, text); });
        grid->addWidget(addresses_[k], row, 1);
        grid->addWidget(masks_[k], row, 2);
    }
    layout->addLayout(grid);

    auto* group = new QGroupBox(this);
    group->setObjectName("RawTransGroup");
    group->setToolTip(QStringLiteral("Raw or translated data.  If mask other than #FF, data is always raw value. "));
    auto* groupLayout = new QHBoxLayout(group);
    raw_ = new QRadioButton(QStringLiteral("Raw"), group);
    trans_ = new QRadioButton(QStringLiteral("Trans."), group);
    groupLayout->addWidget(raw_);
    groupLayout->addWidget(trans_);
    layout->addWidget(group);

    auto* range = new QGridLayout;
    startField_ = Field(QStringLiteral("StartField"), QStringLiteral(" Enter start blk# for export. "), 90, this);
    stopField_ = Field(QStringLiteral("StopField"), QStringLiteral(" Enter stop blk# for export. "), 90, this);
    for (QLineEdit* e : {startField_, stopField_})
        new KeyFilterValidator(e, [](char key, std::string_view) { return ExportRangeKey(key); });
    range->addWidget(new QLabel(QStringLiteral("Start:"), this), 0, 0);
    range->addWidget(startField_, 0, 1);
    range->addWidget(new QLabel(QStringLiteral("Stop:"), this), 1, 0);
    range->addWidget(stopField_, 1, 1);
    layout->addLayout(range);

    exportButton_ = new QPushButton(QStringLiteral("Export"), this);
    exportButton_->setObjectName("ExportButton");
    exportButton_->setToolTip(
        QStringLiteral(" Create \"%1\" ").arg(QDir::toNativeSeparators(QStringLiteral("Orv/telemetry/export.txt"))));
    connect(exportButton_, &QPushButton::clicked, this, &ExportWindow::StartExport);
    layout->addWidget(exportButton_);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar");
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    layout->addWidget(progressBar_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ExportWindow::Open() {
    const BlockRange range = GraphRangeDefaults(replayWindow_.Range(), replayWindow_.Total());
    startField_->setText(QString::number(range.start));
    stopField_->setText(QString::number(range.stop));
    show();
    raise();
}

ExportFields ExportWindow::Fields() const {
    ExportFields fields;
    for (std::size_t k = 0; k < kExportChannels; ++k) {
        fields.addresses[k] = addresses_[k]->text().toStdString();
        fields.masks[k] = masks_[k]->text().toStdString();
    }
    fields.startText = startField_->text().toStdString();
    fields.stopText = stopField_->text().toStdString();
    fields.raw = raw_->isChecked();
    return fields;
}

QString ExportWindow::OutputPath() const {
    const QString name = QString::fromLatin1(kExportFileName.data(), static_cast<qsizetype>(kExportFileName.size()));
    return QDir(TelemetryDirectoryText(station_)).filePath(name);
}

bool ExportWindow::Running() const { return job_->Running(); }

void ExportWindow::StartExport() {
    if (job_->Running()) return;
    if (!replayWindow_.HasFile()) {
        messages_.Inform(QStringLiteral("No file is loaded in the Replay window."));
        return;
    }
    const ExportCheck check = PrepareExport(Fields(), replayWindow_.Total());
    if (!check.plan) {
        messages_.Inform(QString::fromStdString(check.message));
        return;
    }
    replayWindow_.Range() = BlockRange{check.plan->start, check.plan->stop};
    SetBusy(true);
    // The pass reads its own mapping of the replayed file, so the Replay window may close or
    // load another file meanwhile.
    auto result = std::make_shared<ExportResult>();
    job_->Start(
        [result, plan = *check.plan, in = replayWindow_.FilePath().toStdString(),
         out = OutputPath().toStdString()](const ProgressFn& progress) {
            MappedLogFile image;
            std::string error;
            if (!image.Open(in, error)) {
                result->message = "Cannot read \"" + in + "\": " + error;
                return;
            }
            *result = ExportFile(image, plan, out, progress);
        },
        [this, result] { Finished(*result); });
}

void ExportWindow::Finished(const ExportResult& result) {
    SetBusy(false);
    if (!result.written) {
        messages_.Inform(QString::fromStdString(result.message));
        return;
    }
    // The operator learns where the file is.
    QString done = QStringLiteral("%1 lines exported to\n%2").arg(result.lines).arg(QDir::toNativeSeparators(OutputPath()));
    if (result.skippedTime != 0)
        done += QStringLiteral("\n\n%1 A blocks have a date or time that is not a number;\nthey have no line "
                               "in the export.")
                    .arg(result.skippedTime);
    messages_.Inform(done);
    // The window goes away as if closed: its place and the addresses are kept for the next run.
    position_->Save();
    SaveSettings();
    hide();
}

void ExportWindow::SetBusy(bool busy) {
    if (busy) setCursor(Qt::BusyCursor);
    else unsetCursor();
    exportButton_->setEnabled(!busy);
}

void ExportWindow::SaveSettings() {
    for (std::size_t k = 0; k < kExportChannels; ++k)
        store_.Write(kExportKey, AddressName(k), addresses_[k]->text().toStdString());
    store_.Write(kExportKey, kRawTransName, raw_->isChecked() ? "0" : "1");
}

void ExportWindow::closeEvent(QCloseEvent* event) {
    SaveSettings();
    QWidget::closeEvent(event);
}

}  // namespace orv
