#pragma once
// An rtl_tcp server as the source of IQ: on connecting it sends its 12-byte greeting ("RTL0", the
// tuner type and its number of gains, big-endian), then unsigned 8-bit I/Q without end. The client
// sets the tuner with 5-byte commands (a command byte, a 32-bit big-endian value): 0x02 sample
// rate, 0x01 centre frequency, 0x05 frequency correction (ppm), 0x03 gain mode (0 auto, 1
// manual), 0x04 gain (tenths of a dB), sent again on every connection. A lost link is reported and
// tried again every kRetrySeconds, as the relay client does.
#include <QObject>
#include <QString>
#include <complex>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "inputs/tcp_link.h"

namespace orv {

struct RtlTcpTuning {
    std::uint32_t frequencyHz = 0;
    std::uint32_t rate = 1024000;
    std::optional<double> gainDb;  // nothing: automatic gain
    int ppm = 0;
};

// The commands that set `tuning`, in the order they are sent.
std::vector<std::uint8_t> RtlTcpCommands(const RtlTcpTuning& tuning);

class RtlTcpSource : public QObject {
    Q_OBJECT
public:
    static constexpr int kRetrySeconds = 5;
    // Bytes taken from the socket in one turn of the event loop.
    static constexpr qint64 kBytesPerEvent = 512 * 1024;

    // `samples` gets every sample received, in order.
    RtlTcpSource(const QString& host, std::uint16_t port, const RtlTcpTuning& tuning,
                 std::function<void(std::span<const std::complex<float>>)> samples, QObject* parent = nullptr);
    ~RtlTcpSource() override;

    void Start();
    QString Address() const { return QStringLiteral("%1:%2").arg(host_).arg(port_); }

signals:
    // "rtl_tcp HOST:PORT: tuner R820T, 29 gains", the lost link and its retry, a failed attempt.
    void Status(const QString& text);
    // The stream broke off (the link was lost): what follows does not continue it.
    void Interrupted();
    // The server is not rtl_tcp: the link is closed for good.
    void Refused(const QString& reason);

private:
    void OnConnected();
    void OnData();

    QString host_;
    std::uint16_t port_;
    TcpLink link_;
    RtlTcpTuning tuning_;
    std::function<void(std::span<const std::complex<float>>)> samples_;
    std::vector<std::uint8_t> greeting_;
    bool greeted_ = false;
    bool readMorePending_ = false;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::complex<float>> converted_;
    std::uint8_t oddByte_ = 0;  // the I of a sample whose Q is still to come
    bool haveOddByte_ = false;
};

}  // namespace orv
