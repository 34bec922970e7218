// The five display windows on the offscreen platform: they show what the display content
// functions compute, toggle raw mode, ask for graphs, keep their positions and draw the IF matrix.
// With ORV_SCREENSHOT_DIR set, the windows are also saved there as PNG files for a look.
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cstring>

#include "displays/matrix_content.h"
#include "displays/navigation_content.h"
#include "displays/power_content.h"
#include "displays/status_content.h"
#include "displays/temperature_content.h"
#include "recording_messages.h"
#include "sealed_block.h"
#include "serial_feed.h"
#include "station_store.h"
#include "test_program.h"
#include "ui/window_text.h"

using namespace orv;

namespace {

void SetByte(Block514& b, int address, int value) { b[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value); }

// A telemetry block as the spacecraft sends it in normal operation: its text header, plausible
// analog channels and a typical set of switches.
Block514 PlausibleBlock() {
    Block514 b{};
    std::fill(b.begin(), b.begin() + 256, ' ');
    const char* header = "A  HI, THIS IS AMSAT OSCAR-40       2003-12-30  14:05:09  #1F2E";
    std::memcpy(b.data(), header, std::strlen(header));
    b[63] = 0;
    // Analog channels #100..#13F.
    const int analog[64] = {100, 30,  120, 90,  215, 60,  140, 20,  30,  40,  50,  200, 110, 190, 180, 200,
                            170, 200, 170, 150, 120, 90,  140, 60,  170, 80,  70,  130, 90,  150, 160, 170,
                            140, 90,  80,  130, 120, 100, 110, 115, 120, 150, 80,  200, 190, 129, 140, 150,
                            100, 180, 220, 240, 150, 150, 250, 250, 80,  60,  10,  20,  0,   0,   0,   0};
    for (int i = 0; i < 64; ++i) SetByte(b, 0x100 + i, analog[i]);
    // Temperatures #140..#16F: from cold to hot, so that every colour of the scale appears.
    for (int i = 0; i < 48; ++i) SetByte(b, 0x140 + i, 100 + (i * 37) % 75);
    // Currents #170..#17F.
    const int currents[16] = {30, 40, 45, 50, 55, 12, 35, 38, 14, 50, 80, 40, 0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) SetByte(b, 0x170 + i, currents[i]);
    // Switches and counters #180..#1FF.
    const std::pair<int, int> digital[] = {
        {0x181, 0x5A}, {0x182, 0xAA}, {0x183, 0x00}, {0x184, 0x3C}, {0x185, 12},   {0x186, 34},   {0x187, 0x07},
        {0x188, 0x16}, {0x189, 0x08}, {0x18A, 120},  {0x18B, 0x05}, {0x18C, 10},   {0x18D, 200},  {0x18E, 210},
        {0x18F, 190},  {0x190, 10},   {0x191, 74},   {0x192, 3},    {0x193, 77},   {0x194, 0x10}, {0x196, 80},
        {0x197, 12},   {0x198, 140},  {0x199, 12},   {0x19A, 30},   {0x19B, 101},  {0x19C, 7},    {0x19D, 99},
        {0x19E, 6},    {0x1A1, 55},   {0x1A2, 0x10}, {0x1A5, 123},  {0x1A6, 0x34}, {0x1A7, 0x12}, {0x1C0, 0xE0},
        {0x1C1, 0x2E}, {0x1C2, 0x10}, {0x1C3, 0x27}, {0x1C4, 0xFE}, {0x1C5, 0x5F}, {0x1C6, 0xFA}, {0x1C8, 0x21},
        {0x1C9, 0x06}, {0x1CA, 0x45}, {0x1D0, 0x34}, {0x1D1, 0x12}, {0x1D9, 0x25}, {0x1DA, 0x0C}, {0x1DE, 0x40},
        {0x1DF, 0x01}, {0x1F2, 0x01}, {0x1F4, 0x82}, {0x1FC, 0x01}, {0x1FE, 0x40}, {0x1FF, 0x00},
    };
    for (const auto& [address, value] : digital) SetByte(b, address, value);
    test::SealCrcc(b);
    return b;
}

QColor ExpectedColour(const QWidget& window, FieldColour colour) {
    const auto rgb = ColourRgb(colour);
    return rgb ? QColor(rgb->r, rgb->g, rgb->b) : window.palette().color(QPalette::WindowText);
}

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Every field of the window shows the text and colour of `expected`, under its caption and hint.
void CompareFields(const FieldForm& form, const std::vector<DisplayField>& expected) {
    for (const auto& f : expected) {
        const QString id = Text(f.info.id);
        QLabel* value = form.ValueLabel(f.info.id);
        QVERIFY2(value, qPrintable(id));
        QCOMPARE(form.findChildren<QLabel*>(id).size(), 1);
        QVERIFY2(value->text() == QString::fromStdString(f.text),
                 qPrintable(id + ": " + value->text() + " instead of " + QString::fromStdString(f.text)));
        QVERIFY2(value->palette().color(QPalette::WindowText) == ExpectedColour(form, f.colour),
                 qPrintable(id + " colour"));
        if (QLabel* caption = form.CaptionLabel(f.info.id)) {
            QCOMPARE(caption->text(), Text(f.info.caption));
            QCOMPARE(caption->toolTip(), Text(f.info.hint));
        }
    }
}

// The desktop program with "Raw" chosen on its modem, so that live A blocks reach the displays.
struct Program : test::Program {
    Program(KeyValueStore& store, Clock& clock, test::RecordingMessages& messages)
        : test::Program(store, clock, messages), modem(station) {
        if (!modem.Select(TextSelection::Raw)) qWarning("the pseudo-terminal modem did not open");
    }
    test::PseudoTerminalModem modem;
};

struct FieldWindow {
    const char* name;
    DisplayWindow which;
    FieldForm* (*form)(Program&);
    FieldForm::ContentFunction content;
};

const FieldWindow kFieldWindows[] = {
    {"Status", DisplayWindow::Status, [](Program& p) -> FieldForm* { return &p.statusWindow; }, &StatusFields},
    {"Power", DisplayWindow::Power, [](Program& p) -> FieldForm* { return &p.powerWindow; }, &PowerFields},
    {"Temp", DisplayWindow::Temp, [](Program& p) -> FieldForm* { return &p.temperatureWindow; }, &TemperatureFields},
    {"Nav", DisplayWindow::Nav, [](Program& p) -> FieldForm* { return &p.navigationWindow; }, &NavigationFields},
};

// A station with its display windows, fed through the receiver like a live one.
class Fixture : public test::WindowTestSetup {
public:
    Fixture() {
        test::FillStore(store, tmp.path());
        program = std::make_unique<Program>(store, clock, messages);
    }
    void Feed(const Block514& block) {
        clock.Advance(3);
        program->station.SerialBytes(block);
    }
    DisplayInput Input(bool raw) const {
        const StationState& s = program->station.state();
        return {s.stores.display, s.stores.lastA, s.flags.eventsMode, raw};
    }

