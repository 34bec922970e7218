#pragma once
// The block receiver: cuts a byte stream into telemetry blocks by the pause rule, judges each
// complete block by its CRCC, fills the block stores and hands the block on (text view, log,
// display dispatch, relays) through ReceiverHooks, in that order.
#include <cstdint>
#include <span>
#include <string_view>

#include "reception/block.h"
#include "reception/clock.h"
#include "reception/station_state.h"

namespace orv {

// The relay as the receiver sees it: whether and how to forward blocks to other stations. The
// relay builds the wire form (network sync marker first).
class RelayPort {
public:
    virtual ~RelayPort() = default;
    virtual bool HasClients() const = 0;   // the TCP/IP server has connected clients
    virtual bool RealTime() const = 0;     // relay mode "Real time" (else "Full block")
    virtual bool UdpOn() const = 0;        // one datagram per block
    virtual void ClearStatus() = 0;        // clear the TCP/IP window's status text
    virtual void SendChunk(std::span<const std::uint8_t> bytes, bool withMarker) = 0;
    virtual void SendFullBlock(std::span<const std::uint8_t, kFullBlockBytes> block) = 0;
    virtual void SendDatagram(std::span<const std::uint8_t> block) = 0;
    // A good block arrived over the network: show the relay mode it came in.
    virtual void ShowMode(bool realTime) = 0;
};

// Call-outs of the receiver. Every method has a do-nothing default so that a user implements
// only what it shows or forwards.
class ReceiverHooks {
public:
    virtual ~ReceiverHooks() = default;

    // Input labels of the main window.
    virtual void ShowBlockId(char id) {}
    virtual void ShowByteCount(std::string_view text) {}
    virtual void ShowCrccStatus(std::string_view text) {}
    // The first byte of an E block arrived: enable the "Events" check box.
    virtual void EnableEvents() {}

    // Relay state and sends. The relay builds the wire form (network sync marker first).
    virtual bool RelayHasClients() const { return false; }
    virtual bool RelayRealTime() const { return true; }
    virtual bool UdpRelayOn() const { return false; }
    virtual void ClearRelayStatus() {}
    virtual void RelayChunk(std::span<const std::uint8_t> bytes, bool withMarker) {}
    virtual void RelayFullBlock(std::span<const std::uint8_t, kFullBlockBytes> block) {}
    virtual void RelayDatagram(std::span<const std::uint8_t> block) {}
    // A good block arrived over the network: show the relay mode ("Real time" or "Full block").
    virtual void ShowRelayMode(bool realTime) {}

    // A complete block while "Raw" is selected.
    virtual void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {}
    // A qualifying block, failed mark and stamp applied.
    virtual void AppendToLog(std::span<const std::uint8_t, kTelemetryBytes> record) {}
    // The display dispatch.
    virtual void DispatchBlock() {}
    // The receiver has finished with a complete block (the last complete block store holds it;
    // the FEC delivery flag still tells whether it was rebuilt from an FEC frame).
    virtual void BlockFinished() {}
};

class BlockReceiver {
public:
    BlockReceiver(StationState& station, const Clock& clock, ReceiverHooks& hooks)
        : station_(station), clock_(clock), hooks_(hooks) {}

    // Appends the bytes of one call (a serial read, one ADC byte, the bytes after a network
    // marker) to the current block and handles a block that completes.
    void ReceiveBlockBytes(std::span<const std::uint8_t> bytes);

    // A whole 514-byte block rebuilt from an FEC frame: starts a new block and sets the FEC
    // delivery flag for its call.
    void ReceiveFecBlock(std::span<const std::uint8_t, kFullBlockBytes> block);

    // A whole block of 512 or 514 bytes from another decoder (a KISS frame): starts a new block
    // and is judged at its own length, whatever the modem type.
    void ReceiveWholeBlock(std::span<const std::uint8_t> block);

    // The TCP/IP client found a network sync marker: the next call starts a new block.
    void SignalNetworkNewBlock() { station_.receiver.networkNewBlock = true; }

    // The ADC path found the block sync word: the following bytes start a new block.
    void RestartAtSync();

    // "Raw" selected with the port closed: the first data after opening starts a new block.
    void ForgetLastTime() { station_.receiver.lastTime = 0; }

    StationState& station() { return station_; }

private:
    void RelaySent();
    void CompleteBlock();

    StationState& station_;
    const Clock& clock_;
    ReceiverHooks& hooks_;
};

// The log decision for a complete block: (label "OK", or CRCC ignored, or 512-byte blocks) and
// (standard A block, or all blocks logged).
bool BlockQualifiesForLog(const StationState& station, std::span<const std::uint8_t> block);

}  // namespace orv
