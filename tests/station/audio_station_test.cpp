// The station fed by the audio demodulator: raw samples over UDP on loopback through the
// demodulator and the ADC path into the telemetry log, a stream that stops and comes back,
// a station that falls behind its source, and sources that cannot be opened.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <fstream>
#include <iterator>
#include <thread>

#include "audio_test_util.h"
#include "qt_support.h"
#include "station_store.h"
#include "reception/clock.h"
#include "reception/settings_store.h"
#include "block_recorder.h"
#include "inputs/audio_input.h"
#include "station/headless_station.h"

namespace orv {
namespace {

using test::EnsureApp;
using test::RunFor;
using test::WaitUntil;

std::uint16_t FreeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// Raw s16le datagrams of `samples`, 1024 samples each.
std::vector<QByteArray> Datagrams(const std::vector<float>& samples) {
    std::vector<QByteArray> out;
    for (std::size_t at = 0; at < samples.size(); at += 1024) {
        QByteArray d;
        for (std::size_t i = at; i < std::min(samples.size(), at + 1024); ++i) {
            const auto v = static_cast<std::int16_t>(std::clamp(samples[i], -1.0f, 0.999f) * 32768.0f);
            d.append(static_cast<char>(v & 0xFF));
            d.append(static_cast<char>((v >> 8) & 0xFF));
        }
        out.push_back(d);
    }
    return out;
}

struct AudioStation : ::testing::Test {
    QTemporaryDir dir;
    MemoryStore store;
    SystemClock clock;
    std::vector<std::string> reports;
    std::uint16_t port = FreeUdpPort();
    QUdpSocket sender;

    AudioStation() {
        EnsureApp();
        test::FillStore(store, dir.path());
    }
    std::unique_ptr<HeadlessStation> Make(const AudioSettings& audio) {
        HeadlessSetup setup;
        setup.audio = audio;
        setup.dataDir = dir.path().toStdString();
        setup.logFec = true;
        return std::make_unique<HeadlessStation>(setup, store, clock, [this](const std::string& line) { reports.push_back(line); });
    }
    AudioSettings Udp(double rate) const {
        AudioSettings a;
        a.source = AudioSourceKind::Udp;
        a.udpPort = port;
        a.rate = rate;
        return a;
    }
    bool Reported(const std::string& part) const {
        return std::any_of(reports.begin(), reports.end(), [&](const std::string& r) { return r.find(part) != std::string::npos; });
    }
    void Send(const QByteArray& datagram) { sender.writeDatagram(datagram, QHostAddress::LocalHost, port); }
    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_F(AudioStation, UdpAudioIsDecodedIntoTheLogAndASilentStreamIsReported) {
    // 48 kHz as SDR programs send it, the carrier 90 Hz off the centre.
    AudioSynthOptions o;
    o.sampleRate = 48000.0;
    o.carrierHz = 1590.0;
    o.esNoDb = 15.0;
    o.levelDbfs = -20.0;
    AudioSynthesizer synth(o);
    const Block514 first = test::MakeBlock('A', 41);
    const FecData data = test::MakeFecData(42);
    const Block514 second = test::MakeBlock('E', 43);
    std::vector<float> audio;
    synth.AppendIdle(300, audio);
    synth.AppendUncodedBlock(first, audio);
    synth.AppendFecFrame(data, audio);
    synth.AppendUncodedBlock(second, audio);
    synth.AppendIdle(800, audio);  // past the demodulator's look-ahead

    auto station = Make(Udp(48000.0));
    ASSERT_EQ(station->Start(), 0) << (reports.empty() ? "" : reports.back());
    EXPECT_TRUE(Reported("UDP port " + std::to_string(port) + " at 48000 Hz"));
    EXPECT_EQ(station->station().state().settings.modemType, ModemType::Audio);
    int blocks = 0;
    test::BlockRecorder recorder;
    recorder.onBlock = [&](const ReceivedBlock&) { ++blocks; };
    station->station().AddSink(recorder);

    // About eight times the pace of the air, so the test is quick without outrunning the queue.
    const std::vector<QByteArray> datagrams = Datagrams(audio);
    for (std::size_t i = 0; i < datagrams.size(); ++i) {
        Send(datagrams[i]);
        if (i % 47 == 46) RunFor(12);
    }
    ASSERT_TRUE(WaitUntil([&] { return blocks >= 3; }, 120000)) << blocks << " blocks";

    std::string expected;
    const Block514 rebuilt = ReconstructFecBlock(data);
    for (const Block514* b : {&first, &rebuilt, &second}) expected.append(reinterpret_cast<const char*>(b->data()), kTelemetryBytes);
    EXPECT_EQ(ReadFile(station->station().logger().LogPath()), expected);
    EXPECT_EQ(station->station().Audio()->OverrunSamples(), 0u);

    // The sender stops: said once; it comes back: said once.
    ASSERT_TRUE(WaitUntil([&] { return Reported("no audio from UDP port"); }, 30000));
    Send(datagrams.front());
    ASSERT_TRUE(WaitUntil([&] { return Reported("again"); }, 10000));
    EXPECT_EQ(std::count_if(reports.begin(), reports.end(), [](const std::string& r) { return r.find("no audio") != std::string::npos; }), 1);
}

TEST_F(AudioStation, AStationThatFallsBehindItsSourceCountsAndReportsTheLostSamples) {
    auto station = Make(Udp(8000.0));
    ASSERT_EQ(station->Start(), 0);
    // The station's thread is busy (no events run) while 14 s of audio arrive; the queue holds 10 s.
    const QByteArray second(16000, '\0');
    QByteArray datagram = second.left(2048);
    for (int i = 0; i < 14 * 8000 / 1024; ++i) {
        Send(datagram);
        sender.flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(WaitUntil([&] { return Reported("audio overrun"); }, 10000));
    EXPECT_GT(station->station().Audio()->OverrunSamples(), 8000u * 2);
    EXPECT_LT(station->station().Audio()->OverrunSamples(), 8000u * 5);
}

TEST_F(AudioStation, SourcesThatCannotBeUsedAreRefusedWithAClearMessage) {
    const std::string notAudio = (dir.path() + "/notes.txt").toStdString();
    std::ofstream(notAudio) << "this is not audio\n";
    AudioSettings file;
    file.source = AudioSourceKind::File;
    file.file = notAudio;
    AudioSettings lowRate = Udp(4000.0);
    AudioSettings centreOutside = Udp(8000.0);
    centreOutside.centreHz = 3900.0;
    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::AnyIPv4, 0));
    AudioSettings busy = Udp(48000.0);
    busy.udpPort = taken.localPort();
    AudioSettings device;
    device.source = AudioSourceKind::Device;
    device.device = "no such card";
    const struct {
        AudioSettings settings;
        const char* says;
    } cases[] = {
        {file, "notes.txt"},
        {lowRate, "4000"},
        {centreOutside, "3900"},
        {busy, "cannot listen on UDP port"},
        {device, "no such card"},
    };
    for (const auto& c : cases) {
        reports.clear();
        auto station = Make(c.settings);
        EXPECT_EQ(station->Start(), 1) << c.says;
        ASSERT_FALSE(reports.empty()) << c.says;
        EXPECT_NE(reports.back().find("cannot open the audio input"), std::string::npos) << reports.back();
        EXPECT_NE(reports.back().find(c.says), std::string::npos) << reports.back();
        EXPECT_FALSE(station->station().PortOpen());
    }
}

}  // namespace
}  // namespace orv
