#include "net/wire.h"

#include "reception/settings_store.h"

namespace orv {

void BuildFrame(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes, bool withMarker) {
    out.clear();
    if (withMarker) out.insert(out.end(), kNetworkSyncMarker.begin(), kNetworkSyncMarker.end());
    out.insert(out.end(), bytes.begin(), bytes.end());
}

namespace {

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted.append(text);
    quoted.push_back('"');
    return quoted;
}

bool ReadPort(std::string_view text, std::uint16_t& port) {
    long long value = 0;
    if (!ParseWholeNumber(text, value) || value < 1 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

std::uint16_t PortFromText(std::string_view text, std::uint16_t fallback) {
    std::uint16_t port = fallback;
    return ReadPort(text, port) ? port : fallback;
}

bool ParseHostPort(std::string_view text, std::string& host, std::uint16_t& port, std::string* error) {
    auto fail = [&](const std::string& reason) {
        if (error) *error = reason;
        return false;
    };
    std::string_view hostPart;
    std::string_view portPart;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':')
            return fail(Quoted(text) + " is not [ADDRESS]:PORT");
        hostPart = text.substr(1, close - 1);
        portPart = text.substr(close + 2);
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string_view::npos) return fail(Quoted(text) + " is not HOST:PORT");
        hostPart = text.substr(0, colon);
        portPart = text.substr(colon + 1);
        if (hostPart.find(':') != std::string_view::npos)
            return fail("write an IPv6 address in brackets: [ADDRESS]:PORT");
    }
    if (hostPart.empty()) return fail(Quoted(text) + " has no host");
    if (!ReadPort(portPart, port)) return fail(Quoted(portPart) + " is not a port number 1..65535");
    host = std::string(hostPart);
    return true;
}

}  // namespace orv
