// The SigMF metadata reader on arbitrary text: it either describes a recording it can read or
// says why not, and never accepts a rate that is not a positive number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "iq/sigmf_meta.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto meta = orv::ParseSigmfMeta(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (meta ? !(meta->sampleRate > 0.0 && std::isfinite(meta->sampleRate)) || !error.empty() : error.empty()) __builtin_trap();
    return 0;
}
