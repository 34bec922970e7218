#include "reception/receiver.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace orv {

bool BlockQualifiesForLog(const StationState& station, std::span<const std::uint8_t> block) {
    const auto& r = station.receiver;
    const bool crccAccepted = r.crccLabel == "OK" || !station.logging.useCrcc || r.blockLength == 512;
    const bool kindAccepted = IsStandard(block, 'A') || !station.logging.aOnly;
    return crccAccepted && kindAccepted;
}

void BlockReceiver::RestartAtSync() {
    station_.receiver.position = 0;
    station_.receiver.newBlock = true;
}

void BlockReceiver::ReceiveFecBlock(std::span<const std::uint8_t, kFullBlockBytes> block) {
    // The rebuilt block is whole: it starts a new block wherever the bytes before it stopped, so
    // that it is neither dropped behind a block that came less than two seconds earlier nor
    // stitched to one cut short.
    RestartAtSync();
    station_.receiver.fecDelivery = true;
    ReceiveBlockBytes(block);
    // The flag belongs to this one call: if the bytes did not complete a block it must not
    // mark a later serial block as FEC-delivered.
    station_.receiver.fecDelivery = false;
}

void BlockReceiver::ReceiveWholeBlock(std::span<const std::uint8_t> block) {
    auto& r = station_.receiver;
    const int modemLength = r.blockLength;
    r.blockLength = static_cast<int>(block.size());
    RestartAtSync();
    ReceiveBlockBytes(block);
    r.blockLength = modemLength;
}

void BlockReceiver::RelaySent() {
    station_.receiver.now = clock_.Now();
    station_.receiver.lastTime = station_.receiver.now;
}

void BlockReceiver::ReceiveBlockBytes(std::span<const std::uint8_t> bytes) {
    auto& r = station_.receiver;
    auto& stores = station_.stores;
    const auto& flags = station_.flags;
    const int L = r.blockLength;
    const int n = static_cast<int>(bytes.size());

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
    if (r.position >= 0 && r.position < L - 1) {
        r.crccLabel = "---";
        hooks_.ShowCrccStatus(r.crccLabel);
    }
    // Well into a block, the last datagram's status line has been seen long enough.
    if (r.position > 50 && hooks_.UdpRelayOn()) hooks_.ClearRelayStatus();

    // Store the bytes that fit into the block; the rest of the call is dropped.
    if (r.position >= 0 && r.position < L) {
        const int start = r.position;
        const int count = std::min(n, L - start);
        for (int p = start; p < start + count && p <= 1; ++p) {
            const char c = static_cast<char>(bytes[static_cast<std::size_t>(p - start)] & 0x7F);
            if (p == 0) {
                r.blockId = c;
                hooks_.ShowBlockId(c);
            } else {
                r.secondChar = c;
            }
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
                hooks_.EnableEvents();
                if (flags.eventsMode) std::memcpy(stores.display.data() + start, src, len);
                break;
            case 'D':
                std::memcpy(stores.display.data() + start, src, len);
                break;
            default:
                break;
        }
    }

    // Real-time relay: exactly the bytes of this call, as they came.
    if (hooks_.RelayHasClients() && hooks_.RelayRealTime()) {
        hooks_.RelayChunk(bytes, r.newBlock);
        RelaySent();
    }

    // A call that carries the block's last byte completes the block even when more bytes
    // follow in the same call; those are dropped like any overflow.
    const int before = r.position;
    r.position += n;
    if (r.position > L) {
        if (before >= L) return;
        r.position = L;
    }
    // Accepted: the pause rule counts from this call.
    r.lastTime = r.now;
    hooks_.ShowByteCount(std::to_string(r.position));
    if (r.position < L) return;
    CompleteBlock();
}

void BlockReceiver::CompleteBlock() {
    auto& r = station_.receiver;
    auto& stores = station_.stores;
    auto& flags = station_.flags;
    auto& cur = stores.current;
    const int L = r.blockLength;

    // Judge the block.
    if (L == 514) {
        if (CrccPasses(cur)) {
            r.crccLabel = "OK";
            flags.crccStatus = true;
            if (flags.networkInputActive) hooks_.ShowRelayMode(hooks_.RelayRealTime());
        } else {
            r.crccLabel = "FAIL";
            flags.crccStatus = false;
            cur[0] |= kFailedMark;
        }
    } else {
        r.crccLabel = "NA";
        cur[0] |= kFailedMark;
        cur[1] |= kFailedMark;
    }
    hooks_.ShowCrccStatus(r.crccLabel);

    // Text copies.
    if (flags.crccStatus || flags.showCrccFailedData) {
        const int index = TextCopyIndex(BlockId(cur));
        if (index >= 0) std::memcpy(stores.text[static_cast<std::size_t>(index)].data(), cur.data(), kTelemetryBytes);
    }
    // Event pointer.
    if (r.blockId == 'A' && r.secondChar == ' ' && flags.crccStatus) r.eventPointer = EventPointer(cur);
    // Text view.
    const std::span<const std::uint8_t, kTelemetryBytes> telemetry(cur.data(), kTelemetryBytes);
    if (flags.selection == TextSelection::Raw) hooks_.ShowTextBlock(telemetry);
    // Logging.
    if (station_.logging.logging) {
        if (!flags.crccStatus && L == 514) WriteFailedCrccStamp(cur);
        if (BlockQualifiesForLog(station_, cur)) {
            if (IsStandard(cur, 'E')) r.eventNumber = EventNumber(cur);
            hooks_.AppendToLog(telemetry);
        }
    }
    // Dispatch by block ID.
    const char letter = SelectionLetter(flags.selection);
    const bool dispatch = r.blockId == 'D' || (r.blockId == 'A' && flags.selection == TextSelection::Raw) ||
                          (TextCopyIndex(r.blockId) >= 0 && r.blockId == letter) ||
                          (r.blockId == 'E' && flags.eventsMode);
    if (dispatch) hooks_.DispatchBlock();
    // Full-block relay.
    if (hooks_.RelayHasClients() && !hooks_.RelayRealTime()) {
        hooks_.RelayFullBlock(std::span<const std::uint8_t, kFullBlockBytes>(stores.relay));
        RelaySent();
    }
    // UDP relay.
    if (hooks_.UdpRelayOn()) hooks_.RelayDatagram(std::span<const std::uint8_t>(stores.relay.data(), static_cast<std::size_t>(L)));
    // Byte counter: "FB" for whole blocks from a server, "FEC" for a block rebuilt from a frame.
    if (flags.networkInputActive && !hooks_.RelayRealTime()) hooks_.ShowByteCount("FB");
    if (r.fecDelivery) hooks_.ShowByteCount("FEC");
    // The last complete block, stamp included, for the raw saves and the text view.
    std::memcpy(stores.lastComplete.data(), cur.data(), kTelemetryBytes);
    hooks_.BlockFinished();
    r.fecDelivery = false;
}

}  // namespace orv
