#include "inputs/kiss_input.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <vector>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

#include "pipeline/reception_pipeline.h"

namespace orv {

KissInput::KissInput(ReceptionPipeline& pipeline, QObject* parent)
    : BlockInput(parent), pipeline_(pipeline), deframer_([this](const KissData& data) { Data(data); }) {
    pieceTimer_.setInterval(0);
    connect(&pieceTimer_, &QTimer::timeout, this, &KissInput::ReadSome);
    connect(&link_, &TcpLink::Connected, this, [this] {
        deframer_.Reset();
        emit Status(QStringLiteral("KISS: connected to %1:%2").arg(link_.Host()).arg(link_.Port()));
    });
    connect(&link_, &TcpLink::DataReady, this, [this] {
        const QByteArray bytes = link_.Socket().readAll();
        Fed({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
    });
    connect(&link_, &TcpLink::LinkDown, this, [this](bool, const QString& reason, int retrySeconds) {
        deframer_.Reset();
        const QString where = QStringLiteral("KISS: %1:%2: %3").arg(link_.Host()).arg(link_.Port()).arg(reason);
        if (retrySeconds > 0) emit Status(QStringLiteral("%1; trying again in %2 s").arg(where).arg(retrySeconds));
        else emit Status(where);
    });
}

KissInput::~KissInput() {
    link_.disconnect(this);
    CloseStream();
}

void KissInput::Data(const KissData& data) {
    InputFacts facts;
    facts.utcMilliseconds = data.utcMilliseconds;
    // A server's frames are received now; a file's or a pipe's only when they carry their time.
    facts.live = file_ == nullptr || data.utcMilliseconds.has_value();
    if (data.bytes.size() == kFecDataBytes) {
        pipeline_.DecodedFecData(data.bytes.first<kFecDataBytes>(), BlockOrigin::Kiss, facts);
    } else {
        pipeline_.WholeBlock(data.bytes, BlockOrigin::Kiss, facts);
    }
}

void KissInput::Fed(std::span<const std::uint8_t> bytes) {
    // The first frame that points to a wrong feed is told at once; the rest wait for the summary.
    if (deframer_.Feed(bytes) > 0 && !faultTold_) {
        faultTold_ = true;
        emit Status(QString::fromStdString(KissSkipsText(deframer_.Skips())) +
                    QStringLiteral("; further skipped frames are counted for the summary at the end"));
    }
}

QString KissInput::SkipsSummary() const { return QString::fromStdString(KissSkipsText(deframer_.Skips())); }

QString KissInput::NewSkipsSummary() {
    if (deframer_.Skips().Total() == skipsSummed_) return {};
    skipsSummed_ = deframer_.Skips().Total();
    return SkipsSummary();
}

StatusLevel KissInput::LevelOf(const QString& status) {
    if (status.startsWith(QStringLiteral("KISS input: skipped")) || status.contains(QStringLiteral("; trying again")))
        return StatusLevel::Warning;
    return StatusLevel::Status;
}

void KissInput::ConnectTo(const QString& host, std::uint16_t port, int reconnectSeconds) {
    CloseStream();
    deframer_.Reset();
    link_.SetReconnectSeconds(reconnectSeconds);
    link_.ConnectTo(host, port);
}

bool KissInput::OpenStream(const QString& path, QString* error) {
    CloseStream();
    link_.Disconnect();
    path_ = path;
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
        if (error)
            *error = QStringLiteral("cannot open %1: %2")
                         .arg(name_, QFileInfo(path).isDir() ? QStringLiteral("it is a folder") : file_->errorString());
        file_.reset();
        return false;
    }
    deframer_.Reset();
#ifndef _WIN32
    if (file_->isSequential()) {
        notifier_ = std::make_unique<QSocketNotifier>(file_->handle(), QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &KissInput::ReadSome);
        return true;
    }
#endif
    pieceTimer_.start();
    return true;
}

bool KissInput::Start(std::string& error) {
    if (!path_.isEmpty()) {
        QString reason;
        if (OpenStream(path_, &reason)) return true;
        error = reason.toStdString();
        return false;
    }
    if (link_.Host().isEmpty()) {
        error = "no KISS server or file to read";
        return false;
    }
    ConnectTo(link_.Host(), link_.Port(), link_.ReconnectSeconds());
    return true;
}

void KissInput::Stop() {
    CloseStream();
    link_.Disconnect();
}

bool KissInput::Running() const { return file_ != nullptr || link_.GetState() != TcpLink::State::Off; }

QString KissInput::Description() const {
    if (!path_.isEmpty()) return name_;
    return QStringLiteral("%1:%2").arg(link_.Host()).arg(link_.Port());
}

void KissInput::CloseStream() {
    pieceTimer_.stop();
    notifier_.reset();
    file_.reset();
}

void KissInput::ReadSome() {
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
    Fed({reinterpret_cast<const std::uint8_t*>(buffer.data()), static_cast<std::size_t>(n)});
}

void KissInput::End(const QString& error) {
    CloseStream();
    if (const QString summary = NewSkipsSummary(); !summary.isEmpty()) emit Status(summary);
    emit Ended(error);
}

}  // namespace orv
