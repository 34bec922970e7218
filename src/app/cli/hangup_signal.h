#pragma once
// SIGHUP as a request to reopen the log file (what logrotate sends after moving it away).
#include <QTimer>
#include <csignal>
#include <functional>

namespace orv::cli {

// While this object lives, each SIGHUP calls `reopen` on the Qt event loop (the handler only
// sets a flag, checked every 100 ms); the previous handler comes back afterwards.
class HangupSignal {
public:
    explicit HangupSignal(std::function<void()> reopen);
    ~HangupSignal();
    HangupSignal(const HangupSignal&) = delete;
    HangupSignal& operator=(const HangupSignal&) = delete;

private:
    std::function<void()> reopen_;
    void (*previous_)(int);
    QTimer watch_;
};

}  // namespace orv::cli
