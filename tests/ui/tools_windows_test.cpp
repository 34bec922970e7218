// The Monitor, the byte dump and the DSP-93 loader on the offscreen platform; the loader sends to
// a pseudo-terminal standing in for the modem.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <functional>

#include "hex_records.h"
#include "pty.h"
#include "recording_messages.h"
#include "station_store.h"
#include "tools/byte_dump.h"
#include "tools/dsp_program.h"
#include "test_program.h"

using namespace orv;

namespace {

// The desktop program; its byte dump draws at the screen scale, 1 on the offscreen platform, so
// that the pixel positions below hold.
struct Program : test::Program {
    using test::Program::Program;
    const Block514& Display() const { return station.state().stores.display; }
};

// The centre of the byte dump cell of an address, in panel pixels (scale 1).
QPoint CellCentre(int address) {
    return {36 + static_cast<int>(31.7 * (address % 16)) + 15, 30 + 15 * (address / 16) + 7};
}

// The pointer moves over a widget without a button held, whatever windows stand in front of it.
void MovePointer(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QString WriteFile(const QString& path, const std::string& content) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(content.data(), static_cast<qint64>(content.size()));
    return path;
}

}  // namespace

class ToolsWindowsTest : public QObject, public test::WindowTestSetup {
    Q_OBJECT
private slots:
    void init() {
        Reset();
        test::FillStoreWithDirectories(store, tmp.path());
    }

    void MonitorShowsTheValueTextsOfTheDisplayBlockAtEachDispatch() {
        Program p(store, clock, messages);
        p.mainWindow.MenuAction(MenuWindow::Monitor)->trigger();
        QVERIFY(p.monitorWindow.isVisible());
        QCOMPARE(p.monitorWindow.windowTitle(), QString("Monitor - Orv"));
        const char* addresses[] = {"#1A7", "423", "#200", "600", "511", "   ", "100"};
        for (int i = 0; i < 7; ++i) p.monitorWindow.AddressField(i)->setText(addresses[i]);
        // A D block, which always reaches the display block; its CRCC bytes are what the test
        // needs, so it fails its check and failed data is shown to open the dispatch gate.
        Block514 d{};
        d[0] = 'D';
        d[100] = 0xFF;
        d[101] = 0xFF;
        d[423] = 0xA5;
        d[424] = 0x12;
        d[511] = 0x34;
        d[512] = 0x12;
        auto receive = [&] {
            clock.Advance(3);
            p.station.SerialBytes(d);
        };
        p.mainWindow.ToggleShowFailedData();
        receive();

        struct Case {
            std::function<void(MonitorWindow&)> choose;
            std::array<const char*, 7> shown;
        };
        const Case cases[] = {
            {[](MonitorWindow&) {}, {"#A5", "#A5", " --- ", " --- ", "#34", "#44", "#FF"}},
            {[](MonitorWindow& m) { m.WordButton()->click(); }, {"#12A5", "#12A5", " --- ", " --- ", "#1234", "#0044", "#FFFF"}},
            {[](MonitorWindow& m) { m.BaseButton(MonitorBase::Dec)->click(); }, {"4773", "4773", " --- ", " --- ", "4660", "  68", "65535"}},
            {[](MonitorWindow& m) { m.SignedBox()->click(); }, {"4773", "4773", " --- ", " --- ", "4660", "  68", "-1"}},
            {[](MonitorWindow& m) { m.BaseButton(MonitorBase::Bin)->click(); },
             {"10100101", "10100101", " --- ", " --- ", "00110100", "01000100", "11111111"}},
        };
        for (const Case& c : cases) {
            c.choose(p.monitorWindow);
            p.mainWindow.DispatchBlock();
            for (int i = 0; i < 7; ++i) {
                QCOMPARE(p.monitorWindow.ValueField(i)->text(), QString(c.shown[static_cast<std::size_t>(i)]));
                QCOMPARE(p.monitorWindow.ValueField(i)->text().toStdString(),
                         MonitorValueText(addresses[i], p.monitorWindow.Format(), d));
            }
        }
        // The dispatch refreshes the Monitor only while it is visible; empty fields stay as they are.
        p.monitorWindow.ValueField(9)->setText("kept");
        d[100] = 0x0F;
        p.monitorWindow.hide();
        receive();
        p.mainWindow.DispatchBlock();
        QCOMPARE(p.monitorWindow.ValueField(6)->text(), QString("11111111"));
        p.monitorWindow.show();
        p.mainWindow.DispatchBlock();
        QCOMPARE(p.monitorWindow.ValueField(6)->text(), QString("00001111"));
        QCOMPARE(p.monitorWindow.ValueField(9)->text(), QString("kept"));
        p.monitorWindow.ClearButton()->click();
        for (int i = 0; i < 10; ++i) {
            QVERIFY(p.monitorWindow.AddressField(i)->text().isEmpty());
            QVERIFY(p.monitorWindow.ValueField(i)->text().isEmpty());
        }
    }

