#pragma once
// KISS in over TCP: connects to a KISS server (direwolf's port 8001, an SDR decoder, another
// Orv's KISS out), hands on every 512- or 514-byte data frame, and reconnects after a lost link
// or a failed attempt. A frame cut off by a lost link is dropped, never joined to the next one.
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <cstdint>

#include "forward/kiss.h"

namespace orv {

class KissTcpInput : public QObject {
    Q_OBJECT
public:
    explicit KissTcpInput(KissBlockDeframer::BlockHandler onBlock, QObject* parent = nullptr);
    ~KissTcpInput() override;

    void ConnectTo(const QString& host, std::uint16_t port);
    // Closes the link and cancels any reconnect.
    void Disconnect();
    // Wait before the next attempt after a lost link or a failed one, in seconds (default 5); 0: give up.
    void SetReconnectSeconds(int seconds) { reconnectSeconds_ = seconds; }

    bool IsConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    const KissBlockDeframer& Deframer() const { return deframer_; }

signals:
    // "KISS: connected to HOST:PORT", "KISS: HOST:PORT: REASON; trying again in N s", ...
    void StatusChanged(const QString& text);
    // More frames were skipped: the summary of all so far (KissSkipsText).
    void FramesSkipped(const QString& summary);

private:
    void Attempt();
    void LinkDown(const QString& reason);
    void OnReadyRead();

    KissBlockDeframer deframer_;
    QTcpSocket socket_;
    QTimer reconnectTimer_;
    QString host_;
    std::uint16_t port_ = 0;
    int reconnectSeconds_ = 5;
    bool wanted_ = false;
};

}  // namespace orv
