#pragma once
// The TCP/IP client's receive side: finds the network sync marker in the byte stream, even when
// it is split over reads, and feeds the block receiver the 514 bytes that follow it. Bytes outside
// a marker-framed run are ignored. It also learns the server's relay mode from the read size:
// a block whose 513th byte came in a read of more than 500 bytes was sent whole ("Full block").
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>


namespace orv {

// Where the reader puts what it finds: the relay client input, or a recorder in tests.
class NetworkBlockSink {
public:
    virtual ~NetworkBlockSink() = default;
    // A marker was found: the next bytes start a new block.
    virtual void SignalNetworkNewBlock() = 0;
    // Block bytes that followed the marker, as gathered from one read.
    virtual void ReceiveBlockBytes(std::span<const std::uint8_t> bytes) = 0;
    // The server's relay mode changed, learnt at a block's 513th byte: before the block's last
    // byte reaches the receiver, so the block that taught it is already handled in that mode.
    virtual void ServerModeLearned(bool realTime) {}
};

class NetworkBlockReader {
public:
    static constexpr std::size_t kReadSize = 600;           // bytes taken from the socket per read
    static constexpr std::size_t kRealTimeReadLimit = 500;  // reads up to this size mean "Real time"
    static constexpr int kCaptureBytes = 514;               // block bytes taken after each marker

    explicit NetworkBlockReader(NetworkBlockSink& sink) : sink_(sink) {}

    // Handles the bytes of one socket read.
    void Read(std::span<const std::uint8_t> bytes);

    // A new connection: search for the marker again and forget the bytes of the old one.
    void Reset();

    // The server's relay mode as last learned (true, "Real time", until a block says otherwise).
    bool ServerRealTime() const { return serverRealTime_; }
    // A block is being taken in, and how many of its bytes have come so far.
    bool Capturing() const { return capturing_; }
    int CapturedBytes() const { return count_; }

private:
    bool RingHoldsMarker() const;

    NetworkBlockSink& sink_;
    std::array<std::uint8_t, 8> ring_{};
    std::size_t ringIndex_ = 0;
    bool capturing_ = false;
    int count_ = 0;
    bool serverRealTime_ = true;
};

}  // namespace orv
