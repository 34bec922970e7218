#include "pipeline/reception_pipeline.h"

#include <algorithm>

namespace orv {

ReceptionPipeline::ReceptionPipeline(StationState& state, const Clock& clock, AdcSamplePath::Correlators correlators)
    : receiver_(state, clock, *this), adc_(state, *this, nullptr, correlators) {}

void ReceptionPipeline::AddSink(BlockSink& sink) { sinks_.push_back(&sink); }

void ReceptionPipeline::RemoveSink(BlockSink& sink) { std::erase(sinks_, &sink); }

void ReceptionPipeline::Feed(const Chunk& chunk) {
    const ChunkStart start = receiver_.BeginChunk(chunk);
    if (tap_ != nullptr && tap_->TapBytes(chunk.bytes, start)) receiver_.RenewPauseTimer();
    receiver_.TakeChunk(chunk);
}

void ReceptionPipeline::WholeBlock(std::span<const std::uint8_t> block, BlockOrigin origin,
                                   std::optional<std::int64_t> utcMilliseconds) {
    Chunk chunk{block, origin};
    chunk.whole = true;
    chunk.utcMilliseconds = utcMilliseconds;
    Feed(chunk);
}

void ReceptionPipeline::FecBlock(std::span<const std::uint8_t, kFullBlockBytes> block,
                                 std::span<const std::uint8_t, kFecDataBytes> data) {
    Chunk chunk{block, BlockOrigin::FecFrame};
    chunk.whole = true;
    chunk.fecData = data;
    Feed(chunk);
}

void ReceptionPipeline::Progress(const ReceiverState& state, bool eventsBlock) {
    if (progress_ != nullptr) progress_->Progress(state, eventsBlock);
}

void ReceptionPipeline::Completed(const ReceivedBlock& block) {
    // A sink may add or remove sinks while it takes the block (a printer that stops the run):
    // the block goes to those present when it completed.
    const std::vector<BlockSink*> sinks = sinks_;
    for (BlockSink* sink : sinks)
        if (std::find(sinks_.begin(), sinks_.end(), sink) != sinks_.end()) sink->TakeBlock(block);
}

}  // namespace orv
