#pragma once
// A sink that keeps what a stream writes, like a file written with --out.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/byte_sink.h"

namespace orv::sim::test {

struct MemorySink : ByteSink {
    std::vector<std::uint8_t> bytes;
    bool Write(std::span<const std::uint8_t> b) override {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return true;
    }
    std::string Error() const override { return {}; }
};

}  // namespace orv::sim::test
