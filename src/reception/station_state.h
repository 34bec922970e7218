#pragma once
// The program-wide state of one station: block stores, receiver state, reception flags and the
// settings read at start-up. The main window's module (or the headless station) owns exactly one;
// everything runs on one thread, so the state is plain data.
#include <array>
#include <optional>
#include <string_view>

#include "reception/block.h"
#include "reception/received_block.h"
#include "reception/startup_settings.h"

namespace orv {

// A store that has held no block yet: byte 0 is #FF, which is no block ID.
inline Block514 EmptyBlockStore() {
    Block514 b{};
    b[0] = 0xFF;
    return b;
}

struct BlockStores {
    Block514 current{};                 // the block being received
    Block514 relay{};                   // the same bytes as they came (no failed mark, no stamp): what is relayed
    Block514 display = EmptyBlockStore();  // what the display windows decode
    Block514 lastA = EmptyBlockStore();    // latest A block bytes, byte by byte as received
    Block514 lastE = EmptyBlockStore();    // latest E block bytes
    std::array<Block512, 4> text{};     // text copies K, L, M, N
    Block512 lastComplete{};            // copy of each complete block, stamp included

    Block512& TextCopy(char id) { return text[static_cast<std::size_t>(TextCopyIndex(id))]; }
};

// The main window's "Text" selection: what the text view follows and which blocks are dispatched.
enum class TextSelection { Raw, K, L, M, N, Off };

// The letter of a text selection "K".."N", or 0 for Raw and Off.
inline char SelectionLetter(TextSelection s) {
    switch (s) {
        case TextSelection::K: return 'K';
        case TextSelection::L: return 'L';
        case TextSelection::M: return 'M';
        case TextSelection::N: return 'N';
        default: return 0;
    }
}

struct ReceptionFlags {
    bool crccStatus = false;             // result of the last 514-byte block's check
    bool showCrccFailedData = false;     // Ctrl + right click toggle
    bool eventsMode = false;             // "Events" check box
    bool replayOpened = false;           // the Replay window was opened in this run
    bool networkInputActive = false;     // blocks come from a TCP/IP server
    bool serialInputSuspended = false;   // the DSP-93 loader owns the port
    TextSelection selection = TextSelection::Off;
};

struct ReceiverState {
    int blockLength = 514;               // L
    int position = 0;                    // bytes of the current block received so far; may pass L
    std::int64_t lastTime = 0;           // clock of the last accepted call or relay send
    std::int64_t now = 0;                // clock taken at the start of a call
    bool newBlock = false;               // from a time-out restart until a call finds position != 0
    char blockId = 0;                    // byte 0 AND 0x7F of the current block
    char secondChar = 0;                 // byte 1 AND 0x7F
    BlockOrigin origin = BlockOrigin::Serial;  // where the bytes of the current block come from
    bool networkNewBlock = false;        // a network sync marker was found; restart on next call
    int eventPointer = 0;                // word 478..479 of the last good standard A block
    // The verdict of the last complete block; none while a block is arriving.
    std::optional<CrccVerdict> verdict;
};

// What the CRCC label shows: "---" while a block arrives, then "OK", "FAIL" or "NA".
inline std::string_view CrccLabelText(const ReceiverState& r) { return r.verdict ? VerdictText(*r.verdict) : "---"; }

struct StationState {
    StartupSettings settings;
    std::string workingDataDirectory;    // the data directory the other parts use
    BlockStores stores;
    ReceiverState receiver;
    ReceptionFlags flags;

    // Applies the modem type to the receiver (block length) at once.
    void SetModemType(ModemType m) {
        settings.modemType = m;
        receiver.blockLength = BlockLength(m);
    }
};

}  // namespace orv
