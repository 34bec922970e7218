#pragma once
// What the operator is told when the serial port does not open: the device, the system's reason
// and, for a device the user may not open, what to do about it.
#include <string>

namespace orv {

// The group that owns `device` (e.g. "dialout") when the current user lacks read or write access
// to it; empty when access is allowed, the device is missing, or the system has no such notion.
std::string DeniedDeviceGroup(const std::string& device);

// "Problem opening port!\nPort may already be in use!" followed by the device and the reason
// (each left out when empty). A non-empty `deniedGroup` adds that the user must be in that group.
std::string PortOpenFailureText(const std::string& device, const std::string& reason, const std::string& deniedGroup);

}  // namespace orv
