// The station as both executables run it: its stores, its data directory and the rules of who
// holds the serial port, with a pseudo-terminal for a port and loopback sockets.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTemporaryDir>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "free_port.h"
#include "pty.h"
#include "sealed_block.h"
#include "qt_support.h"
#include "station_store.h"
#include "audio/audio_settings.h"
#include "inputs/audio_input.h"
#include "reception/clock.h"
#include "reception/settings_store.h"
#include "station/demo_station.h"
#include "station/network_control.h"
#include "station/station.h"

namespace orv {
namespace {

using test::EnsureApp;
using test::WaitUntil;

struct StationRules : ::testing::Test {
    QTemporaryDir dir;
    test::PtyPair pty;
    MemoryStore store;
    ManualClock clock{1072793109};
    std::unique_ptr<Station> station;
    int selectionChanges = 0;

    StationRules() {
        EnsureApp();
        test::FillStore(store, dir.path());
        station = std::make_unique<Station>(store, clock);
        station->LoadSettings();
        station->SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        QObject::connect(station.get(), &Station::SelectionChanged, [this] { ++selectionChanges; });
    }
    bool SerialOpen() { return station->PortOpen(); }
};

// What the station shows of each block, in order.
struct RecordingView final : StationView {
    std::vector<std::string> events;
    std::string crcc, count;
    char id = 0;
    Block512 lastText{};
    void ShowBlockId(char c) override { id = c; }
    void ShowByteCount(std::string_view t) override { count = t; }
    void ShowCrccStatus(std::string_view t) override { crcc = t; }
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes, const std::optional<std::string>&) override {
        std::copy(bytes.begin(), bytes.end(), lastText.begin());
        events.push_back(std::string("text ") + static_cast<char>(bytes[0] & 0x7F));
    }
    void DispatchBlock() override { events.push_back("dispatch"); }
};

// The station's own sinks: the text view under "Raw", the display dispatch by kind and
// selection, the Input labels, and the stores the log's stamp reaches.
TEST_F(StationRules, EachBlockIsShownAndDispatchedByItsKindAndTheSelection) {
    RecordingView view;
    station->SetView(&view);
    struct Case {
        TextSelection selection;
        char id;
        bool eventsMode;
        bool dispatched;
        bool textShown;
    };
    const Case cases[] = {
        {TextSelection::Raw, 'A', false, true, true},  {TextSelection::K, 'A', false, false, false},
        {TextSelection::K, 'K', false, true, false},   {TextSelection::L, 'K', false, false, false},
        {TextSelection::Off, 'D', false, true, false}, {TextSelection::Raw, 'E', false, false, true},
        {TextSelection::Raw, 'E', true, true, true},   {TextSelection::Raw, 'Z', false, false, true},
    };
    for (const Case& c : cases) {
        view.events.clear();
        station->SelectText(c.selection);
        station->ChooseEvents(c.eventsMode);
        clock.Advance(3);
        station->SerialBytes(test::SealedBlock(c.id, true, 0x41));
        EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "dispatch"), c.dispatched ? 1 : 0) << c.id;
        EXPECT_EQ(std::count(view.events.begin(), view.events.end(), std::string("text ") + c.id), c.textShown ? 1 : 0)
            << c.id;
        EXPECT_EQ(view.id, c.id);
        EXPECT_EQ(view.crcc, "OK");
        EXPECT_EQ(view.count, "514");
    }
    // The K block reached its copy although the view did not redraw.
    EXPECT_EQ(station->state().stores.text[0][0], 'K');
    station->SetView(nullptr);
}

