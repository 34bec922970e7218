#pragma once
// A long pass over a telemetry file (filter, export) on a worker thread, so that its window stays
// responsive on files of gigabytes. Progress and the end arrive on the window's thread as queued
// calls; the pass reads and writes only what it was handed, never the window's state.
#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

#include "files/progress.h"

namespace orv {

class FileJob final : public QObject {
    Q_OBJECT
public:
    explicit FileJob(QObject* parent = nullptr) : QObject(parent) {}
    // Stops a running pass and waits for it (the pass removes its incomplete output).
    ~FileJob() override;

    // Runs `work` on a worker thread with a progress function that reports to Progress and asks
    // the pass to stop once Stop was called; `done` then runs on this object's thread. False when
    // a pass is already running.
    bool Start(std::function<void(const ProgressFn&)> work, std::function<void()> done);
    void Stop() { stop_ = true; }
    bool Running() const { return running_; }

signals:
    // Percent of the records done.
    void Progress(int percent);

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool running_ = false;
};

}  // namespace orv
