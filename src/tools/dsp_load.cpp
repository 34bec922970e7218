#include "tools/dsp_load.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>

#include "reception/serial_port.h"
#include "tools/dsp_program.h"
#include "tools/dsp_transfer.h"

namespace orv {
namespace {

// The transfer's link over an open port, on the worker thread.
class SerialDspLink final : public DspLink {
public:
    SerialDspLink(SerialPort& port, const std::atomic<bool>& abandon, DSPLoad& owner)
        : port_(port), abandon_(abandon), owner_(owner) {}

    bool Write(std::string_view bytes) override {
        if (abandon_) {
            error_ = QStringLiteral("the transfer was abandoned");
            return false;
        }
        if (!port_.WriteAll(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())))) {
            error_ = port_.IsOpen() ? port_.Port().errorString() : QStringLiteral("the port was lost");
            return false;
        }
        sent_ += static_cast<qint64>(bytes.size());
        return true;
    }

    // Sleeps in short slices so that an abandoned transfer ends promptly.
    void Sleep(int ms) override {
        QElapsedTimer timer;
        timer.start();
        for (qint64 left = ms; left > 0 && !abandon_; left = ms - timer.elapsed())
            QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 50)));
    }

    void Progress(int percent) override { emit owner_.Progress(percent); }
    std::string Error() const override { return error_.toStdString(); }
    QString ErrorText() const { return error_; }
    qint64 Sent() const { return sent_; }

private:
    SerialPort& port_;
    const std::atomic<bool>& abandon_;
    DSPLoad& owner_;
    QString error_;
    qint64 sent_ = 0;
};

}  // namespace

DSPLoad::DSPLoad(QObject* parent) : QObject(parent) {}

DSPLoad::~DSPLoad() {
    if (thread_) {
        abandon_ = true;
        thread_->wait();
        delete thread_;
    }
}

bool DSPLoad::IsRunning() const { return thread_ != nullptr; }

bool DSPLoad::Start(const QString& filePath, const QString& device, QString* error, bool acceptWrongChecksums) {
    auto fail = [error](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    if (thread_) return fail(QStringLiteral("a DSP program is already being loaded"));
    if (filePath.isEmpty()) return fail(QStringLiteral("no DSP file is selected"));
    const DspProgram program = ReadDspProgram(filePath.toStdString());
    if (!program.Ok()) return fail(QString::fromStdString(program.error));
    if (!acceptWrongChecksums && !program.checksumWarnings.empty())
        return fail(QString::fromStdString(ChecksumWarningText(program)));

    abandon_ = false;
    ok_ = false;
    message_.clear();
    emit Started(static_cast<qint64>(program.text.size()));

    thread_ = QThread::create([this, text = program.text, device] {
        SerialPort port;
        QString reason;
        if (!port.Open(SerialConfig{device, kDspBaudRate, false}, &reason)) {
            message_ = QStringLiteral("cannot open %1: %2").arg(device, reason);
            return;
        }
        port.SetRts(true);
        SerialDspLink link(port, abandon_, *this);
        ok_ = SendDspProgram(text, link);
        port.Close();
        if (!ok_) {
            const qint64 programSent = std::max<qint64>(0, link.Sent() - static_cast<qint64>(kDspResetCommand.size()));
            message_ = QStringLiteral("sending to %1 stopped after %2 of %3 bytes: %4")
                           .arg(device)
                           .arg(programSent)
                           .arg(text.size())
                           .arg(link.ErrorText());
        }
    });
    connect(thread_, &QThread::finished, this, [this] {
        thread_->wait();
        thread_->deleteLater();
        thread_ = nullptr;
        emit Finished(ok_, message_);
    });
    thread_->start(QThread::LowPriority);
    return true;
}

}  // namespace orv
