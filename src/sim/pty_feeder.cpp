#include "sim/pty_feeder.h"

#include "sim/stream_pacer.h"

namespace orv::sim {

PtyFeeder::PtyFeeder(const SimOptions& options, double speed, std::int64_t limit)
    : options_(options), speed_(speed), limit_(limit) {}

bool PtyFeeder::Open(std::string& error) {
    if (pty_.MasterFd() >= 0) return true;
    error = CheckSimOptions(options_);
    if (error.empty() && !(speed_ >= 1.0)) error = "the speed must be at least 1";
    return error.empty() && pty_.Open(error);
}

bool PtyFeeder::Start(std::string& error) {
    if (started_) {
        error = "the simulator was started before";
        return false;
    }
    if (!Open(error)) return false;
    started_ = true;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PtyFeeder::Run() {
    PacedStream stream(options_, speed_);
    PtyMasterSink sink(pty_.MasterFd());
    const StreamReport report = PaceStream(stream.Schedule(), sink, limit_, stop_, [this](const SimBlock&) { ++sent_; });
    if (!report.error.empty()) {
        std::lock_guard<std::mutex> lock(mutex_);
        error_ = report.error;
    }
    running_ = false;
}

void PtyFeeder::Stop() {
    stop_.Request();
    if (thread_.joinable()) thread_.join();
    pty_.Close();
}

std::string PtyFeeder::Error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

}  // namespace orv::sim
