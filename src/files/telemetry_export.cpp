#include "files/telemetry_export.h"

#include <cmath>
#include <fstream>
#include <system_error>

#include "files/channel_value.h"
#include "files/number_format.h"
#include "files/telemetry_number.h"
#include "reception/dates.h"

namespace orv {
namespace {

constexpr std::uint8_t kPlainA = 0x41;
constexpr std::size_t kWriteChunk = 1 << 20;

// A field of the time text read as a number: leading spaces, then digits only.
bool ReadField(const std::uint8_t* p, std::size_t length, int& value) {
    std::size_t k = 0;
    while (k < length && p[k] == ' ') ++k;
    if (k == length) return false;
    value = 0;
    for (; k < length; ++k) {
        if (p[k] < '0' || p[k] > '9') return false;
        value = value * 10 + (p[k] - '0');
    }
    return true;
}

void AppendUnsigned(std::string& out, std::uint64_t v) {
    char buf[24];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0) out.push_back(buf[--n]);
}

std::string RefuseText(std::string what) { return what + "\n        Please re-enter!"; }

}  // namespace

std::string ExportHeader(const std::array<std::string, kExportChannels>& addresses) {
    std::string header = "Blk#, Amsat Day, Telem. addr. = ";
    for (const auto& a : addresses)
        if (!a.empty()) header += a + ", ";
    header.resize(header.size() - 2);
    header += "\r\n";
    header.append(74, '-');
    header += "\r\n";
    return header;
}

ExportCheck PrepareExport(const ExportFields& fields, std::uint32_t total) {
    ExportCheck check;
    const auto start = ParseBlockNumber(fields.startText);
    const auto stop = ParseBlockNumber(fields.stopText);
    if (!start) {
        check.message = RefuseText("Start: is not a block number");
        return check;
    }
    if (!stop || *stop == 0) {
        check.message = RefuseText("Stop: is not a block number from 1 to " + std::to_string(total));
        return check;
    }
    ExportPlan plan;
    plan.start = *start == 0 ? 1 : static_cast<std::uint32_t>(std::min<std::uint64_t>(*start, UINT32_MAX));
    plan.stop = *stop > total ? total : static_cast<std::uint32_t>(*stop);
    for (std::size_t k = 0; k < kExportChannels; ++k) {
        const std::string& text = fields.addresses[k];
        const long long address = ParseTelemetryNumber(text);
        if (!text.empty() && address < 0) {
            check.message = RefuseText("Address #" + std::to_string(k + 1) + " \"" + text + "\" is not a number");
            return check;
        }
        if (address > 511) {
            check.message = kAddressTooLargeText;
            return check;
        }
        plan.channels[k].address = static_cast<int>(address);
        plan.channels[k].mask = ParseTelemetryNumber(fields.masks[k]);
    }
    plan.raw = fields.raw;
    plan.header = ExportHeader(fields.addresses);
    check.plan = std::move(plan);
    return check;
}

std::optional<long double> AmsatDayOfBlock(Record r) {
    const std::uint8_t* t = r.data();
    int year, month, day, hour, minute, second;
    if (!ReadField(t + 36, 4, year) || !ReadField(t + 41, 2, month) || !ReadField(t + 44, 2, day) ||
        !ReadField(t + 48, 2, hour) || !ReadField(t + 51, 2, minute) || !ReadField(t + 54, 2, second))
        return std::nullopt;
    // The Amsat Day and the day fraction are each held in single precision, then added.
    const auto amsatDay = static_cast<float>(DayNumber(year, month, day) - kAmsatDayZero);
    const auto fraction = static_cast<float>(hour / 24.0L + minute / 1440.0L + second / 86400.0L);
    return static_cast<long double>(amsatDay) + static_cast<long double>(fraction);
}

bool AppendExportLine(std::string& out, const TelemetryImage& image, std::uint64_t i, const ExportPlan& plan) {
    const Record r = image.RecordAt(i);
    const auto amsatDay = AmsatDayOfBlock(r);
    if (!amsatDay) return false;
    AppendUnsigned(out, i + 1);
    out += ", ";
    AppendFixedText(out, *amsatDay, 11, 5);
    for (const ExportChannel& c : plan.channels) {
        if (c.address < 0) continue;
        const auto p = static_cast<std::size_t>(c.address);
        const auto low = static_cast<std::uint8_t>(r[p] & c.mask);
        const bool raw = c.mask == 255 ? plan.raw : true;
        out += ", ";
        AppendFixedText(out, ChannelValue(low, image.NextByte(i, p), c.address, raw), 6, 1);
    }
    out += "\r\n";
    return true;
}

ExportResult ExportFile(const TelemetryImage& image, const ExportPlan& plan, const std::filesystem::path& output,
                        const ProgressFn& progress) {
    ExportResult result;
    std::error_code ec;
    std::filesystem::remove(output, ec);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out) {
        result.message = "Cannot create \"" + output.string() + "\".";
        return result;
    }
    std::string buffer = plan.header;
    buffer.reserve(kWriteChunk + 4096);
    const std::uint64_t total = image.BlockCount();
    const std::uint64_t first = plan.start - 1;
    const std::uint64_t last = std::min<std::uint64_t>(plan.stop, total);  // one past the last index
    const std::uint64_t count = last > first ? last - first : 0;
    std::uint64_t released = first;
    bool stopped = false;
    for (std::uint64_t i = first; i < last && out; ++i) {
        if (i != first && (i - first) % kProgressRecords == 0) {
            image.ReleaseRecords(released, i - 1 - released);
            released = i - 1;
            if (progress && !progress(i - first, count)) {
                stopped = true;
                break;
            }
        }
        if (image.RecordAt(i)[0] != kPlainA) continue;
        if (AppendExportLine(buffer, image, i, plan)) {
            ++result.lines;
        } else {
            ++result.skippedTime;
        }
        if (buffer.size() >= kWriteChunk) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.close();
    if (count != 0 && last > released) image.ReleaseRecords(released, last - released);
    if (out.fail()) {
        std::filesystem::remove(output, ec);
        result.message = "Cannot write \"" + output.string() + "\" (disk full?); the incomplete file was removed.";
        return result;
    }
    if (stopped) {
        std::filesystem::remove(output, ec);
        result.message = "Export stopped; the incomplete file was removed.";
        return result;
    }
    if (progress) progress(count, count);
    result.written = true;
    return result;
}

}  // namespace orv
