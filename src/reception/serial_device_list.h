#pragma once
// The serial devices present on this machine, for choosing one in Setup.
#include <QString>
#include <vector>

namespace orv {

struct SerialDeviceEntry {
    QString path;         // e.g. "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_...", "COM3"
    QString description;  // the driver's or the adapter's description; may be empty
};

// The ports the system reports, then (off Windows) their stable names under /dev/serial/by-id,
// each with the description of the port it leads to. Sorted by path within each part.
std::vector<SerialDeviceEntry> ListSerialDevices();

}  // namespace orv
