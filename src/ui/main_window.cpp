#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QToolTip>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "files/replay.h"
#include "inputs/input_table.h"
#include "reception/data_directory.h"
#include "reception/dispatch.h"
#include "reception/port_failure.h"
#include "tools/raw_save.h"
#include "ui/form_position.h"
#include "ui/guide_window.h"
#include "ui/menu_keys.h"
#include "ui/raw_data_window.h"
#include "ui/setup_window.h"
#include "ui/user_messages.h"

namespace orv {
namespace {

constexpr FormSlot kMainForm{.number = 1, .defaultTopTwips = 50, .defaultLeftTwips = 50};
constexpr FormSlot kRawDataForm{.number = 2, .defaultTopTwips = 2400, .defaultLeftTwips = 50};
constexpr int kAmsatDayInterval = 5000;
constexpr int kDateTimeInterval = 1000;

}  // namespace

MainWindow::MainWindow(Station& station, UserMessages& messages, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      station_(station), messages_(messages) {
    setObjectName("MainWindow");
    setWindowTitle(QStringLiteral("Orv"));
    setToolTip(QStringLiteral("Ctrl-R-Click on form edge to show / not show CRCC failed data."));
    station_.SetView(this);
    SetPlacementAnchor(this);
    connect(&station_, &Station::SelectionChanged, this, &MainWindow::ShowSelection);
    connect(&station_, &Station::InputsChanged, this, &MainWindow::ShowInputsEnabled);
    connect(&station_, &Station::PortOpenFailed, this, &MainWindow::OnPortOpenFailed);
    connect(&station_, &Station::InputLost, this, &MainWindow::OnSerialPortLost);
    connect(&station_, &Station::LoggingChanged, this, &MainWindow::ShowLiveReceptionNote);
    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(kAmsatDayInterval);
    connect(clockTimer_, &QTimer::timeout, this, &MainWindow::ClockTick);
    BuildControls();
    BuildMenu();
    StartUp();
}

MainWindow::~MainWindow() { station_.SetView(nullptr); }

void MainWindow::StartUp() {
    // Numbers are always converted with "." as the decimal separator.
    QLocale::setDefault(QLocale::c());
    setAcceptDrops(true);
    clockTimer_->stop();
    station_.LoadSettings();
    station_.PrepareDataDirectory([this](const std::string& message) { messages_.Inform(QString::fromStdString(message)); });
    KeepFormPosition(this, station_.store(), kMainForm, kSaveOnClose);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ppi = screen ? screen->logicalDotsPerInch() : 96.0;
    scale_ = (static_cast<int>(ppi) == 96) ? 1.0F : static_cast<float>((static_cast<int>(ppi) + 1) / 96.0);
    clockTimer_->start();
}

void MainWindow::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    QFont bold = font();
    bold.setBold(true);
    central->setFont(bold);
    auto* outer = new QVBoxLayout(central);
    auto* layout = new QHBoxLayout;
    outer->addLayout(layout);

    auto* groupBox1 = new QGroupBox(QStringLiteral("Input"), central);
    auto* input = new QGridLayout(groupBox1);
    auto addRow = [&](int row, const char* caption, const char* hint, QLabel*& value, QLabel** captionLabel) {
        auto* c = new QLabel(QString::fromLatin1(caption), groupBox1);
        value = new QLabel(groupBox1);
        value->setMinimumWidth(44);
        value->setAlignment(Qt::AlignCenter);
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setAutoFillBackground(true);
        c->setToolTip(QString::fromLatin1(hint));
        value->setToolTip(QString::fromLatin1(hint));
        input->addWidget(c, row, 0);
        input->addWidget(value, row, 1);
        if (captionLabel) *captionLabel = c;
    };
    addRow(0, "Block", " Blk ID (first byte) ", blockIdLabel_, nullptr);
    addRow(1, "Byte", " Download byte count ", byteCountLabel_, &byteCaption_);
    addRow(2, "CRCC", " CRCC check status ", crccLabel_, nullptr);
    blockIdLabel_->setObjectName("BlockId");
    byteCountLabel_->setObjectName("ByteCount");
    crccLabel_->setObjectName("CrccStatus");
    crccLabel_->setText(QStringLiteral("---"));
    SetByteCounterActive(false);
    layout->addWidget(groupBox1);

    auto* radioGroup1 = new QGroupBox(QStringLiteral("Text"), central);
    auto* textLayout = new QGridLayout(radioGroup1);
    const char* captions[] = {"Raw", "K", "L", "M", "N", "OFF"};
    const char* hints[] = {" Display all data ",     " Display only K block ", " Display only L block ",
                           " Display only M block ", " Display only N block ", " Disconnect serial port "};
    for (int i = 0; i < 6; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(captions[i]), radioGroup1);
        b->setObjectName(QStringLiteral("Text%1").arg(QString::fromLatin1(captions[i])));
        b->setToolTip(QString::fromLatin1(hints[i]));
        textLayout->addWidget(b, i % 3, i / 3);
        textButtons_[static_cast<std::size_t>(i)] = b;
        connect(b, &QRadioButton::clicked, this, [this, i] { SelectTextClick(static_cast<TextSelection>(i)); });
    }
    QPalette red = textButtons_[5]->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    textButtons_[5]->setPalette(red);
    textButtons_[5]->setChecked(true);
    layout->addWidget(radioGroup1);

