// The per-block JSON of `orv-cli station --json` and the MQTT telemetry: what an A block carries,
// what other blocks carry, and which received blocks get telemetry at all.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <vector>

#include "forward/block_json.h"
#include "forward_blocks.h"

namespace orv {
namespace {

QJsonObject Parsed(const QJsonObject& o) {
    const QByteArray text = JsonText(o);
    EXPECT_EQ(text.indexOf('\n'), -1) << "one object per line";
    QJsonParseError error;
    const QJsonObject back = QJsonDocument::fromJson(text, &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    return back;
}

TEST(BlockTelemetryJson, ABlocksCarryHeaderTimeAndDisplaysOthersOnlyTheirKind) {
    Block514 a{};
    std::memset(a.data(), ' ', 64);
    std::memcpy(a.data(), "A  HI, THIS IS AMSAT OSCAR-40", 29);
    std::memcpy(a.data() + 36, "2003-12-30  14:05:09", 20);
    const QJsonObject o = Parsed(BlockTelemetryJson(a, "OK", 1765333479));  // 2025-12-10T02:24:39Z
    EXPECT_EQ(o.keys(), (QStringList{"crcc", "displays", "header_time", "kind", "time"}));
    EXPECT_EQ(o["time"].toString(), "2025-12-10T02:24:39Z");
    EXPECT_EQ(o["kind"].toString(), "A");
    EXPECT_EQ(o["crcc"].toString(), "OK");
    EXPECT_EQ(o["header_time"].toString(), "2003-12-30 14:05:09");
    const QJsonObject displays = o["displays"].toObject();
    for (const char* window : {"status", "power", "temp", "nav", "matrix"})
        EXPECT_EQ(displays[window].toObject()["window"].toString(), window) << window;
    bool anyNumber = false;
    for (const QJsonValue& f : displays["power"].toObject()["fields"].toArray()) {
        const QJsonObject field = f.toObject();
        if (!field.contains("value")) continue;
        anyNumber = true;
        EXPECT_DOUBLE_EQ(field["value"].toDouble(), field["text"].toString().trimmed().toDouble())
            << field["id"].toString().toStdString();
    }
    EXPECT_TRUE(anyNumber);

    struct Case {
        std::uint8_t first;
        const char* verdict;
        const char* kind;
    };
    const Case others[] = {
        {'K', "FAIL", "K"},
        {'E', "OK", "E"},
        {0x07, "FAIL", "7"},  // not printable: its code
        {' ', "NA", "32"},
    };
    for (const Case& c : others) {
        Block514 b{};
        b[0] = c.first;
        b[1] = ' ';
        const QJsonObject other = Parsed(BlockTelemetryJson(b, c.verdict, 0));
        EXPECT_EQ(other.keys(), (QStringList{"crcc", "kind", "time"})) << c.kind;
        EXPECT_EQ(other["kind"].toString(), c.kind);
        EXPECT_EQ(other["crcc"].toString(), c.verdict);
        EXPECT_EQ(other["time"].toString(), "1970-01-01T00:00:00Z");
    }
}

// MQTT publishes telemetry for A blocks that passed their CRCC or have none (512 bytes), and the
// message is then exactly the station's per-block object with whether the block is live.
TEST(BlockTelemetryJson, ReceivedBlocksGetTelemetryOnlyWhenGoodABlocks) {
    const Block514 a = test::ForwardBlock(1, 'A');
    Block514 failed = a;
    failed[200] ^= 1;
    const Block514 e = test::ForwardBlock(2, 'E');  // a received block only points at its bytes
    const std::vector<std::uint8_t> plain(a.begin(), a.begin() + 512);
    ReceivedBlock noCrcc;
    noCrcc.bytes = plain;
    noCrcc.record = noCrcc.bytes;
    noCrcc.utcMilliseconds = 1796869479000;

    EXPECT_TRUE(HasTelemetry(test::Received(a)));
    QJsonObject station = BlockTelemetryJson(a, "OK", 1796869479);
    for (const bool live : {true, false}) {
        station.insert("live", live);
        EXPECT_EQ(BlockTelemetryJson(test::Received(a, 1796869479, live)), station);
    }
    EXPECT_TRUE(HasTelemetry(noCrcc));
    EXPECT_EQ(BlockTelemetryJson(noCrcc)["crcc"].toString(), "NA");
    EXPECT_TRUE(BlockTelemetryJson(noCrcc).contains("displays"));
    for (const ReceivedBlock& none : {test::Received(failed), test::Received(e)}) {
        EXPECT_FALSE(HasTelemetry(none));
        EXPECT_TRUE(BlockTelemetryJson(none).isEmpty());
    }
}

}  // namespace
}  // namespace orv
