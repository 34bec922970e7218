// The Reed-Solomon decoder on arbitrary codewords: it corrects at most 16 byte errors or says
// it cannot, and a corrected codeword is a codeword.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "fec/reed_solomon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint8_t, orv::kRsLength> codeword{};
    std::copy_n(data, std::min(size, codeword.size()), codeword.begin());
    const int corrected = orv::RsDecode(codeword);
    if (corrected > 16) __builtin_trap();
    if (corrected >= 0) {
        std::array<std::uint8_t, orv::kRsLength> again = codeword;
        if (orv::RsDecode(again) != 0 || again != codeword) __builtin_trap();
    }
    return 0;
}
