#include "reception/receiver.h"

#include <algorithm>
#include <cstring>

namespace orv {

void BlockReceiver::RestartAtSync() {
    station_.receiver.position = 0;
    station_.receiver.newBlock = true;
}

void BlockReceiver::RenewPauseTimer() {
    station_.receiver.now = clock_.Now();
    station_.receiver.lastTime = station_.receiver.now;
}

ChunkStart BlockReceiver::BeginChunk(const Chunk& chunk) {
    auto& r = station_.receiver;
    const auto& flags = station_.flags;
    if (chunk.whole) {
        // A whole block starts a new block wherever the bytes before it stopped, so that it is
        // neither dropped behind a block that came less than two seconds earlier nor stitched to
        // one cut short; it is judged at its own length.
        modemLength_ = r.blockLength;
        r.blockLength = static_cast<int>(chunk.bytes.size());
        RestartAtSync();
    }
    // Restart after a pause of two whole clock seconds, or at a network sync marker.
    if (!flags.networkInputActive) {
        r.now = clock_.Now();
        if (r.now - r.lastTime >= 2) {
            r.position = 0;
            r.newBlock = true;
        }
    } else if (r.networkNewBlock) {
        // A station that passes on what it receives marks the block start for its own clients.
        r.position = 0;
        r.networkNewBlock = false;
        r.newBlock = true;
    }
    // The new-block flag lasts until bytes of the block have been stored.
    if (r.position != 0) r.newBlock = false;
    // Before the block's end the verdict is not known yet.
    if (r.position >= 0 && r.position < r.blockLength - 1) r.verdict.reset();
    return {r.newBlock, r.position};
}

void BlockReceiver::TakeChunk(const Chunk& chunk) {
    auto& r = station_.receiver;
    auto& stores = station_.stores;
    const auto& flags = station_.flags;
    const auto bytes = chunk.bytes;
    const int L = r.blockLength;
    const int n = static_cast<int>(bytes.size());
    bool eventsBlock = false;

    // Store the bytes that fit into the block; the rest of the call is dropped.
    if (r.position >= 0 && r.position < L) {
        const int start = r.position;
        const int count = std::min(n, L - start);
        for (int p = start; p < start + count && p <= 1; ++p) {
            const char c = static_cast<char>(bytes[static_cast<std::size_t>(p - start)] & 0x7F);
            if (p == 0) r.blockId = c;
            else r.secondChar = c;
        }
        const auto* src = bytes.data();
        const auto len = static_cast<std::size_t>(count);
        std::memcpy(stores.current.data() + start, src, len);
        std::memcpy(stores.relay.data() + start, src, len);
        switch (r.blockId) {
            case 'A':
                std::memcpy(stores.lastA.data() + start, src, len);
                if (!flags.eventsMode) std::memcpy(stores.display.data() + start, src, len);
                break;
            case 'E':
                std::memcpy(stores.lastE.data() + start, src, len);
                eventsBlock = true;
                if (flags.eventsMode) std::memcpy(stores.display.data() + start, src, len);
                break;
            case 'D':
                std::memcpy(stores.display.data() + start, src, len);
                break;
            default:
                break;
        }
    }

    // A call that carries the block's last byte completes the block even when more bytes
    // follow in the same call; those are dropped like any overflow.
    const int before = r.position;
    r.position += n;
    if (r.position > L) r.position = before >= L ? r.position : L;
    if (before < L) {
        // Accepted: the pause rule counts from this call.
        r.lastTime = r.now;
        r.origin = chunk.origin;
        output_.Progress(r, eventsBlock);
        if (r.position == L) CompleteBlock(chunk);
    }
    if (chunk.whole) r.blockLength = modemLength_;
}

void BlockReceiver::CompleteBlock(const Chunk& chunk) {
    auto& r = station_.receiver;
    auto& stores = station_.stores;
    auto& flags = station_.flags;
    auto& cur = stores.current;
    const int L = r.blockLength;

    // Judge the block.
    if (L == 514) {
        if (CrccPasses(cur)) {
            r.verdict = CrccVerdict::Ok;
            flags.crccStatus = true;
        } else {
            r.verdict = CrccVerdict::Fail;
            flags.crccStatus = false;
            cur[0] |= kFailedMark;
        }
    } else {
        r.verdict = CrccVerdict::NotChecked;
        cur[0] |= kFailedMark;
        cur[1] |= kFailedMark;
    }
    output_.Progress(r, false);

    // Text copies.
    if (flags.crccStatus || flags.showCrccFailedData) {
        const int index = TextCopyIndex(BlockId(cur));
        if (index >= 0) std::memcpy(stores.text[static_cast<std::size_t>(index)].data(), cur.data(), kTelemetryBytes);
    }
    // Event pointer.
    if (r.blockId == 'A' && r.secondChar == ' ' && flags.crccStatus) r.eventPointer = EventPointer(cur);

    ReceivedBlock block;
    block.bytes = ConstBytes(stores.relay.data(), static_cast<std::size_t>(L));
    block.record = ConstBytes(cur.data(), kTelemetryBytes);
    block.verdict = *r.verdict;
    block.origin = chunk.origin;
    block.live = live_ && chunk.live && chunk.origin != BlockOrigin::Relay;
    block.timeFromInput = chunk.utcMilliseconds.has_value();
    block.utcMilliseconds = chunk.utcMilliseconds ? *chunk.utcMilliseconds : clock_.NowMilliseconds();
    block.fecData = chunk.fecData;
    output_.Completed(block);
}

}  // namespace orv
