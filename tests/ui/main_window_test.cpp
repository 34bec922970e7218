// The main window and the Setup window on the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QToolTip>
#include <QDir>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QFileInfo>
#include <QUdpSocket>
#include <QTest>
#include <QTimer>

#include "pty.h"
#include "free_port.h"
#include "recording_messages.h"
#include "sealed_block.h"
#include "serial_feed.h"
#include "station_store.h"
#include "test_program.h"
#include "inputs/audio_input.h"
#include "ui/hint_timing.h"
#include "ui/files_window_parts.h"

using namespace orv;
using test::FillStore;
using test::Program;

class MainWindowTest : public QObject, public test::WindowTestSetup {
    Q_OBJECT
private slots:
    void init() { Reset(); }

    void StartUpCreatesMissingDirectoriesWithTheirMessages() {
        const QString dir = tmp.path() + "/station";
        FillStore(store, dir);
        Program p(store, clock, messages);
        QCOMPARE(messages.texts, QStringList({"Indicated Orv main directory does not exist. \n   It will be created.",
                                              QDir::toNativeSeparators("Orv/telemetry") + " subdirectory does not exist. \n   It will be created.",
                                              QDir::toNativeSeparators("Orv/DSP") + " subdirectory does not exist. \n   It will be created."}));
        QVERIFY(QDir(dir + "/telemetry").exists());
        QVERIFY(QDir(dir + "/Dsp").exists());
        QCOMPARE(QString::fromStdString(p.station.TelemetryDirectory().string()), dir + "/telemetry");
        QVERIFY(p.mainWindow.ClockTimer()->isActive());
        // A second start finds them all.
        messages.texts.clear();
        Program again(store, clock, messages);
        QVERIFY(messages.texts.isEmpty());
    }

    void FirstRunShowsSetupModallyAndSaveCompletesStartUp() {
        test::PtyPair pty;
        QVERIFY(pty.Ok());
        // Values Setup does not show: the device behind the port and the relay's port.
        store.Write(kStartupKey, "Serial Device", pty.SlavePath());
        store.Write(kStartupKey, "TCP/IP Port", std::to_string(test::FreeTcpPort()));
        Program p(store, clock, messages);
        QVERIFY(p.mainWindow.FirstRun());
        QCOMPARE(p.mainWindow.state().receiver.blockLength, 514);
        p.mainWindow.show();
        QTRY_VERIFY(p.setupWindow.isVisible());
        QCOMPARE(p.setupWindow.windowModality(), Qt::ApplicationModal);
        QVERIFY(!p.mainWindow.ClockTimer()->isActive());

        // Save in the design state: the offset field still says "Edit1". Nothing is written.
        p.setupWindow.SaveButton()->click();
        QCOMPARE(messages.texts.last(), QString("'Edit1' is not a valid floating point value"));
        QVERIFY(store.Read(kStartupKey, "Com Port No.").empty());
        QVERIFY(store.Read(kStartupKey, "Default Directory").empty());
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
        QCOMPARE(p.mainWindow.state().receiver.blockLength, 512);
        QVERIFY(p.mainWindow.ClockTimer()->isActive());
        // The saved "Log On Start" and "TCP/IP Boot" take effect at once, not at the next start:
        // the port is open with "Raw", logging runs, and the station serves.
        QVERIFY2(p.station.PortOpen(), qPrintable(messages.texts.join("|")));
        QVERIFY(p.mainWindow.TextButton(TextSelection::Raw)->isChecked());
        QVERIFY(p.station.logger().Logging());
        QVERIFY(p.loggingWindow.isVisible());
        QVERIFY(p.station.relay().Server().IsListening());
        QVERIFY(p.networkWindow.isVisible());
    }

