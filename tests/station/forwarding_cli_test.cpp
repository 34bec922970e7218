// orv-cli station's forwarding options as separate processes: a station reading KISS from a file
// writes KISS that a second station reads from standard input, and both logs are the same; option
// values that cannot work are refused with a message and status 2 before anything starts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "forward/kiss.h"
#include "forward_blocks.h"

namespace orv {
namespace {

struct CliRun {
    int code = -1;
    QString err;
};

CliRun OrvCli(const QTemporaryDir& dir, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(ORV_CLI, QStringList{"--settings", dir.filePath("orv.ini"), "station"} + args);
    if (!p.waitForStarted(30000)) return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, QString::fromLocal8Bit(p.readAllStandardError())};
}

QByteArray Logs(const QString& dataDir) {
    QByteArray all;
    const QDir dir(dataDir + "/telemetry");
    for (const QString& name : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) all += f.readAll();  // names carry the date: not compared
    }
    return all;
}

TEST(StationCliForwardingTest, KissOutOfOneStationIntoAnotherGivesTheSameLog) {
    QTemporaryDir dir;
    std::vector<std::uint8_t> kiss;
    for (std::uint32_t n = 1; n <= 5; ++n) AppendKissFrame(kiss, test::ForwardBlock(n, n == 3 ? 'E' : 'A'));
    Block514 failed = test::ForwardBlock(6);
    failed[40] ^= 1;
    AppendKissFrame(kiss, failed);
    QFile in(dir.filePath("in.kiss"));
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write(reinterpret_cast<const char*>(kiss.data()), static_cast<qint64>(kiss.size()));
    in.close();

    const CliRun a = OrvCli(dir, {"--kiss-in", in.fileName(), "--kiss-out", dir.filePath("a.kiss"), "--data-dir",
                               dir.filePath("a")});
    ASSERT_EQ(a.code, 0) << a.err.toStdString();
    QFile out(dir.filePath("a.kiss"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray aKiss = out.readAll();
    EXPECT_EQ(aKiss, QByteArray(reinterpret_cast<const char*>(kiss.data()), static_cast<qsizetype>(kiss.size())));

    const CliRun b = OrvCli(dir, {"--kiss-in", "-", "--data-dir", dir.filePath("b")}, aKiss);
    ASSERT_EQ(b.code, 0) << b.err.toStdString();
    const QByteArray logA = Logs(dir.filePath("a"));
    EXPECT_EQ(logA.size(), 6 * 512);  // every block, the failed one too
    EXPECT_EQ(Logs(dir.filePath("b")), logA);
}

TEST(StationCliForwardingTest, UnusableValuesAreRefused) {
    QTemporaryDir dir;
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"--kiss-in", "-", "--kiss-serve", "70000"}, "--kiss-serve \"70000\" is not a port"},
        {{"--kiss-connect", "nohostport"}, "--kiss-connect"},
        {{"--kiss-in", "-", "--sids", "https://db.example/api/", "--callsign", "TE5T", "--latitude", "52N"},
         "--sids needs --longitude"},
        {{"--kiss-in", "-", "--sids", "https://db.example/api/", "--callsign", "TE5T", "--latitude", "91",
          "--longitude", "4E"},
         "--latitude \"91\""},
        {{"--kiss-in", "-", "--callsign", "TE5T"}, "belong to --sids"},
        {{"--kiss-in", "-", "--mqtt", "127.0.0.1:1883", "--mqtt-user", "orv"}, "go together"},
        {{"--kiss-in", "-", "--mqtt-topic", "orv"}, "belong to --mqtt"},
        {{"--data-dir", "x"}, "--kiss-in FILE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = OrvCli(dir, c.args);
        EXPECT_EQ(r.code, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
}

}  // namespace
}  // namespace orv
