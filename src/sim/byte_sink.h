#pragma once
// Where a simulated stream goes: a file, a pseudo-terminal, a serial port, or a station that serves it.
#include <cstdint>
#include <fstream>
#include <span>
#include <string>

namespace orv::sim {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Hands the bytes on; false on a failure that ends the stream, with the reason in Error().
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    virtual std::string Error() const = 0;
};

// A file, created or truncated.
class FileSink final : public ByteSink {
public:
    explicit FileSink(const std::string& path);
    bool IsOpen() const { return out_.is_open(); }
    bool Write(std::span<const std::uint8_t> bytes) override;
    // Flushes and closes; false when the last bytes could not be written.
    bool Close();
    std::string Error() const override { return error_; }

private:
    std::ofstream out_;
    std::string path_;
    std::string error_;
};

// The master side of a pseudo-terminal, opened non-blocking. Like a serial line that nobody
// listens to, it drops what the reader's buffer cannot take instead of stalling.
class PtyMasterSink final : public ByteSink {
public:
    explicit PtyMasterSink(int masterFd) : fd_(masterFd) {}
    bool Write(std::span<const std::uint8_t> bytes) override;
    std::string Error() const override { return error_; }
    std::int64_t Dropped() const { return dropped_; }

private:
    int fd_;
    std::int64_t dropped_ = 0;
    std::string error_;
};

}  // namespace orv::sim