    void CancellingTheFirstRunSetupLeavesTheProgramUsable() {
        Program p(store, clock, messages);
        p.mainWindow.show();
        QTRY_VERIFY(p.setupWindow.isVisible());
        QCOMPARE(QGuiApplication::modalWindow(), p.setupWindow.windowHandle());
        p.setupWindow.CancelButton()->click();
        QVERIFY(!p.setupWindow.isVisible());
        // No window is left blocking the others: the main window takes input again.
        QCOMPARE(QGuiApplication::modalWindow(), nullptr);
        QVERIFY(p.mainWindow.isVisible());
        QVERIFY(p.mainWindow.FirstRun());
        // The program runs on without a port setting: "Raw" reports the port and stays usable.
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        QVERIFY(p.mainWindow.TextButton(TextSelection::Off)->isChecked());
        p.mainWindow.SetupClick();
        QVERIFY(p.setupWindow.isVisible());
        QCOMPARE(p.setupWindow.windowModality(), Qt::NonModal);
        // Closing the first-run Setup by its frame does the same as Cancel.
        p.setupWindow.close();
        QCOMPARE(QGuiApplication::modalWindow(), nullptr);
    }

    void SavingANewDataDirectoryMovesEveryUserAtOnce() {
        const QString first = tmp.path() + "/first";
        const QString second = tmp.path() + "/second";
        FillStore(store, first);
        Program p(store, clock, messages);
        QDir().mkpath(second + "/telemetry");
        QFile log(second + "/telemetry/T031230.raw");
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(QByteArray(512, 'A'));
        log.close();

        p.mainWindow.SetupClick();
        SetupChoices c = p.setupWindow.Choices();
        c.directoryField = second.toStdString();
        p.setupWindow.SetChoices(c);
        p.setupWindow.SaveButton()->click();

        QCOMPARE(QString::fromStdString(p.station.TelemetryDirectory().string()), second + "/telemetry");
        // The Replay and Filter lists show the new directory's files.
        p.mainWindow.ReplayClick();
        QCOMPARE(p.replayWindow.FileList()->Directory(), second + "/telemetry");
        p.replayWindow.close();
        p.filterWindow.show();
        QCOMPARE(p.filterWindow.FileList()->Directory(), second + "/telemetry");
        // A raw block saved by a click on the text view goes there too.
        test::PseudoTerminalModem modem(p.station);
        QVERIFY(modem.Select(TextSelection::Raw));
        clock.Advance(3);
        p.station.SerialBytes(test::SealedBlock('A', true, 'x'));
        p.mainWindow.SaveRawBlock(true);
        QVERIFY(QFile::exists(second + "/telemetry/A-blk.dat"));
        // Beside the beep, the operator reads where the block went.
        QCOMPARE(p.mainWindow.LastFeedback(), "A-blk saved to " + QDir::toNativeSeparators(second + "/telemetry/A-blk.dat"));
        QVERIFY(QDir(first + "/telemetry").entryList({"A-blk*"}).isEmpty());
        // Logging started now writes into the new directory.
        p.station.StartLogging();
        QCOMPARE(QString::fromStdString(p.station.logger().LogPath().parent_path().string()), second + "/telemetry");
    }

    void SetupFillsFromTheSettingsAndSavesManualOffset() {
        FillStore(store, tmp.path());
        store.Write(kStartupKey, "Baud Rate", "14400");
        store.Write(kStartupKey, "Auto Time", "false");
        store.Write(kStartupKey, "TimeOff", "-2.5");
        Program p(store, clock, messages);
        p.mainWindow.SetupClick();
        const SetupChoices c = p.setupWindow.Choices();
        QCOMPARE(c.baudItem, 4);
        QVERIFY(c.manualTime);
        QCOMPARE(c.offsetText, std::string("-2.5"));
        QVERIFY(p.setupWindow.OffsetField()->isVisibleTo(&p.setupWindow));
        QCOMPARE(c.directoryField, " " + tmp.path().toStdString());
        p.setupWindow.OffsetField()->setText("3.0");
        p.setupWindow.SaveButton()->click();
        QCOMPARE(store.Read(kStartupKey, "TimeOff"), std::string("3.0"));
        QCOMPARE(p.mainWindow.state().settings.utcRule.timeOffHours, 3.0F);
        QCOMPARE(store.Read(kStartupKey, "Log on Start"), std::string("no"));
        QCOMPARE(store.Read(kStartupKey, "Boot Server"), std::string("0"));
    }

