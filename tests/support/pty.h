#pragma once
// A pseudo-terminal pair for tests: the master side stands in for the demodulator.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace orv::test {

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        slave_ = ptsname(master_);
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    ~PtyPair() { CloseMaster(); }
    bool Ok() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& SlavePath() const { return slave_; }
    int Master() const { return master_; }
    bool Write(const void* data, std::size_t n) {
        const char* p = static_cast<const char*>(data);
        while (n > 0) {
            const ssize_t w = ::write(master_, p, n);
            if (w <= 0) return false;
            p += w;
            n -= static_cast<std::size_t>(w);
        }
        return true;
    }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slave_;
};

}  // namespace orv::test
