#include "reception/serial_device_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace orv {

std::vector<SerialDeviceEntry> ListSerialDevices() {
    std::vector<SerialDeviceEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString description = info.description();
        if (!info.manufacturer().isEmpty() && !description.contains(info.manufacturer()))
            description = description.isEmpty() ? info.manufacturer() : description + ", " + info.manufacturer();
        ports.push_back({info.systemLocation(), description});
    }
    auto byPath = [](const SerialDeviceEntry& a, const SerialDeviceEntry& b) { return a.path < b.path; };
    std::sort(ports.begin(), ports.end(), byPath);
#if !defined(Q_OS_WIN)
    // A USB adapter keeps its by-id name when it is plugged into another socket.
    std::vector<SerialDeviceEntry> stable;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString target = link.canonicalFilePath();
        QString description;
        for (const SerialDeviceEntry& p : ports)
            if (p.path == target) description = p.description;
        stable.push_back({link.absoluteFilePath(), description.isEmpty() ? target : description + " (" + target + ")"});
    }
    ports.insert(ports.end(), stable.begin(), stable.end());
#endif
    return ports;
}

}  // namespace orv
