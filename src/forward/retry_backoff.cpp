#include "forward/retry_backoff.h"

#include <algorithm>

namespace orv {

std::int64_t RetryBackoff::Failed(std::int64_t now) {
    std::int64_t wait = first_;
    for (int i = 0; i < failures_ && wait < longest_; ++i) wait *= 2;
    ++failures_;
    dueAt_ = now + std::min(wait, longest_);
    return dueAt_;
}

}  // namespace orv
