#include "ui/logging_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/files_window_parts.h"
#include "station/station.h"
#include "ui/form_position.h"
#include "ui/menu_keys.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 5, .defaultTopTwips = 200, .defaultLeftTwips = 200};
constexpr int kImageWidth = 82;
constexpr int kImageHeight = 44;

QColor ColourOf(Rgb c) { return QColor(c.r, c.g, c.b); }

// The Event Grid as the core laid it out: the image cleared, then the grid's picture drawn into
// it at (0, 0), on the window's face colour.
void PaintEventGrid(QImage& image, const EventGridPicture& pic, const QColor& face) {
    image.fill(face);
    QImage picture(pic.width, pic.height, QImage::Format_RGB32);
    picture.fill(face);
    QPainter p(&picture);
    p.setPen(QPen(ColourOf(kGridGrey), 1));
    for (const auto& line : pic.lines) {
        for (std::size_t k = 1; k < line.size(); ++k)
            p.drawLine(QPoint(line[k - 1].x, line[k - 1].y), QPoint(line[k].x, line[k].y));
    }
    // Fills leave out the right and bottom edge; outlines lie within them.
    for (const auto& f : pic.fills)
        p.fillRect(QRect(f.left, f.top, f.right - f.left, f.bottom - f.top), ColourOf(f.colour));
    p.setBrush(Qt::NoBrush);
    for (const auto& o : pic.outlines) {
        p.setPen(QPen(ColourOf(o.colour), 1));
        p.drawRect(QRect(o.left, o.top, o.right - o.left - 1, o.bottom - o.top - 1));
    }
    p.end();
    QPainter(&image).drawImage(0, 0, picture);
}

}  // namespace