TEST_F(StationRules, WhileLoggingAFailedBlockKeepsTheStampOnlyWhereTheLogHasIt) {
    RecordingView view;
    station->SetView(&view);
    station->PrepareDataDirectory([](const std::string&) {});
    station->SelectText(TextSelection::Raw);
    station->StartLogging();
    const Block514 bad = test::SealedBlock('A', false, 0x41);
    clock.Advance(3);
    station->SerialBytes(bad);
    EXPECT_EQ(view.crcc, "FAIL");
    // The text view shows the failed mark, not the stamp; the last complete block and the log
    // carry both.
    EXPECT_EQ(view.lastText[0], 'A' | 0x80);
    EXPECT_EQ(view.lastText[466], 0x41);
    const BlockStores& stores = station->state().stores;
    EXPECT_EQ(std::string(stores.lastComplete.begin() + 466, stores.lastComplete.begin() + 469), "P3D");
    EXPECT_EQ(stores.lastComplete[469], bad[512]);
    QFile log(QString::fromStdString(station->logger().LogPath().string()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    ASSERT_EQ(logged.size(), 512);
    EXPECT_TRUE(std::equal(stores.lastComplete.begin(), stores.lastComplete.end(),
                           reinterpret_cast<const std::uint8_t*>(logged.constData())));
    station->SetView(nullptr);
}

TEST_F(StationRules, StoresThatHeldNoBlockStartWithNoBlockId) {
    const BlockStores& stores = station->state().stores;
    for (const Block514* store : {&stores.display, &stores.lastA, &stores.lastE}) EXPECT_EQ((*store)[0], 0xFF);
    EXPECT_EQ(stores.current[0], 0x00);
}

TEST_F(StationRules, DspLoadTakesThePortAndGivesItBack) {
    station->SelectText(TextSelection::Raw);
    ASSERT_TRUE(SerialOpen());
    station->BeginDspLoad();
    EXPECT_FALSE(SerialOpen());
    EXPECT_EQ(station->Selection(), TextSelection::Off);
    EXPECT_FALSE(station->TelemetrySelectable());
    // Bytes arriving meanwhile are not telemetry.
    station->SerialBytes(std::vector<std::uint8_t>(514, 'A'));
    EXPECT_EQ(station->state().receiver.position, 0);
    station->EndDspLoad();
    EXPECT_TRUE(SerialOpen());
    EXPECT_EQ(station->Selection(), TextSelection::Raw);
    EXPECT_GE(selectionChanges, 3);
}

TEST_F(StationRules, ReplaySwitchesOffTheSerialPortAndAServingOrConnectedLink) {
    station->SelectText(TextSelection::Raw);
    NetworkControl& network = station->network();
    network.SetPortText(QString::number(test::FreeTcpPort()));
    network.SelectMode(NetMode::Server);
    ASSERT_TRUE(station->relay().Server().IsListening());
    station->OpenReplay();
    EXPECT_FALSE(SerialOpen());
    EXPECT_FALSE(station->relay().Server().IsListening());
    EXPECT_EQ(network.Mode(), NetMode::Off);
    EXPECT_TRUE(station->state().flags.replayOpened);
    EXPECT_EQ(station->SelectText(TextSelection::Raw).portOpened, false);
    station->CloseReplay();
    EXPECT_TRUE(station->TelemetrySelectable());
    EXPECT_FALSE(SerialOpen());  // the port stays closed; "OFF" stays chosen
    EXPECT_TRUE(station->state().flags.replayOpened);  // the display gate stays open for the run
}

// "Replay" chosen again while the window is open raises it: the file stays loaded where it was.
TEST_F(StationRules, ReplayOpenedAgainKeepsItsFile) {
    const std::string path = dir.path().toStdString() + "/seven.tlm";
    {
        std::ofstream file(path, std::ios::binary);
        for (int i = 0; i < 7; ++i) {
            const Block512 a = test::StandardBlock('A', static_cast<std::uint8_t>(i));
            file.write(reinterpret_cast<const char*>(a.data()), a.size());
        }
    }
    station->OpenReplay();
    ASSERT_TRUE(station->LoadReplayFile(path).loaded);
    station->replay().ForwardFive();
    station->ShowReplayBlock();
    station->OpenReplay();
    EXPECT_EQ(station->replay().Total(), 7u);
    EXPECT_EQ(station->replay().Current(), 6u);
    station->replay().ForwardOne();
    station->ShowReplayBlock();
    EXPECT_EQ(station->state().stores.display[2], 6);  // block 7 reached the displays
    // Shown anew after closing, the window starts without a file.
    station->CloseReplay();
    station->OpenReplay();
    EXPECT_EQ(station->replay().Total(), 0u);
}

// Replay takes over from a client that holds the serial port closed: "OFF" first, so the end of
// the client mode gives no port back, not even for a moment. Once replay ends, the link is
// offered back.
TEST_F(StationRules, ReplayAfterAClientLinkLeavesThePortClosedAndOffersTheLinkBack) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    station->SelectText(TextSelection::Raw);
    ASSERT_TRUE(SerialOpen());
    NetworkControl& network = station->network();
    network.SelectMode(NetMode::Client);
    EXPECT_FALSE(SerialOpen());
    network.SetAddressText("127.0.0.1");
    network.SetPortText(QString::number(server.serverPort()));
    network.PressConnect();
    ASSERT_TRUE(WaitUntil([&] { return station->state().flags.networkInputActive; }));
    // The device is gone meanwhile: any attempt to open it would be reported.
    station->SetSerialOverride("/dev/orv-no-such-device");
    int failed = 0;
    QObject::connect(station.get(), &Station::PortOpenFailed, [&] { ++failed; });
    station->OpenReplay();
    EXPECT_EQ(failed, 0);
    EXPECT_FALSE(SerialOpen());
    EXPECT_EQ(station->client().State(), RelayClientInput::LinkState::Off);
    EXPECT_EQ(station->Selection(), TextSelection::Off);
    station->CloseReplay();
    EXPECT_EQ(failed, 0);
    ASSERT_TRUE(station->LiveReceptionToResume());
    EXPECT_EQ(station->LiveReceptionBeforeReplay(), "the link to 127.0.0.1:" + std::to_string(server.serverPort()));
    station->ResumeLiveReception();
    EXPECT_TRUE(WaitUntil([&] { return station->state().flags.networkInputActive; }));
    EXPECT_EQ(station->Selection(), TextSelection::Raw);
    EXPECT_FALSE(station->LiveReceptionToResume());
}

TEST_F(StationRules, WhatReplaySwitchedOffIsOfferedBackUntilAnInputIsChosen) {
    station->SelectText(TextSelection::L);
    NetworkControl& network = station->network();
    network.SetPortText(QString::number(test::FreeTcpPort()));
    network.SelectMode(NetMode::Server);
    station->OpenReplay();
    EXPECT_TRUE(station->LiveReceptionToResume());
    station->ResumeLiveReception();  // not while replay runs
    EXPECT_FALSE(SerialOpen());
    station->CloseReplay();
    EXPECT_EQ(station->LiveReceptionBeforeReplay(), "\"L\" and the relay server");
    station->ResumeLiveReception();
    EXPECT_TRUE(SerialOpen());
    EXPECT_EQ(station->Selection(), TextSelection::L);
    EXPECT_TRUE(station->relay().Server().IsListening());
    // The operator's own choice after replay ends the offer; with nothing on, none is made.
    station->OpenReplay();
    station->CloseReplay();
    station->SelectText(TextSelection::Raw);
    EXPECT_FALSE(station->LiveReceptionToResume());
    station->SelectText(TextSelection::Off);
    network.SelectMode(NetMode::Off);
    station->OpenReplay();
    station->CloseReplay();
    EXPECT_FALSE(station->LiveReceptionToResume());
}

// A saved Setup that changes the audio source while it is received switches to the new source
// at once, and says what it reads now; an unchanged Save leaves the input as it is.
TEST_F(StationRules, ASavedSetupReopensTheAudioInputWhenItsSourceChanged) {
    AudioSettings audio;
    audio.source = AudioSourceKind::Udp;
    audio.udpPort = test::FreeTcpPort();
    WriteAudioSettings(store, audio);
    station->SetModemType(ModemType::Audio);
    QStringList status;
    QObject::connect(station.get(), &Station::InputStatus, [&](const QString& text) { status << text; });
    station->SelectText(TextSelection::Raw);
    ASSERT_TRUE(station->Audio());
    const AudioInput* first = station->Audio();
    station->SettingsSaved();
    EXPECT_EQ(station->Audio(), first);
    audio.udpPort = test::FreeTcpPort();
    audio.rate = 8000;
    WriteAudioSettings(store, audio);
    station->SettingsSaved();
    ASSERT_TRUE(station->Audio());
    const QString now = QStringLiteral("UDP port %1 at 8000 Hz").arg(audio.udpPort);
    EXPECT_EQ(station->Audio()->Description(), now);
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.last(), "reading " + now);
    EXPECT_EQ(station->Selection(), TextSelection::Raw);
    // A modem type whose input cannot open: reported, and "OFF".
    int failed = 0;
    QObject::connect(station.get(), &Station::PortOpenFailed, [&] { ++failed; });
    station->SetModemType(ModemType::Bytes514);
    station->SetSerialOverride("/dev/orv-no-such-device");
    station->SettingsSaved();
    EXPECT_EQ(failed, 1);
    EXPECT_FALSE(SerialOpen());
    EXPECT_EQ(station->Selection(), TextSelection::Off);
}

