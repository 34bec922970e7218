#include "app/cli/service_manager.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace orv::cli {

bool StandardErrorIsJournal() {
#ifdef _WIN32
    return false;
#else
    const char* stream = std::getenv("JOURNAL_STREAM");
    if (stream == nullptr) return false;
    unsigned long long device = 0, inode = 0;
    if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2) return false;
    // A program started from the service with its standard error elsewhere inherits the variable.
    struct stat st {};
    return ::fstat(STDERR_FILENO, &st) == 0 && st.st_dev == device && st.st_ino == inode;
#endif
}

std::string JournalPrefix(StatusLevel level) {
    switch (level) {
        case StatusLevel::Error: return "<3>";
        case StatusLevel::Warning: return "<4>";
        case StatusLevel::Status: break;
    }
    return "<6>";
}

void NotifyServiceManager(const std::string& state) {
#ifndef _WIN32
    const char* path = std::getenv("NOTIFY_SOCKET");
    if (path == nullptr || (path[0] != '/' && path[0] != '@')) return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::strlen(path);
    if (length >= sizeof address.sun_path) return;
    std::memcpy(address.sun_path, path, length);
    if (address.sun_path[0] == '@') address.sun_path[0] = '\0';  // the abstract namespace
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    ::sendto(fd, state.data(), state.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
             static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length));
    ::close(fd);
#endif
}

}  // namespace orv::cli