    std::unique_ptr<Program> program;
};

}  // namespace

class DisplayWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void WindowsShowWhatTheirContentComputes() {
        Fixture f;
        for (const auto& w : kFieldWindows) {
            FieldForm& form = *w.form(*f.program);
            // "---" (and an empty Status header) until the first update.
            CompareFields(form, PlaceholderFields(w.content({}), kStatusHeaderGroup));
            f.program->mainWindow.DataCheckBox(w.which)->click();
            QVERIFY(form.isVisible());
            QVERIFY(form.isWindow());
            QCOMPARE(form.windowTitle(), WindowTitle(Text(form.Info().caption)));
        }
        Block514 block = PlausibleBlock();
        f.Feed(block);
        for (const auto& w : kFieldWindows) {
            FieldForm& form = *w.form(*f.program);
            CompareFields(form, w.content(f.Input(false)));
            if (QTest::currentTestFailed()) QFAIL(w.name);
            form.ToggleRawMode();
            CompareFields(form, w.content(f.Input(true)));
            if (QTest::currentTestFailed()) QFAIL(w.name);
            // Raw mode shows in the caption, and goes with it.
            QVERIFY2(form.windowTitle().endsWith("(raw values) - Orv"), qPrintable(form.windowTitle()));
            form.ToggleRawMode();
            QCOMPARE(form.windowTitle(), WindowTitle(Text(form.Info().caption)));
        }
        // A second block rewrites every field: X band off, V receiver off, beacon off.
        SetByte(block, 0x1C8, 0x00);
        SetByte(block, 0x1CA, 0x00);
        SetByte(block, 0x194, 0x01);
        SetByte(block, 0x1EE, 0xFF);
        test::SealCrcc(block);
        f.Feed(block);
        for (const auto& w : kFieldWindows) CompareFields(*w.form(*f.program), w.content(f.Input(false)));
        QCOMPARE(f.program->navigationWindow.ValueLabel("wheel3_spd")->text(), QString::fromStdString(ChannelText(block, 0x1C4, false)));
        QCOMPARE(f.program->powerWindow.ValueLabel("out_x_tx")->text(), QString("---"));
        QCOMPARE(f.program->statusWindow.ValueLabel("title")->text(), QString("A  HI, THIS IS AMSAT OSCAR-40"));
    }

    void GroupBoxesCarryTheirCaptionsAndHints() {
        Fixture f;
        const std::pair<FieldForm*, const std::vector<GroupInfo>*> windows[] = {
            {&f.program->statusWindow, &StatusGroups()},
            {&f.program->powerWindow, &PowerGroups()},
            {&f.program->temperatureWindow, &TemperatureGroups()},
            {&f.program->navigationWindow, &NavigationGroups()},
        };
        for (const auto& [form, groups] : windows) {
            QStringList shown;
            for (const QGroupBox* box : form->findChildren<QGroupBox*>()) shown << box->title();
            for (const auto& g : *groups) {
                if (g.caption == kStatusHeaderGroup) continue;
                QVERIFY2(shown.contains(Text(g.caption)), qPrintable(Text(g.caption)));
                const auto boxes = form->findChildren<QGroupBox*>();
                const auto box = std::find_if(boxes.begin(), boxes.end(),
                                              [&](const QGroupBox* b) { return b->title() == Text(g.caption); });
                QCOMPARE((*box)->toolTip(), Text(g.hint));
            }
            QCOMPARE(form->toolTip(), Text(form->Info().formHint));
        }
        QCOMPARE(f.program->statusWindow.ClockPanel()->toolTip(), Text(kClockPanelHint));
    }

    void ShiftLeftClickOnTheFreeSurfaceTogglesRawMode() {
        Fixture f;
        PowerWindow& power = f.program->powerWindow;
        f.program->mainWindow.DataCheckBox(DisplayWindow::Power)->click();
        QVERIFY(QTest::qWaitForWindowExposed(&power));
        f.Feed(PlausibleBlock());
        QSignalSpy toggled(&power, &FieldForm::RawModeToggled);
        const QPoint free(2, 2);
        QVERIFY(power.childAt(free) == nullptr);

        struct Press {
            Qt::MouseButton button;
            Qt::KeyboardModifiers modifiers;
            bool onLabel;
            bool toggles;
        };
        const Press presses[] = {
            {Qt::LeftButton, Qt::ShiftModifier, false, true},
            {Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, false, true},  // other keys do not matter
            {Qt::LeftButton, Qt::NoModifier, false, false},
            {Qt::RightButton, Qt::ShiftModifier, false, false},
            {Qt::LeftButton, Qt::ShiftModifier, true, false},  // on a value label
        };
        QLabel* value = power.ValueLabel("bat_main");
        for (const auto& p : presses) {
            const bool before = power.RawMode();
            if (p.onLabel) QTest::mousePress(value, p.button, p.modifiers, QPoint(2, 2));
            else QTest::mousePress(&power, p.button, p.modifiers, free);
            QCOMPARE(power.RawMode(), p.toggles ? !before : before);
            // The window redraws at once in the new mode.
            CompareFields(power, PowerFields(f.Input(power.RawMode())));
        }
        QCOMPARE(toggled.count(), 2);

        // The window redraws at once only from a good A block: not after a failed check, not
        // from a block with the failed mark; the mode changes all the same.
        QVERIFY(!power.RawMode());
        const QString shown = value->text();
        Block514 block = PlausibleBlock();
        test::SealCrcc(block, false);  // the same bytes failing their check
        f.Feed(block);
        QTest::mousePress(&power, Qt::LeftButton, Qt::ShiftModifier, free);
        QVERIFY(power.RawMode());
        QCOMPARE(value->text(), shown);
        QTest::mousePress(&power, Qt::LeftButton, Qt::ShiftModifier, free);
        block[0] = 'A' | 0x80;  // a good check, but the failed mark on the block
        test::SealCrcc(block);
        f.Feed(block);
        QTest::mousePress(&power, Qt::LeftButton, Qt::ShiftModifier, free);
        QVERIFY(power.RawMode());
        QCOMPARE(value->text(), shown);
        QCOMPARE(toggled.count(), 5);
    }

    void CaptionClickAsksForAGraphWhileReplayIsShown() {
        Fixture f;
        StatusWindow& status = f.program->statusWindow;
        status.show();
        QSignalSpy requests(&status, &FieldForm::GraphRequested);
        QLabel* vRx = status.CaptionLabel("agc_v_rx");
        QTest::mouseClick(vRx, Qt::LeftButton);
        QCOMPARE(requests.count(), 0);  // no Replay window
        QWidget replay;
        status.SetReplayWindow(&replay);
        QTest::mouseClick(vRx, Qt::LeftButton);
        QCOMPARE(requests.count(), 0);  // Replay window hidden
        QCOMPARE(f.messages.beeps, 0);
        replay.show();
        QTest::mouseClick(vRx, Qt::LeftButton);
        QCOMPARE(requests.count(), 1);
        const auto request = requests.at(0).at(0).value<GraphRequest>();
        QCOMPARE(request.address, 0x11E);
        QCOMPARE(request.title, std::string("AGC V Rx"));
        QCOMPARE(request.units, std::string("dB Sup."));
        QCOMPARE(f.messages.beeps, 1);
        // Captions without a channel ("X-Tx:", the state words) do nothing.
        QTest::mouseClick(status.CaptionLabel("agc_x_tx"), Qt::LeftButton);
        QTest::mouseClick(status.CaptionLabel("rx_v"), Qt::LeftButton);
        QCOMPARE(requests.count(), 1);
        // Every channel caption of the other windows hands over its own channel.
        NavigationWindow& nav = f.program->navigationWindow;
        nav.SetReplayWindow(&replay);
        QSignalSpy navRequests(&nav, &FieldForm::GraphRequested);
        QTest::mouseClick(nav.CaptionLabel("wheel2_spd"), Qt::LeftButton);
        QCOMPARE(navRequests.count(), 1);
        QCOMPARE(navRequests.at(0).at(0).value<GraphRequest>().title, std::string("Wheel #2 Speed"));
    }

    void ClosingUnchecksTheBoxAndKeepsThePositionInTwips() {
        Fixture f;
        StatusWindow& status = f.program->statusWindow;
        QCheckBox* box = f.program->mainWindow.DataCheckBox(DisplayWindow::Status);
        box->click();
        QVERIFY(box->isChecked());
        QVERIFY(status.isVisible());
        status.move(40, 30);
        status.close();
        QVERIFY(!box->isChecked());
        QCOMPARE(f.store.Read(kFormPositionsKey, "Form16.Left"), std::string("600"));
        QCOMPARE(f.store.Read(kFormPositionsKey, "Form16.Top"), std::string("450"));
        // Closed, it is no longer updated.
        f.Feed(PlausibleBlock());
        QCOMPARE(status.ValueLabel("agc_v_tx")->text(), QString("---"));

        // Hidden by its box, it keeps its place as well; a minimised one does not write.
        PowerWindow& power = f.program->powerWindow;
        QCheckBox* powerBox = f.program->mainWindow.DataCheckBox(DisplayWindow::Power);
        powerBox->click();
        power.move(75, 15);
        powerBox->click();
        QVERIFY(!power.isVisible());
        QCOMPARE(f.store.Read(kFormPositionsKey, "Form14.Left"), std::string("1125"));
        QCOMPARE(f.store.Read(kFormPositionsKey, "Form14.Top"), std::string("225"));
        // Still open when the program ends, it keeps its place too.
        powerBox->click();
        power.move(90, 60);
        QVERIFY(QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit"));
        QCOMPARE(f.store.Read(kFormPositionsKey, "Form14.Left"), std::string("1350"));
        QCOMPARE(f.store.Read(kFormPositionsKey, "Form14.Top"), std::string("900"));
        power.move(300, 300);
        power.setWindowState(Qt::WindowMinimized);
        power.close();
        QCOMPARE(f.store.Read(kFormPositionsKey, "Form14.Left"), std::string("1350"));

        // Read back at creation: twips / 15; a value that is not a number gives the default; a
        // title bar above the screen is brought onto it.
        struct Case {
            const char* top;
            const char* left;
            QPoint expected;
        };
        const Case cases[] = {{"450", "600", {40, 30}}, {"abc", "", {500 / 15, 100 / 15}}, {"-15", "1507", {100, 0}}};
        for (const auto& c : cases) {
            f.store.Write(kFormPositionsKey, "Form15.Top", c.top);
            f.store.Write(kFormPositionsKey, "Form15.Left", c.left);
            NavigationWindow nav({f.store, f.program->station.state(), f.messages});
            QCOMPARE(nav.pos(), c.expected);
        }
        // Destroyed while shown (the program tearing down), a window writes nothing as it goes.
        {
            NavigationWindow nav({f.store, f.program->station.state(), f.messages});
            nav.show();
            nav.move(200, 100);
        }
        QCOMPARE(f.store.Read(kFormPositionsKey, "Form15.Left"), std::string("1507"));
    }

    void StatusClockPanelShowsTheClockAndSwitchesItsForm() {
        Fixture f;  // 2003-12-30 14:05:09 UTC
        StatusWindow& status = f.program->statusWindow;
        QCOMPARE(status.ClockPanel()->text(), QString("Current Amsat Day#: 9494"));
        QTest::mouseClick(status.ClockPanel(), Qt::LeftButton);
        QVERIFY(!f.program->mainWindow.AmsatDayClockForm());
        QCOMPARE(status.ClockPanel()->text(), QString("2003 Dec 30 [Tue]  14:05:09 (UTC)"));
        QCOMPARE(f.program->mainWindow.ClockTimer()->interval(), 1000);
        QTest::mouseClick(status.ClockPanel(), Qt::LeftButton);
        QVERIFY(f.program->mainWindow.AmsatDayClockForm());
        QCOMPARE(status.ClockPanel()->text(), QString("Current Amsat Day#: 9494"));
    }

    void MatrixWindowColoursItsCaptionsAndDrawsTheGrid() {
        Fixture f;
        IfMatrixWindow& matrix = f.program->ifMatrixWindow;
        QVERIFY(matrix.Picture().isNull());  // empty until the first update
        f.program->mainWindow.DataCheckBox(DisplayWindow::Matrix)->click();
        Block514 block = PlausibleBlock();
        SetByte(block, 0x1C8, 0x04);  // U output blue
        SetByte(block, 0x1C9, 0x00);
        test::SealCrcc(block);
        f.Feed(block);
        const MatrixContent content = MatrixFields(f.Input(false));
        for (std::size_t i = 0; i < content.inputs.size(); ++i)
            QCOMPARE(matrix.InputLabel(i)->palette().color(QPalette::WindowText),
                     ExpectedColour(matrix, content.inputs[i].colour));
        for (std::size_t i = 0; i < content.outputs.size(); ++i)
            QCOMPARE(matrix.OutputLabel(i)->palette().color(QPalette::WindowText),
                     ExpectedColour(matrix, content.outputs[i].colour));
        QCOMPARE(matrix.OutputLabel(1)->text(), QString("U"));
        QCOMPARE(matrix.OutputLabel(1)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(matrix.Picture().size(), QSize(236, 318));
    }

    void MatrixPictureAtBothScales() {
        // #1F2 = #01: input V (row 2) to output U (column 2).
        Block514 block{};
        block[0] = 'A';
        SetByte(block, 0x1F2, 0x01);
        MatrixContent content = MatrixFields({block, {}, false, false});
        QCOMPARE(content.connections.size(), std::size_t(1));

        const QImage one = RenderMatrixPicture(DrawMatrix(content, 1.0F));
        QCOMPARE(one.size(), QSize(236, 318));
        const QRgb black = qRgb(0, 0, 0), red = qRgb(255, 0, 0), grey = qRgb(128, 128, 128), white = qRgb(255, 255, 255);
        // Node of column U, row V at (36*2-24, 23*2-18) = (48, 28): an 8 x 8 black square.
        QCOMPARE(one.pixel(48, 28), black);
        QCOMPARE(one.pixel(44, 24), black);
        QCOMPARE(one.pixel(51, 31), black);
        QCOMPARE(one.pixel(49, 33), red);  // the red path turns down there, 3 pixels wide
        QCOMPARE(one.pixel(20, 28), red);   // along row V from the left edge
        QCOMPARE(one.pixel(48, 200), red);  // down column U to the bottom
        QCOMPARE(one.pixel(20, 5), grey);   // row 21/24, not connected
        QCOMPARE(one.pixel(12, 300), grey); // column V going down
        QCOMPARE(one.pixel(230, 2), white);
        QCOMPARE(one.pixel(84, 28), grey);  // past the node row V is grey again

        // 120 pixels per inch: s = 121/96, u = s * 0.986, a 297 x 400 bitmap.
        const float s = 121.0F / 96.0F;
        const QImage big = RenderMatrixPicture(DrawMatrix(content, s));
        QCOMPARE(big.size(), QSize(297, 400));
        const PixelPoint node = MatrixNode(1, 1, MatrixDrawingFactor(s));
        QCOMPARE(big.pixel(node.x, node.y), black);
        QCOMPARE(big.pixel(node.x, node.y + 60), red);
    }

    void WindowsKeepTheirSizeFromBlockToBlock() {
        Fixture f;
        const QString shots = qEnvironmentVariable("ORV_SCREENSHOT_DIR");
        std::vector<QWidget*> windows;
        for (const auto& w : kFieldWindows) windows.push_back(w.form(*f.program));
        windows.push_back(&f.program->ifMatrixWindow);
        for (DisplayWindow w : kDisplayOrder) f.program->mainWindow.DataCheckBox(w)->click();
        f.program->mainWindow.show();
        for (QWidget* w : windows) QVERIFY(QTest::qWaitForWindowExposed(w));
        std::vector<QSize> sizes;
        for (QWidget* w : windows) sizes.push_back(w->size());

        // Texts as long as they get: "released", exponent wheel speeds, a full header.
        Block514 wide{};
        std::fill(wide.begin(), wide.end(), 0xFF);
        const char* header = "A  WWWWWWWWWWWWWWWWWWWWWWWWWWW       2003-12-30  14:05:09  #WWWW";
        std::memcpy(wide.data(), header, std::strlen(header));
        for (int w : {0x1C0, 0x1C2, 0x1C4}) {
            SetByte(wide, w, 1);
            SetByte(wide, w + 1, 0);
        }
        test::SealCrcc(wide);
        const Block514 plausible = PlausibleBlock();
        for (const Block514* block : {static_cast<const Block514*>(&wide), &plausible}) {
            f.Feed(*block);
            QCoreApplication::processEvents();
            for (std::size_t i = 0; i < windows.size(); ++i)
                QVERIFY2(windows[i]->size() == sizes[i], qPrintable(windows[i]->objectName()));
        }

        if (shots.isEmpty()) return;
        // ORV_SCREENSHOT_FEED: a stream of 514-byte blocks (orv-cli simulate --out) to show instead.
        QFile feed(qEnvironmentVariable("ORV_SCREENSHOT_FEED"));
        if (feed.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = feed.readAll();
            for (qsizetype at = 0; at + 514 <= bytes.size(); at += 514) {
                Block514 block;
                std::memcpy(block.data(), bytes.constData() + at, block.size());
                f.Feed(block);
            }
        }
        QDir().mkpath(shots);
        QTest::qWait(300);
        for (QWidget* w : windows) QVERIFY(w->grab().save(shots + "/" + w->objectName() + ".png"));
        f.program->powerWindow.ToggleRawMode();
        QTest::qWait(100);
        QVERIFY(f.program->powerWindow.grab().save(shots + "/PowerWindow-raw.png"));
        QVERIFY(f.program->mainWindow.grab().save(shots + "/MainWindow.png"));
    }
};

QTEST_MAIN(DisplayWindowsTest)
#include "display_windows_test.moc"
