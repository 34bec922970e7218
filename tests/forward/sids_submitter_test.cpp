// SiDS submission against a local HTTP server: the form as sent, a server outage, a restart of
// the station, a refusal, a server that hangs, and blocks that must not be shared.
#include <gtest/gtest.h>

#include <QUrl>
#include <QUrlQuery>
#include <filesystem>
#include <regex>
#include <set>

#include "forward/sids_submitter.h"
#include "forward_blocks.h"
#include "http_test_server.h"
#include "qt_support.h"

namespace orv {
namespace {

const SidsStation kStation{"DL1ABC", 52.0146, 4.3647, kAo40NoradId};

std::filesystem::path FreshQueue(const char* name) {
    const auto path = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove(path);
    return path;
}

QUrl UrlOf(const test::HttpTestServer& server) {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/api/telemetry/").arg(server.Port()));
}

QUrlQuery Form(const test::HttpTestServer::Request& r) {
    return QUrlQuery(QString::fromStdString(r.body).replace('+', ' '));
}

// The frame numbers the server has seen, each once.
std::multiset<std::uint32_t> FramesSeen(const test::HttpTestServer& server) {
    std::multiset<std::uint32_t> out;
    for (const auto& r : server.requests) {
        const QByteArray frame = QByteArray::fromHex(Form(r).queryItemValue("frame").toLatin1());
        out.insert(test::ForwardBlockNumber(std::span(reinterpret_cast<const std::uint8_t*>(frame.constData()), 6)));
    }
    return out;
}

struct Submitter {
    ManualClock clock{1796869479};
    SidsSubmitter submitter{clock};
    explicit Submitter(const std::filesystem::path& queue, const QUrl& url) {
        QString error;
        EXPECT_TRUE(submitter.OpenQueue(queue, &error)) << error.toStdString();
        submitter.SetServer(url);
        submitter.SetStation(kStation);
        submitter.SetTimeoutMs(2000);
    }
};

TEST(SidsSubmitterTest, PostsTheFormFields) {
    test::EnsureApp();
    test::HttpTestServer server;
    ASSERT_TRUE(server.Listen());
    Submitter s(FreshQueue("sids_fields.queue"), UrlOf(server));
    const Block514 block = test::ForwardBlock(42);
    EXPECT_TRUE(s.submitter.Submit(test::Received(block, 1796869479)));
    ASSERT_TRUE(test::WaitUntil([&] { return s.submitter.Submitted() == 1; }));
    ASSERT_EQ(server.requests.size(), 1U);
    const auto& r = server.requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/api/telemetry/");
    EXPECT_EQ(r.contentType, "application/x-www-form-urlencoded");
    EXPECT_TRUE(std::regex_match(r.userAgent, std::regex("Orv/[0-9]+\\.[0-9]+\\.[0-9]+"))) << r.userAgent;
    const QUrlQuery form = Form(r);
    EXPECT_EQ(form.queryItemValue("noradID"), "26609");
    EXPECT_EQ(form.queryItemValue("source"), "DL1ABC");
    EXPECT_EQ(form.queryItemValue("timestamp", QUrl::FullyDecoded), "2026-12-10T02:24:39.000Z");
    EXPECT_EQ(form.queryItemValue("version", QUrl::FullyDecoded).toStdString(), r.userAgent);
    EXPECT_EQ(form.queryItemValue("frame"), QByteArray(reinterpret_cast<const char*>(block.data()), 514).toHex().toUpper());
    EXPECT_EQ(form.queryItemValue("locator"), "longLat");
    EXPECT_EQ(form.queryItemValue("longitude"), "4.3647E");
    EXPECT_EQ(form.queryItemValue("latitude"), "52.0146N");
    EXPECT_EQ(s.submitter.Queued(), 0U);
    EXPECT_EQ(s.submitter.Failed(), 0U);
}

TEST(SidsSubmitterTest, NeverSharesReplaysNorFailedBlocks) {
    test::EnsureApp();
    test::HttpTestServer server;
    ASSERT_TRUE(server.Listen());
    Submitter s(FreshQueue("sids_replay.queue"), UrlOf(server));
    Block514 bad = test::ForwardBlock(1);
    bad[300] ^= 0x10;
    EXPECT_FALSE(s.submitter.Submit(test::Received(test::ForwardBlock(2), 0, /*live=*/false)));
    EXPECT_FALSE(s.submitter.Submit(test::Received(bad)));
    EXPECT_EQ(s.submitter.Queued(), 0U);
    test::RunFor(300);
    EXPECT_TRUE(server.requests.empty());
}

// The server is down, then the station restarts, then the server comes back: every frame
// arrives once, in order.
TEST(SidsSubmitterTest, QueueOutlivesAnOutageAndARestart) {
    test::EnsureApp();
    const auto queue = FreshQueue("sids_outage.queue");
    test::HttpTestServer server;
    ASSERT_TRUE(server.Listen());
    const quint16 port = server.Port();
    const QUrl url = UrlOf(server);
    server.Close();  // down
    {
        Submitter s(queue, url);
        QString status;
        QObject::connect(&s.submitter, &SidsSubmitter::StatusChanged, [&](const QString& t) { status = t; });
        for (std::uint32_t i = 0; i < 5; ++i) EXPECT_TRUE(s.submitter.Submit(test::Received(test::ForwardBlock(i))));
        ASSERT_TRUE(test::WaitUntil([&] { return status.contains("next attempt in 10 s"); })) << status.toStdString();
        EXPECT_EQ(s.submitter.Queued(), 5U);
        // Not before the wait is over, however often it is asked.
        s.clock.Advance(9);
        s.submitter.Poll();
        EXPECT_FALSE(s.submitter.Busy());
        s.clock.Advance(1);
        s.submitter.Poll();
        EXPECT_TRUE(s.submitter.Busy());
        ASSERT_TRUE(test::WaitUntil([&] { return status.contains("next attempt in 20 s"); })) << status.toStdString();
        for (std::uint32_t i = 5; i < 8; ++i) s.submitter.Submit(test::Received(test::ForwardBlock(i)));
        EXPECT_EQ(s.submitter.Queued(), 8U);
    }  // the station stops
    ASSERT_TRUE(server.Listen(port));
    Submitter again(queue, url);
    EXPECT_EQ(again.submitter.Queued(), 8U);
    ASSERT_TRUE(test::WaitUntil([&] { return again.submitter.Queued() == 0; }));
    EXPECT_EQ(again.submitter.Submitted(), 8U);
    const auto seen = FramesSeen(server);
    EXPECT_EQ(seen, (std::multiset<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Form(server.requests.front()).queryItemValue("frame").left(12), "412000000000");
    test::RunFor(300);
    EXPECT_EQ(server.requests.size(), 8U);  // nothing sent twice
}

TEST(SidsSubmitterTest, RefusedFramesAreDroppedAndHangingServersRetried) {
    test::EnsureApp();
    test::HttpTestServer server;
    ASSERT_TRUE(server.Listen());
    Submitter s(FreshQueue("sids_refused.queue"), UrlOf(server));
    // 400: this frame is bad for the server; it is counted and the next one goes.
    server.status = 400;
    s.submitter.Submit(test::Received(test::ForwardBlock(1)));
    ASSERT_TRUE(test::WaitUntil([&] { return s.submitter.Failed() == 1; }));
    EXPECT_TRUE(s.submitter.LastError().contains("HTTP 400")) << s.submitter.LastError().toStdString();
    EXPECT_EQ(s.submitter.Queued(), 0U);
    // 503: the server's trouble; the frame waits.
    server.status = 503;
    s.submitter.Submit(test::Received(test::ForwardBlock(2)));
    ASSERT_TRUE(test::WaitUntil([&] { return s.submitter.LastError().contains("HTTP 503"); }));
    EXPECT_EQ(s.submitter.Queued(), 1U);
    // A server that takes the request and never answers: the time-out ends it, the frame waits.
    server.answer = false;
    s.clock.Advance(10);
    s.submitter.Poll();
    ASSERT_TRUE(test::WaitUntil([&] { return !s.submitter.Busy(); }));
    EXPECT_EQ(s.submitter.Queued(), 1U);
    server.answer = true;
    server.status = 200;
    s.clock.Advance(3600);
    s.submitter.Poll();
    ASSERT_TRUE(test::WaitUntil([&] { return s.submitter.Queued() == 0; }));
    EXPECT_EQ(s.submitter.Submitted(), 1U);
    EXPECT_EQ(s.submitter.Failed(), 1U);
}

}  // namespace
}  // namespace orv
