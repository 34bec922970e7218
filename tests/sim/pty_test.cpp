// The built-in simulated station: a reader on the pseudo-terminal's device gets the stream
// byte for byte (raw mode: no control character is eaten or translated).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "sim/pty_feeder.h"
#include "sim/telemetry_generator.h"

namespace orv::sim {
namespace {

SimOptions Options() {
    SimOptions o;
    o.seed = 5;
    o.failShare = 0.3;
    o.startUtc = 1796911200;
    return o;
}

// Reads from `fd` until `want` bytes came, the device ended or `seconds` passed.
std::vector<std::uint8_t> ReadSome(int fd, std::size_t want, int seconds, bool* ended = nullptr) {
    std::vector<std::uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        std::uint8_t buf[600];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            got.insert(got.end(), buf, buf + n);
        } else if (n == 0 || errno != EINTR) {
            if (ended) *ended = true;
            break;
        }
    }
    return got;
}

TEST(SimPty, ReaderGetsTheGeneratedBlocksByteForByte) {
    PtyFeeder feeder(Options(), 1000, 2);
    std::string error;
    ASSERT_TRUE(feeder.Start(error)) << error;
    const int fd = ::open(feeder.SlavePath().c_str(), O_RDONLY | O_NOCTTY);
    ASSERT_GE(fd, 0) << feeder.SlavePath();
    const std::vector<std::uint8_t> got = ReadSome(fd, 2 * 514, 60);
    ::close(fd);

    TelemetryGenerator twin(Options());
    std::vector<std::uint8_t> expected = twin.Next().wire;
    const auto second = twin.Next().wire;
    expected.insert(expected.end(), second.begin(), second.end());
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_EQ(got, expected);
    feeder.Stop();
    EXPECT_EQ(feeder.BlocksSent(), 2);
    EXPECT_FALSE(feeder.Running());
    EXPECT_EQ(feeder.Error(), "");
}

TEST(SimPty, StopTakesTheDeviceAwayPromptly) {
    PtyFeeder feeder(Options());  // real time: the next block is seconds away when Stop comes
    std::string error;
    ASSERT_TRUE(feeder.Start(error)) << error;
    const int fd = ::open(feeder.SlavePath().c_str(), O_RDONLY | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_FALSE(ReadSome(fd, 1, 30).empty());
    const auto before = std::chrono::steady_clock::now();
    feeder.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    bool ended = false;
    ReadSome(fd, 100000, 10, &ended);
    EXPECT_TRUE(ended);
    ::close(fd);
}

TEST(SimPty, StartRefusesWhatItCannotDo) {
    struct Case {
        ModemType modem;
        double speed;
        const char* reason;
    };
    for (const Case c : {Case{ModemType::Adc, 1, "4800 baud"}, Case{ModemType::Bytes514, 0.5, "at least 1"}}) {
        SimOptions o = Options();
        o.modem = c.modem;
        PtyFeeder feeder(o, c.speed);
        std::string error;
        EXPECT_FALSE(feeder.Start(error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    PtyFeeder once(Options(), 1000, 1);
    std::string error;
    ASSERT_TRUE(once.Start(error)) << error;
    once.Stop();
    EXPECT_FALSE(once.Start(error));
}

}  // namespace
}  // namespace orv::sim
#endif
