#include "reception/port_failure.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace orv {

std::string DeniedDeviceGroup(const std::string& device) {
#ifdef _WIN32
    (void)device;
    return {};
#else
    if (device.empty() || access(device.c_str(), R_OK | W_OK) == 0 || errno != EACCES) return {};
    struct stat st {};
    if (stat(device.c_str(), &st) != 0) return {};
    if (const group* g = getgrgid(st.st_gid)) return g->gr_name;
    return std::to_string(st.st_gid);
#endif
}

std::string PortOpenFailureText(const std::string& device, const std::string& reason, const std::string& deniedGroup) {
    std::string text = "Problem opening port!\nPort may already be in use!";
    if (!device.empty()) text += "\n\nDevice: " + device;
    if (!reason.empty()) text += (device.empty() ? "\n\nReason: " : "\nReason: ") + reason;
    if (!deniedGroup.empty())
        text += "\n\nThis user may not open the device. Add the user to the group that owns it (\"" + deniedGroup +
                "\"), e.g. sudo usermod -aG " + deniedGroup + " $USER, then log in again.";
    return text;
}

}  // namespace orv
