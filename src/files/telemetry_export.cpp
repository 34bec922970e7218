#include "files/telemetry_export.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>
#include <system_error>

#include "displays/channel_conversion.h"
#include "text/number_text.h"
#include "files/output_file.h"
#include "files/telemetry_number.h"
#include "reception/settings_store.h"

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

std::string CsvExportHeader(const std::array<ExportChannel, kExportChannels>& channels) {
    std::string header = "block,time,amsat_day";
    for (const ExportChannel& c : channels) {
        if (c.address < 0) continue;
        char name[16];
        std::snprintf(name, sizeof name, ",addr_0x%03X", static_cast<unsigned>(c.address));
        header += name;
    }
    return header + "\n";
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
    plan.csv = fields.csv;
    plan.header = fields.csv ? CsvExportHeader(plan.channels) : ExportHeader(fields.addresses);
    check.plan = std::move(plan);
    return check;
}

namespace {

// The Amsat Day of the date text at bytes 36..45, or nothing when a field is not a number.
std::optional<float> AmsatDayOfDate(const std::uint8_t* t) {
    int year, month, day;
    if (!ReadField(t + 36, 4, year) || !ReadField(t + 41, 2, month) || !ReadField(t + 44, 2, day)) return std::nullopt;
    const auto text = [t](std::size_t at, std::size_t n) { return std::string_view(reinterpret_cast<const char*>(t + at), n); };
    const std::string dayText = AmsatDayFromDateText(text(36, 4), text(41, 2), text(44, 2));
    long long amsatDay = 0;
    if (!ParseWholeNumber(dayText, amsatDay)) return std::nullopt;  // "error"
    return static_cast<float>(amsatDay);
}

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
    // The day fraction, held in single precision.
    float Fraction() const { return static_cast<float>(hour / 24.0L + minute / 1440.0L + second / 86400.0L); }
};

// The time text at bytes 48..55, or nothing when a field is not a number.
std::optional<TimeOfDay> TimeOfBlock(const std::uint8_t* t) {
    TimeOfDay time;
    if (!ReadField(t + 48, 2, time.hour) || !ReadField(t + 51, 2, time.minute) || !ReadField(t + 54, 2, time.second))
        return std::nullopt;
    return time;
}

// The "Amsat Day" column: d + fraction in fixed-point with 11 significant digits and 5 decimals.
// For a day number of n digits the decimals depend only on the time of day, so each is worked
// out once, by the same text routine applied to a day number of n digits, and put behind the
// block's own day digits. Logs span many days, so most lines find their decimals ready.
class AmsatDayTexts {
public:
    void Append(std::string& out, float day, const TimeOfDay& time) {
        const float fraction = time.Fraction();
        if (!(day >= 0.0F && day < 1.0e6F) || time.hour > 23 || time.minute > 59 || time.second > 59) {
            out += FixedText(static_cast<long double>(day) + fraction, 11, 5);
            return;
        }
        const auto whole = static_cast<std::uint64_t>(day);
        std::size_t digits = 1;
        for (std::uint64_t p = 10; p <= whole; p *= 10) ++digits;
        auto& table = decimals_[digits - 1];
        if (table.empty()) table.resize(86400);
        Decimals& d = table[static_cast<std::size_t>(time.hour * 3600 + time.minute * 60 + time.second)];
        if (d.text.empty()) {
            long double reference = 1;
            for (std::size_t k = 1; k < digits; ++k) reference *= 10;
            const std::string text = FixedText(reference + fraction, 11, 5);
            const std::size_t point = text.find('.');
            d.carry = text.compare(0, point, std::to_string(static_cast<std::uint64_t>(reference))) != 0;
            d.text = text.substr(point);
        }
        AppendUnsigned(out, whole + (d.carry ? 1 : 0));
        out += d.text;
    }

private:
    struct Decimals {
        std::string text;     // "." and the decimals
        bool carry = false;   // the fraction rounded up to a whole day
    };
    std::array<std::vector<Decimals>, 6> decimals_;
};

// The text of one channel's values. A value depends only on the masked byte (and for a wheel
// word on the byte after it), so each text is worked out once per run.
class ChannelTexts {
public:
    ChannelTexts(const ExportChannel& channel, bool chosenRaw)
        : address_(channel.address),
          mask_(channel.mask),
          raw_(channel.mask == 255 ? chosenRaw : true),
          wide_(IsWheelWord(channel.address)),
          texts_(wide_ ? 65536 : 256) {}

    const std::string& Text(std::uint8_t byte, std::uint8_t next) {
        const auto low = static_cast<std::uint8_t>(byte & mask_);
        std::string& text = texts_[wide_ ? low + 256U * next : low];
        if (text.empty()) text = FixedText(ChannelConversion(low, next, address_, raw_), 6, 1);
        return text;
    }
    int Address() const { return address_; }

private:
    int address_;
    long long mask_;
    bool raw_;
    bool wide_;
    std::vector<std::string> texts_;
};

class LineWriter {
public:
    explicit LineWriter(const ExportPlan& plan) : csv_(plan.csv) {
        for (const ExportChannel& c : plan.channels)
            if (c.address >= 0) channels_.emplace_back(c, plan.raw);
    }

    // Asks the processor for the bytes a line of record i reads, some records before it is
    // written: the record's kind and time and each channel's byte lie in different cache lines,
    // and a mapped file gets no read-ahead into the caches across its pages.
    void Prefetch(const TelemetryImage& image, std::uint64_t i) const {
#if defined(__GNUC__)
        const std::uint8_t* r = image.RecordAt(i).data();
        __builtin_prefetch(r);
        for (const ChannelTexts& c : channels_) __builtin_prefetch(r + c.Address());
#endif
    }

