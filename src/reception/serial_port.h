#pragma once
// ZComm2: the station's serial port over QSerialPort. 8N1, RTS/CTS hardware flow control,
// 4096-byte buffers; reports waiting bytes and the loss of the device.
#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace orv {

// Device of port number n (1..12): "COMn" on Windows; elsewhere /dev/ttySn-1, unless the
// per-user "Serial Device" setting (or --serial PATH) names a device path.
QString SerialDevicePath(int portNumber, const QString& overridePath);

struct SerialConfig {
    QString device;
    int baudRate = 1200;
    bool hardwareFlowControl = true;  // RTS/CTS; the DSP-93 loader turns it off
};

class SerialPort : public QObject {
    Q_OBJECT
public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // Opens and configures the port and discards what is waiting. On failure returns false and
    // sets *error to the system's reason; the port stays closed.
    bool Open(const SerialConfig& config, QString* error = nullptr);
    void Close();
    bool IsOpen() const;

    // Reads up to maxBytes waiting bytes.
    QByteArray Read(qint64 maxBytes);
    qint64 BytesWaiting() const;
    // Discards everything waiting in the input buffer.
    void FlushInput();
    // Writes bytes and waits until they are handed to the device (or timeoutMs passes).
    bool WriteAll(const QByteArray& bytes, int timeoutMs = 5000);
    // Sets RTS; meaningful only without hardware flow control.
    void SetRts(bool on);

    QSerialPort& Port() { return port_; }

signals:
    // Bytes are waiting; count is how many.
    void DataAvailable(qint64 count);
    // The device failed or went away while open; the port has been closed.
    void PortLost(const QString& reason);

private:
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort port_;
};

}  // namespace orv
