#include "audio/live_stream_reader.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace orv {

std::unique_ptr<LiveStreamReader> LiveStreamReader::ListenUdp(std::uint16_t port, std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot open a UDP socket: ") + std::strerror(errno);
        return nullptr;
    }
    // A large kernel buffer rides out a moment when the reading thread is not scheduled.
    const int buffer = 4 * 1024 * 1024;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot listen on UDP port " + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return std::unique_ptr<LiveStreamReader>(new LiveStreamReader(fd, true, true, ntohs(address.sin_port)));
}

std::unique_ptr<LiveStreamReader> LiveStreamReader::ReadStdin() {
    return std::unique_ptr<LiveStreamReader>(new LiveStreamReader(0, false, false, 0));
}

LiveStreamReader::LiveStreamReader(int fd, bool ownsFd, bool datagrams, std::uint16_t port)
    : fd_(fd), ownsFd_(ownsFd), datagrams_(datagrams), port_(port) {}

LiveStreamReader::~LiveStreamReader() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (ownsFd_) ::close(fd_);
}

void LiveStreamReader::Start(std::size_t capacity) {
    queue_ = std::make_unique<LiveSampleQueue>(capacity);
    thread_ = std::thread([this] { Run(); });
}

std::int64_t LiveStreamReader::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string LiveStreamReader::Error() const {
    std::lock_guard lock(errorMutex_);
    return error_;
}

void LiveStreamReader::End(const std::string& why) {
    {
        std::lock_guard lock(errorMutex_);
        error_ = why;
    }
    ended_ = true;
}

void LiveStreamReader::Run() {
    std::vector<std::uint8_t> bytes(65536);
    std::vector<std::uint8_t> carry;
    std::vector<float> samples;
    while (!stop_) {
        // A short wait, so that stopping never waits long for a silent source.
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR) return End(std::string("cannot wait for audio: ") + std::strerror(errno));
        if (ready <= 0) continue;
        const ssize_t n = datagrams_ ? ::recv(fd_, bytes.data(), bytes.size(), 0) : ::read(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return End(std::string("cannot read audio: ") + std::strerror(errno));
        }
        if (n == 0) {
            if (datagrams_) continue;  // an empty datagram
            return End("the audio on standard input ended");
        }
        samples.clear();
        // Each datagram holds whole samples; a stream may split one between reads.
        if (datagrams_) carry.clear();
        S16leToFloat({bytes.data(), static_cast<std::size_t>(n)}, carry, samples);
        if (datagrams_) {
            queue_->Push(samples);  // a datagram cannot wait: what does not fit is an overrun
        } else {
            // A pipe can: the writer waits while the station catches up, and nothing is lost.
            std::span<const float> rest(samples);
            while (!rest.empty() && !stop_) {
                rest = rest.subspan(queue_->PushSome(rest));
                if (!rest.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        lastDataMs_ = NowMs();
    }
}

}  // namespace orv
