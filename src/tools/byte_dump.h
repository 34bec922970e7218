#pragma once
// The byte dump: the 512 bytes of the display block as a 32 x 16 table, the address under the
// mouse pointer, and the copy of that address into the Monitor's first empty address field.
#include <optional>
#include <string>

#include "reception/block.h"
#include "tools/monitor.h"

namespace orv {

// The table text: a header line of column numbers, a rule of 68 "-", then 32 rows, lines joined
// by line feeds. Each row starts with the address of its first byte in 3 digits and "| "; each
// byte follows as at least 2 digits and two spaces. A three-digit decimal value takes one of the
// spaces before it (all of them when it is the first in its row), so it starts a column early.
std::string ByteDumpText(ConstBytes block, bool decimal);

// The address under the pointer at (x, y) panel pixels, with the screen scale factor `scale`;
// nothing when the pointer is outside the 16 columns and 32 rows.
std::optional<int> ByteDumpAddressAt(int x, int y, double scale);

// The readout of an address: "007" in decimal mode, "#1A7" otherwise; "---" for no address.
std::string ByteDumpAddressText(std::optional<int> address, bool decimal);

// A click: the first empty address field receives a space and the address text; when none is
// empty, the first field is overwritten.
void CopyAddressToMonitor(MonitorFields& addresses, const std::string& addressText);

}  // namespace orv
