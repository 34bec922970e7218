#include "app/cli/stop_on_signals.h"

#include <QCoreApplication>
#include <atomic>

namespace orv::cli {
namespace {

std::atomic<bool>* stopFlag = nullptr;

extern "C" void OnStopSignal(int) {
    if (stopFlag != nullptr) stopFlag->store(true);
}

}  // namespace

StopOnSignals::StopOnSignals(sim::StopSignal& stop) : stop_(stop) {
    stopFlag = &stop.Flag();
    previousInt_ = std::signal(SIGINT, OnStopSignal);
    previousTerm_ = std::signal(SIGTERM, OnStopSignal);
}

StopOnSignals::~StopOnSignals() {
    std::signal(SIGINT, previousInt_);
    std::signal(SIGTERM, previousTerm_);
    stopFlag = nullptr;
}

void StopOnSignals::ExitEventLoopWhenStopped() {
    QObject::connect(&watch_, &QTimer::timeout, [this] {
        if (stop_.Requested()) QCoreApplication::exit(0);
    });
    watch_.start(100);
}

}  // namespace orv::cli