    void SetupChoosesTheSerialDeviceAndTheDirectoryAndKeepsItsLayout() {
        FillStore(store, tmp.path());
        Program p(store, clock, messages);
        SetupWindow& w = p.setupWindow;
        // The device in use is shown, also one given on the command line.
        p.station.SetSerialOverride("/dev/pts/77");
        p.mainWindow.SetupClick();
        QVERIFY(w.DeviceField());
        QCOMPARE(w.DeviceField()->currentText(), QString("/dev/pts/77"));
        // Saved unchanged, nothing is written for the device.
        w.SaveButton()->click();
        QVERIFY(store.Read(kStartupKey, "Serial Device").empty());

        p.station.SetSerialOverride(QString());
        p.mainWindow.SetupClick();
        QCOMPARE(w.DeviceField()->currentText(), QString("/dev/ttyS0"));  // from "Com Port No." 1
        w.DeviceField()->setEditText(" /dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0 ");
        QString started;
        w.SetDirectoryChooser([&](const QString& start) {
            started = start;
            return tmp.path() + "/station";
        });
        w.BrowseButton()->click();
        QCOMPARE(started, tmp.path());
        QCOMPARE(w.DirectoryField()->text().trimmed(), QDir::toNativeSeparators(tmp.path() + "/station"));
        w.SetDirectoryChooser([](const QString&) { return QString(); });  // cancelled: unchanged
        w.BrowseButton()->click();
        QCOMPARE(w.DirectoryField()->text().trimmed(), QDir::toNativeSeparators(tmp.path() + "/station"));

        // "Manual" shows the offset field without moving or resizing anything else.
        w.AutoTimeClick();
        QCoreApplication::processEvents();
        auto* modem = w.findChildren<QGroupBox*>().at(0);
        for (QGroupBox* b : w.findChildren<QGroupBox*>())
            if (b->title() == "Modem Type") modem = b;
        const QRect modemBefore = modem->geometry();
        const QSize sizeBefore = w.size();
        w.ManualTimeClick();
        QCoreApplication::processEvents();
        QCOMPARE(modem->geometry(), modemBefore);
        QCOMPARE(w.size(), sizeBefore);
        // The directory's label sits right above its field.
        for (QLabel* l : w.findChildren<QLabel*>())
            if (l->text() == "Default Directory")
                QVERIFY(w.DirectoryField()->geometry().top() - l->geometry().bottom() <= 8);

        w.OffsetField()->setText("0.0");
        w.SaveButton()->click();
        QCOMPARE(store.Read(kStartupKey, "Serial Device"), std::string("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"));
        QCOMPARE(p.station.SerialDevice(), QString("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"));
        QCOMPARE(store.Read(kStartupKey, "Default Directory"), QDir::toNativeSeparators(tmp.path() + "/station").toStdString());
    }

