#pragma once
// Window content as text lines (GROUP, CAPTION, TEXT, COLOUR separated by tabs) and as JSON.
#include <string>
#include <string_view>
#include <vector>

#include "displays/display_content.h"
#include "displays/matrix_content.h"

namespace orv {

// One line per field: group, caption, text and colour name, tab-separated.
std::string FieldListing(const std::vector<DisplayField>& fields);

// "Input/Rx" and "Output/Tx" lines (caption, empty text, colour), then one "Connection" line per
// set cell with the row and column captions and "red".
std::string MatrixListing(const MatrixContent& content);

// The same as one JSON object: {"window": ..., "block": ..., "fields": [...]}.
std::string FieldListingJson(std::string_view window, long long block, const std::vector<DisplayField>& fields);
std::string MatrixListingJson(long long block, const MatrixContent& content);

}  // namespace orv
