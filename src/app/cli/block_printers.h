#pragma once
// The command line's printers: sinks of the reception pipeline that write one line per completed
// block to standard output, for people and for other programs to read.
#include <cstdio>
#include <functional>
#include <string>

#include "reception/received_block.h"

namespace orv::cli {

// orv-cli station: fields separated by single spaces: the UTC time (ISO 8601), the kind letter
// ("?" when not printable), the verdict ("OK", "FAIL", "NA"), and for A blocks the date and time
// of the block's text header. "2026-12-10T02:24:39Z A FAIL 2003-12-30 14:05:09".
std::string StationLine(const ReceivedBlock& block);
// orv-cli station --json: the block's telemetry JSON (block_json.h) on one line.
std::string StationJsonLine(const ReceivedBlock& block);
// orv-cli demo: kind, verdict and the header line as text, "A OK  A  HI, THIS IS AMSAT OSCAR-40 ...".
std::string DemoLine(const ReceivedBlock& block);

// Writes each block's line, and a newline, to `out` and flushes it at once: another program may
// be reading the stream live.
class LinePrinter final : public BlockSink {
public:
    explicit LinePrinter(std::function<std::string(const ReceivedBlock&)> line, std::FILE* out = stdout)
        : line_(std::move(line)), out_(out) {}
    void TakeBlock(const ReceivedBlock& block) override;

private:
    std::function<std::string(const ReceivedBlock&)> line_;
    std::FILE* out_;
};

}  // namespace orv::cli
