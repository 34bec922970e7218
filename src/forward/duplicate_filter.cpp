#include "forward/duplicate_filter.h"

#include <algorithm>

namespace orv {

bool DuplicateFilter::SeenRecently(ConstBytes bytes, std::int64_t utcSeconds) {
    while (!recent_.empty() && (utcSeconds - recent_.front().utcSeconds >= window_ || recent_.size() >= kMaxRemembered))
        recent_.pop_front();
    const std::string frame(bytes.begin(), bytes.end());
    if (std::any_of(recent_.begin(), recent_.end(), [&](const Seen& s) { return s.bytes == frame; })) {
        ++duplicates_;
        return true;
    }
    recent_.push_back({utcSeconds, frame});
    return false;
}

}  // namespace orv
