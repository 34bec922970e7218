#include "inputs/serial_modem_input.h"

#include "pipeline/reception_pipeline.h"

namespace orv {

SerialModemInput::SerialModemInput(ReceptionPipeline& pipeline, const SerialConfig& config,
                                   const ReceptionFlags& flags, QObject* parent)
    : BlockInput(parent), pipeline_(pipeline), config_(config), flags_(flags) {
    connect(&port_, &SerialPort::DataAvailable, this, &SerialModemInput::Read);
    connect(&port_, &SerialPort::PortLost, this, &BlockInput::Lost);
}

SerialModemInput::~SerialModemInput() {
    port_.disconnect(this);
    port_.Close();
}

bool SerialModemInput::Start(std::string& error) {
    QString reason;
    if (port_.Open(config_, &reason)) return true;
    error = reason.toStdString();
    return false;
}

void SerialModemInput::Stop() { port_.Close(); }

QString SerialModemInput::Description() const {
    return QStringLiteral("%1 at %2 baud").arg(config_.device).arg(config_.baudRate);
}

void SerialModemInput::Read(qint64 count) {
    if (flags_.serialInputSuspended) {
        port_.FlushInput();
        return;
    }
    const QByteArray bytes = port_.Read(count);
    if (bytes.isEmpty()) return;
    Deliver({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
}

void SerialModemInput::Deliver(std::span<const std::uint8_t> bytes) { pipeline_.SerialBytes(bytes); }

}  // namespace orv
