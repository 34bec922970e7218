// The main window and the Setup window on the offscreen platform.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "pty.h"
#include "reception/crcc.h"
#include "recording_messages.h"
#include "station_store.h"
#include "ui/main_window.h"
#include "ui/raw_data_window.h"
#include "ui/setup_window.h"

using namespace orv;
using test::FillStore;

namespace {

Block514 MakeBlock(char id, bool good) {
    Block514 b{};
    b.fill('x');
    b[0] = static_cast<std::uint8_t>(id);
    b[1] = ' ';
    const std::uint16_t c = Crcc(std::span(b).first(512));
    b[512] = static_cast<std::uint8_t>(c >> 8);
    b[513] = static_cast<std::uint8_t>((c & 0xFF) ^ (good ? 0 : 1));
    return b;
}

// The program's windows as the desktop program creates them.
struct Program {
    Program(KeyValueStore& store, Clock& clock, test::RecordingMessages& messages)
        : mainWindow(store, clock, messages), rawDataWindow(mainWindow.Scale()), setupWindow(store, mainWindow.station(), clock, messages) {
        mainWindow.AttachRawWindow(&rawDataWindow);
        mainWindow.AttachSetup(&setupWindow);
    }
    MainWindow mainWindow;
    RawDataWindow rawDataWindow;
    SetupWindow setupWindow;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void StartUpCreatesMissingDirectoriesWithTheirMessages() {
        QTemporaryDir tmp;
        const QString dir = tmp.path() + "/station";
        MemoryStore store;
        FillStore(store, dir);
        ManualClock clock(1072793109);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        QCOMPARE(messages.texts, QStringList({"Indicated Orv main directory does not exist. \n   It will be created.",
                                              "Orv\\telemetry subdirectory does not exist. \n   It will be created.",
                                              "Orv\\DSP subdirectory does not exist. \n   It will be created."}));
        QVERIFY(QDir(dir + "/telemetry").exists());
        QVERIFY(QDir(dir + "/Dsp").exists());
        QCOMPARE(p.mainWindow.TelemetryDirectory(), dir + "/telemetry");
        QVERIFY(p.mainWindow.Timer()->isActive());
        // A second start finds them all.
        messages.texts.clear();
        Program again(store, clock, messages);
        QVERIFY(messages.texts.isEmpty());
    }

    void FirstRunShowsSetupModallyAndSaveCompletesStartUp() {
        QTemporaryDir tmp;
        MemoryStore store;
        ManualClock clock(1072793109);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        QVERIFY(p.mainWindow.FirstRun());
        QCOMPARE(p.mainWindow.station().receiver.blockLength, 514);
        p.mainWindow.show();
        QTRY_VERIFY(p.setupWindow.isVisible());
        QCOMPARE(p.setupWindow.windowModality(), Qt::ApplicationModal);
        QVERIFY(!p.mainWindow.Timer()->isActive());

        // Save in the design state: the offset field still says "Edit1". Nothing is written.
        p.setupWindow.SaveButton()->click();
        QCOMPARE(messages.texts.last(), QString("'Edit1' is not a valid floating point value"));
        QVERIFY(store.Values().empty());
        QVERIFY(p.setupWindow.isVisible());

        // Choose a port, a directory, "Auto" and the 512-byte modem; leave "Log On Start" and
        // "TCP/IP Boot" untouched.
        SetupChoices c = p.setupWindow.Choices();
        c.portItem = 2;
        c.directoryField = "  " + tmp.path().toStdString() + " ";
        c.autoTime = true;
        c.modemItem = 0;
        p.setupWindow.SetChoices(c);
        p.setupWindow.SaveButton()->click();
        QVERIFY(!p.setupWindow.isVisible());
        QCOMPARE(store.Read(kStartupKey, "Log on Start"), std::string("yes"));
        QCOMPARE(store.Read(kStartupKey, "Boot Server"), std::string("1"));
        QCOMPARE(store.Read(kStartupKey, "Com Port No."), std::string("3"));
        QCOMPARE(store.Read(kStartupKey, "Baud Rate"), std::string("1200"));
        QCOMPARE(store.Read(kStartupKey, "Modem Type"), std::string("512"));
        QCOMPARE(store.Read(kStartupKey, "Auto Time"), std::string("true"));
        QCOMPARE(store.Read(kStartupKey, "Log FEC"), std::string("false"));
        QCOMPARE(store.Read(kStartupKey, "Default Directory"), tmp.path().toStdString());
        QVERIFY(!p.mainWindow.FirstRun());
        QCOMPARE(p.mainWindow.station().receiver.blockLength, 512);
        QVERIFY(p.mainWindow.Timer()->isActive());
    }

