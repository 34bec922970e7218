// MQTT out through a real mosquitto broker on loopback: what arrives on the topics (the status
// and the telemetry retained), the broker going away and coming back, the bounded queue, a login
// with a password file, and TLS with the broker's certificate checked (made by openssl).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <set>
#include <vector>

#include "forward/block_json.h"
#include "forward/mqtt_publisher.h"
#include "forward_blocks.h"
#include "mosquitto_broker.h"

namespace orv {
namespace {

#define REQUIRE_MOSQUITTO()                                                                         \
    if (test::MosquittoProgram().isEmpty()) GTEST_SKIP() << "the mosquitto broker is not installed " \
                                                            "(Debian package mosquitto)"

QJsonObject Json(const std::string& text) { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }

MqttOptions Options(quint16 port, const char* prefix) {
    MqttOptions o;
    o.port = port;
    o.topicPrefix = prefix;
    return o;
}

TEST(MqttPublisherTest, BlocksAndTelemetryArriveAsJson) {
    REQUIRE_MOSQUITTO();
    test::EnsureApp();
    test::MosquittoBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Output().toStdString();
    test::MqttRecorder recorder(broker.Port(), "station1");
    ASSERT_TRUE(test::WaitUntil([&] { return recorder.Subscribed(); }));

    MqttPublisher publisher;
    std::string error;
    ASSERT_TRUE(publisher.Start(Options(broker.Port(), "station1/"), error)) << error;
    const Block514 a = test::ForwardBlock(1, 'A'), e = test::ForwardBlock(2, 'E');
    Block514 failed = a;
    failed[200] ^= 1;
    publisher.Publish(test::Received(a, 1796869479));
    publisher.Publish(test::Received(e));
    publisher.Publish(test::Received(failed));  // no telemetry from a failed block
    ASSERT_TRUE(test::WaitUntil([&] { return recorder.Count() == 5; }));
    test::RunFor(200);
    // MQTT keeps the order within a topic, not across topics.
    std::vector<std::string> blocks, telemetries, status;
    for (const auto& m : recorder.Messages()) {
        if (m.topic == "station1/block") blocks.push_back(m.payload);
        else if (m.topic == "station1/telemetry") telemetries.push_back(m.payload);
        else if (m.topic == "station1/status") status.push_back(m.payload);
        else ADD_FAILURE() << "unexpected topic " << m.topic;
    }
    ASSERT_EQ(blocks.size(), 3U);
    ASSERT_EQ(telemetries.size(), 1U);
    EXPECT_EQ(status, std::vector<std::string>{"online"});

    const QJsonObject block = Json(blocks[0]);
    EXPECT_EQ(block["time"].toString(), "2026-12-10T02:24:39Z");
    EXPECT_EQ(block["kind"].toString(), "A");
    EXPECT_EQ(block["verdict"].toString(), "OK");
    EXPECT_EQ(block["live"].toBool(), true);
    EXPECT_EQ(QByteArray::fromHex(block["hex"].toString().toLatin1()),
              QByteArray(reinterpret_cast<const char*>(a.data()), 514));
    EXPECT_EQ(Json(blocks[1])["kind"].toString(), "E");
    EXPECT_EQ(Json(blocks[2])["verdict"].toString(), "FAIL");

    // The telemetry is exactly what orv-cli station --json prints for the block, and "live".
    const QJsonObject telemetry = Json(telemetries[0]);
    EXPECT_EQ(telemetry["live"].toBool(), true);
    QJsonObject withoutLive = telemetry;
    withoutLive.remove(QStringLiteral("live"));
    EXPECT_EQ(withoutLive, BlockTelemetryJson(a, "OK", 1796869479));
    EXPECT_EQ(telemetry["crcc"].toString(), "OK");
    EXPECT_EQ(telemetry["displays"].toObject().keys(), (QStringList{"matrix", "nav", "power", "status", "temp"}));
    EXPECT_GT(telemetry["displays"]["status"]["fields"].toArray().size(), 10);
    EXPECT_EQ(publisher.Published(), 4U);  // the status is the publisher's own, not counted
    EXPECT_EQ(publisher.Dropped(), 0U);

    // Stopped, the publisher says "offline"; a dashboard that starts later finds that and the
    // last telemetry, retained.
    publisher.Stop();
    ASSERT_TRUE(test::WaitUntil([&] { return recorder.On("station1/status").size() == 2; }));
    EXPECT_EQ(recorder.On("station1/status")[1].payload, "offline");
    test::MqttRecorder later(broker.Port(), "station1", true, "orv-test-later");
    ASSERT_TRUE(test::WaitUntil([&] { return later.Count() == 2; }));
    test::RunFor(200);
    EXPECT_EQ(later.Count(), 2U);  // no block: only the status and the telemetry are kept
    for (const auto& m : later.Messages()) EXPECT_TRUE(m.retained) << m.topic;
    EXPECT_EQ(later.On("station1/status").at(0).payload, "offline");
    EXPECT_EQ(later.On("station1/telemetry").at(0).payload, telemetries[0]);
}

// The broker is down at the start, comes up, goes away and comes back: the publisher never
// waits, reconnects on its own, and the QoS 1 messages it held arrive.
TEST(MqttPublisherTest, ReconnectsAndDeliversAfterBrokerRestarts) {
    REQUIRE_MOSQUITTO();
    test::EnsureApp();
    test::MosquittoBroker broker;
    MqttPublisher publisher;
    std::string error;
    ASSERT_TRUE(publisher.Start(Options(broker.Port(), "orv"), error)) << error;
    const auto publishRange = [&](std::uint32_t from, std::uint32_t to) {
        for (std::uint32_t i = from; i < to; ++i) publisher.Publish(test::Received(test::ForwardBlock(i, 'K')));
    };
    publishRange(0, 5);  // nobody there yet
    EXPECT_EQ(publisher.Queued(), 5);

    ASSERT_TRUE(broker.Start()) << broker.Output().toStdString();
    auto recorder = std::make_unique<test::MqttRecorder>(broker.Port(), "orv");
    ASSERT_TRUE(test::WaitUntil([&] { return recorder->Subscribed(); }));
    publishRange(5, 10);
    ASSERT_TRUE(test::WaitUntil([&] { return publisher.Published() == 10; }, 10000)) << publisher.Status().toStdString();

    broker.Stop();
    ASSERT_TRUE(test::WaitUntil([&] { return !publisher.Connected(); }));
    EXPECT_TRUE(publisher.Status().contains("lost")) << publisher.Status().toStdString();
    publishRange(10, 20);
    ASSERT_TRUE(broker.Start()) << broker.Output().toStdString();
    ASSERT_TRUE(test::WaitUntil([&] { return publisher.Published() >= 20 && recorder->Count() >= 20; }, 20000))
        << publisher.Published() << " published, " << recorder->Count() << " received; " << publisher.Queued()
        << " queued; " << publisher.Status().toStdString() << "; broker: " << broker.Output().toStdString();
    test::RunFor(300);

    std::set<std::uint32_t> numbers;
    std::vector<std::uint32_t> firstArrivals;
    for (const auto& m : recorder->Messages()) {
        const QByteArray bytes = QByteArray::fromHex(Json(m.payload)["hex"].toString().toLatin1());
        const std::uint32_t n =
            test::ForwardBlockNumber(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), 6));
        if (numbers.insert(n).second) firstArrivals.push_back(n);
    }
    EXPECT_EQ(numbers.size(), 20U);  // QoS 1 is at least once: each of the twenty came
    // In the order published, also what waited for the first connection and for the reconnection.
    EXPECT_TRUE(std::is_sorted(firstArrivals.begin(), firstArrivals.end()));
    EXPECT_EQ(*numbers.rbegin(), 19U);
    EXPECT_EQ(publisher.Dropped(), 0U);
    recorder.reset();
}

