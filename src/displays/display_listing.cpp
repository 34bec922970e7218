#include "displays/display_listing.h"

#include "displays/navigation_content.h"
#include "displays/power_content.h"
#include "displays/status_content.h"
#include "displays/temperature_content.h"

namespace orv {
namespace {

void AppendLine(std::string& out, std::initializer_list<std::string_view> columns) {
    bool first = true;
    for (auto c : columns) {
        if (!first) out += '\t';
        out += c;
        first = false;
    }
    out += '\n';
}

}  // namespace

std::string FieldListing(const std::vector<DisplayField>& fields) {
    std::string out;
    for (const auto& f : fields) AppendLine(out, {f.info.group, f.info.caption, f.text, ColourName(f.colour)});
    return out;
}

std::string MatrixListing(const MatrixContent& content) {
    std::string out;
    for (const auto& l : content.inputs) AppendLine(out, {kMatrixInputGroup, l.caption, "", ColourName(l.colour)});
    for (const auto& l : content.outputs) AppendLine(out, {kMatrixOutputGroup, l.caption, "", ColourName(l.colour)});
    for (const auto& c : content.connections)
        AppendLine(out, {"Connection", kMatrixRowNames[static_cast<std::size_t>(c.row)],
                         kMatrixColumnNames[static_cast<std::size_t>(c.column)], "red"});
    return out;
}

namespace {

const NamedDisplayWindow kDisplayWindows[] = {
    {"status", StatusWindowInfo, StatusFields},
    {"matrix", MatrixWindowInfo, nullptr},
    {"nav", NavigationWindowInfo, NavigationFields},
    {"power", PowerWindowInfo, PowerFields},
    {"temp", TemperatureWindowInfo, TemperatureFields},
};

}  // namespace

std::span<const NamedDisplayWindow> DisplayWindows() { return kDisplayWindows; }

const NamedDisplayWindow* FindDisplayWindow(std::string_view name) {
    for (const auto& w : kDisplayWindows)
        if (w.name == name) return &w;
    return nullptr;
}

}  // namespace orv
