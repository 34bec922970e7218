#pragma once
// Recognises a frame received twice within a short time: the same block through two inputs (the
// modem and a KISS decoder on the same radio, two KISS decoders) must be shared only once.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "reception/block.h"

namespace orv {

class DuplicateFilter {
public:
    static constexpr std::int64_t kDefaultWindowSeconds = 60;
    static constexpr std::size_t kMaxRemembered = 256;

    explicit DuplicateFilter(std::int64_t windowSeconds = kDefaultWindowSeconds) : window_(windowSeconds) {}

    // True when the same bytes were seen less than the window (seconds) before `utcSeconds`;
    // otherwise false, and the frame is remembered. At most kMaxRemembered frames are kept.
    bool SeenRecently(ConstBytes bytes, std::int64_t utcSeconds);

    std::uint64_t Duplicates() const { return duplicates_; }

private:
    struct Seen {
        std::int64_t utcSeconds;
        std::string bytes;
    };
    std::int64_t window_;
    std::deque<Seen> recent_;  // oldest first
    std::uint64_t duplicates_ = 0;
};

}  // namespace orv
