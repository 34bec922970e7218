// The DSP-93 program converter on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/dsp_program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const orv::DspProgram program = orv::ConvertDspProgram(std::string_view(reinterpret_cast<const char*>(data), size));
    // A converted program always ends with the start command.
    if (program.Ok() && (program.text.size() < 3 || program.text.compare(program.text.size() - 3, 3, "G\r\n") != 0))
        __builtin_trap();
    return 0;
}
