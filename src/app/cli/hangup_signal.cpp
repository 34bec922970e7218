#include "app/cli/hangup_signal.h"

#include <atomic>

#ifndef _WIN32
#include <signal.h>
#endif

namespace orv::cli {
namespace {

std::atomic<bool> hangupRequested{false};

extern "C" void OnHangup(int) { hangupRequested.store(true); }

}  // namespace

// Systems without SIGHUP have no hangup to take.
HangupSignal::HangupSignal() {
    hangupRequested.store(false);
#ifndef _WIN32
    struct sigaction action {};
    action.sa_handler = OnHangup;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, &previous_);
#endif
}

HangupSignal::~HangupSignal() {
#ifndef _WIN32
    sigaction(SIGHUP, &previous_, nullptr);
#endif
}

void HangupSignal::ApplyOnEventLoop(std::function<void()> reopen) {
    reopen_ = std::move(reopen);
    const auto check = [this] {
        if (hangupRequested.exchange(false)) reopen_();
    };
    QObject::connect(&watch_, &QTimer::timeout, check);
    watch_.start(100);
    check();
}

void UnblockStationSignals() {
#ifndef _WIN32
    sigset_t handled;
    sigemptyset(&handled);
    sigaddset(&handled, SIGHUP);
    sigaddset(&handled, SIGINT);
    sigaddset(&handled, SIGTERM);
    pthread_sigmask(SIG_UNBLOCK, &handled, nullptr);
#endif
}

}  // namespace orv::cli
