#include "reception/serial_port.h"

namespace orv {

QString SerialDevicePath(int portNumber, const QString& overridePath) {
    if (!overridePath.trimmed().isEmpty()) return overridePath.trimmed();
#if defined(Q_OS_WIN)
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

SerialPort::SerialPort(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        const qint64 waiting = port_.bytesAvailable();
        if (waiting > 0) emit DataAvailable(waiting);
    });
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialPort::OnError);
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const SerialConfig& config, QString* error) {
    if (port_.isOpen()) return true;
    if (config.device.isEmpty() || config.device == QStringLiteral("/dev/ttyS-1")) {
        if (error) *error = QStringLiteral("no serial port is configured");
        return false;
    }
    port_.setPortName(config.device);
    port_.setBaudRate(config.baudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(config.hardwareFlowControl ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
    // The driver buffers input; 4096 bytes matches the receive buffer the station reads into.
    port_.setReadBufferSize(4096);
    if (!port_.open(QIODevice::ReadWrite)) {
        if (error) *error = port_.errorString();
        port_.clearError();
        return false;
    }
    // DTR and RTS off when opened. Devices such as pseudo-terminals refuse modem-control calls
    // ("inappropriate ioctl"); that does not make the port unusable, so the errors are cleared.
    port_.setDataTerminalReady(false);
    if (!config.hardwareFlowControl) port_.setRequestToSend(false);
    port_.clearError();
    port_.clear(QSerialPort::Input);
    port_.readAll();
    return true;
}

void SerialPort::Close() {
    if (port_.isOpen()) port_.close();
}

bool SerialPort::IsOpen() const { return port_.isOpen(); }

QByteArray SerialPort::Read(qint64 maxBytes) { return port_.read(maxBytes); }

qint64 SerialPort::BytesWaiting() const { return port_.bytesAvailable(); }

void SerialPort::FlushInput() {
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

bool SerialPort::WriteAll(const QByteArray& bytes, int timeoutMs) {
    if (!port_.isOpen()) return false;
    if (port_.write(bytes) != bytes.size()) return false;
    while (port_.bytesToWrite() > 0)
        if (!port_.waitForBytesWritten(timeoutMs)) return false;
    return true;
}

void SerialPort::SetRts(bool on) {
    if (port_.isOpen() && port_.flowControl() != QSerialPort::HardwareControl) {
        port_.setRequestToSend(on);
        port_.clearError();
    }
}

void SerialPort::OnError(QSerialPort::SerialPortError error) {
    // Only a failure of the open device matters here; modem-control refusals are not failures.
    // A device that hangs up (a USB adapter pulled out, a pseudo-terminal whose other side
    // closed) shows as a resource error or as reads that keep failing.
    if (error == QSerialPort::ResourceError || error == QSerialPort::PermissionError ||
        error == QSerialPort::DeviceNotFoundError || error == QSerialPort::ReadError) {
        if (!port_.isOpen()) return;
        const QString reason = error == QSerialPort::ReadError
                                   ? QStringLiteral("the device %1 stopped delivering data").arg(port_.portName())
                                   : port_.errorString();
        port_.clearError();
        port_.close();
        emit PortLost(reason);
    }
}

}  // namespace orv