LoggingWindow::LoggingWindow(Station& station, float scale, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      station_(station), store_(station.store()), logger_(station.logger()), scale_(scale) {
    setObjectName("LoggingWindow");
    setWindowTitle(WindowTitle(u"  Logging"));
    BuildControls();
    KeepFormPosition(this, store_, kForm, kSaveOnClose | kSaveAtQuit);
    connect(&station_, &Station::BlockLogged, this, &LoggingWindow::ShowLoggedBlock);
    connect(&station_, &Station::LoggingChanged, this, &LoggingWindow::ShowLogging);
}

void LoggingWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    auto* menu = menuBar->addMenu(QStringLiteral("&Menu"));
    auto* block = menu->addMenu(QStringLiteral("&Block"));
    block->addAction(QStringLiteral(" a&ll"), this, &LoggingWindow::LogAllBlocksClick);
    block->addAction(QStringLiteral("&A"), this, &LoggingWindow::LogABlocksClick);
    auto* crcc = menu->addMenu(QStringLiteral("&CRCC"));
    crcc->addAction(QStringLiteral("&ignore"), this, &LoggingWindow::IgnoreCrccClick);
    useCrccAction_ = crcc->addAction(QStringLiteral("&use"), this, &LoggingWindow::UseCrccClick);
    menu->addAction(QStringLiteral("&E-buffer size"), this, &LoggingWindow::EventBufferClick);
    layout->setMenuBar(menuBar);
    OpenMenusByKeyboard(this, menuBar);

    auto* loggingGroup = new QGroupBox(this);
    loggingGroup->setObjectName("LoggingGroup");
    loggingGroup->setToolTip(QStringLiteral(" Begin/stop logging "));
    auto* radios = new QVBoxLayout(loggingGroup);
    logging_ = new QRadioButton(QStringLiteral("Logging"), loggingGroup);
    stop_ = new QRadioButton(QStringLiteral("Stop/Pause"), loggingGroup);
    stop_->setChecked(true);
    radios->addWidget(logging_);
    radios->addWidget(stop_);
    // The group reacts to a change of its item, not to a click on the item already chosen.
    for (QRadioButton* b : {logging_, stop_}) {
        connect(b, &QRadioButton::clicked, this, [this] {
            if (logging_->isChecked() != loggingChosen_) LoggingChoiceClick();
        });
    }

    const float s = scale_;
    auto* holder = new QWidget(this);  // keeps the place of the grid while it is hidden
    holder->setFixedSize(static_cast<int>(kImageWidth * s), static_cast<int>(kImageHeight * s));
    eventGridLabel_ = new QLabel(holder);
    eventGridLabel_->setObjectName("EventGrid");
    eventGridLabel_->setFixedSize(holder->size());
    grid_ = QImage(holder->size(), QImage::Format_RGB32);
    grid_.fill(palette().color(QPalette::Window));
    eventGridLabel_->setPixmap(QPixmap::fromImage(grid_));
    eventGridLabel_->setToolTip(QStringLiteral(" Event buffer: navy captured, grey captured with bad CRCC, "
                                       "yellow last event, red event pointer "));

    auto* top = new QHBoxLayout;
    top->addWidget(loggingGroup);
    auto* gridColumn = new QVBoxLayout;
    gridColumn->addWidget(new QLabel(QStringLiteral("Event Grid"), this));
    gridColumn->addWidget(holder);
    top->addLayout(gridColumn);
    layout->addLayout(top);

    fileNameField_ = new QLineEdit(this);
    fileNameField_->setObjectName("FileName");
    fileNameField_->setReadOnly(true);
    fileNameField_->setToolTip(QStringLiteral(" Default file name, may be edited. "));
    layout->addWidget(fileNameField_);

    // Where the blocks go, whole, while logging runs.
    logPathField_ = new ElidedLabel(this);
    logPathField_->setObjectName("LogPath");
    logPathField_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    logPathField_->setVisible(false);
    layout->addWidget(logPathField_);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Count:"), this));
    countLabel_ = SunkenPanel(QStringLiteral("Count"), QStringLiteral(" # of saved blocks "), 80, this);
    countRow->addWidget(countLabel_);
    countRow->addStretch();
    layout->addLayout(countRow);

    failure_ = new QLabel(this);
    failure_->setObjectName("Failure");
    failure_->setWordWrap(true);
    failure_->setMaximumWidth(260);
    failure_->setVisible(false);
    layout->addWidget(failure_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void LoggingWindow::UpdateLogFileName() {
    logger_.UpdateLogFileName();
    fileNameField_->setText(QString::fromStdString(logger_.NameFieldText()));
}

void LoggingWindow::LogAllBlocksClick() {
    logger_.LogAllBlocks();
    UpdateLogFileName();
}

void LoggingWindow::LogABlocksClick() {
    logger_.LogABlocksOnly();
    UpdateLogFileName();
}

void LoggingWindow::IgnoreCrccClick() {
    logger_.IgnoreCrcc();
    UpdateLogFileName();
}

void LoggingWindow::UseCrccClick() {
    logger_.UseCrcc();
    UpdateLogFileName();
}

void LoggingWindow::EventBufferClick() {
    bool ok = false;
    const QString answer = QInputDialog::getText(this, QStringLiteral("Event Buffer Size"),
                                                 QStringLiteral("Enter No. blocks in event buffer [8,16,24,32]:"),
                                                 QLineEdit::Normal, QString::number(logger_.Grid().BufferSize()), &ok);
    if (ok) EventBufferAnswered(answer);
}

void LoggingWindow::EventBufferAnswered(const QString& answer) {
    station_.SetEventBufferSize(answer.toStdString());
    // A grid on show takes the new size at once.
    if (EventGridVisible()) DrawEventGrid();
}

void LoggingWindow::LoggingChoiceClick() {
    loggingChosen_ = logging_->isChecked();
    if (loggingChosen_) {
        if (!station_.StartLogging()) {
            // First-run Setup cancelled: there is no folder to log into.
            loggingChosen_ = false;
            stop_->setChecked(true);
            const QString text = QStringLiteral("No data directory is set: choose one in Setup, then start logging.");
            failure_->setText(text);
            failure_->setToolTip(text);
            failure_->setVisible(true);
            return;
        }
        fileNameField_->setText(QString::fromStdString(logger_.NameFieldText()));
        countLabel_->setText(QString::fromStdString(logger_.CountText()));
    } else {
        station_.StopLogging();
    }
    ShowFailure();
}

void LoggingWindow::ShowLogging() {
    if (!logger_.FileName().empty()) fileNameField_->setText(QString::fromStdString(logger_.NameFieldText()));
    ShowFailure();
}

void LoggingWindow::LogOnStart() {
    show();
    logging_->setChecked(true);
    LoggingChoiceClick();
}

void LoggingWindow::ShowLoggedBlock(const LogAppendResult& result) {
    countLabel_->setText(QString::fromStdString(result.countText));
    if (result.eventGridChanged) DrawEventGrid();
    ShowFailure();
}

void LoggingWindow::ShowLogPath() {
    const bool logging = logger_.Logging();
    const QString path = logging ? QDir::toNativeSeparators(QString::fromStdString(logger_.LogPath().string())) : QString();
    logPathField_->SetFullText(QStringLiteral("Logging to ") + path);
    logPathField_->setVisible(logging);
}

void LoggingWindow::ShowFailure() {
    ShowLogPath();
    const QString text = QString::fromStdString(logger_.FailureText());
    // A path in the text is cut in its middle rather than at the window's edge; the whole text is
    // in the tooltip.
    failure_->setText(ElideLongWords(text, failure_->fontMetrics(), failure_->maximumWidth()));
    failure_->setToolTip(text);
    // Red while blocks are lost; the all-clear after a failure in the window's own colour.
    QPalette colours = failure_->palette();
    colours.setColor(QPalette::WindowText, logger_.FailureIsTrouble() ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    failure_->setPalette(colours);
    failure_->setVisible(!text.isEmpty());
}

void LoggingWindow::DrawEventGrid() {
    PaintEventGrid(grid_, logger_.DrawEventGrid(scale_), palette().color(QPalette::Window));
    eventGridLabel_->setPixmap(QPixmap::fromImage(grid_));
    eventGridLabel_->setVisible(true);
}

QString LoggingWindow::NameField() const { return fileNameField_->text(); }
QString LoggingWindow::CountText() const { return countLabel_->text(); }
QString LoggingWindow::FailureText() const { return failure_->isHidden() ? QString() : failure_->toolTip(); }
bool LoggingWindow::EventGridVisible() const { return !eventGridLabel_->isHidden(); }

void LoggingWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) useCrccAction_->setEnabled(logger_.UseCrccAvailable());
}

void LoggingWindow::closeEvent(QCloseEvent* event) {
    eventGridLabel_->setVisible(false);
    logger_.Grid().ClearCapturedOk();
    QWidget::closeEvent(event);
}

}  // namespace orv
