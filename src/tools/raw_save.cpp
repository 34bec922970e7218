#include "tools/raw_save.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace orv {
namespace {

constexpr std::size_t kLines = 8;
constexpr std::size_t kLineLength = 64;

std::optional<std::string> KindOfLetter(char letter) {
    switch (letter) {
        case 'A': case 'E': case 'K': case 'L': case 'M': case 'N': return std::string(1, letter) + "-blk";
        default: return std::nullopt;
    }
}

}  // namespace

std::optional<RawSaveChoice> ChooseRawSave(TextSelection selection, ConstBytes currentBlock,
                                           std::optional<CrccVerdict> verdict, bool replayOpened) {
    std::optional<std::string> kind;
    const bool rawStandard = selection == TextSelection::Raw && currentBlock[1] == ' ' && verdict &&
                             (*verdict == CrccVerdict::Ok || *verdict == CrccVerdict::NotChecked);
    if (rawStandard || replayOpened) kind = KindOfLetter(static_cast<char>(currentBlock[0]));
    if (const char letter = SelectionLetter(selection)) kind = KindOfLetter(letter);
    if (!kind) return std::nullopt;
    RawSaveChoice choice;
    choice.kind = *kind;
    choice.fromCurrentBlock = replayOpened || choice.Letter() == 'A' || choice.Letter() == 'E';
    return choice;
}

ConstBytes RawSaveSource(const RawSaveChoice& choice, const BlockStores& stores) {
    if (choice.fromCurrentBlock) return ConstBytes(stores.current).first(kTelemetryBytes);
    return stores.text[static_cast<std::size_t>(TextCopyIndex(choice.Letter()))];
}

std::string RawSaveText(ConstBytes block512) {
    std::string text;
    text.reserve(kLines * (kLineLength + 2));
    for (std::size_t line = 0; line < kLines; ++line) {
        for (std::size_t i = 0; i < kLineLength; ++i) {
            const std::uint8_t b = block512[line * kLineLength + i];
            text += b <= 32 ? ' ' : static_cast<char>(b);
        }
        text += "\r\n";
    }
    return text;
}

std::string SaveRawBlock(const std::string& directory, const RawSaveChoice& choice, ConstBytes block512, bool asText) {
    const std::filesystem::path path = std::filesystem::path(directory) / (choice.kind + (asText ? ".txt" : ".dat"));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot create \"" + path.string() + "\": " + std::strerror(errno);
    if (asText) {
        const std::string text = RawSaveText(block512);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    } else {
        out.write(reinterpret_cast<const char*>(block512.data()), static_cast<std::streamsize>(kTelemetryBytes));
    }
    out.close();
    if (!out) return "cannot write \"" + path.string() + "\"";
    return {};
}

}  // namespace orv
