#pragma once
// A live source of raw signed 16-bit little-endian mono samples: UDP datagrams on a port (as SDR
// programs stream their audio) or standard input. A thread of its own reads the stream into a
// LiveSampleQueue, so the station's thread never waits for the source. Datagrams that find the
// queue full are counted overruns; standard input waits for room instead (the writer of a pipe is
// held back, nothing is lost), so a recording piped in decodes whole.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "audio/live_sample_queue.h"

namespace orv {

class LiveStreamReader {
public:
    // Binds a UDP socket to `port` on every IPv4 address; 0 takes any free port (Port() tells
    // which). Null with `error` set when the port cannot be bound.
    static std::unique_ptr<LiveStreamReader> ListenUdp(std::uint16_t port, std::string& error);
    // Reads standard input (fd 0); the end of the input ends the source.
    static std::unique_ptr<LiveStreamReader> ReadStdin();

    ~LiveStreamReader();  // stops the thread and closes the socket
    LiveStreamReader(const LiveStreamReader&) = delete;
    LiveStreamReader& operator=(const LiveStreamReader&) = delete;

    // Starts reading into a queue of `capacity` samples.
    void Start(std::size_t capacity);
    LiveSampleQueue& Queue() { return *queue_; }
    std::uint16_t Port() const { return port_; }  // the bound UDP port, 0 for standard input

    // Milliseconds of the steady clock when samples last arrived; 0 before the first.
    std::int64_t LastDataMs() const { return lastDataMs_.load(); }
    // The stream ended (end of standard input, a read error); Error() says why.
    bool Ended() const { return ended_.load(); }
    std::string Error() const;

    static std::int64_t NowMs();  // the steady clock LastDataMs uses

private:
    LiveStreamReader(int fd, bool ownsFd, bool datagrams, std::uint16_t port);
    void Run();
    void End(const std::string& why);

    int fd_;
    bool ownsFd_;
    bool datagrams_;
    std::uint16_t port_;
    std::unique_ptr<LiveSampleQueue> queue_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    std::atomic<std::int64_t> lastDataMs_{0};
    mutable std::mutex errorMutex_;
    std::string error_;
};

}  // namespace orv
