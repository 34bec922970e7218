#pragma once
// SIGHUP as a request to reopen the files the station appends to (what logrotate sends after
// moving them away).
#include <QTimer>
#include <csignal>
#include <functional>

namespace orv::cli {

// While this object lives, a SIGHUP never ends the process: the handler only remembers it. Made
// before anything else starts, so that a hangup that arrives while the station starts (a
// logrotate during a service restart) is kept until ApplyOnEventLoop can act on it. The previous
// handler comes back afterwards.
class HangupSignal {
public:
    HangupSignal();
    ~HangupSignal();
    HangupSignal(const HangupSignal&) = delete;
    HangupSignal& operator=(const HangupSignal&) = delete;

    // From now on each hangup calls `reopen` on the Qt event loop (checked every 100 ms), starting
    // with one that came before.
    void ApplyOnEventLoop(std::function<void()> reopen);

private:
    std::function<void()> reopen_;
#ifndef _WIN32
    struct sigaction previous_ {};
#endif
    QTimer watch_;
};

// Unblocks SIGHUP, SIGINT and SIGTERM for this thread (and the threads it starts): a process
// started with them blocked (an inherited signal mask) would otherwise never see them.
void UnblockStationSignals();

}  // namespace orv::cli
