// The main window and the Setup window on the offscreen platform.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../app/pty.h"
#include "reception/crcc.h"
#include "recording_messages.h"
#include "station_store.h"
#include "ui/torv1.h"
#include "ui/torv2.h"
#include "ui/torv4.h"

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
        : orv1(store, clock, messages), orv2(orv1.Scale()), orv4(store, orv1.station(), clock, messages) {
        orv1.AttachRawWindow(&orv2);
        orv1.AttachSetup(&orv4);
    }
    TOrv1 orv1;
    TOrv2 orv2;
    TOrv4 orv4;
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
        QCOMPARE(p.orv1.TelemetryDirectory(), dir + "/telemetry");
        QVERIFY(p.orv1.Timer()->isActive());
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
        QVERIFY(p.orv1.FirstRun());
        QCOMPARE(p.orv1.station().receiver.blockLength, 514);
        p.orv1.show();
        QTRY_VERIFY(p.orv4.isVisible());
        QCOMPARE(p.orv4.windowModality(), Qt::ApplicationModal);
        QVERIFY(!p.orv1.Timer()->isActive());

        // Save in the design state: the offset field still says "Edit1". Nothing is written.
        p.orv4.SaveButton()->click();
        QCOMPARE(messages.texts.last(), QString("'Edit1' is not a valid floating point value"));
        QVERIFY(store.Values().empty());
        QVERIFY(p.orv4.isVisible());

        // Choose a port, a directory, "Auto" and the 512-byte modem; leave "Log On Start" and
        // "TCP/IP Boot" untouched.
        SetupChoices c = p.orv4.Choices();
        c.portItem = 2;
        c.directoryField = "  " + tmp.path().toStdString() + " ";
        c.autoTime = true;
        c.modemItem = 0;
        p.orv4.SetChoices(c);
        p.orv4.SaveButton()->click();
        QVERIFY(!p.orv4.isVisible());
        QCOMPARE(store.Read(kStartupKey, "Log on Start"), std::string("yes"));
        QCOMPARE(store.Read(kStartupKey, "Boot Server"), std::string("1"));
        QCOMPARE(store.Read(kStartupKey, "Com Port No."), std::string("3"));
        QCOMPARE(store.Read(kStartupKey, "Baud Rate"), std::string("1200"));
        QCOMPARE(store.Read(kStartupKey, "Modem Type"), std::string("512"));
        QCOMPARE(store.Read(kStartupKey, "Auto Time"), std::string("true"));
        QCOMPARE(store.Read(kStartupKey, "Log FEC"), std::string("false"));
        QCOMPARE(store.Read(kStartupKey, "Default Directory"), tmp.path().toStdString());
        QVERIFY(!p.orv1.FirstRun());
        QCOMPARE(p.orv1.station().receiver.blockLength, 512);
        QVERIFY(p.orv1.Timer()->isActive());
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
        p.orv1.Setup1Click();
        const SetupChoices c = p.orv4.Choices();
        QCOMPARE(c.baudItem, 4);
        QVERIFY(c.manualTime);
        QCOMPARE(c.offsetText, std::string("-2.5"));
        QVERIFY(p.orv4.OffsetField()->isVisibleTo(&p.orv4));
        QCOMPARE(c.directoryField, " " + tmp.path().toStdString());
        p.orv4.OffsetField()->setText("3.0");
        p.orv4.SaveButton()->click();
        QCOMPARE(store.Read(kStartupKey, "TimeOff"), std::string("3.0"));
        QCOMPARE(p.orv1.station().settings.utcRule.timeOffHours, 3.0F);
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
        p.orv1.runtime().SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        messages.texts.clear();
        QVERIFY(!p.orv1.findChild<QLabel*>("Label5")->isEnabled());
        p.orv1.TextButton(0)->click();  // "Raw"
        QVERIFY(p.orv1.runtime().serial().IsOpen());
        QVERIFY(p.orv2.isVisible());
        QCOMPARE(p.orv2.GroupCaption(), QString("Raw Data"));
        QVERIFY(p.orv1.findChild<QLabel*>("Label5")->isEnabled());
        p.orv1.TextButton(2)->click();  // "L"
        QCOMPARE(p.orv2.GroupCaption(), QString("L Block"));
        QCOMPARE(p.orv1.station().flags.selection, TextSelection::L);
        p.orv1.TextButton(5)->click();  // "OFF"
        QVERIFY(!p.orv1.runtime().serial().IsOpen());
        QVERIFY(!p.orv2.isVisible());
        QVERIFY(p.orv1.ByteLabel().isEmpty());
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("|")));

        // A port that cannot be opened: beep, the message, and back to "OFF".
        p.orv1.runtime().SetSerialOverride("/dev/orv-missing");
        p.orv1.TextButton(0)->click();
        QCOMPARE(messages.texts, QStringList({"Problem opening port!\nPort may already be in use!"}));
        QCOMPARE(messages.beeps, 1);
        QVERIFY(p.orv1.TextButton(5)->isChecked());
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
        p.orv1.AttachDisplay(DisplayWindow::Status, &status, [&] { ++updates; });
        p.orv1.DataCheckBox(DisplayWindow::Status)->click();
        QVERIFY(status.isVisible());
        p.orv1.station().flags.selection = TextSelection::Raw;
        auto feed = [&](const Block514& b) {
            clock.Advance(3);
            p.orv1.runtime().receiver().ReceiveBlockBytes(b);
        };
        updates = 0;
        feed(MakeBlock('A', false));
        QCOMPARE(updates, 0);
        QCOMPARE(p.orv1.CrccLabel(), QString("FAIL"));
        feed(MakeBlock('A', true));
        QCOMPARE(updates, 1);
        // Ctrl + right click shows failed data.
        p.orv1.ToggleShowFailedData();
        QCOMPARE(messages.beeps, 1);
        feed(MakeBlock('A', false));
        QCOMPARE(updates, 2);
        p.orv1.ToggleShowFailedData();
        feed(MakeBlock('A', false));
        QCOMPARE(updates, 2);
        // Once the Replay window has been opened, failed blocks are always drawn.
        p.orv1.ReplayClick();
        feed(MakeBlock('A', false));
        QCOMPARE(updates, 3);
        // With "K" selected, A blocks fill the stores but are not dispatched.
        p.orv1.station().flags.selection = TextSelection::K;
        feed(MakeBlock('A', true));
        QCOMPARE(updates, 3);
        QCOMPARE(p.orv1.station().stores.display[2], std::uint8_t('x'));
        // An E block enables "Events"; checking it puts the last E block on display.
        QVERIFY(!p.orv1.EventsBox()->isEnabled());
        feed(MakeBlock('E', true));
        QVERIFY(p.orv1.EventsBox()->isEnabled());
        p.orv1.EventsBox()->click();
        QCOMPARE(p.orv1.station().stores.display[0], std::uint8_t('E'));
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
        p.orv1.SetReplayLoader([&](const QString& f) { loaded << f; });
        p.orv1.EventsBox()->setEnabled(true);
        p.orv1.DropFile("/data/X.TLM");
        p.orv1.DropFile("/data/x.raw");
        QCOMPARE(loaded, QStringList({"/data/X.TLM"}));
        QVERIFY(p.orv1.station().flags.replayOpened);
        QVERIFY(!p.orv1.EventsBox()->isEnabled());

        QString shown;
        p.orv1.SetClockLineSink([&](const QString& t) { shown = t; });
        p.orv1.Timer1Timer();
        QCOMPARE(shown, QString("Current Amsat Day#: 9494"));
        QCOMPARE(p.orv1.Timer()->interval(), 5000);
        p.orv1.SetClockForm(false);
        QCOMPARE(shown, QString("2003 Dec 30 [Tue]  14:05:09 (UTC)"));
        QCOMPARE(p.orv1.Timer()->interval(), 1000);
    }

    void MenuItemsOfWindowsNotYetBuiltAreDisabledWithAHint() {
        QTemporaryDir tmp;
        MemoryStore store;
        FillStore(store, tmp.path());
        ManualClock clock(0);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        QVERIFY(!p.orv1.MenuAction(MenuWindow::Filter)->isEnabled());
        QVERIFY(!p.orv1.MenuAction(MenuWindow::Filter)->toolTip().isEmpty());
        QWidget filter;
        p.orv1.AttachMenuWindow(MenuWindow::Filter, &filter);
        QVERIFY(p.orv1.MenuAction(MenuWindow::Filter)->isEnabled());
        p.orv1.MenuAction(MenuWindow::Filter)->trigger();
        QVERIFY(filter.isVisible());
    }

    void WindowPositionIsSavedInTwipsOnClose() {
        QTemporaryDir tmp;
        MemoryStore store;
        FillStore(store, tmp.path());
        ManualClock clock(0);
        test::RecordingMessages messages;
        Program p(store, clock, messages);
        p.orv1.show();
        p.orv1.move(40, 0);
        p.orv1.close();
        QCOMPARE(store.Read(kFormPositionsKey, "Form1.Left"), std::string("600"));
        QCOMPARE(store.Read(kFormPositionsKey, "Form1.Top"), std::string("00"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
