#pragma once
// A loopback TCP port for a test's server.
#include <QHostAddress>
#include <QTcpServer>
#include <cstdint>

namespace orv::test {

// A loopback TCP port that was free a moment ago (another program may take it meanwhile); 0 when
// no port could be had.
inline std::uint16_t FreeTcpPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace orv::test
