#pragma once
// The raw data window's save: which block a click saves, under which name, and the file contents
// (the 512 bytes as they are, or as 8 lines of 64 printable characters).
#include <optional>
#include <string>
#include <string_view>

#include "reception/block.h"
#include "reception/station_state.h"

namespace orv {

// What a click in the raw data window saves: the kind ("A-blk", "E-blk", "K-blk".."N-blk") and
// whether the source is the current block (otherwise the stored K..N text copy of that letter).
struct RawSaveChoice {
    std::string kind;
    bool fromCurrentBlock = true;
    char Letter() const { return kind.empty() ? 0 : kind[0]; }
};

// The kind follows the current block's first byte ("A", "E", "K".."N") when the "Raw" view shows a
// standard block whose verdict is "OK" or "NA" (none while a block arrives), or once the Replay
// window has been opened; a "K".."N" view then chooses its own letter. Nothing when no kind applies.
std::optional<RawSaveChoice> ChooseRawSave(TextSelection selection, ConstBytes currentBlock,
                                           std::optional<CrccVerdict> verdict, bool replayOpened);

// The 512 source bytes of a choice.
ConstBytes RawSaveSource(const RawSaveChoice& choice, const BlockStores& stores);

// ".txt" content: 8 lines of 64 characters, each followed by CR LF; bytes of value 32 or less
// become spaces, every other byte is written as it is.
std::string RawSaveText(ConstBytes block512);

// Writes kind + ".dat" (the 512 bytes) or kind + ".txt" (the text) into `directory`, replacing any
// earlier file. Returns an empty string, or the reason the file could not be written.
std::string SaveRawBlock(const std::string& directory, const RawSaveChoice& choice, ConstBytes block512, bool asText);

}  // namespace orv
