// KISS out -> KISS in, byte for byte: over TCP (with a server restart in between), through a
// file, and through standard input.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "forward/kiss.h"
#include "forward/kiss_file_writer.h"
#include "forward/kiss_server.h"
#include "block_recorder.h"
#include "forward_blocks.h"
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

TEST(KissTcpTest, OtherFramesAreSkippedWithOneSummary) {
    test::EnsureApp();
    QTcpServer raw;
    ASSERT_TRUE(raw.listen(QHostAddress::LocalHost));
    Received got;
    KissInput input(got.pipeline);
    QStringList summaries;
    QObject::connect(&input, &KissInput::Status, [&](const QString& s) {
        if (s.contains("skipped")) summaries << s;
    });
    input.ConnectTo("127.0.0.1", raw.serverPort());
    ASSERT_TRUE(test::WaitUntil([&] { return raw.hasPendingConnections(); }));
    QTcpSocket* peer = raw.nextPendingConnection();
    Bytes stream;
    AppendKissFrame(stream, Bytes(100, 0x41));
    const Block514 block = test::ForwardBlock(9);
    AppendKissFrame(stream, block);
    peer->write(reinterpret_cast<const char*>(stream.data()), static_cast<qint64>(stream.size()));
    ASSERT_TRUE(test::WaitUntil([&] { return got.Count() == 1; }));
    ExpectSame(got.Blocks(), {block});
    ASSERT_EQ(summaries.size(), 1);
    EXPECT_TRUE(summaries[0].contains("1 frame of a size other than 512 or 514 bytes (the last 100 bytes)"))
        << summaries[0].toStdString();
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
