#include "files/telemetry_export.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "displays/channel_conversion.h"
#include "text/number_text.h"
#include "files/output_file.h"
#include "files/telemetry_number.h"
#include "reception/settings_store.h"

namespace orv {
namespace {

constexpr std::uint8_t kPlainA = 0x41;
constexpr std::size_t kWriteChunk = 256 << 10;  // as much as an output file buffers: written straight through

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

// Room a line may take in the output buffer: the block number, the time stamp, the Amsat Day
// and eight values, each text at most 39 characters (FixedText), with separators. Bounds each
// fixed 16-byte copy too.
constexpr std::size_t kLineRoom = 1024;

char* PutText(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

char* PutUnsigned(char* p, std::uint64_t v) { return std::to_chars(p, p + 20, v).ptr; }

// Two decimal digits of 0..99.
char* PutTwoDigits(char* p, int v) {
    p[0] = static_cast<char>('0' + v / 10);
    p[1] = static_cast<char>('0' + v % 10);
    return p + 2;
}

// A text of up to 15 characters kept in 16 bytes: a line takes it with one fixed-size copy and
// moves on by its length.
struct ShortText {
    static constexpr std::uint8_t kUnset = 0;     // not worked out yet (no text is empty)
    static constexpr std::uint8_t kTooLong = 16;  // longer than 15 characters: worked out each time

    char bytes[15];
    std::uint8_t length = kUnset;

    void Set(std::string_view text) {
        if (text.size() >= kTooLong) {
            length = kTooLong;
            return;
        }
        std::memcpy(bytes, text.data(), text.size());
        length = static_cast<std::uint8_t>(text.size());
    }
    // Needs 16 bytes of room at p.
    char* Put(char* p) const {
        std::memcpy(p, this, sizeof *this);
        return p + length;
    }
};
static_assert(sizeof(ShortText) == 16);

// The "Amsat Day" column: d + fraction in fixed-point with 11 significant digits and 5 decimals.
// For a day number of n digits the decimals depend only on the time of day, so each is worked
// out once, by the same text routine applied to a day number of n digits, and put behind the
// block's own day digits. Logs span many days, so most lines find their decimals ready.
class AmsatDayTexts {
public:
    // Call when the date changes; `day` is the Amsat Day number of the date.
    void SetDay(float day) {
        day_ = day;
        fast_ = day >= 0.0F && day < 1.0e6F;
        if (!fast_) return;
        whole_ = static_cast<std::uint64_t>(day);
        char digits[24];
        wholeText_.Set(std::string_view(digits, static_cast<std::size_t>(PutUnsigned(digits, whole_) - digits)));
        digits_ = 1;
        for (std::uint64_t p = 10; p <= whole_; p *= 10) ++digits_;
    }

    // The text of the day set last plus the time of day. Needs kLineRoom bytes at p.
    char* Put(char* p, const TimeOfDay& time) {
        if (!fast_ || time.hour > 23 || time.minute > 59 || time.second > 59)
            return PutText(p, FixedText(static_cast<long double>(day_) + time.Fraction(), 11, 5));
        auto& table = decimals_[digits_ - 1];
        if (table.empty()) table.resize(86400);
        Decimals& d = table[static_cast<std::size_t>(time.hour * 3600 + time.minute * 60 + time.second)];
        if (!d.ready) Fill(d, time);
        p = d.carry ? PutUnsigned(p, whole_ + 1) : wholeText_.Put(p);
        std::memcpy(p, d.text, sizeof d.text);
        return p + sizeof d.text;
    }

private:
    struct Decimals {
        char text[6];         // "." and the five decimals
        bool carry = false;   // the fraction rounded up to a whole day
        bool ready = false;
    };

    void Fill(Decimals& d, const TimeOfDay& time) const {
        long double reference = 1;
        for (std::size_t k = 1; k < digits_; ++k) reference *= 10;
        // Fixed-point for up to 11 integer digits, so always the point and 5 decimals here.
        const std::string text = FixedText(reference + time.Fraction(), 11, 5);
        const std::size_t point = text.find('.');
        d.carry = text.compare(0, point, std::to_string(static_cast<std::uint64_t>(reference))) != 0;
        std::memcpy(d.text, text.data() + point, sizeof d.text);
        d.ready = true;
    }

    std::array<std::vector<Decimals>, 6> decimals_;  // by the number of digits of the day
    float day_ = 0;
    bool fast_ = false;   // a day of 0 to 999999: decimals from the table
    std::uint64_t whole_ = 0;
    std::size_t digits_ = 1;   // of the whole day
    ShortText wholeText_;      // the whole day
};

// The texts of one address's values, raw or translated. A value depends only on the masked byte
// (and for a wheel word on the byte after it), so each text is worked out once per run, on first
// use. Channels of the same address and kind share one table.
struct ValueTexts {
    int address;
    bool raw;
    bool wide;                      // a wheel word: indexed by low + 256 x next
    std::vector<ShortText> texts;   // 256 or 65536

    ValueTexts(int a, bool r) : address(a), raw(r), wide(IsWheelWord(a)), texts(wide ? 65536 : 256) {}

    std::string Text(std::size_t index) const {
        const auto low = static_cast<std::uint8_t>(index & 0xFF);
        const auto next = static_cast<std::uint8_t>(index >> 8);
        return FixedText(ChannelConversion(low, next, address, raw), 6, 1);
    }
};

struct ChannelColumn {
    std::size_t address;
    std::uint8_t mask;      // the mask's low byte (-1, "all bits", is 0xFF)
    ValueTexts* values;

    std::size_t Index(const SequentialPass& pass, std::uint64_t i, const std::uint8_t* r) const {
        const std::size_t low = r[address] & mask;
        return values->wide ? low + 256U * pass.NextByte(i, address) : low;
    }
};

// Writes the lines of A blocks, in the historic format or as CSV, into a char buffer.
class LineWriter {
public:
    explicit LineWriter(const ExportPlan& plan) : csv_(plan.csv) {
        for (const ExportChannel& c : plan.channels) {
            if (c.address < 0) continue;
            const bool raw = c.mask == 255 ? plan.raw : true;
            ValueTexts* values = nullptr;
            for (auto& v : tables_)
                if (v->address == c.address && v->raw == raw) values = v.get();
            if (!values) values = tables_.emplace_back(std::make_unique<ValueTexts>(c.address, raw)).get();
            columns_.push_back({static_cast<std::size_t>(c.address), static_cast<std::uint8_t>(c.mask), values});
        }
    }

    // Asks the processor for the value texts of record i, some records before its line is
    // written: a wheel word's table of 65,536 texts is too big for the nearest caches.
    void PrefetchTexts(const SequentialPass& pass, std::uint64_t i) const {
#if defined(__GNUC__)
        const std::uint8_t* r = pass.RecordData(i);
        for (const ChannelColumn& c : columns_)
            if (c.values->wide) __builtin_prefetch(&c.values->texts[c.Index(pass, i, r)]);
#endif
    }

    // Writes the line of record i at p (kLineRoom bytes free) and returns its end, or nullptr when
    // its date or time is not numeric.
    char* Put(char* p, const SequentialPass& pass, std::uint64_t i) {
        const std::uint8_t* r = pass.RecordData(i);
        if (std::memcmp(r + 36, lastDate_, sizeof lastDate_) != 0) NewDate(r);
        const auto time = TimeOfBlock(r);
        if (!dayValid_ || !time) return nullptr;
        p = PutUnsigned(p, i + 1);
        // Both separators are copied as two bytes (",", and its terminating zero) and the line
        // moves on by the separator's length.
        const char* separator = ", ";
        std::size_t separatorLength = 2;
        if (csv_) {
            // The time needs a real calendar date and time of day (else counted as not numeric).
            if (!dateValid_ || time->hour > 23 || time->minute > 59 || time->second > 59) return nullptr;
            p = PutText(p, std::string_view(stamp_, sizeof stamp_));  // ",YYYY-MM-DDT"
            p = PutTwoDigits(p, time->hour);
            *p++ = ':';
            p = PutTwoDigits(p, time->minute);
            *p++ = ':';
            p = PutTwoDigits(p, time->second);
            *p++ = 'Z';
            separator = ",";
            separatorLength = 1;
        }
        std::memcpy(p, separator, separatorLength);
        p = amsatDays_.Put(p + separatorLength, *time);
        for (const ChannelColumn& c : columns_) {
            std::memcpy(p, separator, 2);
            p += separatorLength;
            const std::size_t index = c.Index(pass, i, r);
            ShortText& text = c.values->texts[index];
            if (text.length == ShortText::kUnset) text.Set(c.values->Text(index));
            p = text.length == ShortText::kTooLong ? PutText(p, c.values->Text(index)) : text.Put(p);
        }
        if (csv_) {
            *p++ = '\n';
        } else {
            std::memcpy(p, "\r\n", 2);
            p += 2;
        }
        return p;
    }

private:
    void NewDate(const std::uint8_t* r) {
        std::memcpy(lastDate_, r + 36, sizeof lastDate_);
        const std::optional<float> day = AmsatDayOfDate(r);
        dayValid_ = day.has_value();
        if (dayValid_) amsatDays_.SetDay(*day);
        int year = 0, month = 0, dayOfMonth = 0;
        ReadField(r + 36, 4, year);
        ReadField(r + 41, 2, month);
        ReadField(r + 44, 2, dayOfMonth);
        static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        dateValid_ = month >= 1 && month <= 12 && dayOfMonth >= 1 && dayOfMonth <= kDays[month - 1];
        if (!dateValid_) return;
        char* p = stamp_;
        *p++ = ',';
        p = PutTwoDigits(p, year / 100);  // a four-character field: 0..9999
        p = PutTwoDigits(p, year % 100);
        *p++ = '-';
        p = PutTwoDigits(p, month);
        *p++ = '-';
        p = PutTwoDigits(p, dayOfMonth);
        *p = 'T';
    }

    bool csv_;
    std::vector<std::unique_ptr<ValueTexts>> tables_;
    std::vector<ChannelColumn> columns_;
    AmsatDayTexts amsatDays_;
    std::uint8_t lastDate_[10] = {0xFF};  // bytes 36..45 of the last line's record
    bool dayValid_ = false;
    bool dateValid_ = false;               // a calendar date (CSV)
    char stamp_[12] = {};                  // ",YYYY-MM-DDT" of that date (CSV)
};

}  // namespace

std::optional<long double> AmsatDayOfBlock(Record r) {
    const auto day = AmsatDayOfDate(r.data());
    const auto time = TimeOfBlock(r.data());
    if (!day || !time) return std::nullopt;
    return static_cast<long double>(*day) + static_cast<long double>(time->Fraction());
}

ExportResult ExportLines(const MappedLogFile& image, const ExportPlan& plan, const ExportWriter& write,
                         const ProgressFn& progress, bool* stopped) {
    ExportResult result;
    LineWriter lines(plan);
    const std::unique_ptr<char[]> buffer(new char[plan.header.size() + kWriteChunk + kLineRoom]);  // not cleared
    char* const begin = buffer.get();
    char* p = PutText(begin, plan.header);
    const std::uint64_t total = image.BlockCount();
    const std::uint64_t first = plan.start - 1;
    const std::uint64_t last = std::min<std::uint64_t>(plan.stop, total);  // one past the last index
    const std::uint64_t count = last > first ? last - first : 0;
    SequentialPass pass(image, first, std::max(first, last));
    // The value texts of a record are asked for kPrefetchTexts records ahead.
    constexpr std::uint64_t kPrefetchTexts = 8;
    bool writing = true;
    while (writing && pass.Next()) {
        if (pass.Begin() != first && (pass.Begin() - first) % kProgressRecords == 0 && progress &&
            !progress(pass.Begin() - first, count)) {
            if (stopped) *stopped = true;
            result.message = "Export stopped.";
            return result;
        }
        const std::uint64_t end = pass.End();
        for (std::uint64_t i = pass.Begin(); i < std::min(end, pass.Begin() + kPrefetchTexts); ++i) lines.PrefetchTexts(pass, i);
        for (std::uint64_t i = pass.Begin(); i < end; ++i) {
            if (i + kPrefetchTexts < end) lines.PrefetchTexts(pass, i + kPrefetchTexts);
            if (pass.RecordData(i)[0] != kPlainA) continue;
            if (char* lineEnd = lines.Put(p, pass, i)) {
                p = lineEnd;
                ++result.lines;
            } else {
                ++result.skippedTime;
            }
            if (static_cast<std::size_t>(p - begin) >= kWriteChunk) {
                writing = write(begin, static_cast<std::size_t>(p - begin));
                p = begin;
                if (!writing) break;
            }
        }
    }
    if (!pass.Error().empty()) {
        result.readError = pass.Error();
        result.message = "The input could not be read: " + pass.Error() + ".";
        return result;
    }
    if (writing) writing = write(begin, static_cast<std::size_t>(p - begin));
    if (!writing) {
        result.message = "The output could not be written.";
        return result;
    }
    if (progress) progress(count, count);
    result.written = true;
    return result;
}

ExportResult ExportFile(const MappedLogFile& image, const ExportPlan& plan, const std::filesystem::path& output,
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
    if (!result.readError.empty()) {
        out.Discard();
        result.message += " The incomplete file was removed.";
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
