// The station as both executables run it: its stores, its data directory and the rules of who
// holds the serial port, with a pseudo-terminal for a port and loopback sockets.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "free_port.h"
#include "pty.h"
#include "sealed_block.h"
#include "qt_support.h"
#include "station_store.h"
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

TEST_F(StationRules, EveryUserOfTheDataDirectoryFollowsSavedSettings) {
    EXPECT_EQ(station->TelemetryDirectory(), std::filesystem::path(dir.path().toStdString()) / "telemetry");
    station->StartLogging();
    const std::string moved = dir.path().toStdString() + "/moved";
    station->SetDataDirectory(moved);  // as Setup's Save writes it
    station->SettingsSaved();
    EXPECT_EQ(station->TelemetryDirectory(), std::filesystem::path(moved) / "telemetry");
    EXPECT_EQ(station->logger().LogPath().parent_path(), std::filesystem::path(moved) / "telemetry");
    EXPECT_EQ(station->adc().FecLogDirectory(), std::filesystem::path(moved) / "telemetry");
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