// Start-up checks the data directory without changing the process's current directory; a
// directory that cannot be made is said once.
TEST_F(StationRules, StartUpMakesTheDataDirectoryAndSaysOnceWhenItCannot) {
    const auto before = std::filesystem::current_path();
    QStringList said;
    const auto inform = [&](const std::string& text) { said << QString::fromStdString(text); };
    station->SetDataDirectory(dir.path().toStdString() + "/new");
    station->PrepareDataDirectory(inform);
    EXPECT_EQ(said.size(), 3);
    EXPECT_TRUE(QDir(dir.path() + "/new/telemetry").exists());
    EXPECT_EQ(std::filesystem::current_path(), before);
    said.clear();
    std::ofstream(dir.path().toStdString() + "/plain-file") << "x";
    station->SetDataDirectory(dir.path().toStdString() + "/plain-file/orv");
    station->PrepareDataDirectory(inform);
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].startsWith("The data directory cannot be used:\n" + dir.path() + "/plain-file/orv\n"))
        << said[0].toStdString();
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST_F(StationRules, UdpModeKeepsTheSerialPortAndEndingClientModeReopensIt) {
    station->SelectText(TextSelection::N);
    NetworkControl& network = station->network();
    network.SelectMode(NetMode::Client);
    EXPECT_FALSE(SerialOpen());
    network.SelectMode(NetMode::Udp);
    EXPECT_TRUE(SerialOpen());
    EXPECT_EQ(station->Selection(), TextSelection::N);
    // "OFF" chosen during client mode keeps the port shut afterwards.
    network.SelectMode(NetMode::Client);
    station->SelectText(TextSelection::Off);
    network.SelectMode(NetMode::Off);
    EXPECT_FALSE(SerialOpen());
}

