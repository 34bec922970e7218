#include "app/cli/hangup_signal.h"

#include <atomic>

namespace orv::cli {
namespace {

std::atomic<bool> hangupRequested{false};

extern "C" void OnHangup(int) { hangupRequested.store(true); }

}  // namespace

HangupSignal::HangupSignal(std::function<void()> reopen) : reopen_(std::move(reopen)) {
    hangupRequested.store(false);
    previous_ = std::signal(SIGHUP, OnHangup);
    QObject::connect(&watch_, &QTimer::timeout, [this] {
        if (hangupRequested.exchange(false)) reopen_();
    });
    watch_.start(100);
}

HangupSignal::~HangupSignal() { std::signal(SIGHUP, previous_); }

}  // namespace orv::cli
