#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
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
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "fec/fec_log.h"
#include "tools/raw_save.h"
#include "ui/form_position.h"
#include "ui/raw_data_window.h"
#include "ui/setup_window.h"
#include "ui/user_messages.h"

namespace orv {
namespace {

constexpr const char* kNotYetAvailable = "Not yet available in this version of Orv.";
constexpr int kAmsatDayInterval = 5000;
constexpr int kDateTimeInterval = 1000;

// A directory exists when the process can make it its current directory.
bool DirectoryUsable(const QString& path) { return QDir::setCurrent(path); }

}  // namespace

MainWindow::MainWindow(KeyValueStore& store, const Clock& clock, UserMessages& messages, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      store_(store), clock_(clock), messages_(messages),
      runtime_(std::make_unique<StationRuntime>(store, clock)) {
    setObjectName("MainWindow");
    setWindowTitle(QStringLiteral("Orv"));
    setToolTip(QStringLiteral("Ctrl-R-Click on form edge to show / not show CRCC failed data."));
    runtime_->SetView(this);
    connect(runtime_.get(), &StationRuntime::SerialPortLost, this, &MainWindow::OnSerialPortLost);
    timer1_ = new QTimer(this);
    timer1_->setInterval(kAmsatDayInterval);
    connect(timer1_, &QTimer::timeout, this, &MainWindow::Timer1Timer);
    BuildControls();
    BuildMenu();
    CreateHandler();
}

MainWindow::~MainWindow() { runtime_->SetView(nullptr); }

void MainWindow::CreateHandler() {
    // Numbers are always converted with "." as the decimal separator.
    QLocale::setDefault(QLocale::c());
    setAcceptDrops(true);
    timer1_->stop();
    runtime_->LoadSettings();
    CheckDataDirectories();
    RestoreFormPosition(this, store_, 1, 50, 50);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ppi = screen ? screen->logicalDotsPerInch() : 96.0;
    scale_ = (static_cast<int>(ppi) == 96) ? 1.0F : static_cast<float>((static_cast<int>(ppi) + 1) / 96.0);
    timer1_->start();
}

void MainWindow::CheckDataDirectories() {
    const QString dir = QString::fromStdString(station().settings.dataDirectory);
    if (!dir.isEmpty()) {
        const struct {
            QString path;
            const char* message;
        } checks[] = {
            {dir, "Indicated Orv main directory does not exist. \n   It will be created."},
            {dir + "/telemetry", "Orv\\telemetry subdirectory does not exist. \n   It will be created."},
            {dir + "/Dsp", "Orv\\DSP subdirectory does not exist. \n   It will be created."},
        };
        for (const auto& c : checks) {
            if (DirectoryUsable(c.path)) continue;
            messages_.Inform(QString::fromLatin1(c.message));
            if (!QDir().mkpath(c.path))
                messages_.Inform(QStringLiteral("Cannot create the directory\n%1").arg(QDir::toNativeSeparators(c.path)));
        }
    }
    station().workingDataDirectory = station().settings.dataDirectory;
    telemetryDir_ = QString::fromStdString(station().workingDataDirectory) + "/telemetry";
}

void MainWindow::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    QFont bold = font();
    bold.setBold(true);
    central->setFont(bold);
    auto* layout = new QHBoxLayout(central);

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
    addRow(0, "Block", " Blk ID (first byte) ", label4_, nullptr);
    addRow(1, "Byte", " Download byte count ", label5_, &label2_);
    addRow(2, "CRCC", " CRCC check status ", label6_, nullptr);
    label4_->setObjectName("Label4");
    label5_->setObjectName("Label5");
    label6_->setObjectName("Label6");
    label6_->setText(QStringLiteral("---"));
    SetByteCounterActive(false);
    layout->addWidget(groupBox1);

    auto* radioGroup1 = new QGroupBox(QStringLiteral("Text"), central);
    auto* textLayout = new QGridLayout(radioGroup1);
    const char* captions[] = {"Raw", "K", "L", "M", "N", "OFF"};
    const char* hints[] = {" Display all data ",     " Display only K block ", " Display only L block ",
                           " Display only M block ", " Display only N block ", " Disconnect serial port "};
    for (int i = 0; i < 6; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(captions[i]), radioGroup1);
        b->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        b->setToolTip(QString::fromLatin1(hints[i]));
        textLayout->addWidget(b, i % 3, i / 3);
        textButtons_[static_cast<std::size_t>(i)] = b;
        connect(b, &QRadioButton::clicked, this, [this, i] { SelectText(i); });
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
        c->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        c->setEnabled(false);
        c->setToolTip(QString::fromLatin1(kNotYetAvailable));
        dataLayout->addWidget(c, i % 3, i / 3);
        dataBoxes_[static_cast<std::size_t>(i)] = c;
        connect(c, &QCheckBox::clicked, this, [this, i] { CheckBoxClick(static_cast<DisplayWindow>(i)); });
    }
    checkBox6_ = new QCheckBox(QStringLiteral("Events"), data);
    checkBox6_->setObjectName("CheckBox6");
    QPalette blue = checkBox6_->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    checkBox6_->setPalette(blue);
    checkBox6_->setEnabled(false);
    dataLayout->addWidget(checkBox6_, 2, 1);
    connect(checkBox6_, &QCheckBox::clicked, this, &MainWindow::EventsClick);
    layout->addWidget(data);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::BuildMenu() {
    auto* exitMenu = menuBar()->addMenu(QStringLiteral("Exit"));
    exitMenu->addAction(QStringLiteral("Exit"), this, &MainWindow::Exit2Click);
    auto* menu = menuBar()->addMenu(QStringLiteral("Menu"));
    menu->setToolTipsVisible(true);
    menu->addAction(QStringLiteral("Setup"), this, &MainWindow::Setup1Click);
    const char* items[] = {"DSP Load", "Logging", "Monitor", "Replay", "Filter", "Internet", "ADC Display"};
    for (int i = 0; i < 7; ++i) {
        QAction* a = menu->addAction(QString::fromLatin1(items[i]));
        a->setEnabled(false);
        a->setToolTip(QString::fromLatin1(kNotYetAvailable));
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
    adcDisplayAction_ = menuActions_[static_cast<std::size_t>(MenuWindow::AdcDisplay)];
    connect(menu, &QMenu::aboutToShow, this, [this] { adcDisplayAction_->setVisible(station().AdcPath()); });
    auto* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("Help"), this, &MainWindow::Help1Click);
    help->addAction(QStringLiteral("About"), this, &MainWindow::About1Click);
}

void MainWindow::AttachRawWindow(RawDataWindow* rawDataWindow) {
    rawDataWindow_ = rawDataWindow;
    RestoreFormPosition(rawDataWindow_, store_, 2, 2400, 50);
    connect(rawDataWindow_, &RawDataWindow::SaveRequested, this, &MainWindow::SaveRawBlock);
}

void MainWindow::SaveRawBlock(bool asData) {
    const auto& s = station();
    const auto choice = ChooseRawSave(s.flags.selection, s.stores.current, s.receiver.crccLabel, s.flags.replayOpened);
    if (!choice) return;
    const std::string error =
        orv::SaveRawBlock(telemetryDir_.toStdString(), *choice, RawSaveSource(*choice, s.stores), !asData);
    messages_.Beep();
    if (!error.empty()) messages_.Inform(QString::fromStdString(error));
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
    menuActions_[i]->setToolTip(QString());
}

void MainWindow::AttachDisplay(DisplayWindow which, QWidget* window, std::function<void()> update) {
    const auto i = static_cast<std::size_t>(which);
    displays_[i] = window;
    displayUpdates_[i] = std::move(update);
    dataBoxes_[i]->setEnabled(true);
    dataBoxes_[i]->setToolTip(QString());
}

void MainWindow::SetTcpIpControl(std::function<bool()> active, std::function<void()> off, std::function<void()> bootServer) {
    tcpIpActive_ = std::move(active);
    tcpIpOff_ = std::move(off);
    bootServer_ = std::move(bootServer);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    QTimer::singleShot(0, this, &MainWindow::FirstShown);
}

void MainWindow::FirstShown() {
    if (station().settings.firstRun) {
        timer1_->stop();
        if (setupWindow_) setupWindow_->ShowFirstRun();
        return;
    }
    if (station().settings.bootServer && bootServer_) bootServer_();
    if (station().settings.logOnStart) {
        textButtons_[0]->setChecked(true);
        RadioButton1Click();
        if (logOnStart_) logOnStart_();
    }
}

void MainWindow::AfterSetupSaved() {
    if (station().settings.firstRun) {
        station().settings.firstRun = false;
        CreateHandler();
        show();
    }
    timer1_->start();
}

void MainWindow::SelectText(int index) {
    if (index == 0) RadioButton1Click();
    else if (index == 5) RadioButton4Click();
    else TextButtonClick(static_cast<char>('K' + index - 1));
}

void MainWindow::OpenSerialPort() {
    auto& s = station();
    if (!s.flags.networkInputActive && !runtime_->serial().IsOpen()) {
        QString reason;
        if (!runtime_->OpenSerialPort(&reason)) {
            messages_.Beep();
            messages_.Inform(QStringLiteral("Problem opening port!\nPort may already be in use!"));
            RadioButton4Click();
            return;
        }
    }
    SetByteCounterActive(true);
    if (rawDataWindow_) rawDataWindow_->show();
    QCoreApplication::processEvents();
}

void MainWindow::RadioButton1Click() {
    textButtons_[0]->setFocus();
    if (!textButtons_[0]->isChecked()) return;
    station().flags.selection = TextSelection::Raw;
    if (rawDataWindow_) {
        rawDataWindow_->SetGroupCaption(QStringLiteral("Raw Data"));
        rawDataWindow_->show();
    }
    if (!runtime_->serial().IsOpen() && !station().flags.networkInputActive) runtime_->receiver().ForgetLastTime();
    OpenSerialPort();
    if (station().flags.selection == TextSelection::Raw) ShowTextBlock(station().stores.lastComplete);
}

void MainWindow::TextButtonClick(char letter) {
    const int index = letter - 'K' + 1;
    if (!textButtons_[static_cast<std::size_t>(index)]->isChecked()) return;
    station().flags.selection = static_cast<TextSelection>(index);
    if (rawDataWindow_) {
        rawDataWindow_->SetGroupCaption(QStringLiteral("%1 Block").arg(QChar(letter)));
        rawDataWindow_->show();
    }
    if (!runtime_->serial().IsOpen() && !station().flags.networkInputActive) OpenSerialPort();
    if (station().flags.selection == static_cast<TextSelection>(index)) ShowTextBlock(station().stores.TextCopy(letter));
}

void MainWindow::RadioButton4Click() {
    if (rawDataWindow_ && rawDataWindow_->isVisible()) rawDataWindow_->hide();
    textButtons_[5]->setChecked(true);
    textButtons_[5]->setFocus();
    station().flags.selection = TextSelection::Off;
    runtime_->CloseSerialPort();
    if (!station().flags.networkInputActive) {
        SetByteCounterActive(false);
        label5_->clear();
    }
}

void MainWindow::SetByteCounterActive(bool active) {
    label2_->setEnabled(active);
    label5_->setEnabled(active);
    QPalette p = label5_->palette();
    p.setColor(QPalette::Window, active ? palette().color(QPalette::Button) : QColor(Qt::white));
    label5_->setPalette(p);
    label2_->setAutoFillBackground(true);
    label2_->setPalette(p);
}

void MainWindow::OnSerialPortLost(const QString& reason) {
    messages_.Beep();
    messages_.Inform(QStringLiteral("The serial port was lost:\n%1").arg(reason));
    RadioButton4Click();
}

void MainWindow::CheckBoxClick(DisplayWindow which) {
    const auto i = static_cast<std::size_t>(which);
    if (QWidget* w = displays_[i]) w->setVisible(!w->isVisible());
    DispatchBlock();
}

void MainWindow::EventsClick() {
    auto& s = station();
    s.flags.eventsMode = checkBox6_->isChecked();
    const auto& source = s.flags.eventsMode ? s.stores.lastE : s.stores.lastA;
    std::copy_n(source.begin(), kTelemetryBytes, s.stores.display.begin());
    DispatchBlock();
}

void MainWindow::DispatchBlock() {
    const auto& s = station();
    if (DisplayGateOpen(s)) {
        if (DisplayBlockDecodable(s)) {
            for (DisplayWindow w : kDisplayOrder) {
                const auto i = static_cast<std::size_t>(w);
                if (dataBoxes_[i]->isChecked() && displayUpdates_[i]) displayUpdates_[i]();
            }
        }
        const auto monitor = static_cast<std::size_t>(MenuWindow::Monitor);
        if (menuWindows_[monitor] && menuWindows_[monitor]->isVisible() && monitorUpdate_) monitorUpdate_();
    }
    const auto adc = static_cast<std::size_t>(MenuWindow::AdcDisplay);
    if (menuWindows_[adc] && menuWindows_[adc]->isVisible() && !s.flags.networkInputActive && adcRefresh_) adcRefresh_();
}

void MainWindow::ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {
    if (!rawDataWindow_) return;
    std::optional<QString> status;
    if (station().AdcPath() && !station().flags.networkInputActive) {
        status = QString::fromStdString(FecStatusLine(runtime_->adc().Status(), station().receiver.fecDelivery));
    }
    rawDataWindow_->ShowTextBlock(bytes, status);
}

void MainWindow::ShowBlockId(char id) { label4_->setText(QString(QChar(id))); }

void MainWindow::ShowByteCount(std::string_view text) {
    label5_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    label5_->repaint();
}

void MainWindow::ShowCrccStatus(std::string_view text) {
    label6_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::EnableEvents() {
    if (!checkBox6_->isEnabled()) checkBox6_->setEnabled(true);
}

QString MainWindow::BlockLabel() const { return label4_->text(); }
QString MainWindow::ByteLabel() const { return label5_->text(); }
QString MainWindow::CrccLabel() const { return label6_->text(); }

void MainWindow::Timer1Timer() {
    const DateTime utc = ReadClock(clock_, station().settings.utcRule, true);
    clockLine_ = QString::fromStdString(orv::ClockLine(amsatDayForm_, utc));
    timer1_->setInterval(amsatDayForm_ ? kAmsatDayInterval : kDateTimeInterval);
    if (clockSink_) clockSink_(clockLine_);
}

void MainWindow::SetClockForm(bool amsatDay) {
    amsatDayForm_ = amsatDay;
    Timer1Timer();
}

void MainWindow::ToggleShowFailedData() {
    station().flags.showCrccFailedData = !station().flags.showCrccFailedData;
    messages_.Beep();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    // Only the form itself, not a control on it.
    QWidget* under = childAt(event->position().toPoint());
    const bool onForm = under == nullptr || under == centralWidget();
    if (onForm && event->button() == Qt::RightButton && (event->modifiers() & Qt::ControlModifier)) ToggleShowFailedData();
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    QWidget* under = childAt(event->position().toPoint());
    const bool onForm = under == nullptr || under == centralWidget();
    // Two beeps mean on, one beep off. The second beep comes 850 ms later without blocking.
    if (onForm && event->button() == Qt::RightButton && (event->modifiers() & Qt::ControlModifier) &&
        station().flags.showCrccFailedData)
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
    if (!path.toLower().endsWith(QStringLiteral(".tlm"))) return;
    droppedReplayFile_ = path;
    dropped_ = true;
    ReplayClick();
    if (replayLoad_) replayLoad_(path);
    station().flags.eventsMode = false;
    checkBox6_->setChecked(false);
    checkBox6_->setEnabled(false);
}

void MainWindow::ReplayClick() {
    const auto i = static_cast<std::size_t>(MenuWindow::Replay);
    if (menuOpen_[i]) menuOpen_[i]();
    else if (menuWindows_[i]) menuWindows_[i]->show();
    if (tcpIpActive_ && tcpIpActive_() && tcpIpOff_) tcpIpOff_();
    station().flags.replayOpened = true;
}

void MainWindow::Exit2Click() {
    runtime_->CloseSerialPort();
    close();
}

void MainWindow::Setup1Click() {
    if (setupWindow_) setupWindow_->Setup1Click();
}

void MainWindow::Help1Click() {
    const QString hlp = QString::fromStdString(station().workingDataDirectory) + "/Orv.hlp";
    if (QFile::exists(hlp)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(hlp));
        return;
    }
    // The user guide built into the program, written out where a browser can open it.
    const QString guide = QStandardPaths::writableLocation(QStandardPaths::TempLocation) + "/orv-guide.html";
    QFile::remove(guide);
    if (!QFile::copy(QStringLiteral(":/orv/guide.html"), guide)) {
        messages_.Inform(QStringLiteral("The user guide could not be written to\n%1").arg(guide));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(guide));
}

void MainWindow::About1Click() {
    messages_.Inform(QStringLiteral("Orv\nAO-40 telemetry ground station\nVersion %1\nLast update %2")
                         .arg(QStringLiteral(ORV_VERSION), QStringLiteral(ORV_RELEASE_DATE)));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    runtime_->CloseSerialPort();
    SaveFormPosition(this, store_, 1);
    QMainWindow::closeEvent(event);
    QCoreApplication::quit();
}

}  // namespace orv