    void AddressFieldsTakeOnlyAddressKeys() {
        Program p(store, clock, messages);
        p.monitorWindow.show();
        struct Case {
            const char* typed;
            const char* text;
        };
        const Case cases[] = {
            {"#1a7g", "#1A7"},  // "a".."f" raised after "#"; "G" refused
            {"1a2#34", "123"},  // no letters and no "#" in a decimal address; three digits at most
            {"#12345", "#123"},
            {"##1", "#1"},
        };
        QLineEdit* edit = p.monitorWindow.AddressField(0);
        for (const Case& c : cases) {
            edit->clear();
            QTest::keyClicks(edit, c.typed);
            QCOMPARE(edit->text(), QString(c.text));
        }
        // Backspace always works, also where the rest would not be typed that way.
        edit->setText("#1A");
        edit->setCursorPosition(1);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("1A"));
        // Pasted text passes the same filter.
        edit->clear();
        edit->insert("12x");
        QVERIFY(edit->text().isEmpty());
        edit->insert("#1fe");
        QCOMPARE(edit->text(), QString("#1FE"));
    }

    void FormatControlsEnableAsTheRulesSay() {
        Program p(store, clock, messages);
        p.monitorWindow.show();
        MonitorWindow& m = p.monitorWindow;
        // At start: "Hex" and "Byte", "Signed" disabled.
        QVERIFY(m.BaseButton(MonitorBase::Hex)->isChecked());
        QVERIFY(m.ByteButton()->isChecked());
        QVERIFY(!m.SignedBox()->isEnabled());
        struct Case {
            const char* name;
            std::function<void()> click;
            bool word, wordEnabled, signedEnabled, signedChecked;
        };
        const Case cases[] = {
            {"Dec with Byte", [&] { m.BaseButton(MonitorBase::Dec)->click(); }, false, true, false, false},
            {"Word under Dec", [&] { m.WordButton()->click(); }, true, true, true, false},
            {"Signed", [&] { m.SignedBox()->click(); }, true, true, true, true},
            {"Hex", [&] { m.BaseButton(MonitorBase::Hex)->click(); }, true, true, false, true},
            {"Dec again", [&] { m.BaseButton(MonitorBase::Dec)->click(); }, true, true, true, true},
            {"Bin falls back to Byte", [&] { m.BaseButton(MonitorBase::Bin)->click(); }, false, false, false, false},
            {"Word refused under Bin", [&] { m.WordButton()->click(); }, false, false, false, false},
            {"Hex", [&] { m.BaseButton(MonitorBase::Hex)->click(); }, false, true, false, false},
            {"Word under Hex", [&] { m.WordButton()->click(); }, true, true, false, false},
            {"Byte", [&] { m.ByteButton()->click(); }, false, true, false, false},
        };
        for (const Case& c : cases) {
            c.click();
            QVERIFY2(m.WordButton()->isChecked() == c.word, c.name);
            QVERIFY2(m.ByteButton()->isChecked() == !c.word, c.name);
            QVERIFY2(m.WordButton()->isEnabled() == c.wordEnabled, c.name);
            QVERIFY2(m.SignedBox()->isEnabled() == c.signedEnabled, c.name);
            QVERIFY2(m.SignedBox()->isChecked() == c.signedChecked, c.name);
        }
    }

    void ByteDumpShowsTheBlockAndHandsAddressesToTheMonitor() {
        Program p(store, clock, messages);
        // A D block, which always reaches the display block.
        Block514 d{};
        for (int i = 1; i < 514; ++i) d[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7);
        d[0] = 'D';
        clock.Advance(3);
        p.station.SerialBytes(d);
        p.monitorWindow.show();
        p.monitorWindow.DataWindowBox()->click();
        QVERIFY(p.byteDumpWindow.isVisible());
        QCOMPARE(p.byteDumpWindow.windowTitle(), QString("Byte Dump - Orv"));
        QCOMPARE(p.byteDumpWindow.Text().toStdString(), ByteDumpText(p.Display(), false));
        p.monitorWindow.BaseButton(MonitorBase::Dec)->click();
        QCOMPARE(p.byteDumpWindow.Text().toStdString(), ByteDumpText(p.Display(), true));

        // The readout follows the pointer; a click copies into the first empty field.
        QWidget* panel = p.byteDumpWindow.Panel();
        p.monitorWindow.AddressField(0)->setText("5");
        MovePointer(panel, CellCentre(423));
        QCOMPARE(p.monitorWindow.Readout()->text(), QString("423"));
        QTest::mouseClick(panel, Qt::LeftButton, {}, CellCentre(423));
        QCOMPARE(p.monitorWindow.AddressField(1)->text(), QString(" 423"));
        QCOMPARE(p.monitorWindow.ValueField(1)->text().toStdString(), MonitorValueText("423", p.monitorWindow.Format(), p.Display()));
        p.monitorWindow.BaseButton(MonitorBase::Hex)->click();
        QTest::mouseClick(panel, Qt::LeftButton, {}, CellCentre(0x1F));
        QCOMPARE(p.monitorWindow.AddressField(2)->text(), QString(" #01F"));
        // Beside the table: "---", and a click copies nothing.
        MovePointer(panel, QPoint(20, 100));
        QCOMPARE(p.monitorWindow.Readout()->text(), QString("---"));
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(20, 100));
        QVERIFY(p.monitorWindow.AddressField(3)->text().isEmpty());
        // With every field taken, the first is overwritten.
        for (int i = 0; i < 10; ++i) p.monitorWindow.AddressField(i)->setText("1");
        QTest::mouseClick(panel, Qt::LeftButton, {}, CellCentre(511));
        QCOMPARE(p.monitorWindow.AddressField(0)->text(), QString(" #1FF"));

        // Closing the byte dump unchecks "Data Window" and clears the readout.
        p.byteDumpWindow.close();
        QVERIFY(!p.monitorWindow.DataWindowBox()->isChecked());
        QVERIFY(p.monitorWindow.Readout()->text().isEmpty());
    }

    void MonitorKeepsAddressesAndPositionAcrossRuns() {
        {
            Program p(store, clock, messages);
            p.monitorWindow.show();
            p.monitorWindow.move(30, 40);
            p.monitorWindow.AddressField(0)->setText("#1A7");
            p.monitorWindow.AddressField(9)->setText(" 423");
            p.monitorWindow.DataWindowBox()->click();
            QVERIFY(p.byteDumpWindow.isVisible());
            p.monitorWindow.close();
            QVERIFY(!p.byteDumpWindow.isVisible());
            QVERIFY(!p.monitorWindow.DataWindowBox()->isChecked());
        }
        QCOMPARE(store.Read(kMonitorKey, "Address #1"), std::string("#1A7"));
        QCOMPARE(store.Read(kMonitorKey, "Address #2"), std::string());
        QCOMPARE(store.Read(kMonitorKey, "Address #10"), std::string(" 423"));
        QCOMPARE(store.Read(kFormPositionsKey, "Form8.Left"), std::string("450"));
        QVERIFY(!store.Read(kFormPositionsKey, "Form9.Left").empty());
        Program again(store, clock, messages);
        QCOMPARE(again.monitorWindow.AddressField(0)->text(), QString("#1A7"));
        QCOMPARE(again.monitorWindow.AddressField(9)->text(), QString(" 423"));
        QCOMPARE(again.monitorWindow.pos(), QPoint(30, 40));
    }

    void LoaderListsProgramFilesWhateverTheirCase() {
        for (const char* name : {"b.OBJ", "a.obj", "c.Obj", "d.txt", "e.obj.bak"})
            QVERIFY(!WriteFile(tmp.path() + "/Dsp/" + name, "x").isEmpty());
        QDir().mkpath(tmp.path() + "/Dsp/f.obj");  // a directory, not a file
        Program p(store, clock, messages);
        p.mainWindow.MenuAction(MenuWindow::DspLoad)->trigger();
        QVERIFY(p.dspLoaderWindow.isVisible());
        QCOMPARE(p.dspLoaderWindow.FileNames(), QStringList({"a.obj", "b.OBJ", "c.Obj"}));
        p.dspLoaderWindow.FileList()->item(1)->setSelected(true);
        QCOMPARE(p.dspLoaderWindow.SelectedFile(), tmp.path() + "/Dsp/b.OBJ");

        // The directory's name too is matched without regard to case.
        p.dspLoaderWindow.hide();
        QVERIFY(QDir(tmp.path()).rename("Dsp", "DSP"));
        QVERIFY(!WriteFile(tmp.path() + "/DSP/g.obj", "x").isEmpty());
        p.dspLoaderWindow.show();
        QCOMPARE(p.dspLoaderWindow.DspDirectory(), tmp.path() + "/DSP");
        QCOMPARE(p.dspLoaderWindow.FileNames(), QStringList({"a.obj", "b.OBJ", "c.Obj", "g.obj"}));
        QVERIFY(p.dspLoaderWindow.SelectedFile().isEmpty());
    }

    void LoaderSendsTheProgramWhileReceptionStandsAside() {
        test::PtyPair pty;
        QVERIFY2(pty.Ok(), "no pseudo-terminal");
        const std::string input = test::TestProgram(2);
        const DspProgram program = ConvertDspProgram(input);
        QVERIFY(program.Ok());
        WriteFile(tmp.path() + "/Dsp/prog.obj", input);
        Program p(store, clock, messages);
        p.station.SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        p.mainWindow.TextButton(TextSelection::Raw)->click();  // "Raw": reception has the port
        QVERIFY(p.station.PortOpen());
        pty.StartReading();
        p.dspLoaderWindow.show();
        p.dspLoaderWindow.FileList()->item(0)->setSelected(true);
        QSignalSpy progress(p.dspLoaderWindow.ProgressBar(), &QProgressBar::valueChanged);

        p.dspLoaderWindow.LoadButton()->click();
        // Reception stands aside: input suspended, the main window "OFF", its selections locked.
        QVERIFY(p.station.state().flags.serialInputSuspended);
        QVERIFY(p.mainWindow.TextButton(TextSelection::Off)->isChecked());
        QVERIFY(!p.mainWindow.TextButton(TextSelection::Raw)->isEnabled());
        QVERIFY(!p.dspLoaderWindow.LoadButton()->isEnabled());

        QTRY_VERIFY_WITH_TIMEOUT(!p.dspLoaderWindow.isVisible(), 120000);
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("|")));
        QCOMPARE(messages.beeps, 1);
        QVERIFY(!p.station.state().flags.serialInputSuspended);
        // Back to "Raw": the port is the station's again.
        QVERIFY(p.mainWindow.TextButton(TextSelection::Raw)->isChecked());
        QVERIFY(p.mainWindow.TextButton(TextSelection::Raw)->isEnabled());
        QVERIFY(p.station.PortOpen());
        QCOMPARE(p.dspLoaderWindow.ProgressBar()->value(), 0);
        bool reached100 = false;
        for (const auto& v : progress) reached100 = reached100 || v.at(0).toInt() == 100;
        QVERIFY(reached100);

        const std::string received = pty.StopReading();
        QVERIFY(received == std::string(kDspResetCommand) + program.text);
    }

    void WrongChecksumsAreShownAndLoadOnlyWhenTheOperatorAgrees() {
        test::PtyPair pty;
        QVERIFY2(pty.Ok(), "no pseudo-terminal");
        const std::string input = test::TestProgram(1);
        WriteFile(tmp.path() + "/Dsp/old.obj", test::WithWrongChecksum(input, 1));
        Program p(store, clock, messages);
        p.station.SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        pty.StartReading();
        p.dspLoaderWindow.show();
        p.dspLoaderWindow.FileList()->item(0)->setSelected(true);

        messages.answer = false;
        p.dspLoaderWindow.LoadButton()->click();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains("old.obj\": line 1: checksum") && messages.texts[0].contains("Load anyway?"),
                 qPrintable(messages.texts[0]));
        QVERIFY(p.dspLoaderWindow.isVisible());
        QVERIFY(p.dspLoaderWindow.LoadButton()->isEnabled());

        messages.answer = true;
        p.dspLoaderWindow.LoadButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!p.dspLoaderWindow.isVisible(), 120000);
        QCOMPARE(messages.texts.size(), 2);
        QVERIFY(pty.StopReading() == std::string(kDspResetCommand) + ConvertDspProgram(input).text);
    }

    void MalformedFileIsReportedAndNothingSent() {
        test::PtyPair pty;
        QVERIFY2(pty.Ok(), "no pseudo-terminal");
        WriteFile(tmp.path() + "/Dsp/bad.obj", ":00000001FF\r\n:0812340001020304\r\n");
        Program p(store, clock, messages);
        p.station.SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        pty.StartReading();
        p.dspLoaderWindow.show();

        p.dspLoaderWindow.LoadButton()->click();  // nothing chosen yet
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts.last().contains("no DSP file is selected"), qPrintable(messages.texts.last()));

        p.dspLoaderWindow.FileList()->item(0)->setSelected(true);
        p.dspLoaderWindow.LoadButton()->click();
        QCOMPARE(messages.texts.size(), 2);
        QVERIFY2(messages.texts.last().contains("bad.obj\": line 2"), qPrintable(messages.texts.last()));
        QCOMPARE(messages.beeps, 2);
        // Reception was never disturbed, and the window stays for another choice.
        QVERIFY(!p.station.state().flags.serialInputSuspended);
        QVERIFY(p.mainWindow.TextButton(TextSelection::Raw)->isChecked());
        QVERIFY(p.station.PortOpen());
        QVERIFY(p.dspLoaderWindow.isVisible());
        QTest::qWait(200);
        QVERIFY(pty.StopReading().empty());
    }
};

QTEST_MAIN(ToolsWindowsTest)
#include "tools_windows_test.moc"
