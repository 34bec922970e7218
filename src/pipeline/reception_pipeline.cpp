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
    WholeBlock(block, origin, InputFacts{utcMilliseconds});
}

void ReceptionPipeline::WholeBlock(std::span<const std::uint8_t> block, BlockOrigin origin, const InputFacts& facts) {
    FeedWhole(block, origin, facts, std::nullopt);
}

void ReceptionPipeline::DecodedFecData(std::span<const std::uint8_t, kFecDataBytes> data, BlockOrigin origin,
                                       const InputFacts& facts) {
    const Block514 block = adc_.RebuildDecodedElsewhere(data);
    FeedWhole(block, origin, facts, data);
    adc_.LogDecodedElsewhere();
}

void ReceptionPipeline::FecBlock(std::span<const std::uint8_t, kFullBlockBytes> block,
                                 std::span<const std::uint8_t, kFecDataBytes> data) {
    FeedWhole(block, BlockOrigin::FecFrame, InputFacts{}, data);
}

void ReceptionPipeline::FeedWhole(std::span<const std::uint8_t> block, BlockOrigin origin, const InputFacts& facts,
                                  std::optional<std::span<const std::uint8_t, kFecDataBytes>> fecData) {
    Chunk chunk{block, origin};
    chunk.whole = true;
    chunk.utcMilliseconds = facts.utcMilliseconds;
    chunk.live = facts.live;
    chunk.fecData = fecData;
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
