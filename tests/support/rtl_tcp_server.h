#pragma once
// A small rtl_tcp server for tests: on each connection it sends rtl_tcp's 12-byte greeting ("RTL0",
// tuner R820T, 29 gains), records the client's 5-byte commands and streams the unsigned 8-bit
// I/Q it was given at the pace of the sample rate the client asked for (0x02; `speed` times faster
// for a short test), then closes the connection as a server that stopped would. A client that
// connects again gets the greeting and its commands are recorded, but no more samples.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace orv::test {

class RtlTcpServer {
public:
    using Command = std::array<std::uint8_t, 5>;

    explicit RtlTcpServer(std::vector<std::uint8_t> cu8, double speed = 1.0) : samples_(std::move(cu8)), speed_(speed) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RtlTcpServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    RtlTcpServer(const RtlTcpServer&) = delete;
    RtlTcpServer& operator=(const RtlTcpServer&) = delete;

    std::uint16_t Port() const { return port_; }
    // Every command received, on every connection, in order.
    std::vector<Command> Commands() const {
        const std::lock_guard lock(mutex_);
        return commands_;
    }
    int Connections() const { return connections_.load(); }
    // All samples were sent and that connection closed.
    bool Streamed() const { return streamed_.load(); }
    // The value of a command as rtl_tcp reads it: big-endian.
    static std::uint32_t Value(const Command& c) {
        return (std::uint32_t{c[1]} << 24) | (std::uint32_t{c[2]} << 16) | (std::uint32_t{c[3]} << 8) | c[4];
    }

private:
    void Serve() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            ++connections_;
            Stream(client);
            ::close(client);
        }
    }

    // Reads whatever commands have arrived; false when the client closed.
    bool ReadCommands(int client, std::vector<std::uint8_t>& partial, int waitMs) {
        pollfd p{client, POLLIN, 0};
        while (::poll(&p, 1, waitMs) > 0) {
            std::uint8_t buffer[256];
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) return false;
            partial.insert(partial.end(), buffer, buffer + n);
            while (partial.size() >= 5) {
                Command c;
                std::copy_n(partial.begin(), 5, c.begin());
                partial.erase(partial.begin(), partial.begin() + 5);
                const std::lock_guard lock(mutex_);
                commands_.push_back(c);
                if (c[0] == 0x02) rate_ = Value(c);
            }
            waitMs = 0;
        }
        return true;
    }

    void Stream(int client) {
        const std::uint8_t greeting[12] = {'R', 'T', 'L', '0', 0, 0, 0, 5, 0, 0, 0, 29};
        ::send(client, greeting, sizeof greeting, MSG_NOSIGNAL);
        std::vector<std::uint8_t> partial;
        const bool first = !sent_;
        const auto start = std::chrono::steady_clock::now();
        std::size_t at = 0;
        while (!stop_) {
            if (!ReadCommands(client, partial, 10)) return;
            if (!first) continue;  // a later connection only talks
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const std::size_t due = std::min(samples_.size(), 2 * static_cast<std::size_t>(seconds * rate_ * speed_));
            if (due > at) {
                const ssize_t n = ::send(client, samples_.data() + at, due - at, MSG_NOSIGNAL);
                if (n < 0) return;
                at += static_cast<std::size_t>(n);
            }
            if (at == samples_.size()) {
                sent_ = true;
                streamed_ = true;
                return;
            }
        }
    }

    std::vector<std::uint8_t> samples_;
    double speed_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<bool> streamed_{false};
    bool sent_ = false;
    std::atomic<double> rate_{2048000.0};  // rtl_tcp's default until the client sets one
    mutable std::mutex mutex_;
    std::vector<Command> commands_;
};

}  // namespace orv::test
