#pragma once
// A pseudo-terminal standing in for the modem: the program opens the slave side as its serial
// device; the test reads everything written to it from the master side on a thread.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace orv::test {

class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        const char* name = ptsname(master_);
        if (name) slavePath_ = name;
    }
    ~PseudoTerminal() {
        StopReading();
        if (master_ >= 0) close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Ok() const { return !slavePath_.empty(); }
    const std::string& SlavePath() const { return slavePath_; }

    void StartReading() {
        stop_ = false;
        reader_ = std::thread([this] {
            while (!stop_) {
                pollfd p{master_, POLLIN, 0};
                if (poll(&p, 1, 20) > 0) Drain();
                // Until the slave side is opened (and after it is closed) the master reports
                // POLLHUP and reads fail with EIO; keep waiting.
                if (p.revents & (POLLHUP | POLLERR)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            Drain();
        });
    }

    // Stops the reader and returns everything read.
    std::string StopReading() {
        if (reader_.joinable()) {
            stop_ = true;
            reader_.join();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

    std::string Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    void Drain() {
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n <= 0) return;
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    int master_ = -1;
    std::string slavePath_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string received_;
};

}  // namespace orv::test