    auto* data = new QGroupBox(QStringLiteral("Data"), central);
    auto* dataLayout = new QGridLayout(data);
    const char* boxes[] = {"Status", "Matrix", "Nav", "Power", "Temp"};
    for (int i = 0; i < 5; ++i) {
        auto* c = new QCheckBox(QString::fromLatin1(boxes[i]), data);
        c->setObjectName(QString::fromLatin1(boxes[i]));
        c->setEnabled(false);
        dataLayout->addWidget(c, i % 3, i / 3);
        dataBoxes_[static_cast<std::size_t>(i)] = c;
        connect(c, &QCheckBox::clicked, this, [this, i] { DisplayBoxClick(static_cast<DisplayWindow>(i)); });
    }
    eventsBox_ = new QCheckBox(QStringLiteral("Events"), data);
    eventsBox_->setObjectName("Events");
    QPalette blue = eventsBox_->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    eventsBox_->setPalette(blue);
    eventsBox_->setEnabled(false);
    dataLayout->addWidget(eventsBox_, 2, 1);
    connect(eventsBox_, &QCheckBox::clicked, this, &MainWindow::EventsClick);
    layout->addWidget(data);

    // What replay switched off, and the way back to it.
    auto* note = new QHBoxLayout;
    liveNote_ = new QLabel(central);
    liveNote_->setObjectName("LiveReceptionNote");
    liveNote_->setWordWrap(true);
    liveNote_->setFont(font());
    resumeButton_ = new QPushButton(central);
    resumeButton_->setObjectName("ResumeButton");
    resumeButton_->setFont(font());
    connect(resumeButton_, &QPushButton::clicked, this, [this] { station_.ResumeLiveReception(); });
    note->addWidget(liveNote_, 1);
    note->addWidget(resumeButton_);
    outer->addLayout(note);
    liveNote_->setVisible(false);
    resumeButton_->setVisible(false);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    // A fixed border: the window is as large as its controls, and cannot be resized or maximised.
    QMainWindow::layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::BuildMenu() {
    // Each menu and item has its underlined letter: Alt+M opens "Menu", then L "Logging".
    auto* exitMenu = menuBar()->addMenu(QStringLiteral("E&xit"));
    exitMenu->addAction(QStringLiteral("E&xit"), this, &MainWindow::ExitClick);
    auto* menu = menuBar()->addMenu(QStringLiteral("&Menu"));
    menu->setToolTipsVisible(true);
    menu->addAction(QStringLiteral("&Setup"), this, &MainWindow::SetupClick);
    // In MenuWindow order. The TCP/IP window's item is named after it.
    const char* items[] = {"&DSP Load", "&Logging",    "M&onitor",    "&Replay",      "&Filter",
                           "&TCP/IP",   "&ADC Display", "For&warding", "A&udio Signal"};
    for (int i = 0; i < static_cast<int>(kMenuWindows); ++i) {
        QAction* a = menu->addAction(QString::fromLatin1(items[i]));
        a->setEnabled(false);
        menuActions_[static_cast<std::size_t>(i)] = a;
        connect(a, &QAction::triggered, this, [this, i] {
            const auto item = static_cast<MenuWindow>(i);
            if (item == MenuWindow::Replay) {
                ReplayClick();
                return;
            }
            if (menuOpen_[static_cast<std::size_t>(i)]) menuOpen_[static_cast<std::size_t>(i)]();
            else if (menuWindows_[static_cast<std::size_t>(i)]) menuWindows_[static_cast<std::size_t>(i)]->show();
            if (item == MenuWindow::AdcDisplay) DispatchBlock();
        });
    }
    connect(menu, &QMenu::aboutToShow, this, [this] {
        const InputRow& input = InputForModem(state().settings.modemType);
        MenuAction(MenuWindow::AdcDisplay)->setVisible(input.samples);
        MenuAction(MenuWindow::AudioSignal)->setVisible(input.kind == InputKind::Audio || input.kind == InputKind::Iq);
    });
    auto* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Help"), this, &MainWindow::HelpClick);
    help->addAction(QStringLiteral("&About"), this, &MainWindow::AboutClick);
    OpenMenusByKeyboard(this, menuBar());
}

void MainWindow::AttachRawWindow(RawDataWindow* rawDataWindow) {
    rawDataWindow_ = rawDataWindow;
    // The raw data window keeps its place when this window hides it or closes.
    rawDataPosition_ = KeepFormPosition(rawDataWindow_, station_.store(), kRawDataForm, kSaveWhenAsked);
    connect(rawDataWindow_, &RawDataWindow::SaveRequested, this, &MainWindow::SaveRawBlock);
}

void MainWindow::SaveRawBlock(bool asData) {
    const StationState& s = state();
    if (!station_.HasDataDirectory()) {
        messages_.Inform(QStringLiteral("No data directory is set: choose one in Setup."));
        return;
    }
    const auto choice = ChooseRawSave(s.flags.selection, s.stores.current, s.receiver.verdict, s.flags.replayOpened);
    if (!choice) return;
    const std::string error = orv::SaveRawBlock(station_.TelemetryDirectory().string(), *choice,
                                                RawSaveSource(*choice, s.stores), !asData);
    messages_.Beep();
    if (!error.empty()) {
        messages_.Inform(QString::fromStdString(error));
        return;
    }
    const std::filesystem::path saved = station_.TelemetryDirectory() / (choice->kind + (asData ? ".dat" : ".txt"));
    ShowFeedback(QStringLiteral("%1 saved to %2")
                     .arg(QString::fromStdString(choice->kind), QDir::toNativeSeparators(QString::fromStdString(saved.string()))));
}

void MainWindow::ShowFeedback(const QString& text) {
    // Beside the beep: a tip at the mouse, where the operator just clicked.
    feedback_ = text;
    QToolTip::showText(QCursor::pos(), text, nullptr, QRect(), 6000);
}

void MainWindow::AttachSetup(SetupWindow* setupWindow) {
    setupWindow_ = setupWindow;
    setupWindow_->SetAfterSave([this] { AfterSetupSaved(); });
}

void MainWindow::AttachMenuWindow(MenuWindow item, QWidget* window, std::function<void()> open) {
    const auto i = static_cast<std::size_t>(item);
    menuWindows_[i] = window;
    menuOpen_[i] = std::move(open);
    menuActions_[i]->setEnabled(true);
}

void MainWindow::AttachDisplay(DisplayWindow which, QWidget* window, std::function<void()> update) {
    const auto i = static_cast<std::size_t>(which);
    displays_[i] = window;
    displayUpdates_[i] = std::move(update);
    dataBoxes_[i]->setEnabled(true);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    QTimer::singleShot(0, this, &MainWindow::FirstShown);
}

void MainWindow::FirstShown() {
    if (FirstRun()) {
        clockTimer_->stop();
        if (setupWindow_) setupWindow_->ShowFirstRun();
        return;
    }
    RunStartupActions();
}

void MainWindow::RunStartupActions() {
    if (state().settings.bootServer && bootServer_) bootServer_();
    if (state().settings.logOnStart) {
        SelectTextClick(TextSelection::Raw);
        if (logOnStart_) logOnStart_();
    }
}

void MainWindow::AfterSetupSaved() {
    station_.SettingsSaved();
    if (FirstRun()) {
        // The first Save completes the start-up and does at once what the saved settings say.
        station_.FinishFirstRun();
        StartUp();
        show();
        RunStartupActions();
    }
    clockTimer_->start();
}

void MainWindow::SelectTextClick(TextSelection selection) {
    textButtons_[static_cast<std::size_t>(selection)]->setFocus();
    station_.SelectText(selection);
}

void MainWindow::ShowSelection() {
    const TextSelection selection = station_.Selection();
    textButtons_[static_cast<std::size_t>(selection)]->setChecked(true);
    const bool receiving = selection != TextSelection::Off;
    if (rawDataWindow_) {
        if (receiving && !station_.inputs().ReplayActive()) {
            const char letter = SelectionLetter(selection);
            rawDataWindow_->SetGroupCaption(letter ? QStringLiteral("%1 Block").arg(QChar(letter))
                                                   : QStringLiteral("Raw Data"));
            rawDataWindow_->show();
        } else if (!receiving && rawDataWindow_->isVisible()) {
            // "OFF" hides it, also while Replay shows its blocks there.
            rawDataPosition_->Save();
            rawDataWindow_->hide();
        }
    }
    ShowLiveReceptionNote();
    if (receiving) {
        SetByteCounterActive(true);
        const StationState& s = state();
        const char letter = SelectionLetter(selection);
        station_.ShowLiveText(letter ? std::span<const std::uint8_t, kTelemetryBytes>(s.stores.text[static_cast<std::size_t>(TextCopyIndex(letter))])
                                     : std::span<const std::uint8_t, kTelemetryBytes>(s.stores.lastComplete));
    } else if (!state().flags.networkInputActive) {
        SetByteCounterActive(false);
        byteCountLabel_->clear();
    }
}

void MainWindow::ShowInputsEnabled() {
    const bool selectable = station_.TelemetrySelectable();
    for (TextSelection t : {TextSelection::Raw, TextSelection::K, TextSelection::L, TextSelection::M, TextSelection::N})
        TextButton(t)->setEnabled(selectable);
    ShowLiveReceptionNote();
}

void MainWindow::ShowLiveReceptionNote() {
    const bool offered = station_.LiveReceptionToResume();
    const QString what = QString::fromStdString(station_.LiveReceptionBeforeReplay());
    QString note;
    if (offered && station_.inputs().ReplayActive()) {
        note = QStringLiteral("Replay has switched off live reception (%1).").arg(what);
        if (station_.logger().Logging()) note += QStringLiteral(" Logging waits for blocks.");
    } else if (offered) {
        note = QStringLiteral("Live reception is still off since the replay.");
        if (station_.logger().Logging()) note += QStringLiteral(" Logging waits for blocks.");
        resumeButton_->setText(QStringLiteral("Return to %1").arg(what));
    }
    liveNote_->setText(note);
    liveNote_->setVisible(!note.isEmpty());
    resumeButton_->setVisible(offered && !station_.inputs().ReplayActive());
}

void MainWindow::SetByteCounterActive(bool active) {
    byteCaption_->setEnabled(active);
    byteCountLabel_->setEnabled(active);
    QPalette p = byteCountLabel_->palette();
    p.setColor(QPalette::Window, active ? palette().color(QPalette::Button) : QColor(Qt::white));
    byteCountLabel_->setPalette(p);
    byteCaption_->setAutoFillBackground(true);
    byteCaption_->setPalette(p);
}

void MainWindow::OnPortOpenFailed(const QString& device, const QString& reason) {
    messages_.Beep();
    const InputRow& input = InputForModem(state().settings.modemType);
    if (!input.serialDevice) {
        // "audio", but "SDR" as it is written.
        const QString name = QString::fromLatin1(input.name.data(), static_cast<qsizetype>(input.name.size()));
        return messages_.Inform(QStringLiteral("The %1 input could not be started:\n%2")
                                    .arg(name == name.toUpper() ? name : name.toLower(), reason));
    }
    const std::string path = device.toStdString();
    messages_.Inform(QString::fromStdString(PortOpenFailureText(path, reason.toStdString(), DeniedDeviceGroup(path))));
}

void MainWindow::OnSerialPortLost(const QString& reason) {
    messages_.Beep();
    messages_.Inform(QStringLiteral("The serial port was lost:\n%1").arg(reason));
}

void MainWindow::DisplayBoxClick(DisplayWindow which) {
    const auto i = static_cast<std::size_t>(which);
    if (QWidget* w = displays_[i]) w->setVisible(!w->isVisible());
    DispatchBlock();
}

void MainWindow::EventsClick() {
    station_.ChooseEvents(eventsBox_->isChecked());
    DispatchBlock();
}

void MainWindow::DispatchBlock() {
    const StationState& s = state();
    if (DisplayGateOpen(s)) {
        if (DisplayBlockDecodable(s)) {
            for (DisplayWindow w : kDisplayOrder) {
                const auto i = static_cast<std::size_t>(w);
                if (dataBoxes_[i]->isChecked() && displayUpdates_[i]) displayUpdates_[i]();
            }
        }
        UpdateMonitor();
    }
    const auto adc = static_cast<std::size_t>(MenuWindow::AdcDisplay);
    if (menuWindows_[adc] && menuWindows_[adc]->isVisible() && !s.flags.networkInputActive && adcRefresh_) adcRefresh_();
}

void MainWindow::UpdateMonitor() {
    const auto monitor = static_cast<std::size_t>(MenuWindow::Monitor);
    if (menuWindows_[monitor] && menuWindows_[monitor]->isVisible() && monitorUpdate_) monitorUpdate_();
}

void MainWindow::ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes,
                               const std::optional<std::string>& statusLine) {
    if (!rawDataWindow_) return;
    std::optional<QString> status;
    if (statusLine) status = QString::fromStdString(*statusLine);
    rawDataWindow_->ShowTextBlock(bytes, status);
}

