#include "forward/kiss_stream_input.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cstdio>
#include <vector>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace orv {

KissStreamInput::KissStreamInput(KissBlockDeframer::BlockHandler onBlock, QObject* parent)
    : QObject(parent), deframer_(std::move(onBlock)) {
    pieceTimer_.setInterval(0);
    connect(&pieceTimer_, &QTimer::timeout, this, &KissStreamInput::ReadSome);
}

KissStreamInput::~KissStreamInput() { Close(); }

bool KissStreamInput::Open(const QString& path, QString* error) {
    Close();
    file_ = std::make_unique<QFile>();
    bool ok;
    if (path == QStringLiteral("-")) {
        name_ = QStringLiteral("standard input");
        ok = file_->open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    } else {
        name_ = QStringLiteral("\"%1\"").arg(path);
        file_->setFileName(path);
        ok = !QFileInfo(path).isDir() && file_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    if (!ok) {
        if (error) *error = QStringLiteral("cannot open %1: %2").arg(name_, QFileInfo(path).isDir() ? QStringLiteral("it is a folder") : file_->errorString());
        file_.reset();
        return false;
    }
    deframer_.Reset();
#ifndef _WIN32
    if (file_->isSequential()) {
        notifier_ = std::make_unique<QSocketNotifier>(file_->handle(), QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &KissStreamInput::ReadSome);
        return true;
    }
#endif
    pieceTimer_.start();
    return true;
}

void KissStreamInput::Close() {
    pieceTimer_.stop();
    notifier_.reset();
    file_.reset();
}

void KissStreamInput::ReadSome() {
    if (!file_) return;
    std::vector<char> buffer(static_cast<std::size_t>(kReadBytes));
    qint64 n;
#ifndef _WIN32
    if (notifier_) {
        // Readable: one read() returns what is there without waiting for the whole piece.
        ssize_t r;
        do {
            r = ::read(file_->handle(), buffer.data(), buffer.size());
        } while (r < 0 && errno == EINTR);
        if (r < 0 && errno == EAGAIN) return;
        if (r < 0) return End(QStringLiteral("cannot read %1: %2").arg(name_, QString::fromLocal8Bit(std::strerror(errno))));
        n = r;
    } else
#endif
    {
        n = file_->read(buffer.data(), kReadBytes);
        if (n < 0) return End(QStringLiteral("cannot read %1: %2").arg(name_, file_->errorString()));
    }
    if (n == 0) return End(QString());
    const auto* data = reinterpret_cast<const std::uint8_t*>(buffer.data());
    if (deframer_.Feed(std::span(data, static_cast<std::size_t>(n))) > 0)
        emit FramesSkipped(QString::fromStdString(KissSkipsText(deframer_.Skips())));
}

void KissStreamInput::End(const QString& error) {
    Close();
    emit Finished(error);
}

}  // namespace orv
