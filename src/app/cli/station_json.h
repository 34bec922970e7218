#pragma once
// `orv-cli station --json`: one JSON object per completed block, one per line (JSON Lines):
//   {"time": "2026-12-10T02:24:39Z", "kind": "A", "crcc": "OK",
//    "header_time": "2003-12-30 14:05:09", "displays": {"status": {...}, ...}}
// "header_time" and "displays" only for A blocks.
#include <cstdint>
#include <string>

#include "reception/block.h"

namespace orv::cli {

// block: the completed block (failed mark allowed); verdict: the receiver's CRCC label
// ("OK", "FAIL", "NA"); utcSeconds: the reception time. One line without the newline.
std::string StationBlockJson(ConstBytes block, const std::string& verdict, std::int64_t utcSeconds);

}  // namespace orv::cli
