#include "forward/sids_submitter.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace orv {
namespace {

// The server judged the submission itself bad: sending it again cannot help.
bool RefusedForGood(int httpStatus) { return httpStatus == 400 || httpStatus == 422; }

}  // namespace

SidsSubmitter::SidsSubmitter(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    pollTimer_.setInterval(1000);
    connect(&pollTimer_, &QTimer::timeout, this, &SidsSubmitter::Poll);
    pollTimer_.start();
}

SidsSubmitter::~SidsSubmitter() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

bool SidsSubmitter::OpenQueue(const std::filesystem::path& path, QString* error) {
    std::string reason;
    if (!queue_.Open(path, reason)) {
        if (error) *error = QString::fromStdString(reason);
        return false;
    }
    if (queue_.SkippedLines() > 0)
        emit StatusChanged(QStringLiteral("SiDS: %1 damaged line(s) of the queue \"%2\" skipped")
                               .arg(queue_.SkippedLines())
                               .arg(QString::fromStdString(path.string())),
                           StatusLevel::Warning);
    emit CountsChanged();
    QTimer::singleShot(0, this, &SidsSubmitter::Poll);
    return true;
}

bool SidsSubmitter::Submit(const ReceivedBlock& block) {
    if (!ShouldSubmitToSids(block)) return false;
    std::string reason;
    if (queue_.Add(FormUrlEncode(SidsFields(station_, block)), reason) == 0) {
        ++failed_;
        lastError_ = QStringLiteral("SiDS: a frame could not be queued: %1").arg(QString::fromStdString(reason));
        if (const std::string line = queueLosses_.Lost(clock_.Now(), reason); !line.empty())
            emit StatusChanged(QString::fromStdString(line), StatusLevel::Error);
        emit CountsChanged();
        return false;
    }
    if (const std::string line = queueLosses_.Written(); !line.empty())
        emit StatusChanged(QString::fromStdString(line), StatusLevel::Status);
    emit CountsChanged();
    QTimer::singleShot(0, this, &SidsSubmitter::Poll);
    return true;
}

void SidsSubmitter::Poll() {
    if (reply_ || !url_.isValid() || !backoff_.Due(clock_.Now())) return;
    const auto entry = queue_.Front();
    if (!entry) return;
    QNetworkRequest request(url_);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(ProgramToken()));
    request.setTransferTimeout(timeoutMs_);
    replyId_ = entry->id;
    reply_ = network_.post(request, QByteArray::fromStdString(entry->body));
    connect(reply_, &QNetworkReply::finished, this, &SidsSubmitter::OnFinished);
}

void SidsSubmitter::OnFinished() {
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    if (!reply) return;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    std::string reason;
    if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
        if (backoff_.FailuresInARow() > 0)
            emit StatusChanged(QStringLiteral("SiDS: the server takes frames again"), StatusLevel::Status);
        backoff_.Succeeded();
        ++submitted_;
        if (!queue_.Remove(replyId_, reason))
            emit StatusChanged(QStringLiteral("SiDS: %1").arg(QString::fromStdString(reason)), StatusLevel::Warning);
        emit CountsChanged();
        Poll();
        return;
    }
    const QString what = status > 0 ? QStringLiteral("HTTP %1 %2")
                                          .arg(status)
                                          .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                                    : reply->errorString();
    if (RefusedForGood(status)) {
        ++failed_;
        lastError_ = QStringLiteral("SiDS: the server refused frame %1 (%2); it is dropped").arg(replyId_).arg(what);
        queue_.Remove(replyId_, reason);
        emit StatusChanged(lastError_, StatusLevel::Error);
        emit CountsChanged();
        Poll();
        return;
    }
    Fail(what);
}

void SidsSubmitter::Fail(const QString& reason) {
    const std::int64_t now = clock_.Now();
    const std::int64_t due = backoff_.Failed(now);
    lastError_ = QStringLiteral("SiDS: %1: %2; %3 frame(s) queued, next attempt in %4 s")
                     .arg(url_.toDisplayString(), reason)
                     .arg(queue_.Size())
                     .arg(due - now);
    emit StatusChanged(lastError_, StatusLevel::Warning);
}

}  // namespace orv
