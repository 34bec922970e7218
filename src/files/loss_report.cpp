#include "files/loss_report.h"

namespace orv {

LossReport::LossReport(std::string output, std::string unit, std::string units)
    : output_(std::move(output)), unit_(std::move(unit)), units_(std::move(units)) {}

std::string LossReport::Count(std::uint64_t n) const { return std::to_string(n) + " " + (n == 1 ? unit_ : units_); }

std::string LossReport::Lost(std::int64_t now, const std::string& reason, std::uint64_t count) {
    if (count == 0) return {};
    inAll_ += count;
    reason_ = reason;
    if (!failing_) {
        failing_ = true;
        inEpisode_ = count;
        lastLineAt_ = now;
        return output_ + ": " + reason + "; " + Count(count) + " lost";
    }
    inEpisode_ += count;
    // A clock set back must not silence the report for good.
    if (now - lastLineAt_ < kCountEverySeconds && now >= lastLineAt_) return {};
    lastLineAt_ = now;
    return output_ + ": " + Count(inEpisode_) + " lost so far: " + reason;
}

std::string LossReport::Written() {
    if (!failing_) return {};
    failing_ = false;
    return StatusText();
}

std::string LossReport::StatusText() const {
    if (inAll_ == 0) return {};
    if (failing_) return output_ + ": " + Count(inEpisode_) + " lost: " + reason_;
    return output_ + ": writing again; " + Count(inEpisode_) + " lost";
}

}  // namespace orv
