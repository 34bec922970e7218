#pragma once
// What the socket benchmarks share: loopback clients read on a thread of their own, counting the
// bytes and throwing them away without copying them, so that a figure is the server's and not the
// readers'; and a wait on the main thread's event loop.
#include <QCoreApplication>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

namespace orv::bench {

// Runs the main thread's event loop until done() holds.
template <typename Done>
void RunUntil(Done done) {
    QTimer tick;  // the readers are on other threads: look at their counts now and then
    tick.start(1);
    while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// A plain socket connected to 127.0.0.1:port; aborts when it cannot connect.
inline int ConnectLoopback(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::abort();
    return fd;
}

// `count` plain sockets connected to 127.0.0.1:port (aborts when one cannot connect).
class LoopbackReaders {
public:
    LoopbackReaders(std::uint16_t port, int count) {
        for (int i = 0; i < count; ++i) fds_.push_back({ConnectLoopback(port), POLLIN, 0});
        thread_ = std::thread([this] { Run(); });
    }
    ~LoopbackReaders() {
        stop_ = true;
        thread_.join();
        for (const pollfd& p : fds_) ::close(p.fd);
    }
    // Bytes received over all sockets.
    std::int64_t Received() const { return received_.load(); }

private:
    void Run() {
        while (!stop_) {
            if (::poll(fds_.data(), fds_.size(), 10) <= 0) continue;
            for (pollfd& p : fds_) {
                if (!(p.revents & POLLIN)) continue;
                const ssize_t n = ::recv(p.fd, nullptr, 1 << 24, MSG_TRUNC | MSG_DONTWAIT);
                if (n > 0) received_ += n;
            }
        }
    }

    std::vector<pollfd> fds_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<std::int64_t> received_{0};
};

}  // namespace orv::bench