    void SetupFillsFromTheSettingsAndSavesManualOffset() {
        QTemporaryDir tmp;
        MemoryStore store;
        FillStore(store, tmp.path());
        store.Write(kStartupKey, "Baud Rate", "14400");
        store.Write(kStartupKey, "Auto Time", "false");
        store.Write(kStartupKey, "TimeOff", "-2.5");
        ManualClock clock(1072793109);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        p.mainWindow.Setup1Click();
        const SetupChoices c = p.setupWindow.Choices();
        QCOMPARE(c.baudItem, 4);
        QVERIFY(c.manualTime);
        QCOMPARE(c.offsetText, std::string("-2.5"));
        QVERIFY(p.setupWindow.OffsetField()->isVisibleTo(&p.setupWindow));
        QCOMPARE(c.directoryField, " " + tmp.path().toStdString());
        p.setupWindow.OffsetField()->setText("3.0");
        p.setupWindow.SaveButton()->click();
        QCOMPARE(store.Read(kStartupKey, "TimeOff"), std::string("3.0"));
        QCOMPARE(p.mainWindow.station().settings.utcRule.timeOffHours, 3.0F);
        QCOMPARE(store.Read(kStartupKey, "Log on Start"), std::string("no"));
        QCOMPARE(store.Read(kStartupKey, "Boot Server"), std::string("0"));
    }

    void TextSelectionOpensAndOffClosesThePort() {
        QTemporaryDir tmp;
        test::PtyPair pty;
        QVERIFY(pty.Ok());
        MemoryStore store;
        FillStore(store, tmp.path());
        ManualClock clock(1072793109);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        p.mainWindow.runtime().SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        messages.texts.clear();
        QVERIFY(!p.mainWindow.findChild<QLabel*>("Label5")->isEnabled());
        p.mainWindow.TextButton(0)->click();  // "Raw"
        QVERIFY(p.mainWindow.runtime().serial().IsOpen());
        QVERIFY(p.rawDataWindow.isVisible());
        QCOMPARE(p.rawDataWindow.GroupCaption(), QString("Raw Data"));
        QVERIFY(p.mainWindow.findChild<QLabel*>("Label5")->isEnabled());
        p.mainWindow.TextButton(2)->click();  // "L"
        QCOMPARE(p.rawDataWindow.GroupCaption(), QString("L Block"));
        QCOMPARE(p.mainWindow.station().flags.selection, TextSelection::L);
        p.mainWindow.TextButton(5)->click();  // "OFF"
        QVERIFY(!p.mainWindow.runtime().serial().IsOpen());
        QVERIFY(!p.rawDataWindow.isVisible());
        QVERIFY(p.mainWindow.ByteLabel().isEmpty());
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("|")));