TEST_F(StationRules, APortThatCannotBeOpenedIsReportedWithTheDevice) {
    station->SetSerialOverride("/dev/orv-no-such-device");
    QString device;
    QString reason;
    QObject::connect(station.get(), &Station::PortOpenFailed, [&](const QString& d, const QString& r) {
        device = d;
        reason = r;
    });
    const SelectionResult r = station->SelectText(TextSelection::Raw);
    EXPECT_TRUE(r.portFailed);
    EXPECT_EQ(device, "/dev/orv-no-such-device");
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(station->Selection(), TextSelection::Off);
}

TEST_F(StationRules, EveryUserOfTheDataDirectoryFollowsSavedSettingsAndTheLogKeepsItsDay) {
    EXPECT_EQ(station->TelemetryDirectory(), std::filesystem::path(dir.path().toStdString()) / "telemetry");
    ASSERT_TRUE(station->StartLogging());
    ASSERT_EQ(station->logger().FileName(), "T031230.raw");
    int loggingChanged = 0;
    QObject::connect(station.get(), &Station::LoggingChanged, [&] { ++loggingChanged; });
    // Saved after midnight, unchanged: the run goes on in the file of the day it started.
    clock.Advance(12 * 3600);
    station->SettingsSaved();
    EXPECT_EQ(station->logger().FileName(), "T031230.raw");
    EXPECT_EQ(station->logger().LogPath(), std::filesystem::path(dir.path().toStdString()) / "telemetry" / "T031230.raw");
    // A new data directory: the same file name there, and the Logging window is told.
    const std::string moved = dir.path().toStdString() + "/moved";
    station->SetDataDirectory(moved);  // as Setup's Save writes it
    station->SettingsSaved();
    EXPECT_EQ(station->TelemetryDirectory(), std::filesystem::path(moved) / "telemetry");
    EXPECT_EQ(station->logger().LogPath(), std::filesystem::path(moved) / "telemetry" / "T031230.raw");
    EXPECT_EQ(station->adc().FecLogDirectory(), std::filesystem::path(moved) / "telemetry");
    EXPECT_EQ(loggingChanged, 2);
    // Without a data directory (the first-run Setup cancelled) nothing is logged anywhere.
    station->StopLogging();
    station->SetDataDirectory("");
    EXPECT_FALSE(station->StartLogging());
    EXPECT_FALSE(station->logger().Logging());
}

