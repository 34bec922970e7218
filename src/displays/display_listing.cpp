#include "displays/display_listing.h"

#include <cstdio>

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

// A JSON string literal.
std::string Quoted(std::string_view s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string LabelsJson(const std::vector<MatrixLabel>& labels) {
    std::string out = "[";
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (i) out += ", ";
        out += "{\"caption\": " + Quoted(labels[i].caption) + ", \"colour\": " + Quoted(ColourName(labels[i].colour)) + "}";
    }
    return out + "]";
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

std::string FieldListingJson(std::string_view window, long long block, const std::vector<DisplayField>& fields) {
    std::string out = "{\"window\": " + Quoted(window) + ", \"block\": " + std::to_string(block) + ", \"fields\": [";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto& f = fields[i];
        out += i ? ",\n  " : "\n  ";
        out += "{\"id\": " + Quoted(f.info.id) + ", \"group\": " + Quoted(f.info.group);
        if (!f.info.subgroup.empty()) out += ", \"subgroup\": " + Quoted(f.info.subgroup);
        out += ", \"caption\": " + Quoted(f.info.caption) + ", \"text\": " + Quoted(f.text) +
               ", \"colour\": " + Quoted(ColourName(f.colour)) + ", \"hint\": " + Quoted(f.info.hint);
        if (!f.info.valueHint.empty()) out += ", \"valueHint\": " + Quoted(f.info.valueHint);
        if (f.info.graph)
            out += ", \"graph\": {\"address\": " + std::to_string(f.info.graph->address) +
                   ", \"title\": " + Quoted(f.info.graph->title) + ", \"units\": " + Quoted(f.info.graph->units) + "}";
        out += "}";
    }
    return out + "\n]}\n";
}

std::string MatrixListingJson(long long block, const MatrixContent& content) {
    std::string out = "{\"window\": \"matrix\", \"block\": " + std::to_string(block) +
                      ",\n \"inputs\": " + LabelsJson(content.inputs) +
                      ",\n \"outputs\": " + LabelsJson(content.outputs) + ",\n \"connections\": [";
    for (std::size_t i = 0; i < content.connections.size(); ++i) {
        const auto& c = content.connections[i];
        if (i) out += ", ";
        out += "{\"row\": " + Quoted(kMatrixRowNames[static_cast<std::size_t>(c.row)]) +
               ", \"column\": " + Quoted(kMatrixColumnNames[static_cast<std::size_t>(c.column)]) + "}";
    }
    return out + "]}\n";
}

}  // namespace orv