        // A port that cannot be opened: beep, the message, and back to "OFF".
        p.mainWindow.runtime().SetSerialOverride("/dev/orv-missing");
        p.mainWindow.TextButton(0)->click();
        QCOMPARE(messages.texts, QStringList({"Problem opening port!\nPort may already be in use!"}));
        QCOMPARE(messages.beeps, 1);
        QVERIFY(p.mainWindow.TextButton(5)->isChecked());
    }

    void DispatchGateHoldsBackFailedBlocks() {
        QTemporaryDir tmp;
        MemoryStore store;
        FillStore(store, tmp.path());
        ManualClock clock(1072793109);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        QWidget status;
        int updates = 0;
        p.mainWindow.AttachDisplay(DisplayWindow::Status, &status, [&] { ++updates; });
        p.mainWindow.DataCheckBox(DisplayWindow::Status)->click();
        QVERIFY(status.isVisible());
        p.mainWindow.station().flags.selection = TextSelection::Raw;
        auto feed = [&](const Block514& b) {
            clock.Advance(3);
            p.mainWindow.runtime().receiver().ReceiveBlockBytes(b);
        };
        updates = 0;
        feed(MakeBlock('A', false));
        QCOMPARE(updates, 0);
        QCOMPARE(p.mainWindow.CrccLabel(), QString("FAIL"));
        feed(MakeBlock('A', true));
        QCOMPARE(updates, 1);
        // Ctrl + right click shows failed data.
        p.mainWindow.ToggleShowFailedData();
        QCOMPARE(messages.beeps, 1);
        feed(MakeBlock('A', false));
        QCOMPARE(updates, 2);
        p.mainWindow.ToggleShowFailedData();
        feed(MakeBlock('A', false));
        QCOMPARE(updates, 2);
        // Once the Replay window has been opened, failed blocks are always drawn.
        p.mainWindow.ReplayClick();
        feed(MakeBlock('A', false));
        QCOMPARE(updates, 3);
        // With "K" selected, A blocks fill the stores but are not dispatched.
        p.mainWindow.station().flags.selection = TextSelection::K;
        feed(MakeBlock('A', true));
        QCOMPARE(updates, 3);
        QCOMPARE(p.mainWindow.station().stores.display[2], std::uint8_t('x'));
        // An E block enables "Events"; checking it puts the last E block on display.
        QVERIFY(!p.mainWindow.EventsBox()->isEnabled());
        feed(MakeBlock('E', true));
        QVERIFY(p.mainWindow.EventsBox()->isEnabled());
        p.mainWindow.EventsBox()->click();
        QCOMPARE(p.mainWindow.station().stores.display[0], std::uint8_t('E'));
        QCOMPARE(updates, 4);
    }

    void DroppedFilesAndClockLine() {
        QTemporaryDir tmp;
        MemoryStore store;
        FillStore(store, tmp.path());
        ManualClock clock(1072793109);  // 2003-12-30 14:05:09 UTC
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        QStringList loaded;
        p.mainWindow.SetReplayLoader([&](const QString& f) { loaded << f; });
        p.mainWindow.EventsBox()->setEnabled(true);
        p.mainWindow.DropFile("/data/X.TLM");
        p.mainWindow.DropFile("/data/x.raw");
        QCOMPARE(loaded, QStringList({"/data/X.TLM"}));
        QVERIFY(p.mainWindow.station().flags.replayOpened);
        QVERIFY(!p.mainWindow.EventsBox()->isEnabled());

        QString shown;
        p.mainWindow.SetClockLineSink([&](const QString& t) { shown = t; });
        p.mainWindow.Timer1Timer();
        QCOMPARE(shown, QString("Current Amsat Day#: 9494"));
        QCOMPARE(p.mainWindow.Timer()->interval(), 5000);
        p.mainWindow.SetClockForm(false);
        QCOMPARE(shown, QString("2003 Dec 30 [Tue]  14:05:09 (UTC)"));
        QCOMPARE(p.mainWindow.Timer()->interval(), 1000);
    }

    void MenuItemsOfWindowsNotYetBuiltAreDisabledWithAHint() {
        QTemporaryDir tmp;
        MemoryStore store;
        FillStore(store, tmp.path());
        ManualClock clock(0);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        QVERIFY(!p.mainWindow.MenuAction(MenuWindow::Filter)->isEnabled());
        QVERIFY(!p.mainWindow.MenuAction(MenuWindow::Filter)->toolTip().isEmpty());
        QWidget filter;
        p.mainWindow.AttachMenuWindow(MenuWindow::Filter, &filter);
        QVERIFY(p.mainWindow.MenuAction(MenuWindow::Filter)->isEnabled());
        p.mainWindow.MenuAction(MenuWindow::Filter)->trigger();
        QVERIFY(filter.isVisible());
    }

    void WindowPositionIsSavedInTwipsOnClose() {
        QTemporaryDir tmp;
        MemoryStore store;
        FillStore(store, tmp.path());
        ManualClock clock(0);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        p.mainWindow.show();
        p.mainWindow.move(40, 0);
        p.mainWindow.close();
        QCOMPARE(store.Read(kFormPositionsKey, "Form1.Left"), std::string("600"));
        QCOMPARE(store.Read(kFormPositionsKey, "Form1.Top"), std::string("00"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
