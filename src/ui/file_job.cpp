#include "ui/file_job.h"

namespace orv {

FileJob::~FileJob() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

bool FileJob::Start(std::function<void(const ProgressFn&)> work, std::function<void()> done) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    running_ = true;
    stop_ = false;
    emit Progress(0);
    thread_ = std::thread([this, work = std::move(work), done = std::move(done)]() mutable {
        int shown = 0;
        const ProgressFn progress = [this, &shown](std::uint64_t doneRecords, std::uint64_t total) {
            const int percent = total == 0 ? 100 : static_cast<int>(doneRecords * 100 / total);
            if (percent != shown) {
                shown = percent;
                QMetaObject::invokeMethod(this, [this, percent] { emit Progress(percent); }, Qt::QueuedConnection);
            }
            return !stop_;
        };
        work(progress);
        // Discarded by Qt when this object is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(done)] {
                if (thread_.joinable()) thread_.join();
                running_ = false;
                if (done) done();
            },
            Qt::QueuedConnection);
    });
    return true;
}

}  // namespace orv
