#include "app/cli/block_printers.h"

#include "forward/block_json.h"
#include "reception/dates.h"

namespace orv::cli {
namespace {

char Printable(char c) { return c > 0x20 && c < 0x7F ? c : '?'; }

}  // namespace

std::string StationLine(const ReceivedBlock& block) {
    const char id = block.Kind();
    std::string line = IsoUtcText(block.UtcSeconds());
    line += ' ';
    line += Printable(id);
    line += ' ';
    line += VerdictText(block.verdict);
    if (id == 'A') {
        line += ' ';
        line += HeaderTimeText(block.record);
    }
    return line;
}

std::string StationJsonLine(const ReceivedBlock& block) {
    const QByteArray json = JsonText(BlockTelemetryJson(block.record, VerdictText(block.verdict), block.UtcSeconds()));
    return json.toStdString();
}

std::string DemoLine(const ReceivedBlock& block) {
    std::string header;
    for (std::size_t i = 0; i < 64; ++i) {
        const unsigned char c = block.record[i] & 0x7F;
        header.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : ' ');
    }
    while (!header.empty() && header.back() == ' ') header.pop_back();
    const char kind = block.Kind();
    return std::string(1, kind >= 0x20 && kind < 0x7F ? kind : '?') + " " + std::string(VerdictText(block.verdict)) +
           "  " + header;
}

void LinePrinter::TakeBlock(const ReceivedBlock& block) {
    const std::string line = line_(block) + '\n';
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fflush(out_);
}

}  // namespace orv::cli
