#include "inputs/relay_client_input.h"

#include <QMetaObject>
#include <array>

#include "pipeline/reception_pipeline.h"

namespace orv {

RelayClientInput::RelayClientInput(ReceptionPipeline& pipeline, QObject* parent)
    : BlockInput(parent), pipeline_(pipeline), reader_(*this) {
    connect(&link_, &TcpLink::Connected, this, &RelayClientInput::OnConnected);
    connect(&link_, &TcpLink::DataReady, this, &RelayClientInput::OnReadyRead);
    connect(&link_, &TcpLink::LinkDown, this, &RelayClientInput::OnLinkDown);
    connect(&link_, &TcpLink::StateChanged, this, &RelayClientInput::StateChanged);
}

RelayClientInput::~RelayClientInput() { link_.disconnect(this); }

void RelayClientInput::ConnectTo(const QString& host, std::uint16_t port) {
    reader_.Reset();
    link_.ConnectTo(host, port);
}

bool RelayClientInput::Start(std::string& error) {
    if (link_.Host().isEmpty()) {
        error = "no server to connect to";
        return false;
    }
    ConnectTo(link_.Host(), link_.Port());
    return true;
}

void RelayClientInput::Disconnect() {
    const bool wasActive = link_.GetState() != LinkState::Off;
    reader_.Reset();
    if (wasActive) emit Status(QString());
    link_.Disconnect();
}

QString RelayClientInput::Description() const { return QStringLiteral("%1:%2").arg(link_.Host()).arg(link_.Port()); }

void RelayClientInput::OnConnected() {
    reader_.Reset();
    const QString peer = link_.Socket().peerName();
    emit Status(QStringLiteral("Connect to: ") + (peer.isEmpty() ? QStringLiteral("unknown server") : peer));
}

void RelayClientInput::OnReadyRead() {
    if (!link_.IsConnected()) return;
    std::array<std::uint8_t, NetworkBlockReader::kReadSize> buffer;
    // One read is at most 600 bytes, as the server's mode is learned from the read sizes. At most
    // kBytesPerEvent per turn of the event loop: a fast server would otherwise keep this loop
    // going while nothing the station relays leaves its own clients' sockets.
    qint64 taken = 0;
    while (taken < kBytesPerEvent) {
        const qint64 n = link_.Socket().read(reinterpret_cast<char*>(buffer.data()), static_cast<qint64>(buffer.size()));
        if (n <= 0 || !link_.IsConnected()) return;
        taken += n;
        reader_.Read(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)));
    }
    // More may be waiting; readyRead does not come again for bytes already buffered.
    if (!readMorePending_ && link_.IsConnected()) {
        readMorePending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                readMorePending_ = false;
                OnReadyRead();
            },
            Qt::QueuedConnection);
    }
}

void RelayClientInput::OnLinkDown(bool lost, const QString&, int retrySeconds) {
    QString report;
    if (!lost) {
        report = QStringLiteral("Error connecting to: ") + link_.Host();
    } else if (reader_.Capturing()) {
        report = QStringLiteral("Link lost to: %1 in a block (%2 of %3 bytes)")
                     .arg(link_.Host())
                     .arg(reader_.CapturedBytes())
                     .arg(NetworkBlockReader::kCaptureBytes);
    } else {
        report = QStringLiteral("Link lost to: %1").arg(link_.Host());
    }
    reader_.Reset();
    if (retrySeconds > 0) emit Status(QStringLiteral("%1; reconnecting in %2 s").arg(report).arg(retrySeconds));
    // Without reconnecting, a link closed by the server just clears the status.
    else emit Status(lost ? QString() : report);
}

void RelayClientInput::SignalNetworkNewBlock() { pipeline_.RelayMarker(); }

void RelayClientInput::ReceiveBlockBytes(std::span<const std::uint8_t> bytes) { pipeline_.RelayBytes(bytes); }

}  // namespace orv
