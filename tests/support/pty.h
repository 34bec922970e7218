#pragma once
// A pseudo-terminal pair standing in for the demodulator or the modem: the program under test
// opens the slave side as its serial device; the test writes to it, or reads what the program
// sends, from the master side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

namespace orv::test {

class PtyPair {
public:
    // Opens the pair: the master non-blocking and closed on exec (a program the test starts must
    // not hold the other end), the line in raw mode (8 bits, no echo, no translation). Ok()
    // tells whether it worked.
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        ::fcntl(master_, F_SETFD, FD_CLOEXEC);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        if (const char* name = ptsname(master_)) slave_ = name;
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return master_ >= 0 && !slave_.empty(); }
    // The device path the program opens, e.g. "/dev/pts/7".
    const std::string& SlavePath() const { return slave_; }

    // Writes all `n` bytes to the master side, waiting while the line's buffer is full. False
    // when the master is closed, on a write error, or when nobody reads for `limitMs` ms.
    bool Write(const void* data, std::size_t n, int limitMs = 60000) {
        const char* p = static_cast<const char*>(data);
        while (n > 0) {
            if (master_ < 0) return false;
            const ssize_t w = ::write(master_, p, n);
            if (w > 0) {
                p += w;
                n -= static_cast<std::size_t>(w);
            } else if (w < 0 && errno == EAGAIN) {
                pollfd out{master_, POLLOUT, 0};
                if (::poll(&out, 1, limitMs) <= 0) return false;
            } else if (!(w < 0 && errno == EINTR)) {
                return false;
            }
        }
        return true;
    }

    // Closes the master side (the reader first, if one runs): the program sees its device go away.
    void CloseMaster() {
        StopReading();
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    // Starts a thread that keeps everything the program writes to the slave side.
    void StartReading() {
        if (reader_.joinable()) return;
        stop_ = false;
        reader_ = std::thread([this] {
            while (!stop_) {
                pollfd in{master_, POLLIN, 0};
                if (::poll(&in, 1, 20) > 0) Drain();
                // Until the slave side is opened (and after it is closed) the master reports
                // POLLHUP and reads fail with EIO; keep waiting.
                if (in.revents & (POLLHUP | POLLERR)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            Drain();
        });
    }

    // Stops the reader and returns everything it read.
    std::string StopReading() {
        if (reader_.joinable()) {
            stop_ = true;
            reader_.join();
        }
        return Received();
    }

    // What the reader has read so far.
    std::string Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    void Drain() {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) return;
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    int master_ = -1;
    std::string slave_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string received_;
};

}  // namespace orv::test
