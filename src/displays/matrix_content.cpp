#include "displays/matrix_content.h"

#include <cmath>

namespace orv {

const std::array<std::string_view, kMatrixRows> kMatrixRowNames = {
    "21/24", "V", "U", "L1", "L2", "S1", "C/S2", "GB", "MB", "EB", "Rud-1", "Rud-2", "Lei-1", "Lei-2"};
const std::array<std::string_view, kMatrixColumns> kMatrixColumnNames = {"V", "U", "S1", "S2/K", "X", "Lei-1", "Lei-2"};

namespace {

// Rows and columns, 0-based.
enum Row { k2124, kV, kU, kL1, kL2, kS1, kCS2, kGB, kMB, kEB, kRud1, kRud2, kLei1, kLei2 };
enum Column { cV, cU, cS1, cS2K, cX, cLei1, cLei2, cNone = -1 };

// Six bits of a matrix word: the input they belong to and the output of each bit.
struct HalfWord {
    int row;
    std::array<int, 6> columns;
};

// The seven 12-bit words at #1F2..#1FF, low half (bits 0..5) and high half (bits 6..11).
constexpr std::array<std::array<HalfWord, 2>, 7> kWords = {{
    {{{kV, {cU, cS1, cX, cS2K, cLei1, cLei2}}, {kRud1, {cU, cS1, cX, cS2K, cLei1, cLei2}}}},
    {{{k2124, {cV, cS1, cX, cS2K, cLei1, cLei2}}, {kU, {cV, cS1, cX, cS2K, cLei1, cLei2}}}},
    {{{kLei1, {cV, cU, cX, cS2K, cLei1, cLei2}}, {kS1, {cV, cU, cX, cS2K, cLei1, cLei2}}}},
    {{{kRud2, {cV, cU, cS1, cS2K, cLei1, cLei2}}, {kLei2, {cV, cU, cS1, cS2K, cLei1, cLei2}}}},
    {{{kEB, {cNone, cU, cS1, cX, cLei1, cLei2}}, {kGB, {cNone, cU, cS1, cX, cLei1, cLei2}}}},
    {{{kL2, {cV, cU, cS1, cX, cS2K, cLei2}}, {kMB, {cV, cU, cS1, cX, cS2K, cLei2}}}},
    {{{kCS2, {cV, cU, cS1, cX, cS2K, cLei1}}, {kL1, {cV, cU, cS1, cX, cS2K, cLei1}}}},
}};
constexpr int kFirstWordAddress = 0x1F2;

FieldColour RedOrGrey(bool on) { return on ? FieldColour::Red : FieldColour::Grey; }
FieldColour BlueOrGrey(bool on) { return on ? FieldColour::Blue : FieldColour::Grey; }

std::vector<MatrixLabel> OutputLabels(unsigned w) {
    auto bit = [w](int n) { return ((w >> n) & 1U) != 0; };
    return {
        {"V", RedOrGrey(bit(9))},
        {"U", bit(10) ? FieldColour::Red : BlueOrGrey(bit(2))},
        {"S1", RedOrGrey(bit(11))},
        {"S2", RedOrGrey(bit(0))},
        {"K", RedOrGrey(bit(14))},
        {"X", bit(13) ? FieldColour::Red : BlueOrGrey(bit(5))},
        {"Lei-1", FieldColour::Form},
        {"Lei-2", FieldColour::Form},
    };
}

std::vector<MatrixLabel> InputLabels(std::uint8_t r, std::uint8_t g) {
    auto bit = [](std::uint8_t v, int n) { return ((v >> n) & 1U) != 0; };
    return {
        {"21", RedOrGrey(bit(r, 0))},  {"24", RedOrGrey(bit(r, 1))},   {"V", RedOrGrey(bit(r, 2))},
        {"U", RedOrGrey(!bit(r, 2))},  {"L1", FieldColour::Red},       {"L2", RedOrGrey(bit(r, 5))},
        {"S1", RedOrGrey(bit(r, 6))},  {"C", RedOrGrey(bit(r, 7))},    {"S2", RedOrGrey(bit(r, 3))},
        {"GB", RedOrGrey(!bit(g, 0))}, {"MB", FieldColour::Red},       {"EB", RedOrGrey(bit(g, 3))},
        {"Rud-1", FieldColour::Form},  {"Rud-2", FieldColour::Form},   {"Lei-1", FieldColour::Form},
        {"Lei-2", FieldColour::Form},
    };
}

void SetConnections(MatrixContent& m, ConstBytes b) {
    for (std::size_t c = 0; c < kWords.size(); ++c) {
        const int low = kFirstWordAddress + 2 * static_cast<int>(c);
        const unsigned word = (Byte(b, low + 1) & 0x0FU) * 256U + Byte(b, low);  // upper nibble ignored
        for (int half = 0; half < 2; ++half)
            for (int k = 0; k < 6; ++k) {
                const HalfWord& h = kWords[c][static_cast<std::size_t>(half)];
                const int column = h.columns[static_cast<std::size_t>(k)];
                if (column != cNone && ((word >> (6 * half + k)) & 1U) != 0)
                    m.grid[static_cast<std::size_t>(h.row)][static_cast<std::size_t>(column)] = true;
            }
    }
    for (int row = 0; row < kMatrixRows; ++row)
        for (int column = 0; column < kMatrixColumns; ++column)
            if (m.grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
                m.connections.push_back({row, column});
}

int Trunc(long double v) { return static_cast<int>(std::trunc(v)); }

}  // namespace

const WindowInfo& MatrixWindowInfo() {
    static const WindowInfo info{"IfMatrixWindow", " IF Matrix                Orv", "Matrix", "", 12, 50, 500, false};
    return info;
}

MatrixContent MatrixFields(const DisplayInput& input) {
    const Block514 block = PaddedBlock(input.display);
    MatrixContent m;
    m.outputs = OutputLabels(Byte(block, 0x1C9) * 256U + Byte(block, 0x1C8));
    m.inputs = InputLabels(Byte(block, 0x1CA), Byte(block, 0x194));
    SetConnections(m, block);
    return m;
}

MatrixContent MatrixPlaceholder() {
    MatrixContent m = MatrixFields({});
    m.connections.clear();
    m.grid = {};
    for (auto* labels : {&m.inputs, &m.outputs})
        for (auto& l : *labels) l.colour = FieldColour::Form;
    return m;
}

long double MatrixDrawingFactor(float s) { return s == 1.0F ? 1.0L : static_cast<long double>(s) * 0.986L; }

PixelPoint MatrixNode(int column, int row, long double u) {
    return {Trunc((36 * (column + 1) - 24) * u), Trunc((23 * (row + 1) - 18) * u)};
}

MatrixPicture DrawMatrix(const MatrixContent& content, float s) {
    const long double u = MatrixDrawingFactor(s);
    MatrixPicture p;
    p.width = Trunc(static_cast<long double>(s) * kMatrixAreaWidth);
    p.height = Trunc(static_cast<long double>(s) * kMatrixAreaHeight);
    const int left = Trunc(2 * u), bottom = Trunc(kMatrixAreaHeight * u);
    auto path = [&](PixelPoint n) { return MatrixPath{PixelPoint{left, n.y}, n, PixelPoint{n.x, bottom}}; };
    for (int column = 0; column < kMatrixColumns; ++column)
        for (int row = 0; row < kMatrixRows; ++row) p.greyPaths.push_back(path(MatrixNode(column, row, u)));
    for (const auto& c : content.connections) {
        const PixelPoint n = MatrixNode(c.column, c.row, u);
        p.redPaths.push_back(path(n));
        p.nodes.push_back({Trunc(n.x - 4 * u), Trunc(n.y - 4 * u), Trunc(n.x + 4 * u), Trunc(n.y + 4 * u)});
    }
    return p;
}

}  // namespace orv