void MainWindow::ShowReplayBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {
    if (!rawDataWindow_) return;
    // The short form of the raw data window (no status line), captioned "Replay".
    rawDataWindow_->ShowTextBlock(bytes, std::nullopt);
    rawDataWindow_->SetGroupCaption(QStringLiteral("Replay"));
    rawDataWindow_->show();
}

void MainWindow::ShowReplayCounter(std::string_view text) {
    if (replayCounter_) replayCounter_(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::ShowBlockId(char id) { blockIdLabel_->setText(QString(QChar(id))); }

void MainWindow::ShowByteCount(std::string_view text) {
    byteCountLabel_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    byteCountLabel_->repaint();
}

void MainWindow::ShowCrccStatus(std::string_view text) {
    crccLabel_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::EnableEvents() {
    if (!eventsBox_->isEnabled()) eventsBox_->setEnabled(true);
}

QString MainWindow::BlockLabel() const { return blockIdLabel_->text(); }
QString MainWindow::ByteLabel() const { return byteCountLabel_->text(); }
QString MainWindow::CrccLabel() const { return crccLabel_->text(); }

void MainWindow::ClockTick() {
    const DateTime utc = ReadClock(station_.clock(), state().settings.utcRule, true);
    clockLine_ = QString::fromStdString(orv::ClockLine(amsatDayForm_, utc));
    clockTimer_->setInterval(amsatDayForm_ ? kAmsatDayInterval : kDateTimeInterval);
    if (clockSink_) clockSink_(clockLine_);
}

void MainWindow::SetClockForm(bool amsatDay) {
    amsatDayForm_ = amsatDay;
    ClockTick();
}

void MainWindow::ToggleShowFailedData() {
    station_.SetShowCrccFailedData(!state().flags.showCrccFailedData);
    messages_.Beep();
    ShowFeedback(state().flags.showCrccFailedData ? QStringLiteral("Blocks that failed the CRCC check are now shown")
                                            : QStringLiteral("Blocks that failed the CRCC check are no longer shown"));
}

bool MainWindow::OnForm(const QPoint& position) const {
    // Only the form itself, not a control on it.
    QWidget* under = childAt(position);
    return under == nullptr || under == centralWidget();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (OnForm(event->position().toPoint()) && event->button() == Qt::RightButton &&
        (event->modifiers() & Qt::ControlModifier))
        ToggleShowFailedData();
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    // Two beeps mean on, one beep off. The second beep comes 850 ms later without blocking.
    if (OnForm(event->position().toPoint()) && event->button() == Qt::RightButton &&
        (event->modifiers() & Qt::ControlModifier) && state().flags.showCrccFailedData)
        QTimer::singleShot(850, this, [this] { messages_.Beep(); });
    QMainWindow::mouseReleaseEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    if (!urls.isEmpty()) DropFile(urls.first().toLocalFile());
    event->acceptProposedAction();
}

void MainWindow::DropFile(const QString& path) {
    if (!AcceptsDroppedReplayFile(path.toStdString())) return;
    ReplayClick();
    if (replayLoad_) replayLoad_(path);
    station_.ClearEventsMode();
    eventsBox_->setChecked(false);
    eventsBox_->setEnabled(false);
}

void MainWindow::ReplayClick() {
    const auto i = static_cast<std::size_t>(MenuWindow::Replay);
    if (menuOpen_[i]) {
        menuOpen_[i]();
    } else if (QWidget* replay = menuWindows_[i]) {
        // Already open, it comes to the front with its file.
        replay->show();
        replay->raise();
        replay->activateWindow();
    }
    station_.OpenReplay();
}

void MainWindow::ExitClick() {
    station_.SelectText(TextSelection::Off);
    close();
}

void MainWindow::SetupClick() {
    if (setupWindow_) setupWindow_->OpenFromMenu();
}

void MainWindow::HelpClick() {
    const QString hlp = QString::fromStdString(station_.DataDirectory()) + "/Orv.hlp";
    if (QFile::exists(hlp) && OpenUrl(QUrl::fromLocalFile(hlp))) return;
    // The user guide built into the program, with its pictures, written out where a browser can
    // open it: in the user's own runtime directory, else a folder of the user's own in the
    // temporary directory.
    QString guide;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) guide = WriteGuide(runtime + "/orv-guide");
    if (guide.isEmpty()) {
        guideCopy_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/orv-guide-XXXXXX");
        if (guideCopy_->isValid()) guide = WriteGuide(guideCopy_->path());
    }
    if (!guide.isEmpty() && OpenUrl(QUrl::fromLocalFile(guide))) return;
    // No browser or URL handler: the guide in a window of the program.
    if (!guideWindow_) guideWindow_ = std::make_unique<GuideWindow>();
    guideWindow_->show();
    guideWindow_->raise();
    guideWindow_->activateWindow();
}

QWidget* MainWindow::GuideWindowShown() const { return guideWindow_.get(); }

bool MainWindow::OpenUrl(const QUrl& url) {
    return urlOpener_ ? urlOpener_(url) : QDesktopServices::openUrl(url);
}

void MainWindow::AboutClick() {
    messages_.Inform(QStringLiteral("Orv\nAO-40 telemetry ground station\nVersion %1\nLast update %2")
                         .arg(QStringLiteral(ORV_VERSION), QStringLiteral(ORV_RELEASE_DATE)));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (rawDataWindow_ && rawDataWindow_->isVisible()) rawDataPosition_->Save();
    station_.SelectText(TextSelection::Off);
    QMainWindow::closeEvent(event);
    QCoreApplication::quit();
}

}  // namespace orv
