#pragma once
// The DSP-93 transfer: the reset command, a pause while the modem restarts its monitor, then the
// program one byte at a time with the pacing its monitor needs, then a pause before the port is
// closed. The port, the clock and the progress display are supplied by the caller.
#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

inline constexpr int kDspBaudRate = 19200;
inline constexpr int kDspResetPauseMs = 2000;  // after the reset command
inline constexpr int kDspBytePauseMs = 1;      // after every byte
inline constexpr int kDspBlockPauseMs = 40;    // further, after every byte whose index is a multiple of 100
inline constexpr int kDspBlockBytes = 100;
inline constexpr int kDspClosePauseMs = 1000;  // before the port is closed

class DspLink {
public:
    virtual ~DspLink() = default;
    // Writes bytes to the port and waits until they are handed to the device. False when the port
    // failed or the transfer is being abandoned; Error() then says why.
    virtual bool Write(std::string_view bytes) = 0;
    virtual void Sleep(int ms) = 0;
    // Progress 0..100.
    virtual void Progress(int percent) = 0;
    virtual std::string Error() const = 0;
};

// Sends the reset command and the program text over an open link with the fixed pacing, ending
// with the pause before closing; progress trunc(index / length x 100) after every hundredth byte
// and 100 after the last. Returns false (the link knows why) when a write fails; nothing further
// is sent then.
bool SendDspProgram(std::string_view programText, DspLink& link);

// The least time SendDspProgram takes for a program text of `length` bytes, in milliseconds.
std::int64_t DspMinimumDurationMs(std::size_t length);

}  // namespace orv
