#include "tools/dsp_transfer.h"

#include "tools/dsp_program.h"

namespace orv {

bool SendDspProgram(std::string_view programText, DspLink& link) {
    if (!link.Write(kDspResetCommand)) return false;
    link.Sleep(kDspResetPauseMs);
    const std::size_t length = programText.size();
    for (std::size_t i = 0; i < length; ++i) {
        if (!link.Write(programText.substr(i, 1))) return false;
        link.Sleep(kDspBytePauseMs);
        if (i % kDspBlockBytes == 0) {
            link.Sleep(kDspBlockPauseMs);
            link.Progress(static_cast<int>(i * 100 / length));
        }
    }
    link.Progress(100);
    link.Sleep(kDspClosePauseMs);
    return true;
}

std::int64_t DspMinimumDurationMs(std::size_t length) {
    const auto n = static_cast<std::int64_t>(length);
    const std::int64_t pausePoints = (n + kDspBlockBytes - 1) / kDspBlockBytes;
    return kDspResetPauseMs + n * kDspBytePauseMs + pausePoints * kDspBlockPauseMs + kDspClosePauseMs;
}

}  // namespace orv
