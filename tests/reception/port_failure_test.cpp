#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "reception/port_failure.h"

namespace orv {
namespace {

TEST(PortFailure, TheMessageKeepsItsTextAndNamesDeviceReasonAndGroup) {
    const std::string head = "Problem opening port!\nPort may already be in use!";
    struct Case {
        const char* device;
        const char* reason;
        const char* group;
        std::string expected;
    };
    const Case cases[] = {
        {"", "", "", head},
        {"/dev/ttyUSB0", "Device or resource busy", "", head + "\n\nDevice: /dev/ttyUSB0\nReason: Device or resource busy"},
        {"", "no serial port is configured", "", head + "\n\nReason: no serial port is configured"},
        {"/dev/ttyACM0", "Permission denied", "dialout",
         head + "\n\nDevice: /dev/ttyACM0\nReason: Permission denied\n\nThis user may not open the device. Add the user "
                "to the group that owns it (\"dialout\"), e.g. sudo usermod -aG dialout $USER, then log in again."},
    };
    for (const Case& c : cases) EXPECT_EQ(PortOpenFailureText(c.device, c.reason, c.group), c.expected);
}

TEST(PortFailure, TheOwningGroupIsNamedOnlyWhenAccessIsDenied) {
    EXPECT_EQ(DeniedDeviceGroup(""), "");
    EXPECT_EQ(DeniedDeviceGroup("/dev/orv-missing"), "");
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("orv-port-" + std::to_string(getpid()));
    std::ofstream(file) << "x";
    EXPECT_EQ(DeniedDeviceGroup(file.string()), "");  // readable and writable
    std::filesystem::permissions(file, std::filesystem::perms::none);
    if (geteuid() != 0) {
        EXPECT_FALSE(DeniedDeviceGroup(file.string()).empty());  // root opens everything
    }
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace orv
