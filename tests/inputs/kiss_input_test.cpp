// KISS out -> KISS in, byte for byte: over TCP (with a server restart in between), through a
// file, and through standard input; gr-satellites' KISS output (FEC frames as their 256 data
// bytes, timestamps) into the pipeline; what counts as live; skipped frames told once.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "fec/fec_block.h"
#include "forward/kiss.h"
#include "forward/kiss_file_writer.h"
#include "forward/kiss_server.h"
#include "block_recorder.h"
#include "file_contents.h"
#include "forward_blocks.h"
#include "gr_satellites_kiss.h"
#include "inputs/kiss_input.h"
#include "pipeline/reception_pipeline.h"
#include "qt_support.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A station's reception pipeline behind a KISS input, keeping the bytes of every block.
struct Received {
    Received() { pipeline.AddSink(recorder); }
    std::vector<Bytes> Blocks() const {
        std::vector<Bytes> out;
        for (const auto& b : recorder.blocks) out.push_back(b.bytes);
        return out;
    }
    std::size_t Count() const { return recorder.blocks.size(); }
    StationState state;
    ManualClock clock{1'000'000'000};
    test::BlockRecorder recorder;
    ReceptionPipeline pipeline{state, clock};
};

std::vector<Block514> SomeBlocks(std::uint32_t from, std::uint32_t count) {
    std::vector<Block514> out;
    for (std::uint32_t i = from; i < from + count; ++i) out.push_back(test::ForwardBlock(i, "AEKD"[i % 4]));
    return out;
}

void ExpectSame(const std::vector<Bytes>& got, const std::vector<Block514>& sent) {
    ASSERT_EQ(got.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(got[i], Bytes(sent[i].begin(), sent[i].end())) << "block " << i;
}

TEST(KissTcpTest, ServerToInputByteForByteAcrossAServerRestart) {
    test::EnsureApp();
    KissServer server;
    ASSERT_TRUE(server.Listen(0, QHostAddress::LocalHost)) << server.Server().ErrorText().toStdString();
    const std::uint16_t port = server.Server().Port();
    Received a, b;
    KissInput inputA(a.pipeline), inputB(b.pipeline);
    inputA.ConnectTo("127.0.0.1", port, 1);
    inputB.ConnectTo("127.0.0.1", port);
    ASSERT_TRUE(test::WaitUntil([&] { return server.Server().ClientCount() == 2; }));

    const auto first = SomeBlocks(0, 200);
    for (const auto& blk : first) server.Send(test::Received(blk));
    ASSERT_TRUE(test::WaitUntil([&] { return a.Count() == 200 && b.Count() == 200; }));
    ExpectSame(a.Blocks(), first);
    ExpectSame(b.Blocks(), first);
    EXPECT_EQ(inputA.Deframer().Skips().Total(), 0U);

    // The server goes away and comes back on the same port: input A reconnects on its own.
    QString status;
    QObject::connect(&inputA, &KissInput::Status, [&](const QString& s) { status = s; });
    server.Stop();
    ASSERT_TRUE(test::WaitUntil([&] { return status.contains("trying again"); })) << status.toStdString();
    ASSERT_TRUE(server.Listen(port, QHostAddress::LocalHost));
    ASSERT_TRUE(test::WaitUntil([&] { return server.Server().ClientCount() == 1 && inputA.IsConnected(); }));
    const auto second = SomeBlocks(200, 50);
    for (const auto& blk : second) server.Send(test::Received(blk));
    ASSERT_TRUE(test::WaitUntil([&] { return a.Count() == 250; }));
    const std::vector<Bytes> all = a.Blocks();
    std::vector<Bytes> tail(all.begin() + 200, all.end());
    ExpectSame(tail, second);
    EXPECT_EQ(server.FramesSent(), 250U);
}

// A frame that points to a wrong feed is told at once, the commands a TNC stream carries
// (TX delay) never; the rest is counted for the summary.
TEST(KissTcpTest, TheFirstWrongFrameIsToldAtOnceTheRestCounted) {
    test::EnsureApp();
    QTcpServer raw;
    ASSERT_TRUE(raw.listen(QHostAddress::LocalHost));
    Received got;
    KissInput input(got.pipeline);
    QStringList statuses;
    QObject::connect(&input, &KissInput::Status, [&](const QString& s) {
        if (s.contains("skipped")) statuses << s;
    });
    input.ConnectTo("127.0.0.1", raw.serverPort());
    ASSERT_TRUE(test::WaitUntil([&] { return raw.hasPendingConnections(); }));
    QTcpSocket* peer = raw.nextPendingConnection();
    const auto send = [&](const Bytes& bytes) {
        peer->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    };
    Bytes stream;
    AppendKissFrame(stream, Bytes{0x20}, 0, 1);  // TX delay
    send(stream);
    stream.clear();
    AppendKissFrame(stream, Bytes(100, 0x41));
    send(stream);
    ASSERT_TRUE(test::WaitUntil([&] { return !statuses.isEmpty(); }));
    stream.clear();
    AppendKissFrame(stream, Bytes(300, 0x41));
    const Block514 block = test::ForwardBlock(9);
    AppendKissFrame(stream, block);
    send(stream);
    ASSERT_TRUE(test::WaitUntil([&] { return got.Count() == 1; }));
    ExpectSame(got.Blocks(), {block});
    ASSERT_EQ(statuses.size(), 1);
    EXPECT_TRUE(statuses[0].startsWith("KISS input: skipped 1 frame of a size other than 256, 512 or 514 bytes "
                                       "(the last 100 bytes); 1 frame neither data nor a timestamp; further"))
        << statuses[0].toStdString();
    EXPECT_EQ(KissInput::LevelOf(statuses[0]), StatusLevel::Warning);
    EXPECT_EQ(input.SkipsSummary(), "KISS input: skipped 2 frames of a size other than 256, 512 or 514 bytes (the last "
                                    "300 bytes); 1 frame neither data nor a timestamp");
}

// Reads a KISS file to its end into `got`; the status lines it gave.
QStringList ReadKissFile(Received& got, const std::filesystem::path& path) {
    KissInput input(got.pipeline);
    QStringList statuses;
    bool finished = false;
    QObject::connect(&input, &KissInput::Status, [&](const QString& s) { statuses << s; });
    QObject::connect(&input, &KissInput::Ended, [&] { finished = true; });
    QString error;
    EXPECT_TRUE(input.OpenStream(QString::fromStdString(path.string()), &error)) << error.toStdString();
    EXPECT_TRUE(test::WaitUntil([&] { return finished; }));
    return statuses;
}

// gr-satellites' KISS output as it writes it: an uncoded block enters as its 514 bytes, an FEC
// frame's 256 data bytes as the block this station's own FEC decoder rebuilds from them (the FEC
// data kept beside it), each with the time of its timestamp frame; the FEC log gets a line with
// the frame's time and MA. Timestamped blocks count as live; the commands gr-satellites does not
// send are silent.
TEST(KissStreamTest, GrSatellitesFramesEnterAsTheirBlocksWithTheirTimes) {
    test::EnsureApp();
    const auto dir = std::filesystem::path(::testing::TempDir()) / "kiss_gr_satellites";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "telemetry");
    const Block514 uncoded = test::ForwardBlock(1);
    const auto fec = test::FecFrameData(5);
    const auto path = dir / "gr.kiss";
    ASSERT_TRUE(test::WriteBytes(path, test::GrSatellitesKiss({{Bytes(uncoded.begin(), uncoded.end()), 1796869479250},
                                                               {Bytes(fec.begin(), fec.end()), 1796869489750}})));
    Received got;
    got.state.settings.logFec = true;
    got.state.workingDataDirectory = dir.string();
    const QStringList statuses = ReadKissFile(got, path);
    EXPECT_TRUE(statuses.isEmpty()) << statuses.join('\n').toStdString();
    ASSERT_EQ(got.Count(), 2U);
    const test::RecordedBlock& first = got.recorder.blocks[0];
    EXPECT_EQ(first.bytes, Bytes(uncoded.begin(), uncoded.end()));
    EXPECT_EQ(first.utcMilliseconds, 1796869479250);
    EXPECT_FALSE(first.fecData.has_value());
    const test::RecordedBlock& second = got.recorder.blocks[1];
    const Block514 rebuilt = ReconstructFecBlock(fec);
    EXPECT_EQ(second.bytes, Bytes(rebuilt.begin(), rebuilt.end()));
    EXPECT_EQ(second.Verdict(), "OK");
    EXPECT_EQ(second.origin, BlockOrigin::Kiss);
    ASSERT_TRUE(second.fecData.has_value());
    EXPECT_EQ(*second.fecData, fec);
    EXPECT_EQ(second.utcMilliseconds, 1796869489750);
    for (const auto& b : got.recorder.blocks) {
        EXPECT_TRUE(b.timeFromInput);
        EXPECT_TRUE(b.live);
    }
    // Day 9494 after 1978-01-01; only what the data tell: no sync gain, corrections or Eb/No.
    const std::string log = test::ReadText((dir / "telemetry" / "9494_FEC.txt").string());
    EXPECT_NE(log.find("\r\n    0    02:24:39    77" + std::string(32, ' ') + "\r\n"), std::string::npos) << log;
}

// A server's blocks are received now: live, with the station's time. A file's or standard
// input's blocks without timestamps are a recording of unknown age: not live.
TEST(KissStreamTest, BlocksWithoutTimesAreLiveOnlyFromAServer) {
    test::EnsureApp();
    const Block514 block = test::ForwardBlock(2);
    Bytes stream;
    AppendKissFrame(stream, block);
    const auto path = std::filesystem::path(::testing::TempDir()) / "kiss_untimed.kiss";
    ASSERT_TRUE(test::WriteBytes(path, stream));
    Received fromFile;
    ReadKissFile(fromFile, path);
    ASSERT_EQ(fromFile.Count(), 1U);
    EXPECT_FALSE(fromFile.recorder.blocks[0].live);
    EXPECT_FALSE(fromFile.recorder.blocks[0].timeFromInput);
    EXPECT_EQ(fromFile.recorder.blocks[0].utcMilliseconds, 1'000'000'000'000);

    KissServer server;
    ASSERT_TRUE(server.Listen(0, QHostAddress::LocalHost));
    Received fromServer;
    KissInput input(fromServer.pipeline);
    input.ConnectTo("127.0.0.1", server.Server().Port());
    ASSERT_TRUE(test::WaitUntil([&] { return server.Server().HasClients(); }));
    server.Send(test::Received(block));
    ASSERT_TRUE(test::WaitUntil([&] { return fromServer.Count() == 1; }));
    EXPECT_TRUE(fromServer.recorder.blocks[0].live);
    EXPECT_FALSE(fromServer.recorder.blocks[0].timeFromInput);
}

TEST(KissStreamTest, FileWriterToFileInput) {
    test::EnsureApp();
    const auto path = std::filesystem::path(::testing::TempDir()) / "kiss_io_test.kiss";
    std::filesystem::remove(path);
    const auto blocks = SomeBlocks(0, 300);  // several read pieces
    KissFileWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(path, error)) << error;
    for (const auto& blk : blocks) ASSERT_TRUE(writer.Write(test::Received(blk)));
    writer.Close();

