// orv-cli station with an SDR as its input: an rtl_tcp server (tests/support) streams a recording
// at the pace the station asks for; the station tunes it, logs the blocks it decodes, reports the
// server's end and connects again. A SoapySDR device that does not exist is refused clearly.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "iq_test_util.h"
#include "orv_cli_process.h"
#include "rtl_tcp_server.h"

namespace orv {
namespace {

int argc = 1;
char name[] = "sdr_station_tests";
char* argv[] = {name, nullptr};

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(SdrStation, TunesAnRtlTcpServerLogsTheBlocksAndConnectsAgainWhenItStops) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    // 250 kHz (an rtl-sdr rate), the beacon 3.1 kHz above where the operator expects it, which is
    // 20 kHz below the centre; the server plays it four times faster than the air.
    const IqSynthOptions o{
        .sampleRate = 250000.0, .beaconHz = -20000.0 + 3100.0, .driftHzPerSecond = 1.0, .esNoDb = 15.0, .dcLevel = 0.02};
    IqSynthesizer synth(o);
    std::vector<std::complex<float>> samples;
    const Block514 block = test::MakeBlock('A', 51);
    const FecData data = test::MakeFecData(52);
    synth.AppendIdle(200, samples);
    synth.AppendUncodedBlock(block, samples);
    synth.AppendIdle(20, samples);
    synth.AppendFecFrame(data, samples);
    synth.AppendIdle(200, samples);
    std::vector<std::uint8_t> cu8;
    ComplexToIq(IqFormat::Cu8, samples, cu8);
    test::RtlTcpServer server(cu8, 4.0);

    const QString address = QStringLiteral("127.0.0.1:%1").arg(server.Port());
    test::OrvCliProcess station({"--settings", dir.filePath("orv.ini"), "station", "--rtl-tcp", address, "--frequency",
                                 "739750000", "--offset", "-20000", "--sdr-rate", "250000", "--gain", "40.2", "--ppm", "-3",
                                 "--data-dir", dir.path()});
    ASSERT_TRUE(station.Said("receiving IQ from rtl_tcp " + address + " at 739750000 Hz, 250000 samples/s")) << station.err.toStdString();
    // Found where it is: -16900 Hz at the start, 1 Hz/s higher each second since.
    ASSERT_TRUE(station.Said("Hz from the offset), Es/N0")) << station.err.toStdString();
    const auto found = QRegularExpression("beacon found at (-?\\d+) Hz from the centre").match(station.err);
    ASSERT_TRUE(found.hasMatch()) << station.err.toStdString();
    EXPECT_NEAR(found.captured(1).toDouble(), -16900.0, 30.0) << station.err.toStdString();
    ASSERT_TRUE(station.Said("Link lost to: rtl_tcp " + address + "; reconnecting in 5 s")) << station.err.toStdString();
    ASSERT_TRUE(test::WaitUntil([&] { return server.Connections() == 2 && server.Commands().size() == 10; }, 15000));
    EXPECT_EQ(station.Stop(), 0);

    // Rate, centre, correction, manual gain in tenths of a dB; the same again on reconnecting.
    const std::vector<test::RtlTcpServer::Command> commands = server.Commands();
    const std::uint32_t expected[][2] = {{0x02, 250000}, {0x01, 739750000}, {0x05, static_cast<std::uint32_t>(-3)}, {0x03, 1}, {0x04, 402}};
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i][0], expected[i % 5][0]) << i;
        EXPECT_EQ(test::RtlTcpServer::Value(commands[i]), expected[i % 5][1]) << i;
    }
    EXPECT_EQ(station.Lines().size(), 2) << station.out.toStdString();
    const QStringList logs = QDir(dir.filePath("telemetry")).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    const Block514 rebuilt = ReconstructFecBlock(data);
    std::string expectedLog(reinterpret_cast<const char*>(block.data()), kTelemetryBytes);
    expectedLog.append(reinterpret_cast<const char*>(rebuilt.data()), kTelemetryBytes);
    EXPECT_TRUE(ReadFile(dir.filePath("telemetry/" + logs.front())) == expectedLog);
}

// A recording is played at the pace of the air; its end is said and the station goes on serving.
TEST(SdrStation, PlaysAnIqFileAtThePaceOfTheAir) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    IqSynthesizer synth({.sampleRate = 64000.0, .esNoDb = 10.0, .dcLevel = 0.02});
    std::vector<std::complex<float>> samples;
    synth.AppendSilence(1.5, samples);
    const QString path = dir.filePath("noise.cu8");
    test::WriteRawIq(path.toStdString(), IqFormat::Cu8, samples);
    QElapsedTimer clock;
    clock.start();
    test::OrvCliProcess station({"--settings", dir.filePath("orv.ini"), "station", "--iq-file", path, "--sdr-rate", "64000",
                                 "--data-dir", dir.path()});
    ASSERT_TRUE(station.Said("the IQ file " + path + " ended")) << station.err.toStdString();
    EXPECT_GE(clock.elapsed(), 1400);
    EXPECT_EQ(station.process.state(), QProcess::Running);
    EXPECT_EQ(station.Stop(), 0);
}

TEST(SdrStation, RefusesAnSdrItCannotOpenOrOptionsThatDoNotFit) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const struct {
        QStringList args;
        int code;
        QString message;
    } cases[] = {
        {{"--sdr", "driver=nonexistent", "--frequency", "739750000"}, 1,
         "cannot open the SDR input: cannot open the SDR \"driver=nonexistent\": "},
        {{"--rtl-tcp", "127.0.0.1:1234"}, 2, "an SDR needs --frequency HZ, the centre it is tuned to"},
        {{"--rtl-tcp", "127.0.0.1:1234", "--frequency", "739750000", "--sdr-rate", "30000"}, 1,
         "cannot open the SDR input: sample rate 30000 Hz is outside 32000..20000000 Hz"},
        {{"--rtl-tcp", "127.0.0.1:1234", "--frequency", "739750000", "--offset", "600000"}, 1,
         "the band searched (+-5000 Hz around it) does not fit within +-512000 Hz of the centre"},
        {{"--rtl-tcp", "127.0.0.1:1234", "--frequency", "739750000", "--gain", "loud"}, 2,
         "--gain \"loud\" is not auto or a gain in dB (0..100)"},
        {{"--sdr", "driver=rtlsdr", "--rtl-tcp", "127.0.0.1:1234", "--frequency", "1"}, 2,
         "give one SDR input: --rtl-tcp, --sdr or --iq-file"},
        {{"--serial", "/dev/null", "--offset", "5"}, 2, "--frequency, --offset, --search, --sdr-rate, --gain and --ppm belong to an SDR input"},
        {{"--iq-file", dir.filePath("none.sigmf-meta")}, 1, "cannot open the SigMF metadata"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        test::OrvCliProcess station(QStringList{"--settings", dir.filePath("orv.ini"), "station"} + c.args);
        ASSERT_TRUE(station.Ended());
        EXPECT_EQ(station.process.exitCode(), c.code);
        EXPECT_TRUE(station.err.contains(c.message)) << station.err.toStdString();
    }
}

}  // namespace
}  // namespace orv
