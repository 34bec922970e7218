#pragma once
// A loopback TCP port that was free a moment ago, as the text a port field or setting holds.
#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <string>

namespace orv::test {

inline std::string FreeTcpPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return std::to_string(probe.serverPort());
}

}  // namespace orv::test
