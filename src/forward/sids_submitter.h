#pragma once
// SiDS submission: each qualifying block is put in the on-disk queue at once, and the queue is
// sent to the server in the background, oldest first, one request at a time. Reception never
// waits for the server: a server that is down or slow only makes the queue longer, and failed
// attempts are retried after a wait that doubles up to half an hour. What the server refuses
// for the submission itself (400, 422) is dropped and counted as failed; every other failure
// (no connection, time-out, 5xx, 429, a wrong URL's 404) keeps the entry for the next attempt.
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <filesystem>

#include "files/loss_report.h"
#include "forward/retry_backoff.h"
#include "forward/sids_form.h"
#include "forward/status_level.h"
#include "forward/submission_queue.h"
#include "reception/clock.h"

namespace orv {

class SidsSubmitter : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 30000;

    // `clock` times the retries (whole seconds).
    SidsSubmitter(const Clock& clock, QObject* parent = nullptr);
    ~SidsSubmitter() override;

    // Opens the queue file (entries left by an earlier run are sent first). False with a reason.
    bool OpenQueue(const std::filesystem::path& path, QString* error = nullptr);
    void SetServer(const QUrl& url) { url_ = url; }
    void SetStation(const SidsStation& station) { station_ = station; }
    void SetTimeoutMs(int ms) { timeoutMs_ = ms; }

    // Queues the block when it qualifies (ShouldSubmitToSids) and returns at once. False when it
    // does not qualify, or it could not be queued (counted as failed, the reason in LastError(),
    // told through the queue's loss report).
    bool Submit(const ReceivedBlock& block);

    // Starts the next request when none is running, the queue is not empty and the retry wait is
    // over. Runs on its own every second; tests call it after moving their clock.
    void Poll();

    std::uint64_t Submitted() const { return submitted_; }
    std::uint64_t Failed() const { return failed_; }
    std::size_t Queued() const { return queue_.Size(); }
    bool Busy() const { return reply_ != nullptr; }
    QString LastError() const { return lastError_; }
    const SubmissionQueue& Queue() const { return queue_; }
    // Frames that could not be put in the queue.
    const LossReport& QueueLosses() const { return queueLosses_; }

signals:
    // Submitted, failed or queued changed.
    void CountsChanged();
    // "SiDS: ...": a failure and when it is tried again, the server answering again, frames lost
    // to the queue ("SiDS queue: ...").
    void StatusChanged(const QString& text, StatusLevel level);

private:
    void OnFinished();
    void Fail(const QString& reason);

    const Clock& clock_;
    SubmissionQueue queue_;
    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
    std::uint64_t replyId_ = 0;
    QTimer pollTimer_;
    QUrl url_;
    SidsStation station_;
    RetryBackoff backoff_;
    int timeoutMs_ = kDefaultTimeoutMs;
    std::uint64_t submitted_ = 0;
    std::uint64_t failed_ = 0;
    QString lastError_;
    LossReport queueLosses_{"SiDS queue", "frame", "frames"};
};

}  // namespace orv
