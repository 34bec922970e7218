#pragma once
// One completed block as the forwarding outputs (KISS, SiDS, MQTT) take it from the station.
#include <cstdint>
#include <string_view>

#include "reception/block.h"

namespace orv {

// The receiver's CRCC verdict: "OK", "FAIL", or "NA" for a 512-byte block, which has none.
enum class CrccVerdict { Ok, Fail, NotChecked };

// "OK", "FAIL", "NA": the texts of the receiver's CRCC label.
std::string_view VerdictText(CrccVerdict verdict);

struct ReceivedBlock {
    ConstBytes bytes;               // as received: 514 bytes (block + CRCC) or 512; no failed mark, no stamp
    std::int64_t utcSeconds = 0;    // reception time, seconds since 1970-01-01 00:00:00 UTC
    CrccVerdict verdict = CrccVerdict::NotChecked;
    bool fromFec = false;           // rebuilt from a decoded FEC frame
    bool live = true;               // false for replay, the simulator, the demo and tests

    char Kind() const { return BlockId(bytes); }
};

}  // namespace orv
