#include "app/cli/hangup_signal.h"

#include <atomic>

namespace orv::cli {
namespace {

std::atomic<bool> hangupRequested{false};

extern "C" void OnHangup(int) { hangupRequested.store(true); }

}  // namespace

HangupSignal::HangupSignal(std::function<void()> reopen) : reopen_(std::move(reopen)) {
    hangupRequested.store(false);
#ifdef SIGHUP
    previous_ = std::signal(SIGHUP, OnHangup);
#else
    previous_ = SIG_DFL;  // no SIGHUP on this system
#endif
    QObject::connect(&watch_, &QTimer::timeout, [this] {
        if (hangupRequested.exchange(false)) reopen_();
    });
    watch_.start(100);
}

HangupSignal::~HangupSignal() {
#ifdef SIGHUP
    std::signal(SIGHUP, previous_);
#endif
}

}  // namespace orv::cli