// A stored "Event Buffer Size" is the grid's size from the start, as the grid can show it; a
// size the operator answers again is no change and keeps the marks.
TEST_F(StationRules, EventBufferSizeIsReadAtStartUpWithinTheSizesTheGridShows) {
    const struct {
        const char* stored;
        int size;
    } cases[] = {{"32", 32}, {"24", 24}, {"20", 16}, {"5", 8}, {"65536", 32}, {"", 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        store.Write(kStartupKey, "Event Buffer Size", c.stored);
        Station started(store, clock);
        started.LoadSettings();
        EXPECT_EQ(started.logger().Grid().BufferSize(), c.size);
        EXPECT_EQ(started.state().settings.eventBufferSize, c.size);
    }
    store.Write(kStartupKey, "Event Buffer Size", "32");
    station = std::make_unique<Station>(store, clock);
    station->LoadSettings();
    station->SetSerialOverride(QString::fromStdString(pty.SlavePath()));
    station->PrepareDataDirectory([](const std::string&) {});
    ASSERT_TRUE(station->StartLogging());
    station->SelectText(TextSelection::Raw);
    // Event 0x1F lies in slot 31 of 32 (slot 15 of a grid of 16).
    Block512 e = test::StandardBlock('E', 'x');
    std::memcpy(&e[135], "001F", 4);
    clock.Advance(3);
    station->SerialBytes(test::OnTheWire(e));
    EXPECT_TRUE(station->logger().Grid().CapturedOk(31));
    EXPECT_EQ(station->SetEventBufferSize("32"), 32);
    EXPECT_TRUE(station->logger().Grid().CapturedOk(31));
}

TEST(DemoStationData, KeptWhenTheOperatorLoggedAndDeletedOtherwise) {
    EnsureApp();
    QString kept;
    for (const bool logged : {false, true}) {
        SCOPED_TRACE(logged);
        QString dir;
        QString note;
        {
            DemoStation demo;
            ASSERT_TRUE(demo.Error().isEmpty()) << demo.Error().toStdString();
            dir = demo.DataDirectory();
            EXPECT_TRUE(demo.StartNote().contains(QDir::toNativeSeparators(dir))) << demo.StartNote().toStdString();
            // The ADC path's FEC log is no telemetry log of the operator's.
            QFile(dir + "/telemetry/fec.log").open(QIODevice::WriteOnly);
            if (logged) QFile(dir + "/telemetry/T031230.raw").open(QIODevice::WriteOnly);
            note = demo.Finish();
        }
        EXPECT_EQ(QDir(dir).exists(), logged) << note.toStdString();
        EXPECT_EQ(note.contains("kept in " + QDir::toNativeSeparators(dir + "/telemetry")), logged) << note.toStdString();
        EXPECT_EQ(note.contains("deleted"), !logged) << note.toStdString();
        if (logged) kept = dir;
    }
    QDir(kept).removeRecursively();
}

}  // namespace
}  // namespace orv
