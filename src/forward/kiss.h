#pragma once
// KISS framing (the TNC host protocol of K9NG and KA9Q): every frame is FEND, a command byte
// (high nibble: port, low nibble: command, 0 = data), the payload with FEND and FESC escaped,
// and FEND. A telemetry block travels as one data frame holding the bytes that were sent: 514
// with the CRCC (or 512) for an uncoded block, the 256 data bytes for an FEC frame, as
// gr-satellites writes them. gr-satellites puts a timestamp frame before each data frame:
// command 9, 8 bytes, big-endian milliseconds since 1970-01-01 00:00:00 UTC.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "reception/received_block.h"

namespace orv {

inline constexpr std::uint8_t kKissFend = 0xC0;   // frame end
inline constexpr std::uint8_t kKissFesc = 0xDB;   // frame escape
inline constexpr std::uint8_t kKissTfend = 0xDC;  // FESC TFEND stands for a FEND data byte
inline constexpr std::uint8_t kKissTfesc = 0xDD;  // FESC TFESC stands for a FESC data byte
inline constexpr std::uint8_t kKissDataCommand = 0x00;
inline constexpr std::uint8_t kKissTimestampCommand = 0x09;
inline constexpr std::size_t kKissTimestampBytes = 8;

// Appends one frame for `payload` on `port` (0..15) to `out`: FEND, command, escaped payload,
// FEND. At most 2 x payload + 3 bytes.
void AppendKissFrame(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> payload, unsigned port = 0,
                     std::uint8_t command = kKissDataCommand);
// Appends a timestamp frame: command 9, `utcMilliseconds` as 8 big-endian bytes.
void AppendKissTimestamp(std::vector<std::uint8_t>& out, std::int64_t utcMilliseconds);

// The bytes of a block as they were sent: the 256 data bytes of a block rebuilt from an FEC
// frame, otherwise the bytes as received. What KISS out and SiDS share, so that the same
// transmission received by two kinds of station gives the same frame.
std::span<const std::uint8_t> TransmittedFrame(const ReceivedBlock& block);

// How the station's KISS out sends blocks.
struct KissOutOptions {
    bool goodOnly = false;    // leave out blocks whose CRCC failed, as the field's decoders do
    bool timestamps = false;  // a timestamp frame before each data frame, as gr-satellites sends
};

// Appends the frames of one block to `out` as `options` say; false (nothing appended) when the
// block is left out.
bool AppendKissBlock(std::vector<std::uint8_t>& out, const ReceivedBlock& block, const KissOutOptions& options);

// What a deframer passed over, for the station's summary line.
struct KissSkips {
    std::uint64_t wrongSize = 0;      // data frames of a size other than 256, 512 or 514
    std::size_t lastWrongSize = 0;    // the size of the latest of them (bytes)
    std::uint64_t otherCommands = 0;  // frames that are neither data nor a timestamp (TX delay, ...)
    std::uint64_t badTimestamps = 0;  // timestamp frames not of 8 bytes, or beyond the year 9999
    std::uint64_t damaged = 0;        // a FESC followed by neither TFEND nor TFESC
    std::uint64_t Total() const { return wrongSize + otherCommands + badTimestamps + damaged; }
    // Frames that point to a wrong feed (rather than the commands a TNC stream carries anyway).
    std::uint64_t Faults() const { return wrongSize + badTimestamps + damaged; }
};

// One data frame the deframer hands on, with the time of the timestamp frame just before it.
struct KissData {
    std::span<const std::uint8_t> bytes;  // 256, 512 or 514 bytes; valid during the call only
    std::optional<std::int64_t> utcMilliseconds;
};

// Cuts a KISS byte stream, given in chunks of any size and split anywhere, into frames and hands
// on the data frames that hold a block: 514 or 512 bytes, or the 256 data bytes of an FEC frame,
// on any port. A timestamp frame gives the next data frame its time (a data frame that is
// skipped uses it up too). Everything else is counted and dropped. Bytes before the first FEND
// may be the tail of a frame whose start was missed (a connection made mid-stream) and are
// dropped too. A frame holding a broken escape is dropped as damaged rather than passed on with a
// guessed byte. Memory stays bounded: a frame is collected only up to kMaxFrameBytes; a longer one
// is counted by its true size when it ends.
class KissBlockDeframer {
public:
    static constexpr std::size_t kMaxFrameBytes = 4096;
    using DataHandler = std::function<void(const KissData& data)>;

    explicit KissBlockDeframer(DataHandler onData);

    // Takes the next bytes of the stream; returns how many frames they completed that were
    // skipped as faults (KissSkips::Faults).
    std::uint64_t Feed(std::span<const std::uint8_t> chunk);
    // A new stream (a reconnection): forget the frame in progress and its timestamp, wait for a FEND.
    void Reset();

    std::uint64_t Blocks() const { return blocks_; }
    std::uint64_t Timestamps() const { return timestamps_; }
    const KissSkips& Skips() const { return skips_; }

private:
    void EndFrame();

    DataHandler onData_;
    std::vector<std::uint8_t> frame_;  // command byte, then the payload
    std::size_t frameBytes_ = 0;       // true length, also past kMaxFrameBytes
    bool synced_ = false;              // a FEND has been seen
    bool escaped_ = false;
    bool damaged_ = false;
    std::optional<std::int64_t> time_;  // from the last timestamp frame, for the next data frame
    std::uint64_t blocks_ = 0;
    std::uint64_t timestamps_ = 0;
    KissSkips skips_;
};

// One line about what a deframer skipped, for the operator: "KISS input: skipped 2 frames of a
// size other than 256, 512 or 514 bytes (the last 100 bytes); 1 frame neither data nor a
// timestamp". Empty when none.
std::string KissSkipsText(const KissSkips& skips);

}  // namespace orv