    Received got;
    KissInput input(got.pipeline);
    bool finished = false;
    QString finishError = "none";
    QObject::connect(&input, &KissInput::Ended, [&](const QString& e) {
        finished = true;
        finishError = e;
    });
    QString openError;
    ASSERT_TRUE(input.OpenStream(QString::fromStdString(path.string()), &openError)) << openError.toStdString();
    ASSERT_TRUE(test::WaitUntil([&] { return finished; }));
    EXPECT_TRUE(finishError.isEmpty()) << finishError.toStdString();
    ExpectSame(got.Blocks(), blocks);

    KissInput missing(got.pipeline);
    EXPECT_FALSE(missing.OpenStream(QString::fromStdString((path / "nope").string()), &openError));
    EXPECT_TRUE(openError.contains("cannot open")) << openError.toStdString();
}

TEST(KissStreamTest, StandardInput) {
    test::EnsureApp();
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const int savedStdin = ::dup(0);
    ASSERT_EQ(::dup2(fds[0], 0), 0);
    ::close(fds[0]);

    Received got;
    bool finished = false;
    {
        KissInput input(got.pipeline);
        QObject::connect(&input, &KissInput::Ended, [&] { finished = true; });
        ASSERT_TRUE(input.OpenStream("-"));
        const auto blocks = SomeBlocks(0, 20);
        Bytes stream;
        for (const auto& blk : blocks) AppendKissFrame(stream, blk);
        // Half now, the rest later: frames split across pipe reads.
        const std::size_t half = stream.size() / 2 + 3;
        ASSERT_EQ(::write(fds[1], stream.data(), half), static_cast<ssize_t>(half));
        ASSERT_TRUE(test::WaitUntil([&] { return got.Count() >= 10; }));
        EXPECT_FALSE(finished);
        ASSERT_EQ(::write(fds[1], stream.data() + half, stream.size() - half),
                  static_cast<ssize_t>(stream.size() - half));
        ::close(fds[1]);
        ASSERT_TRUE(test::WaitUntil([&] { return finished; }));
        ExpectSame(got.Blocks(), blocks);
    }
    ::dup2(savedStdin, 0);
    ::close(savedStdin);
}

}  // namespace
}  // namespace orv