    void SetupAudioChoiceStoresItsValuesAndRawStartsTheAudioInput() {
        FillStore(store, tmp.path());
        Program p(store, clock, messages);
        p.mainWindow.SetupClick();
        QVERIFY(!p.setupWindow.AudioBox()->isEnabled());
        QRadioButton* audio = nullptr;
        for (auto* b : p.setupWindow.findChildren<QRadioButton*>())
            if (b->text() == "Audio") audio = b;
        QVERIFY(audio);
        audio->click();
        QVERIFY(p.setupWindow.AudioBox()->isEnabled());
        SetupChoices c = p.setupWindow.Choices();
        QCOMPARE(c.modemItem, 3);
        QCOMPARE(c.audio.portField, std::string("7355"));  // the defaults before anything is stored
        QCOMPARE(c.audio.centreField, std::string("1500"));
        // A field that is not usable: said, and nothing written.
        const struct {
            const char* port;
            const char* centre;
            QString says;
        } bad[] = {{"7355", "abc", "'abc' is not a centre frequency in Hz (100 to 20000)"},
                   {"0", "1500", "'0' is not a UDP port (1 to 65535)"}};
        for (const auto& b : bad) {
            messages.texts.clear();
            c.audio.portField = b.port;
            c.audio.centreField = b.centre;
            p.setupWindow.SetChoices(c);
            p.setupWindow.SaveButton()->click();
            QCOMPARE(messages.texts, QStringList{b.says});
            QCOMPARE(store.Read(kStartupKey, "Modem Type"), std::string("514"));
            QCOMPARE(store.Read(kStartupKey, "Audio Centre"), std::string());
        }
        const std::string port = std::to_string(test::FreeTcpPort());
        c.audio.sourceItem = 1;
        c.audio.portField = port;
        c.audio.centreField = "1620.5";
        p.setupWindow.SetChoices(c);
        p.setupWindow.SaveButton()->click();
        QVERIFY(!p.setupWindow.isVisible());
        QCOMPARE(store.Read(kStartupKey, "Modem Type"), std::string("Audio"));
        QCOMPARE(store.Read(kStartupKey, "Audio Source"), std::string("UDP"));
        QCOMPARE(store.Read(kStartupKey, "Audio UDP Port"), port);
        QCOMPARE(store.Read(kStartupKey, "Audio Centre"), std::string("1620.5"));
        QCOMPARE(store.Read(kStartupKey, "Baud Rate"), std::string("1200"));  // the others keep their meaning
        QCOMPARE(p.station.state().settings.modemType, ModemType::Audio);
        // Opened again, Setup shows what was stored.
        p.mainWindow.SetupClick();
        QCOMPARE(p.setupWindow.Choices().audio.centreField, std::string("1620.5"));
        QCOMPARE(p.setupWindow.Choices().modemItem, 3);
        p.setupWindow.CancelButton()->click();
        // "Raw" starts the audio input where the serial port would open; "OFF" stops it.
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        QVERIFY(p.station.PortOpen());
        QVERIFY(p.station.Audio());  // not the serial port
        QVERIFY(p.station.PortInput()->Description().contains(QString::fromStdString("UDP port " + port)));
        QVERIFY(p.station.adc().Path().AcceptInverted());
        p.mainWindow.TextButton(TextSelection::Off)->click();
        QVERIFY(!p.station.PortOpen());
        // A port another program holds: the reason is said, not the serial port's message.
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, static_cast<quint16>(std::stoi(port))));
        messages.texts.clear();
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        QVERIFY(!p.station.PortOpen());
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts.front().startsWith("The audio input could not be started:\ncannot listen on UDP port " +
                                                   QString::fromStdString(port)),
                 qPrintable(messages.texts.front()));
    }

    void SetupSdrChoiceStoresItsValuesAndRawStartsTheSdrInput() {
        FillStore(store, tmp.path());
        Program p(store, clock, messages);
        p.mainWindow.SetupClick();
        QVERIFY(!p.setupWindow.SdrBox()->isEnabled());
        QRadioButton* sdr = nullptr;
        for (auto* b : p.setupWindow.findChildren<QRadioButton*>())
            if (b->text() == "SDR") sdr = b;
        QVERIFY(sdr);
        sdr->click();
        QVERIFY(p.setupWindow.SdrBox()->isEnabled());
        QVERIFY(!p.setupWindow.AudioBox()->isEnabled());
        SetupChoices c = p.setupWindow.Choices();
        QCOMPARE(c.sdr.addressField, std::string("127.0.0.1:1234"));  // the defaults before anything is stored
        QCOMPARE(c.sdr.gainField, std::string("auto"));
        // A field that is not usable: said, and nothing written.
        const struct {
            const char* frequency;
            const char* gain;
            QString says;
        } bad[] = {{"739.75 MHz", "auto", "'739.75 MHz' is not the frequency the SDR is tuned to, in Hz"},
                   {"739750000", "high", "'high' is not auto or a gain in dB (0 to 100)"}};
        for (const auto& b : bad) {
            messages.texts.clear();
            c.sdr.frequencyField = b.frequency;
            c.sdr.gainField = b.gain;
            p.setupWindow.SetChoices(c);
            p.setupWindow.SaveButton()->click();
            QCOMPARE(messages.texts, QStringList{b.says});
            QCOMPARE(store.Read(kStartupKey, "Modem Type"), std::string("514"));
            QCOMPARE(store.Read(kStartupKey, "SDR Frequency"), std::string());
        }
        const std::string port = std::to_string(test::FreeTcpPort());
        c.sdr.sourceItem = 0;
        c.sdr.addressField = "127.0.0.1:" + port;
        c.sdr.frequencyField = "739750000";
        c.sdr.offsetField = "-100000";
        c.sdr.rateField = "1024000";
        c.sdr.gainField = "38.6";
        c.sdr.ppmField = "-2";
        p.setupWindow.SetChoices(c);
        p.setupWindow.SaveButton()->click();
        QVERIFY(!p.setupWindow.isVisible());
        QCOMPARE(store.Read(kStartupKey, "Modem Type"), std::string("SDR"));
        QCOMPARE(store.Read(kStartupKey, "SDR Source"), std::string("rtl_tcp"));
        QCOMPARE(store.Read(kStartupKey, "SDR Address"), "127.0.0.1:" + port);
        QCOMPARE(store.Read(kStartupKey, "SDR Frequency"), std::string("739750000"));
        QCOMPARE(store.Read(kStartupKey, "SDR Offset"), std::string("-100000"));
        QCOMPARE(store.Read(kStartupKey, "SDR Gain"), std::string("38.6"));
        QCOMPARE(store.Read(kStartupKey, "SDR PPM"), std::string("-2"));
        QCOMPARE(store.Read(kStartupKey, "Audio Centre"), std::string());  // the audio values are not the SDR's
        QCOMPARE(p.station.state().settings.modemType, ModemType::Sdr);
        // Opened again, Setup shows what was stored.
        p.mainWindow.SetupClick();
        QCOMPARE(p.setupWindow.Choices().sdr.offsetField, std::string("-100000"));
        p.setupWindow.CancelButton()->click();
        // "Raw" starts the SDR input (its link tries the server until it answers); "OFF" stops it.
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        QVERIFY(p.station.PortOpen());
        QVERIFY(p.station.Receiver());
        QVERIFY(p.station.PortInput()->Description().startsWith(QString::fromStdString("rtl_tcp 127.0.0.1:" + port)));
        QVERIFY(p.audioSignalWindow.isVisible());
        p.mainWindow.TextButton(TextSelection::Off)->click();
        QVERIFY(!p.station.PortOpen());
        // Settings the receiver cannot use: said with the input's name as it is written.
        store.Write(kStartupKey, "SDR Offset", "900000");
        messages.texts.clear();
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        QVERIFY(!p.station.PortOpen());
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts.front().startsWith("The SDR input could not be started:\noffset 900000 Hz"), qPrintable(messages.texts.front()));
    }

    void TextSelectionOpensAndOffClosesThePort() {
        test::PtyPair pty;
        QVERIFY(pty.Ok());
        FillStore(store, tmp.path());
        Program p(store, clock, messages);
        p.station.SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        messages.texts.clear();
        QVERIFY(!p.mainWindow.findChild<QLabel*>("ByteCount")->isEnabled());
        p.mainWindow.TextButton(TextSelection::Raw)->click();  // "Raw"
        QVERIFY(p.station.PortOpen());
        QVERIFY(p.rawDataWindow.isVisible());
        QCOMPARE(p.rawDataWindow.GroupCaption(), QString("Raw Data"));
        QVERIFY(p.mainWindow.findChild<QLabel*>("ByteCount")->isEnabled());
        p.mainWindow.TextButton(TextSelection::L)->click();  // "L"
        QCOMPARE(p.rawDataWindow.GroupCaption(), QString("L Block"));
        QCOMPARE(p.mainWindow.state().flags.selection, TextSelection::L);
        p.mainWindow.TextButton(TextSelection::Off)->click();  // "OFF"
        QVERIFY(!p.station.PortOpen());
        QVERIFY(!p.rawDataWindow.isVisible());
        QVERIFY(p.mainWindow.ByteLabel().isEmpty());
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("|")));

        // A port that cannot be opened: beep, the message with the device and the system's reason,
        // and back to "OFF".
        p.station.SetSerialOverride("/dev/orv-missing");
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].startsWith("Problem opening port!\nPort may already be in use!\n\nDevice: /dev/orv-missing\nReason: "));
        QVERIFY2(messages.texts[0].size() > 80, qPrintable(messages.texts[0]));
        QCOMPARE(messages.beeps, 1);
        QVERIFY(p.mainWindow.TextButton(TextSelection::Off)->isChecked());
    }

    void DispatchGateHoldsBackFailedBlocks() {
        FillStore(store, tmp.path());
        Program p(store, clock, messages);
        QWidget status;
        int updates = 0;
        p.mainWindow.AttachDisplay(DisplayWindow::Status, &status, [&] { ++updates; });
        p.mainWindow.DataCheckBox(DisplayWindow::Status)->click();
        QVERIFY(status.isVisible());
        test::PseudoTerminalModem modem(p.station);
        QVERIFY(modem.Select(TextSelection::Raw));
        auto feed = [&](const Block514& b) {
            clock.Advance(3);
            p.station.SerialBytes(b);
        };
        updates = 0;
        feed(test::SealedBlock('A', false, 'x'));
        QCOMPARE(updates, 0);
        QCOMPARE(p.mainWindow.CrccLabel(), QString("FAIL"));
        feed(test::SealedBlock('A', true, 'x'));
        QCOMPARE(updates, 1);
        // Ctrl + right click shows failed data.
        p.mainWindow.ToggleShowFailedData();
        QCOMPARE(messages.beeps, 1);
        QVERIFY2(p.mainWindow.LastFeedback().contains("now shown"), qPrintable(p.mainWindow.LastFeedback()));
        feed(test::SealedBlock('A', false, 'x'));
        QCOMPARE(updates, 2);
        p.mainWindow.ToggleShowFailedData();
        QVERIFY2(p.mainWindow.LastFeedback().contains("no longer shown"), qPrintable(p.mainWindow.LastFeedback()));
        feed(test::SealedBlock('A', false, 'x'));
        QCOMPARE(updates, 2);
        // Once the Replay window has been opened, failed blocks are always drawn.
        p.mainWindow.ReplayClick();
        QVERIFY(p.mainWindow.TextButton(TextSelection::Off)->isChecked());  // replay switched reception off
        p.replayWindow.close();
        QVERIFY(modem.Select(TextSelection::Raw));
        feed(test::SealedBlock('A', false, 'x'));
        QCOMPARE(updates, 3);
        // With "K" selected, A blocks fill the stores but are not dispatched.
        QVERIFY(modem.Select(TextSelection::K));
        feed(test::SealedBlock('A', true, 'x'));
        QCOMPARE(updates, 3);
        QCOMPARE(p.mainWindow.state().stores.display[2], std::uint8_t('x'));
        // An E block enables "Events"; checking it puts the last E block on display.
        QVERIFY(!p.mainWindow.EventsBox()->isEnabled());
        feed(test::SealedBlock('E', true, 'x'));
        QVERIFY(p.mainWindow.EventsBox()->isEnabled());
        p.mainWindow.EventsBox()->click();
        QCOMPARE(p.mainWindow.state().stores.display[0], std::uint8_t('E'));
        QCOMPARE(updates, 4);
    }

    void DroppedFilesAndClockLine() {
        FillStore(store, tmp.path());
        Program p(store, clock, messages);
        QStringList loaded;
        p.mainWindow.SetReplayLoader([&](const QString& f) { loaded << f; });
        p.mainWindow.EventsBox()->setEnabled(true);
        p.mainWindow.DropFile("/data/X.TLM");
        p.mainWindow.DropFile("/data/x.raw");
        QCOMPARE(loaded, QStringList({"/data/X.TLM"}));
        QVERIFY(p.mainWindow.state().flags.replayOpened);
        QVERIFY(!p.mainWindow.EventsBox()->isEnabled());

        QString shown;
        p.mainWindow.SetClockLineSink([&](const QString& t) { shown = t; });
        p.mainWindow.ClockTick();
        QCOMPARE(shown, QString("Current Amsat Day#: 9494"));
        QCOMPARE(p.mainWindow.ClockTimer()->interval(), 5000);
        p.mainWindow.SetClockForm(false);
        QCOMPARE(shown, QString("2003 Dec 30 [Tue]  14:05:09 (UTC)"));
        QCOMPARE(p.mainWindow.ClockTimer()->interval(), 1000);
    }

    void HelpOpensTheGuideOrShowsItInAWindowOfItsOwn() {
        FillStore(store, tmp.path());
        clock.Set(0);
        Program p(store, clock, messages);
        messages.texts.clear();
        QList<QUrl> opened;
        bool handled = true;
        p.mainWindow.SetUrlOpener([&](const QUrl& url) {
            opened << url;
            return handled;
        });
        // A handler takes the guide: a copy of the user's own, not a fixed shared path.
        p.mainWindow.HelpClick();
        QCOMPARE(opened.size(), 1);
        const QString copy = opened[0].toLocalFile();
        QVERIFY2(QFile::exists(copy), qPrintable(copy));
        QVERIFY2(copy.startsWith(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)) ||
                     QFileInfo(copy).fileName() != "orv-guide.html",
                 qPrintable(copy));
        QVERIFY(!p.mainWindow.GuideWindowShown());
        // Nothing opens it: the built-in guide in a window of the program.
        handled = false;
        p.mainWindow.HelpClick();
        QWidget* guide = p.mainWindow.GuideWindowShown();
        QVERIFY(guide && guide->isVisible());
        auto* browser = qobject_cast<QTextBrowser*>(guide);
        QVERIFY(browser && browser->toPlainText().size() > 200);
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("|")));
    }

    void HintsHideAfterFourSeconds() {
        static bool installed = false;
        if (!installed) InstallHintTiming(*qApp);
        installed = true;
        QWidget widget;
        widget.setToolTip(QStringLiteral(" Display all data, a hint long enough for Qt's own timing to keep it 10 s "));
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QHelpEvent ask(QEvent::ToolTip, QPoint(5, 5), widget.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&widget, &ask);
        QTRY_VERIFY(QToolTip::isVisible());
        QTest::qWait(2500);
        QVERIFY(QToolTip::isVisible());  // a late event loop only hides it later
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 4000);  // 4000 ms, not Qt's 10 s
    }

    void WindowPositionIsSavedInTwipsOnClose() {
        FillStore(store, tmp.path());
        clock.Set(0);
        Program p(store, clock, messages);
        p.mainWindow.show();
        p.mainWindow.move(40, 0);
        p.rawDataWindow.show();
        p.rawDataWindow.move(60, 30);
        p.mainWindow.close();
        QCOMPARE(store.Read(kFormPositionsKey, "Form1.Left"), std::string("600"));
        QCOMPARE(store.Read(kFormPositionsKey, "Form1.Top"), std::string("00"));
        // The raw data window keeps its place too.
        QCOMPARE(store.Read(kFormPositionsKey, "Form2.Left"), std::string("900"));
        QCOMPARE(store.Read(kFormPositionsKey, "Form2.Top"), std::string("450"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
