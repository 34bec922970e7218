#pragma once
// SIGINT and SIGTERM as a stop request for the orv-cli commands that run until stopped.
#include <QTimer>
#include <csignal>

#include "sim/stop_signal.h"

namespace orv::cli {

// While this object lives, SIGINT and SIGTERM request `stop` (the handler only sets its flag);
// the previous handlers come back afterwards.
class StopOnSignals {
public:
    explicit StopOnSignals(sim::StopSignal& stop);
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    // Ends the running Qt event loop with status 0 once a stop is requested (checked every 100 ms).
    void ExitEventLoopWhenStopped();

private:
    sim::StopSignal& stop_;
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
    QTimer watch_;
};

}  // namespace orv::cli
