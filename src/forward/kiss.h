#pragma once
// KISS framing (the TNC host protocol of K9NG and KA9Q): every frame is FEND, a command byte
// (high nibble: port, low nibble: command, 0 = data), the payload with FEND and FESC escaped,
// and FEND. Each telemetry block travels as one data frame on port 0 holding the bytes as
// received (514 with the CRCC, or 512).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace orv {

inline constexpr std::uint8_t kKissFend = 0xC0;   // frame end
inline constexpr std::uint8_t kKissFesc = 0xDB;   // frame escape
inline constexpr std::uint8_t kKissTfend = 0xDC;  // FESC TFEND stands for a FEND data byte
inline constexpr std::uint8_t kKissTfesc = 0xDD;  // FESC TFESC stands for a FESC data byte
inline constexpr std::uint8_t kKissDataCommand = 0x00;

// Appends one data frame for `payload` on `port` (0..15) to `out`: FEND, command, escaped
// payload, FEND. At most 2 x payload + 3 bytes.
void AppendKissFrame(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> payload, unsigned port = 0);

// What a deframer passed over, for the station's one message about them.
struct KissSkips {
    std::uint64_t wrongSize = 0;      // data frames of a size other than 512 or 514
    std::size_t lastWrongSize = 0;    // the size of the latest of them (bytes)
    std::uint64_t otherCommands = 0;  // frames that are not data (TX delay, persistence, ...)
    std::uint64_t damaged = 0;        // a FESC followed by neither TFEND nor TFESC
    std::uint64_t Total() const { return wrongSize + otherCommands + damaged; }
};

// Cuts a KISS byte stream, given in chunks of any size and split anywhere, into data frames and
// hands on those that hold a block: 512 or 514 bytes, on any port. Everything else is counted
// and dropped. Bytes before the first FEND may be the tail of a frame whose start was missed
// (a connection made mid-stream) and are dropped too. A frame holding a broken escape is dropped
// as damaged rather than passed on with a guessed byte. Memory stays bounded: a frame is
// collected only up to kMaxFrameBytes; a longer one is counted by its true size when it ends.
class KissBlockDeframer {
public:
    static constexpr std::size_t kMaxFrameBytes = 4096;
    // A 512- or 514-byte block payload; the span is valid during the call only.
    using BlockHandler = std::function<void(std::span<const std::uint8_t> block)>;

    explicit KissBlockDeframer(BlockHandler onBlock);

    // Takes the next bytes of the stream; returns how many frames they completed that were skipped.
    std::uint64_t Feed(std::span<const std::uint8_t> chunk);
    // A new stream (a reconnection): forget the frame in progress and wait for a FEND.
    void Reset();

    std::uint64_t Blocks() const { return blocks_; }
    const KissSkips& Skips() const { return skips_; }

private:
    void EndFrame();

    BlockHandler onBlock_;
    std::vector<std::uint8_t> frame_;  // command byte, then the payload
    std::size_t frameBytes_ = 0;       // true length, also past kMaxFrameBytes
    bool synced_ = false;              // a FEND has been seen
    bool escaped_ = false;
    bool damaged_ = false;
    std::uint64_t blocks_ = 0;
    KissSkips skips_;
};

// One line about what a deframer skipped, for the operator: "KISS input: 3 frames skipped
// (2 of a size other than 512 or 514 bytes, the last 100 bytes; 1 not data)". Empty when none.
std::string KissSkipsText(const KissSkips& skips);

}  // namespace orv
