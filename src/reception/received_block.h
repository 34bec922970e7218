#pragma once
// One completed block as the reception pipeline hands it to every sink (log, relay, forwarding,
// views, printers): its bytes, its CRCC verdict, its time, where it came from and whether it is
// this station's live reception.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "reception/block.h"

namespace orv {

// The receiver's CRCC verdict on a complete block; a 512-byte block has none.
enum class CrccVerdict { Ok, Fail, NotChecked };

// "OK", "FAIL", "NA": the verdict as the main window's CRCC label and the block lines show it.
std::string_view VerdictText(CrccVerdict verdict);

// Where a block came from.
enum class BlockOrigin {
    Serial,    // a modem delivering 512- or 514-byte blocks over the serial port
    Samples,   // an uncoded block found in ADC samples (a DSP-93 in ADC mode, the audio demodulator)
    FecFrame,  // rebuilt from a decoded FEC frame found in ADC samples
    Relay,     // another Orv station's relay server (this station is its client)
    Kiss,      // a whole block from another decoder over KISS
};

struct ReceivedBlock {
    // As received: 514 bytes (block and CRCC) or 512; no failed mark, no stamp.
    ConstBytes bytes;
    // Bytes 0..511 as the station keeps and shows them: the failed mark set on a block that failed
    // its check (bytes 0 and 1 of a 512-byte block); the failed-CRCC stamp is the log's own.
    ConstBytes record;
    CrccVerdict verdict = CrccVerdict::NotChecked;
    // Reception time, milliseconds since 1970-01-01 00:00:00 UTC: the station's clock when the
    // block completed, or the time the input carried with it (timeFromInput).
    std::int64_t utcMilliseconds = 0;
    bool timeFromInput = false;
    BlockOrigin origin = BlockOrigin::Serial;
    // This station's own reception: false for blocks relayed from another Orv station, the demo,
    // the simulator and recordings played back.
    bool live = true;
    // For a block rebuilt from an FEC frame: the frame's decoded data bytes.
    std::optional<std::span<const std::uint8_t, kFecDataBytes>> fecData;

    char Kind() const { return BlockId(bytes); }
    bool FromFec() const { return origin == BlockOrigin::FecFrame; }
    // Whole seconds, rounded down.
    std::int64_t UtcSeconds() const {
        return utcMilliseconds >= 0 ? utcMilliseconds / 1000 : -((-utcMilliseconds + 999) / 1000);
    }
};

// Where completed blocks go: the log, the relay, each forwarding output, the views, printers.
// The reception pipeline hands each block to its sinks in order; the block's spans are valid
// during the call only.
class BlockSink {
public:
    virtual ~BlockSink() = default;
    virtual void TakeBlock(const ReceivedBlock& block) = 0;
};

// A block that failed its check and came with CRCC bytes, as the log stores it: the record with
// the failed-CRCC stamp written into it.
Block512 StampedRecord(const ReceivedBlock& block);

}  // namespace orv