TEST(MqttPublisherTest, QueueIsBoundedWhileTheBrokerIsAway) {
    REQUIRE_MOSQUITTO();
    test::EnsureApp();
    MqttOptions o = Options(test::FreeLoopbackPort(), "orv");  // nothing listens there
    o.maxQueued = 5;
    MqttPublisher publisher;
    std::string error;
    ASSERT_TRUE(publisher.Start(o, error)) << error;
    for (std::uint32_t i = 0; i < 20; ++i) publisher.Publish(test::Received(test::ForwardBlock(i, 'E')));
    EXPECT_EQ(publisher.Queued(), 5);
    EXPECT_EQ(publisher.Dropped(), 15U);

    for (const char* prefix : {"", "/", "a/+", "a/#"}) {
        EXPECT_FALSE(publisher.Start(Options(1883, prefix), error)) << prefix;
        EXPECT_NE(error.find("prefix"), std::string::npos) << error;
    }
}

// A station stopped while its broker is away stops at once, not after the wait before the next
// attempt (which grows to a minute).
TEST(MqttPublisherTest, StopsAtOnceWhileWaitingForTheBroker) {
    test::EnsureApp();
    MqttPublisher publisher;
    std::string error;
    ASSERT_TRUE(publisher.Start(Options(test::FreeLoopbackPort(), "orv"), error)) << error;
    test::RunFor(5500);  // a few attempts: the wait before the next one is several seconds now
    QElapsedTimer stopping;
    stopping.start();
    publisher.Stop();
    EXPECT_LT(stopping.elapsed(), 1500);
}

