#pragma once
// The display dispatch's decisions: whether a block may be drawn, and whether the display
// block is one the display windows decode.
#include "reception/station_state.h"

namespace orv {

// Gate: CRCC status true, or 512-byte blocks, or CRCC-failed data shown, or the Replay window
// has been opened in this run.
inline bool DisplayGateOpen(const StationState& s) {
    return s.flags.crccStatus || s.receiver.blockLength == 512 || s.flags.showCrccFailedData || s.flags.replayOpened;
}

// A block the display windows draw: kind "A" with Events mode off, "E" with it on (failed
// mark masked).
inline bool WindowDrawsBlock(ConstBytes display, bool eventsMode) {
    return !display.empty() && BlockId(display) == (eventsMode ? 'E' : 'A');
}

inline bool DisplayBlockDecodable(const StationState& s) { return WindowDrawsBlock(s.stores.display, s.flags.eventsMode); }

}  // namespace orv
