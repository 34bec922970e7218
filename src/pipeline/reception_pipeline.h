#pragma once
// The reception pipeline of one station: what the inputs deliver goes in (the bytes of a serial
// modem, ADC samples, the block bytes of a relay server's stream, whole blocks from another
// decoder), the block receiver cuts and judges blocks, and each completed block goes out as one
// ReceivedBlock to the sinks, in the order they were added. The station, the command line's batch
// decoders, the fuzz targets and the benchmarks all receive through one.
//
//   input driver --> ReceptionPipeline --(bytes of each call)--> byte tap (real-time relay)
//                        |  ADC path, FEC decoding
//                        v
//                    BlockReceiver --> ReceivedBlock --> sinks: view, log, relay, forwarding, printers
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pipeline/adc_reception.h"
#include "reception/clock.h"
#include "reception/received_block.h"
#include "reception/receiver.h"
#include "reception/station_state.h"

namespace orv {

// Sees the bytes of every call before the receiver stores them: the real-time relay.
class ByteTap {
public:
    virtual ~ByteTap() = default;
    // Returns true when the bytes were sent on; a send renews the receiver's pause timer.
    virtual bool TapBytes(std::span<const std::uint8_t> bytes, const ChunkStart& start) = 0;
};

// Sees the block in progress: the main window's Input labels.
class ReceptionProgressView {
public:
    virtual ~ReceptionProgressView() = default;
    virtual void Progress(const ReceiverState& state, bool eventsBlock) = 0;
};

// What an input knows of a whole block besides its bytes.
struct InputFacts {
    std::optional<std::int64_t> utcMilliseconds;  // the reception time it carried
    bool live = true;  // false: not this station's reception as it happens (a KISS file without times)
};

class ReceptionPipeline final : private ReceiverOutput, private AdcBlockFeed {
public:
    // `state` holds the stores and the receiver state it writes, and the flags and settings it
    // reads; both must outlive the pipeline.
    ReceptionPipeline(StationState& state, const Clock& clock,
                      AdcSamplePath::Correlators correlators = AdcSamplePath::Correlators::Fast);

    // Sinks, in the order they take each block. A sink must outlive the pipeline or be removed.
    void AddSink(BlockSink& sink);
    void RemoveSink(BlockSink& sink);
    void SetByteTap(ByteTap* tap) { tap_ = tap; }
    void SetProgressView(ReceptionProgressView* view) { progress_ = view; }
    // Blocks are this station's own reception unless set otherwise (the demo, the simulator).
    void SetLive(bool live) { receiver_.SetLive(live); }

    // The bytes of a 512- or 514-byte modem, as read.
    void SerialBytes(std::span<const std::uint8_t> bytes) { Feed({bytes, BlockOrigin::Serial}); }
    // ADC sample bytes, one per channel symbol (a DSP-93 in ADC mode, the audio demodulator).
    void AdcSamples(std::span<const std::uint8_t> bytes) { adc_.ProcessAdcBytes(bytes); }
    // A relay server's stream: a network sync marker was found, then the block bytes after it.
    void RelayMarker() { receiver_.SignalNetworkNewBlock(); }
    void RelayBytes(std::span<const std::uint8_t> bytes) { Feed({bytes, BlockOrigin::Relay}); }
    // A whole block of 512 or 514 bytes from another decoder, with the time it carried if any.
    void WholeBlock(std::span<const std::uint8_t> block, BlockOrigin origin,
                    std::optional<std::int64_t> utcMilliseconds = std::nullopt);
    void WholeBlock(std::span<const std::uint8_t> block, BlockOrigin origin, const InputFacts& facts);
    // The data bytes of an FEC frame another decoder decoded (gr-satellites' 256-byte KISS frames):
    // the block this station's decoder rebuilds from them goes on with the data, as from the ADC
    // path, and the FEC log gets its line as far as the data tell it.
    void DecodedFecData(std::span<const std::uint8_t, kFecDataBytes> data, BlockOrigin origin, const InputFacts& facts);

    // "Raw" selected with the input closed: the first data after opening starts a new block.
    void ForgetLastTime() { receiver_.ForgetLastTime(); }
    // A relay sent a completed block on: the pause rule counts from now.
    void RenewPauseTimer() { receiver_.RenewPauseTimer(); }

    AdcReception& Adc() { return adc_; }
    const AdcReception& Adc() const { return adc_; }

private:
    void Feed(const Chunk& chunk);
    void FeedWhole(std::span<const std::uint8_t> block, BlockOrigin origin, const InputFacts& facts,
                   std::optional<std::span<const std::uint8_t, kFecDataBytes>> fecData);
    // ReceiverOutput
    void Progress(const ReceiverState& state, bool eventsBlock) override;
    void Completed(const ReceivedBlock& block) override;
    // AdcBlockFeed
    void RestartAtSync() override { receiver_.RestartAtSync(); }
    void UncodedByte(std::uint8_t byte) override { Feed({std::span<const std::uint8_t>(&byte, 1), BlockOrigin::Samples}); }
    void FecBlock(std::span<const std::uint8_t, kFullBlockBytes> block,
                  std::span<const std::uint8_t, kFecDataBytes> data) override;

    BlockReceiver receiver_;
    AdcReception adc_;
    std::vector<BlockSink*> sinks_;
    ByteTap* tap_ = nullptr;
    ReceptionProgressView* progress_ = nullptr;
};

}  // namespace orv
