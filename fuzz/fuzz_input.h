#pragma once
// Reading a fuzzer's input as a sequence of choices and pieces.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace orv::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

    bool Empty() const { return rest_.empty(); }
    // One byte, 0 when none is left.
    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const std::uint8_t b = rest_.front();
        rest_ = rest_.subspan(1);
        return b;
    }
    // The next piece of at most `size` bytes.
    std::span<const std::uint8_t> Take(std::size_t size) {
        const auto piece = rest_.first(std::min(size, rest_.size()));
        rest_ = rest_.subspan(piece.size());
        return piece;
    }
    // A piece whose length (1..256) the input chooses, as a read of a port or a socket.
    std::span<const std::uint8_t> Chunk() { return Take(static_cast<std::size_t>(Byte()) + 1); }
    // The text up to the next newline (excluded), or the rest.
    std::string_view Line() {
        const auto end = std::find(rest_.begin(), rest_.end(), std::uint8_t{'\n'});
        const auto length = static_cast<std::size_t>(end - rest_.begin());
        const std::string_view text(reinterpret_cast<const char*>(rest_.data()), length);
        rest_ = rest_.subspan(std::min(length + 1, rest_.size()));
        return text;
    }
    std::span<const std::uint8_t> Rest() const { return rest_; }

private:
    std::span<const std::uint8_t> rest_;
};

}  // namespace orv::fuzz
