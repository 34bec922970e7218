#pragma once
// DSPLoad: loads a program into the DSP-93 modem over the serial port on a worker thread at lower
// priority: 19200 baud, no flow control, RTS on; the reset command, 2000 ms, the program byte by
// byte with its pacing, 1000 ms, close. Progress and the end arrive as signals, so a window takes
// them on its own thread.
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class QThread;

namespace orv {

class DSPLoad : public QObject {
    Q_OBJECT
public:
    explicit DSPLoad(QObject* parent = nullptr);
    // A transfer still running is abandoned (the port is closed) and the thread waited for.
    ~DSPLoad() override;

    // Reads and converts the program file on the calling thread. A sound program: emits Started,
    // starts the transfer to `device` and returns true; Finished follows. Otherwise (no file,
    // unreadable, empty or malformed, or a load already running) returns false with the reason in
    // *error; nothing is sent and no signal follows. Records with a wrong checksum are refused
    // likewise, listed in *error, unless `acceptWrongChecksums`.
    bool Start(const QString& filePath, const QString& device, QString* error = nullptr,
               bool acceptWrongChecksums = false);
    bool IsRunning() const;

signals:
    // Emitted directly from Start before the worker opens the port: whoever holds the same port
    // (the telemetry reception) lets go of it now. byteCount is the program text's length.
    void Started(qint64 byteCount);
    // 0..100.
    void Progress(int percent);
    // The port is closed and the worker has ended; message is empty on success, else the reason.
    void Finished(bool ok, const QString& message);

private:
    QThread* thread_ = nullptr;
    std::atomic<bool> abandon_{false};
    bool ok_ = false;
    QString message_;
};

}  // namespace orv
