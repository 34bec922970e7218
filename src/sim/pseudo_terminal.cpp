#include "sim/pseudo_terminal.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <cstring>
#endif

namespace orv::sim {

#ifdef _WIN32

bool PseudoTerminal::Open(std::string& error) {
    error = "pseudo-terminals are not available on this platform";
    return false;
}

void PseudoTerminal::Close() {}

void PseudoTerminal::Drain(int) {}

#else

bool PseudoTerminal::Open(std::string& error) {
    Close();
    const auto fail = [&](const char* step) {
        error = std::string("cannot create a pseudo-terminal (") + step + "): " + std::strerror(errno);
        Close();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail("posix_openpt");
    if (grantpt(master_) != 0) return fail("grantpt");
    if (unlockpt(master_) != 0) return fail("unlockpt");
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) return fail("non-blocking mode");
    fcntl(master_, F_SETFD, FD_CLOEXEC);
#ifdef __linux__
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    slavePath_ = name;
#else
    const char* name = ptsname(master_);
    if (name == nullptr) return fail("ptsname");
    slavePath_ = name;
#endif
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail("open slave");
    termios t{};
    if (tcgetattr(slave_, &t) != 0) return fail("tcgetattr");
    cfmakeraw(&t);
    if (tcsetattr(slave_, TCSANOW, &t) != 0) return fail("raw mode");
    return true;
}

void PseudoTerminal::Drain(int limitMs) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(limitMs);
    int quiet = 0;  // bytes can still be on their way into the queue: wait for two empty looks
    while (slave_ >= 0 && quiet < 2 && steady_clock::now() < deadline) {
        int waiting = 0;
        if (ioctl(slave_, FIONREAD, &waiting) != 0) return;
        quiet = waiting == 0 ? quiet + 1 : 0;
        std::this_thread::sleep_for(milliseconds(20));
    }
}

void PseudoTerminal::Close() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
    slavePath_.clear();
}

#endif

}  // namespace orv::sim
