#include "forward/sids_form.h"

#include <charconv>
#include <cstdio>
#include <cmath>

#include "forward/kiss.h"
#include "reception/dates.h"

namespace orv {
namespace {

std::string CoordinateText(double degrees, char positive, char negative) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(degrees), std::chars_format::fixed, 4);
    return std::string(buf, r.ptr) + (degrees < 0 ? negative : positive);
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string SidsStationProblem(const SidsStation& station) {
    if (station.callsign.empty()) return "the callsign is empty";
    for (const char c : station.callsign)
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F)
            return "the callsign \"" + station.callsign + "\" holds a space or a character that is not plain ASCII";
    if (!(std::fabs(station.latitude) <= 90)) return "the latitude is not within -90..90 degrees";
    if (!(std::fabs(station.longitude) <= 180)) return "the longitude is not within -180..180 degrees";
    if (station.noradId <= 0) return "the NORAD catalogue number must be a positive whole number";
    return {};
}

bool ShouldSubmitToSids(const ReceivedBlock& block) {
    return block.live && block.verdict == CrccVerdict::Ok && block.bytes.size() == kFullBlockBytes;
}

std::vector<FormField> SidsFields(const SidsStation& station, const ReceivedBlock& block) {
    return {
        {"noradID", std::to_string(station.noradId)},
        {"source", station.callsign},
        {"timestamp", IsoUtcMillisecondsText(block.utcMilliseconds)},
        {"frame", HexText(TransmittedFrame(block))},
        {"locator", "longLat"},
        {"longitude", LongitudeText(station.longitude)},
        {"latitude", LatitudeText(station.latitude)},
        {"version", ProgramToken()},
    };
}

std::string IsoUtcMillisecondsText(std::int64_t utcMilliseconds) {
    std::int64_t seconds = utcMilliseconds / 1000;
    std::int64_t milliseconds = utcMilliseconds % 1000;
    if (milliseconds < 0) {  // before 1970: the second before, and the milliseconds into it
        --seconds;
        milliseconds += 1000;
    }
    std::string text = IsoUtcText(seconds);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03dZ", static_cast<int>(milliseconds));
    text.pop_back();  // the 'Z'
    return text + fraction;
}

std::string ProgramToken() { return std::string("Orv/") + ORV_VERSION; }

std::string FormUrlEncodeComponent(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += ch;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kDigits[c >> 4];
            out += kDigits[c & 0x0F];
        }
    }
    return out;
}

std::string FormUrlEncode(const std::vector<FormField>& fields) {
    std::string out;
    for (const auto& f : fields) {
        if (!out.empty()) out += '&';
        out += FormUrlEncodeComponent(f.name);
        out += '=';
        out += FormUrlEncodeComponent(f.value);
    }
    return out;
}

std::string HexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out(bytes.size() * 2, '0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out[2 * i] = kDigits[bytes[i] >> 4];
        out[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    return out;
}

std::string LatitudeText(double degrees) { return CoordinateText(degrees, 'N', 'S'); }
std::string LongitudeText(double degrees) { return CoordinateText(degrees, 'E', 'W'); }

bool ParseCoordinate(std::string_view text, bool latitude, double& degrees, std::string& error) {
    const std::string_view what = latitude ? "latitude" : "longitude";
    const char positive = latitude ? 'N' : 'E';
    const char negative = latitude ? 'S' : 'W';
    const double limit = latitude ? 90 : 180;
    std::string_view s = Trimmed(text);
    double sign = 1;
    if (!s.empty()) {
        const char last = static_cast<char>(s.back() & ~0x20);  // upper case
        if (last == positive || last == negative) {
            sign = last == negative ? -1 : 1;
            s = Trimmed(s.substr(0, s.size() - 1));
            if (!s.empty() && (s.front() == '-' || s.front() == '+')) s = {};  // a sign and a letter: ambiguous
        }
    }
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double value = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(value)) {
        error = "the " + std::string(what) + " \"" + std::string(text) + "\" is not decimal degrees (for example " +
                (latitude ? "52.0146 or 52.0146N" : "-4.3647 or 4.3647W") + ")";
        return false;
    }
    value *= sign;
    if (std::fabs(value) > limit) {
        error = "the " + std::string(what) + " \"" + std::string(text) + "\" is outside -" +
                std::to_string(static_cast<int>(limit)) + ".." + std::to_string(static_cast<int>(limit)) + " degrees";
        return false;
    }
    degrees = value;
    return true;
}

}  // namespace orv
