#pragma once
// Window content as text lines (GROUP, CAPTION, TEXT, COLOUR separated by tabs), and the table
// of the five display windows by name.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "displays/display_content.h"
#include "displays/display_window.h"
#include "displays/matrix_content.h"

namespace orv {

// One line per field: group, caption, text and colour name, tab-separated.
std::string FieldListing(const std::vector<DisplayField>& fields);

// "Input/Rx" and "Output/Tx" lines (caption, empty text, colour), then one "Connection" line per
// set cell with the row and column captions and "red".
std::string MatrixListing(const MatrixContent& content);

// A display window by its name on the command line and in JSON.
struct NamedDisplayWindow {
    std::string_view name;  // "status", "power", "temp", "nav", "matrix"
    const WindowInfo& (*info)();
    std::vector<DisplayField> (*fields)(const DisplayInput&);  // null for the IF matrix
};

// The five windows in kDisplayOrder: Status, Matrix, Nav, Power, Temp.
std::span<const NamedDisplayWindow> DisplayWindows();
// The window called `name`, or null.
const NamedDisplayWindow* FindDisplayWindow(std::string_view name);

}  // namespace orv
