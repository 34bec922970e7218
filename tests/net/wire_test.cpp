#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/wire.h"
#include "test_blocks.h"

namespace orv {
namespace {

TEST(Wire, MarkerIsTheEightBytesEveryBlockTravelsBehind) {
    const std::vector<std::uint8_t> expected{0x2F, 0x8F, 0x6E, 0x4D, 0x28, 0x86, 0x75, 0x60};
    EXPECT_EQ(std::vector<std::uint8_t>(kNetworkSyncMarker.begin(), kNetworkSyncMarker.end()), expected);
}

TEST(Wire, FramesCarryTheBytesAsTheyCameWithTheMarkerWhenAsked) {
    const Block514 block = test::NumberedBlock(7);
    const std::span<const std::uint8_t> all(block);
    struct Case {
        std::span<const std::uint8_t> bytes;
        bool marker;
        std::size_t size;
    };
    const Case cases[] = {
        {all, true, 522},                   // "Full block" and a UDP datagram from a 514-byte modem
        {all.first(512), true, 520},        // a UDP datagram from a 512-byte modem
        {all.subspan(100, 37), false, 37},  // a real-time chunk inside a block
        {all.first(64), true, 72},          // a real-time chunk that starts a block
    };
    std::vector<std::uint8_t> frame{1, 2, 3};  // reused: earlier contents must go
    for (const Case& c : cases) {
        BuildFrame(frame, c.bytes, c.marker);
        ASSERT_EQ(frame.size(), c.size);
        const std::size_t head = c.marker ? kMarkerBytes : 0;
        if (c.marker) {
            EXPECT_TRUE(std::equal(kNetworkSyncMarker.begin(), kNetworkSyncMarker.end(), frame.begin()));
        }
        EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), frame.begin() + static_cast<long>(head)));
    }
}

TEST(Wire, PortTextFallsBackUnlessItIsAPortNumber) {
    const std::pair<const char*, std::uint16_t> cases[] = {
        {"1024", 1024}, {" 5000 ", 5000}, {"65535", 65535}, {"1", 1},   {"", 9},
        {"abc", 9},     {"12ab", 9},      {"0", 9},         {"65536", 9}, {"-80", 9}, {"80.5", 9},
    };
    for (const auto& [text, port] : cases) EXPECT_EQ(PortFromText(text, 9), port) << '"' << text << '"';
}

TEST(Wire, HostAndPortAreReadOrRefusedWithAReason) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        std::uint16_t port;
    };
    const Case cases[] = {
        {"127.0.0.1:1024", true, "127.0.0.1", 1024},
        {"station.example.org:2121", true, "station.example.org", 2121},
        {"[::1]:5000", true, "::1", 5000},
        {"localhost", false, "", 0},
        {":1024", false, "", 0},
        {"host:", false, "", 0},
        {"host:99999", false, "", 0},
        {"host:http", false, "", 0},
        {"::1:5000", false, "", 0},
        {"[::1]5000", false, "", 0},
    };
    for (const Case& c : cases) {
        std::string host, error;
        std::uint16_t port = 0;
        EXPECT_EQ(ParseHostPort(c.text, host, port, &error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(host, c.host);
            EXPECT_EQ(port, c.port);
        } else {
            EXPECT_FALSE(error.empty()) << c.text;
        }
    }
}

}  // namespace
}  // namespace orv