TEST(MqttPublisherTest, LogsInWithThePasswordFromItsFile) {
    REQUIRE_MOSQUITTO();
    const QString passwd = test::MosquittoProgram("mosquitto_passwd");
    if (passwd.isEmpty()) GTEST_SKIP() << "mosquitto_passwd is not installed";
    test::EnsureApp();
    QTemporaryDir dir;
    const QString users = dir.filePath("users");
    ASSERT_EQ(QProcess::execute(passwd, {"-b", "-c", users, "station", "s3cret"}), 0);
    test::MosquittoBroker broker("allow_anonymous false\npassword_file " + users.toStdString() + "\n");
    ASSERT_TRUE(broker.Start()) << broker.Output().toStdString();

    const std::string passwordFile = dir.filePath("password").toStdString();
    std::ofstream(passwordFile) << "s3cret\n";
    MqttOptions o = Options(broker.Port(), "orv");
    o.user = "station";
    std::string error;
    ASSERT_TRUE(ReadPasswordFile(passwordFile, o.password, error)) << error;
    EXPECT_EQ(o.password, "s3cret");
    EXPECT_FALSE(ReadPasswordFile(dir.filePath("none").toStdString(), o.password, error));
    o.password = "s3cret";

    MqttOptions wrong = o;
    wrong.password = "guess";
    MqttPublisher refused, accepted;
    ASSERT_TRUE(refused.Start(wrong, error)) << error;
    ASSERT_TRUE(test::WaitUntil([&] { return refused.Status().contains("refused"); }))
        << refused.Status().toStdString();
    ASSERT_TRUE(accepted.Start(o, error));
    ASSERT_TRUE(test::WaitUntil([&] { return accepted.Connected(); })) << accepted.Status().toStdString();
}

// Runs openssl with `args` in `dir`; false when it is missing or fails.
bool OpenSsl(const QTemporaryDir& dir, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("openssl", args);
    return p.waitForStarted(10000) && p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit &&
           p.exitCode() == 0;
}

// A certificate authority and the broker's certificate for 127.0.0.1 signed by it; and a second
// authority that has signed nothing of the broker's.
bool MakeCertificates(const QTemporaryDir& dir) {
    std::ofstream(dir.filePath("san.cnf").toStdString()) << "subjectAltName = IP:127.0.0.1, DNS:localhost\n";
    return OpenSsl(dir, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Orv test CA",
                         "-keyout", "ca.key", "-out", "ca.crt"}) &&
           OpenSsl(dir, {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", "broker.key",
                         "-out", "broker.csr"}) &&
           OpenSsl(dir, {"x509", "-req", "-in", "broker.csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial",
                         "-days", "2", "-extfile", "san.cnf", "-out", "broker.crt"}) &&
           OpenSsl(dir, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Another CA",
                         "-keyout", "other.key", "-out", "other.crt"});
}

// Over TLS the broker's certificate is checked: a broker whose certificate the given authority
// signed takes the messages; against another authority no connection is made, and the status
// says why. A CA file that cannot be read is refused at the start.
TEST(MqttPublisherTest, TlsChecksTheBrokersCertificate) {
    REQUIRE_MOSQUITTO();
    test::EnsureApp();
    QTemporaryDir certificates;
    if (!MakeCertificates(certificates)) GTEST_SKIP() << "openssl is not installed or could not make the certificates";
    const auto file = [&](const char* name) { return certificates.filePath(name).toStdString(); };
    test::MosquittoBroker broker("allow_anonymous true\ncafile " + file("ca.crt") + "\ncertfile " + file("broker.crt") +
                                 "\nkeyfile " + file("broker.key") + "\n");
    ASSERT_TRUE(broker.Start()) << broker.Output().toStdString();

    MqttOptions o = Options(broker.Port(), "tls");
    o.caFile = file("ca.crt");
    MqttPublisher trusted;
    std::string error;
    ASSERT_TRUE(trusted.Start(o, error)) << error;
    ASSERT_TRUE(test::WaitUntil([&] { return trusted.Connected(); }, 20000)) << trusted.Status().toStdString();
    trusted.Publish(test::Received(test::ForwardBlock(1)));
    ASSERT_TRUE(trusted.WaitUntilSent(10000));
    EXPECT_EQ(trusted.Published(), 2U);

    o.caFile = file("other.crt");
    MqttPublisher untrusted;
    ASSERT_TRUE(untrusted.Start(o, error)) << error;
    ASSERT_TRUE(test::WaitUntil([&] { return untrusted.Status().contains("trying again"); }, 20000))
        << untrusted.Status().toStdString();
    EXPECT_TRUE(untrusted.Status().contains("certificate verify failed")) << untrusted.Status().toStdString();
    EXPECT_FALSE(untrusted.Connected());

    o.caFile = file("none.crt");
    MqttPublisher missing;
    EXPECT_FALSE(missing.Start(o, error));
    EXPECT_NE(error.find("CA file"), std::string::npos) << error;
}

}  // namespace
}  // namespace orv
