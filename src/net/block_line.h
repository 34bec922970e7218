#pragma once
// The headless station's report of one completed block: a line of fields separated by single
// spaces, for other programs to read:
//   UTC time (ISO 8601), kind letter, CRCC verdict ("OK", "FAIL", "NA")
//   and for A blocks the date and time of the block's text header.
// Example: "2026-12-10T02:24:39Z A FAIL 2003-12-30 14:05:09".
#include <cstdint>
#include <string>

#include "reception/block.h"

namespace orv {

// block: the completed block (failed mark allowed); verdict: the receiver's CRCC label.
std::string BlockLine(ConstBytes block, const std::string& verdict, std::int64_t utcSeconds);

// The date and time of an A block's text header, "2003-12-30 14:05:09" (unprintable bytes as "?").
std::string HeaderTimeText(ConstBytes block);

// "2026-12-10T02:24:39Z" for seconds since 1970-01-01 00:00:00 UTC.
std::string IsoUtcText(std::int64_t utcSeconds);

}  // namespace orv
