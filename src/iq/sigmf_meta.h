#pragma once
// The metadata file of a SigMF recording (NAME.sigmf-meta beside NAME.sigmf-data): the JSON
// object's "global" gives "core:datatype" and "core:sample_rate", its first capture
// "core:frequency", the centre frequency the SDR was tuned to.
#include <optional>
#include <string>
#include <string_view>

#include "iq/iq_format.h"

namespace orv {

struct SigmfMeta {
    IqFormat format = IqFormat::Cu8;
    double sampleRate = 0.0;              // Hz
    std::optional<double> centreHz;       // the first capture's core:frequency
};

// The recording's description, or nothing with `error` set: not JSON, or the datatype is not one
// of cf32_le, ci16_le, cu8, ci8 (complex, little-endian), or no positive sample rate.
std::optional<SigmfMeta> ParseSigmfMeta(std::string_view json, std::string& error);

}  // namespace orv