    // Appends the line of record i, or returns false when its date or time is not numeric.
    bool Append(std::string& out, const TelemetryImage& image, std::uint64_t i) {
        const Record r = image.RecordAt(i);
        if (std::memcmp(r.data() + 36, lastDate_, sizeof lastDate_) != 0) {
            std::memcpy(lastDate_, r.data() + 36, sizeof lastDate_);
            day_ = AmsatDayOfDate(r.data());
        }
        const auto time = TimeOfBlock(r.data());
        if (!day_ || !time) return false;
        if (csv_) return AppendCsv(out, image, i, *time);
        AppendUnsigned(out, i + 1);
        out += ", ";
        amsatDays_.Append(out, *day_, *time);
        for (ChannelTexts& c : channels_) {
            const auto p = static_cast<std::size_t>(c.Address());
            out += ", ";
            out += c.Text(r[p], image.NextByte(i, p));
        }
        out += "\r\n";
        return true;
    }

private:
    // "17,2003-12-30T14:05:09Z,1460.58691,12.3,...\n": the same values without padding. The time
    // needs a real calendar date and time of day; false otherwise (counted as not numeric).
    bool AppendCsv(std::string& out, const TelemetryImage& image, std::uint64_t i, const TimeOfDay& time) {
        const Record r = image.RecordAt(i);
        int year = 0, month = 0, day = 0;
        ReadField(r.data() + 36, 4, year);
        ReadField(r.data() + 41, 2, month);
        ReadField(r.data() + 44, 2, day);
        static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] || time.hour > 23 || time.minute > 59 ||
            time.second > 59)
            return false;
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, ",%04d-%02d-%02dT%02d:%02d:%02dZ,", year, month, day, time.hour,
                      time.minute, time.second);
        AppendUnsigned(out, i + 1);
        out += stamp;
        const std::size_t dayAt = out.size();
        amsatDays_.Append(out, *day_, time);
        TrimSpaces(out, dayAt);
        for (ChannelTexts& c : channels_) {
            const auto p = static_cast<std::size_t>(c.Address());
            out += ',';
            const std::size_t at = out.size();
            out += c.Text(r[p], image.NextByte(i, p));
            TrimSpaces(out, at);
        }
        out += '\n';
        return true;
    }

    // Removes the padding spaces of the field that starts at `at` and runs to the end of `out`.
    static void TrimSpaces(std::string& out, std::size_t at) {
        std::size_t first = at;
        while (first < out.size() && out[first] == ' ') ++first;
        out.erase(at, first - at);
        while (out.size() > at && out.back() == ' ') out.pop_back();
    }

    bool csv_;
    std::vector<ChannelTexts> channels_;
    AmsatDayTexts amsatDays_;
    std::uint8_t lastDate_[10] = {0xFF};
    std::optional<float> day_;
};

}  // namespace

std::optional<long double> AmsatDayOfBlock(Record r) {
    const auto day = AmsatDayOfDate(r.data());
    const auto time = TimeOfBlock(r.data());
    if (!day || !time) return std::nullopt;
    return static_cast<long double>(*day) + static_cast<long double>(time->Fraction());
}

ExportResult ExportLines(const TelemetryImage& image, const ExportPlan& plan, const ExportWriter& write,
                         const ProgressFn& progress, bool* stopped) {
    ExportResult result;
    LineWriter lines(plan);
    std::string buffer = plan.header;
    buffer.reserve(kWriteChunk + 4096);
    const std::uint64_t total = image.BlockCount();
    const std::uint64_t first = plan.start - 1;
    const std::uint64_t last = std::min<std::uint64_t>(plan.stop, total);  // one past the last index
    const std::uint64_t count = last > first ? last - first : 0;
    std::optional<SequentialPass> pass;
    if (count != 0) pass.emplace(image, first, last);
    bool writing = true;
    for (std::uint64_t i = first; i < last && writing; ++i) {
        pass->Reach(i);
        if (i != first && (i - first) % kProgressRecords == 0) {
            if (progress && !progress(i - first, count)) {
                if (stopped) *stopped = true;
                result.message = "Export stopped.";
                return result;
            }
        }
        constexpr std::uint64_t kPrefetchRecords = 8;
        if (i + kPrefetchRecords < last) lines.Prefetch(image, i + kPrefetchRecords);
        if (image.RecordAt(i)[0] != kPlainA) continue;
        if (lines.Append(buffer, image, i)) {
            ++result.lines;
        } else {
            ++result.skippedTime;
        }
        if (buffer.size() >= kWriteChunk) {
            writing = write(buffer.data(), buffer.size());
            buffer.clear();
        }
    }
    if (writing) writing = write(buffer.data(), buffer.size());
    pass.reset();
    if (!writing) {
        result.message = "The output could not be written.";
        return result;
    }
    if (progress) progress(count, count);
    result.written = true;
    return result;
}

ExportResult ExportFile(const TelemetryImage& image, const ExportPlan& plan, const std::filesystem::path& output,
                        const ProgressFn& progress) {
    ExportResult result;
    OutputFile out;
    if (!out.Open(output, result.message)) return result;
    bool stopped = false;
    result = ExportLines(image, plan, [&](const char* data, std::size_t bytes) { return out.Write(data, bytes); },
                         progress, &stopped);
    if (stopped) {
        out.Discard();
        result.message = "Export stopped; the incomplete file was removed.";
        return result;
    }
    if (!out.Close(result.message)) {
        out.Discard();
        result.message += " The incomplete file was removed.";
        result.written = false;
        return result;
    }
    return result;
}

}  // namespace orv
