#pragma once
// The block receiver: cuts a byte stream into telemetry blocks by the pause rule, judges each
// complete block by its CRCC, fills the block stores and hands the block on as one ReceivedBlock.
// It knows nothing of views, logs or relays; the reception pipeline feeds it and passes on what it
// emits. A call's bytes are taken in two steps so that a real-time relay can tap them in between:
// BeginChunk applies the restart rule (is this the start of a block?), TakeChunk stores them.
#include <cstdint>
#include <optional>
#include <span>

#include "reception/block.h"
#include "reception/clock.h"
#include "reception/received_block.h"
#include "reception/station_state.h"

namespace orv {

// What the receiver emits, in the order it happens.
class ReceiverOutput {
public:
    virtual ~ReceiverOutput() = default;
    // The block in progress changed (its ID, its byte count, no verdict while it arrives, the
    // verdict once complete): for the main window's Input labels. `eventsBlock` is true when bytes
    // of an E block were stored.
    virtual void Progress(const ReceiverState& state, bool eventsBlock) {}
    // A complete block. Its spans point into the station's stores and are valid during the call.
    virtual void Completed(const ReceivedBlock& block) = 0;
};

// The bytes of one call and what they are.
struct Chunk {
    std::span<const std::uint8_t> bytes;
    BlockOrigin origin = BlockOrigin::Serial;
    // A whole block of 512 or 514 bytes from another decoder or the FEC reconstruction: it starts
    // a new block and is judged at its own length, whatever the modem type.
    bool whole = false;
    std::optional<std::int64_t> utcMilliseconds = std::nullopt;  // the time the input carried with the block
    // False when the input knows the block is not this station's reception as it happens (a
    // KISS file or standard input without times).
    bool live = true;
    std::optional<std::span<const std::uint8_t, kFecDataBytes>> fecData = std::nullopt;  // of a rebuilt FEC block
};

// Where a call begins, as the real-time relay needs to know it.
struct ChunkStart {
    bool startsBlock = false;  // the bytes start a new block: the relay sends the network marker first
    int position = 0;          // the block position the bytes go to
};

class BlockReceiver {
public:
    BlockReceiver(StationState& station, const Clock& clock, ReceiverOutput& output)
        : station_(station), clock_(clock), output_(output) {}

    // Step one of a call: the restart rule (a pause of two clock seconds, a network marker, a
    // whole block) and the verdict label's "---".
    ChunkStart BeginChunk(const Chunk& chunk);
    // Step two: appends the bytes to the current block and handles a block that completes.
    void TakeChunk(const Chunk& chunk);
    // Both steps, for feeds without a relay.
    void Receive(const Chunk& chunk) {
        BeginChunk(chunk);
        TakeChunk(chunk);
    }

    // The TCP/IP client found a network sync marker: the next call starts a new block.
    void SignalNetworkNewBlock() { station_.receiver.networkNewBlock = true; }
    // The ADC path found the block sync word: the following bytes start a new block.
    void RestartAtSync();
    // "Raw" selected with the port closed: the first data after opening starts a new block.
    void ForgetLastTime() { station_.receiver.lastTime = 0; }
    // A relay send happened: the pause rule counts from now, also for bytes that are dropped.
    void RenewPauseTimer();

    // Blocks are this station's own reception unless set otherwise (the demo, the simulator).
    void SetLive(bool live) { live_ = live; }
    bool Live() const { return live_; }

private:
    void CompleteBlock(const Chunk& chunk);

    StationState& station_;
    const Clock& clock_;
    ReceiverOutput& output_;
    bool live_ = true;
    int modemLength_ = 0;  // the modem's block length while a whole block of another length is taken
};

}  // namespace orv
