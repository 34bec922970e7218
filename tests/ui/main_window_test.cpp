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
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QRegularExpression>
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
#include "ui/window_text.h"

using namespace orv;
using test::FillStore;
using test::FillStoreWithDirectories;
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

        // What an untouched Save stores is shown selected; the audio fields hold their defaults.
        SetupChoices c = p.setupWindow.Choices();
        QCOMPARE(c.portItem, 0);
        QCOMPARE(c.modemItem, 1);  // "514 byte", what the receiver works with meanwhile
        QCOMPARE(c.baudItem, 0);
        QCOMPARE(c.logOnStartItem, 1);  // "Yes"
        QCOMPARE(c.bootItem, 1);        // "Server"
        QVERIFY(c.autoTime);
        QCOMPARE(c.audio.portField, std::string("7355"));
        QCOMPARE(c.audio.centreField, std::string("1500"));
        QCOMPARE(c.audio.rateField, std::string("48000"));

        // Saved untouched: no data directory yet, said once. Nothing is written.
        p.setupWindow.SaveButton()->click();
        QCOMPARE(messages.texts, QStringList{"Choose the data directory (\"Default Directory\"): the folder for the logs."});
        QVERIFY(store.Read(kStartupKey, "Com Port No.").empty());
        QVERIFY(store.Read(kStartupKey, "Default Directory").empty());
        QVERIFY(p.setupWindow.isVisible());

        // Choose a port, a directory, "Auto" and the 512-byte modem; leave "Log On Start" and
        // "TCP/IP Boot" as shown.
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

    // "Save" makes the data directory ready or says once why it cannot be used; the store keeps
    // the old one then. No port chosen stores port 1, never 0.
    void SetupSaveMakesTheDataDirectoryOrSaysWhyNot() {
        FillStoreWithDirectories(store, tmp.path());
        QFile plain(tmp.path() + "/plain");
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        Program p(store, clock, messages);
        const struct {
            QString field;
            QString says;
        } bad[] = {
            {" ", "Choose the data directory (\"Default Directory\"): the folder for the logs."},
            {"orv-data", "The data directory must be a full path, not \"orv-data\": choose it with \"Browse...\"."},
            {tmp.path() + "/plain", "The data directory cannot be used:\n" + QDir::toNativeSeparators(tmp.path() + "/plain") + "\nNot a directory"},
            {tmp.path() + "/plain/orv", "The data directory cannot be used:\n" + QDir::toNativeSeparators(tmp.path() + "/plain/orv")},
        };
        for (const auto& b : bad) {
            messages.texts.clear();
            p.mainWindow.SetupClick();
            SetupChoices c = p.setupWindow.Choices();
            c.directoryField = b.field.toStdString();
            p.setupWindow.SetChoices(c);
            p.setupWindow.SaveButton()->click();
            QCOMPARE(messages.texts.size(), 1);
            QVERIFY2(messages.texts[0].startsWith(b.says), qPrintable(messages.texts[0]));
            QVERIFY(p.setupWindow.isVisible());
            QCOMPARE(store.Read(kStartupKey, "Default Directory"), tmp.path().toStdString());
        }
        messages.texts.clear();
        const QString fresh = tmp.path() + "/fresh/station";
        SetupChoices c = p.setupWindow.Choices();
        c.directoryField = fresh.toStdString();
        c.portItem = -1;
        p.setupWindow.SetChoices(c);
        p.setupWindow.SaveButton()->click();
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(QDir(fresh + "/telemetry").exists());
        QVERIFY(QDir(fresh + "/Dsp").exists());
        QCOMPARE(store.Read(kStartupKey, "Default Directory"), fresh.toStdString());
        QCOMPARE(store.Read(kStartupKey, "Com Port No."), std::string("1"));
        // A "Com Port No." of 0 stored by an earlier version names no device.
        store.Write(kStartupKey, "Com Port No.", "0");
        p.station.LoadSettings();
        QCOMPARE(p.station.SerialDevice(), QString());
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        QVERIFY2(messages.texts.last().contains("no serial device is chosen: choose it in Setup"), qPrintable(messages.texts.last()));
        QVERIFY(!messages.texts.last().contains("ttyS-1"));
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
        QCOMPARE(p.setupWindow.AudioRateField()->text(), QString("48000"));
        QCOMPARE(c.audio.searchField, std::string("1000"));
        // A field that is not usable: said, and nothing written.
        const struct {
            const char* port;
            const char* centre;
            const char* rate;
            const char* search;
            QString says;
        } bad[] = {{"7355", "abc", "48000", "1000", "'abc' is not a centre frequency in Hz (100 to 20000)"},
                   {"0", "1500", "48000", "1000", "'0' is not a UDP port (1 to 65535)"},
                   {"7355", "1500", "4000", "1000", "'4000' is not a sample rate in Hz (8000 to 192000)"},
                   {"7355", "1500", "48000", "1600", "'1600' is not a search range in Hz (0 to 1500)"}};
        for (const auto& b : bad) {
            messages.texts.clear();
            c.audio.portField = b.port;
            c.audio.centreField = b.centre;
            c.audio.rateField = b.rate;
            c.audio.searchField = b.search;
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
        c.audio.rateField = "8000";
        c.audio.searchField = "300";
        p.setupWindow.SetChoices(c);
        p.setupWindow.SaveButton()->click();
        QVERIFY(!p.setupWindow.isVisible());
        QCOMPARE(store.Read(kStartupKey, "Modem Type"), std::string("Audio"));
        QCOMPARE(store.Read(kStartupKey, "Audio Source"), std::string("UDP"));
        QCOMPARE(store.Read(kStartupKey, "Audio UDP Port"), port);
        QCOMPARE(store.Read(kStartupKey, "Audio Centre"), std::string("1620.5"));
        QCOMPARE(store.Read(kStartupKey, "Audio Rate"), std::string("8000"));
        QCOMPARE(store.Read(kStartupKey, "Audio Search"), std::string("300"));
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
        // Its pictures beside it.
        QVERIFY(QFileInfo::exists(QFileInfo(copy).dir().filePath("guide-audio-signal.png")));
        QVERIFY(!p.mainWindow.GuideWindowShown());
        // Nothing opens it: the built-in guide in a window of the program.
        handled = false;
        p.mainWindow.HelpClick();
        QWidget* guide = p.mainWindow.GuideWindowShown();
        QVERIFY(guide && guide->isVisible());
        auto* browser = qobject_cast<QTextBrowser*>(guide);
        QVERIFY(browser && browser->toPlainText().size() > 200);
        // Every picture it shows is there.
        const QString html = browser->toHtml();
        static const QRegularExpression image(QStringLiteral("<img src=\"([^\"]+)\""));
        int pictures = 0;
        for (auto it = image.globalMatch(html); it.hasNext(); ++pictures) {
            const QString name = it.next().captured(1);
            QVERIFY2(!browser->loadResource(QTextDocument::ImageResource, QUrl(name)).isNull(), qPrintable(name));
        }
        QVERIFY(pictures >= 5);
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

    // Replay switches live reception off: the main window says so while Replay is open, and once it
    // is closed offers to return to what was on.
    void ReplaySaysItSwitchedReceptionOffAndOffersItBack() {
        FillStoreWithDirectories(store, tmp.path());
        Program p(store, clock, messages);
        test::PseudoTerminalModem modem(p.station);
        QVERIFY(modem.Select(TextSelection::Raw));
        p.loggingWindow.LogOnStart();
        QVERIFY(!p.mainWindow.LiveReceptionNote()->isVisibleTo(&p.mainWindow));
        p.mainWindow.ReplayClick();
        QVERIFY(!p.station.PortOpen());
        QVERIFY(p.mainWindow.LiveReceptionNote()->isVisibleTo(&p.mainWindow));
        QCOMPARE(p.mainWindow.LiveReceptionNote()->text(),
                 QString("Replay has switched off live reception (\"Raw\"). Logging waits for blocks."));
        QVERIFY(!p.mainWindow.ResumeButton()->isVisibleTo(&p.mainWindow));
        p.replayWindow.close();
        QCOMPARE(p.mainWindow.LiveReceptionNote()->text(),
                 QString("Live reception is still off since the replay. Logging waits for blocks."));
        QVERIFY(p.mainWindow.ResumeButton()->isVisibleTo(&p.mainWindow));
        QCOMPARE(p.mainWindow.ResumeButton()->text(), QString("Return to \"Raw\""));
        p.mainWindow.ResumeButton()->click();
        QVERIFY(p.station.PortOpen());
        QVERIFY(p.mainWindow.TextButton(TextSelection::Raw)->isChecked());
        QVERIFY(!p.mainWindow.LiveReceptionNote()->isVisibleTo(&p.mainWindow));
        QVERIFY(!p.mainWindow.ResumeButton()->isVisibleTo(&p.mainWindow));
    }

    // Every menu and item has its underlined letter; F10, or Alt pressed and released alone, opens
    // the first menu. The TCP/IP window's item is named after it.
    void MenusAreReachedByTheKeyboard() {
        FillStore(store, tmp.path());
        Program p(store, clock, messages);
        p.mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.mainWindow));
        p.mainWindow.activateWindow();
        QMenuBar* bar = p.mainWindow.menuBar();
        for (QAction* menu : bar->actions()) {
            QVERIFY2(menu->text().contains('&'), qPrintable(menu->text()));
            for (QAction* item : menu->menu()->actions())
                if (!item->isSeparator()) QVERIFY2(item->text().contains('&'), qPrintable(item->text()));
        }
        QCOMPARE(p.mainWindow.MenuAction(MenuWindow::TcpIp)->text().remove('&'), QString("TCP/IP"));
        QCOMPARE(p.networkWindow.windowTitle(), QString("TCP/IP - Orv"));
        QTest::keyClick(&p.mainWindow, Qt::Key_F10);
        QTRY_VERIFY(bar->activeAction() && bar->activeAction()->menu()->isVisible());
        QCOMPARE(bar->activeAction(), bar->actions().front());
        bar->activeAction()->menu()->close();
        QTRY_VERIFY(!bar->actions().front()->menu()->isVisible());
        bar->setActiveAction(nullptr);
        QTest::keyPress(&p.mainWindow, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(&p.mainWindow, Qt::Key_Alt);
        QTRY_VERIFY(bar->activeAction() && bar->activeAction()->menu()->isVisible());
        bar->activeAction()->menu()->close();
        // Alt used with another key (a mnemonic) opens nothing by itself.
        QTRY_VERIFY(!bar->actions().front()->menu()->isVisible());
        bar->setActiveAction(nullptr);
        QTest::keyPress(&p.mainWindow, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyClick(&p.mainWindow, Qt::Key_Q, Qt::AltModifier);
        QTest::keyRelease(&p.mainWindow, Qt::Key_Alt);
        QTest::qWait(50);
        QVERIFY(!bar->activeAction() || !bar->activeAction()->menu()->isVisible());
    }

    // Every window's title: its words, then " - Orv"; no padding, no slip of the pen.
    void WindowTitlesHaveOneForm() {
        QCOMPARE(WindowTitle(u" Setup                Orv"), QString("Setup - Orv"));
        QCOMPARE(WindowTitle(u"  Logging"), QString("Logging - Orv"));
        QCOMPARE(WindowTitle(u"DSP-93 Loader              OrvCC"), QString("DSP-93 Loader - Orv"));
        QCOMPARE(WindowTitle(u"Orv   Graphic Data Byte"), QString("Graphic Data Byte - Orv"));
        QCOMPARE(WindowTitle(u" Power          Orv", "raw values"), QString("Power (raw values) - Orv"));
        FillStore(store, tmp.path());
        Program p(store, clock, messages);
        int windows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowType() != Qt::Window && w->windowType() != Qt::Dialog) continue;
            if (w == &p.mainWindow || w->windowTitle().isEmpty()) continue;
            ++windows;
            const QString t = w->windowTitle();
            QVERIFY2(t.endsWith(" - Orv") && t == t.simplified() && !t.contains("OrvCC"), qPrintable(t));
            QVERIFY2(t.count("Orv") == 1, qPrintable(t));
        }
        QVERIFY(windows >= 20);
        QCOMPARE(p.mainWindow.windowTitle(), QString("Orv"));
    }

    // The picture of the audio signal has its menu item (with modem type "Audio") and keeps its
    // place.
    void AudioSignalWindowOpensFromTheMenuAndKeepsItsPlace() {
        FillStore(store, tmp.path());
        store.Write(kStartupKey, "Modem Type", "Audio");
        Program p(store, clock, messages);
        QMenu* menu = nullptr;
        for (QAction* a : p.mainWindow.menuBar()->actions())
            if (a->text() == "&Menu") menu = a->menu();
        QVERIFY(menu);
        emit menu->aboutToShow();
        QVERIFY(p.mainWindow.MenuAction(MenuWindow::AudioSignal)->isVisible());
        p.mainWindow.MenuAction(MenuWindow::AudioSignal)->trigger();
        QVERIFY(p.audioSignalWindow.isVisible());
        p.audioSignalWindow.move(120, 90);
        p.audioSignalWindow.close();
        QCOMPARE(store.Read(kFormPositionsKey, "Form21.Left"), std::string("1800"));
        QCOMPARE(store.Read(kFormPositionsKey, "Form21.Top"), std::string("1350"));
        p.station.SetModemType(ModemType::Bytes514);
        emit menu->aboutToShow();
        QVERIFY(!p.mainWindow.MenuAction(MenuWindow::AudioSignal)->isVisible());
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
