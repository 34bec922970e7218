#include "iq/sigmf_meta.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace orv {
namespace {

// Just enough JSON for a metadata file: objects, arrays, strings, numbers, true, false, null.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;  // an array's, or an object's values
    std::vector<std::string> keys;  // an object's keys, one per value

    const JsonValue* Member(std::string_view name) const {
        if (kind != Kind::Object) return nullptr;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == name) return &items[i];
        return nullptr;
    }
};

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    // The whole text as one value; nothing on a syntax error or nesting deeper than kMaxDepth.
    std::optional<JsonValue> Document() {
        JsonValue value;
        if (!Value(value, 0)) return std::nullopt;
        Space();
        if (at_ != text_.size()) return std::nullopt;
        return value;
    }

private:
    static constexpr int kMaxDepth = 64;

    void Space() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool Take(char c) {
        Space();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth > kMaxDepth) return false;
        Space();
        if (at_ >= text_.size()) return false;
        const char c = text_[at_];
        if (c == '{') return Object(v, depth);
        if (c == '[') return Array(v, depth);
        if (c == '"') {
            v.kind = JsonValue::Kind::String;
            return String(v.text);
        }
        if (Word("true") || Word("false")) {
            v.kind = JsonValue::Kind::Bool;
            return true;
        }
        if (Word("null")) return true;
        return Number(v);
    }

    bool Object(JsonValue& v, int depth) {
        ++at_;
        v.kind = JsonValue::Kind::Object;
        if (Take('}')) return true;
        do {
            Space();
            std::string key;
            if (!String(key) || !Take(':')) return false;
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            v.keys.push_back(std::move(key));
            v.items.push_back(std::move(member));
        } while (Take(','));
        return Take('}');
    }

    bool Array(JsonValue& v, int depth) {
        ++at_;
        v.kind = JsonValue::Kind::Array;
        if (Take(']')) return true;
        do {
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            v.items.push_back(std::move(item));
        } while (Take(','));
        return Take(']');
    }

    bool String(std::string& out) {
        if (at_ >= text_.size() || text_[at_] != '"') return false;
        ++at_;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return false;
            const char e = text_[at_++];
            switch (e) {
                case '"': case '\\': case '/': out += e; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned code = 0;
                    if (at_ + 4 > text_.size()) return false;
                    const auto [end, ec] = std::from_chars(text_.data() + at_, text_.data() + at_ + 4, code, 16);
                    if (ec != std::errc() || end != text_.data() + at_ + 4) return false;
                    at_ += 4;
                    // Keys and values that matter here are ASCII; others are kept as UTF-8 of the unit.
                    if (code < 0x80) {
                        out += static_cast<char>(code);
                    } else if (code < 0x800) {
                        out += static_cast<char>(0xC0 | (code >> 6));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    } else {
                        out += static_cast<char>(0xE0 | (code >> 12));
                        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    }
                    break;
                }
                default: return false;
            }
        }
        return false;
    }

    bool Number(JsonValue& v) {
        const std::size_t start = at_;
        while (at_ < text_.size() && (std::string_view("+-.eE0123456789").find(text_[at_]) != std::string_view::npos)) ++at_;
        if (at_ == start) return false;
        const auto [end, ec] = std::from_chars(text_.data() + start, text_.data() + at_, v.number);
        if (ec != std::errc() || end != text_.data() + at_) return false;
        v.kind = JsonValue::Kind::Number;
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::optional<IqFormat> SigmfFormat(const std::string& datatype) {
    if (datatype == "cf32_le") return IqFormat::Cf32;
    if (datatype == "ci16_le") return IqFormat::Cs16;
    if (datatype == "cu8") return IqFormat::Cu8;
    if (datatype == "ci8") return IqFormat::Cs8;
    return std::nullopt;
}

}  // namespace

std::optional<SigmfMeta> ParseSigmfMeta(std::string_view json, std::string& error) {
    const std::optional<JsonValue> document = JsonReader(json).Document();
    if (!document || document->kind != JsonValue::Kind::Object) {
        error = "not a SigMF metadata file (no JSON object)";
        return std::nullopt;
    }
    const JsonValue* global = document->Member("global");
    const JsonValue* datatype = global ? global->Member("core:datatype") : nullptr;
    const JsonValue* rate = global ? global->Member("core:sample_rate") : nullptr;
    if (datatype == nullptr || datatype->kind != JsonValue::Kind::String) {
        error = "the SigMF metadata give no core:datatype";
        return std::nullopt;
    }
    SigmfMeta meta;
    const auto format = SigmfFormat(datatype->text);
    if (!format) {
        error = "SigMF datatype \"" + datatype->text + "\" is not one that can be read (cf32_le, ci16_le, cu8, ci8)";
        return std::nullopt;
    }
    meta.format = *format;
    if (rate == nullptr || rate->kind != JsonValue::Kind::Number || !(rate->number > 0.0) || !std::isfinite(rate->number)) {
        error = "the SigMF metadata give no core:sample_rate";
        return std::nullopt;
    }
    meta.sampleRate = rate->number;
    const JsonValue* captures = document->Member("captures");
    if (captures != nullptr && captures->kind == JsonValue::Kind::Array && !captures->items.empty()) {
        const JsonValue* frequency = captures->items.front().Member("core:frequency");
        if (frequency != nullptr && frequency->kind == JsonValue::Kind::Number) meta.centreHz = frequency->number;
    }
    return meta;
}

}  // namespace orv
