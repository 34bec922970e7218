#include "inputs/rtl_tcp_source.h"

#include <QMetaObject>
#include <cmath>

#include "iq/iq_format.h"

namespace orv {
namespace {

constexpr int kGreetingBytes = 12;

void Command(std::vector<std::uint8_t>& out, std::uint8_t command, std::uint32_t value) {
    out.push_back(command);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t BigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// rtl_tcp's numbering of the tuners (enum rtlsdr_tuner).
QString TunerName(std::uint32_t type) {
    static const char* const kNames[] = {"unknown tuner", "E4000", "FC0012", "FC0013", "FC2580", "R820T", "R828D"};
    return type < std::size(kNames) ? QString::fromLatin1(kNames[type]) : QStringLiteral("tuner type %1").arg(type);
}

}  // namespace

std::vector<std::uint8_t> RtlTcpCommands(const RtlTcpTuning& t) {
    std::vector<std::uint8_t> out;
    Command(out, 0x02, t.rate);
    Command(out, 0x01, t.frequencyHz);
    Command(out, 0x05, static_cast<std::uint32_t>(t.ppm));
    Command(out, 0x03, t.gainDb ? 1 : 0);
    if (t.gainDb) Command(out, 0x04, static_cast<std::uint32_t>(std::lround(*t.gainDb * 10.0)));
    return out;
}

RtlTcpSource::RtlTcpSource(const QString& host, std::uint16_t port, const RtlTcpTuning& tuning,
                           std::function<void(std::span<const std::complex<float>>)> samples, QObject* parent)
    : QObject(parent), host_(host), port_(port), tuning_(tuning), samples_(std::move(samples)) {
    connect(&link_, &TcpLink::Connected, this, &RtlTcpSource::OnConnected);
    connect(&link_, &TcpLink::DataReady, this, &RtlTcpSource::OnData);
    connect(&link_, &TcpLink::LinkDown, this, [this](bool lost, const QString& reason, int retrySeconds) {
        const QString what = lost ? QStringLiteral("Link lost to: rtl_tcp %1").arg(Address())
                                  : QStringLiteral("Error connecting to: rtl_tcp %1 (%2)").arg(Address(), reason);
        if (lost) emit Interrupted();
        emit Status(QStringLiteral("%1; reconnecting in %2 s").arg(what).arg(retrySeconds));
    });
    link_.SetReconnectSeconds(kRetrySeconds);
}

RtlTcpSource::~RtlTcpSource() { link_.disconnect(this); }

void RtlTcpSource::Start() { link_.ConnectTo(host_, port_); }

void RtlTcpSource::OnConnected() {
    greeting_.clear();
    greeted_ = false;
    haveOddByte_ = false;
    const std::vector<std::uint8_t> commands = RtlTcpCommands(tuning_);
    link_.Socket().write(reinterpret_cast<const char*>(commands.data()), static_cast<qint64>(commands.size()));
}

void RtlTcpSource::OnData() {
    QTcpSocket& socket = link_.Socket();
    qint64 taken = 0;
    while (taken < kBytesPerEvent && link_.IsConnected() && socket.bytesAvailable() > 0) {
        if (!greeted_) {
            const QByteArray part = socket.read(kGreetingBytes - static_cast<qint64>(greeting_.size()));
            greeting_.insert(greeting_.end(), part.begin(), part.end());
            if (greeting_.size() < kGreetingBytes) return;
            if (greeting_[0] != 'R' || greeting_[1] != 'T' || greeting_[2] != 'L' || greeting_[3] != '0') {
                link_.Disconnect();
                emit Refused(QStringLiteral("%1 is not an rtl_tcp server (its greeting does not start with RTL0)").arg(Address()));
                return;
            }
            greeted_ = true;
            emit Status(QStringLiteral("rtl_tcp %1: %2, %3 gains; tuned to %4 Hz at %5 samples/s")
                            .arg(Address(), TunerName(BigEndian(&greeting_[4])))
                            .arg(BigEndian(&greeting_[8]))
                            .arg(tuning_.frequencyHz)
                            .arg(tuning_.rate));
            continue;
        }
        bytes_.resize(65536 + 1);
        std::size_t start = 0;
        if (haveOddByte_) {
            bytes_[0] = oddByte_;
            start = 1;
        }
        const qint64 n = socket.read(reinterpret_cast<char*>(bytes_.data() + start), 65536);
        if (n <= 0) break;
        taken += n;
        const std::size_t total = start + static_cast<std::size_t>(n);
        haveOddByte_ = total % 2 != 0;
        if (haveOddByte_) oddByte_ = bytes_[total - 1];
        converted_.clear();
        IqToComplex(IqFormat::Cu8, std::span<const std::uint8_t>(bytes_.data(), total - total % 2), converted_);
        samples_(converted_);
    }
    // More may be waiting; readyRead does not come again for bytes already buffered.
    if (!readMorePending_ && link_.IsConnected() && socket.bytesAvailable() > 0) {
        readMorePending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                readMorePending_ = false;
                OnData();
            },
            Qt::QueuedConnection);
    }
}

}  // namespace orv
