// IF matrix window: connections, caption colours and drawing geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "displays/display_listing.h"
#include "displays/matrix_content.h"
#include "field_cases.h"

namespace orv {
namespace {

using test::ABlock;

MatrixContent Content(std::initializer_list<test::ByteSet> bytes) {
    const Block514 b = ABlock(bytes);
    return MatrixFields({b, b, false, false});
}

std::vector<std::pair<std::string_view, std::string_view>> Named(const MatrixContent& m) {
    std::vector<std::pair<std::string_view, std::string_view>> out;
    for (const auto& c : m.connections)
        out.emplace_back(kMatrixRowNames[static_cast<std::size_t>(c.row)],
                         kMatrixColumnNames[static_cast<std::size_t>(c.column)]);
    return out;
}

TEST(MatrixContentTest, BitsConnectInputsToOutputs) {
    struct Case {
        int address;
        std::uint8_t value;
        const char* row;
        const char* column;
    };
    const Case cases[] = {
        {0x1F2, 0x01, "V", "U"},        {0x1F2, 0x08, "V", "S2/K"},     {0x1F2, 0x40, "Rud-1", "U"},
        {0x1F3, 0x08, "Rud-1", "Lei-2"}, {0x1F4, 0x01, "21/24", "V"},   {0x1F4, 0x40, "U", "V"},
        {0x1F6, 0x04, "Lei-1", "X"},    {0x1F6, 0x10, "Lei-1", "Lei-1"}, {0x1F7, 0x01, "S1", "X"},
        {0x1F8, 0x04, "Rud-2", "S1"},   {0x1F9, 0x08, "Lei-2", "Lei-2"}, {0x1FA, 0x02, "EB", "U"},
        {0x1FA, 0x80, "GB", "U"},       {0x1FB, 0x08, "GB", "Lei-2"},   {0x1FC, 0x10, "L2", "S2/K"},
        {0x1FC, 0x20, "L2", "Lei-2"},   {0x1FD, 0x01, "MB", "S1"},      {0x1FE, 0x01, "C/S2", "V"},
        {0x1FE, 0x20, "C/S2", "Lei-1"}, {0x1FF, 0x08, "L1", "Lei-1"},
    };
    for (const auto& c : cases) {
        const auto named = Named(Content({{c.address, c.value}}));
        ASSERT_EQ(named.size(), 1U) << std::hex << c.address << " " << int(c.value);
        EXPECT_EQ(named[0].first, c.row) << std::hex << c.address << " " << int(c.value);
        EXPECT_EQ(named[0].second, c.column) << std::hex << c.address << " " << int(c.value);
    }
}

TEST(MatrixContentTest, IgnoredBits) {
    EXPECT_TRUE(Content({}).connections.empty());
    EXPECT_TRUE(Content({{0x1F3, 0xF0}}).connections.empty());  // high nibble of a word
    EXPECT_TRUE(Content({{0x1FA, 0x01}}).connections.empty());  // word 4 bit 0
    EXPECT_TRUE(Content({{0x1FA, 0x40}}).connections.empty());  // word 4 bit 6
    // Every bit set: 7 words x 12 bits, less the two that connect nothing, each its own cell.
    std::initializer_list<test::ByteSet> all = {{0x1F2, 0xFF}, {0x1F3, 0xFF}, {0x1F4, 0xFF}, {0x1F5, 0xFF},
                                                {0x1F6, 0xFF}, {0x1F7, 0xFF}, {0x1F8, 0xFF}, {0x1F9, 0xFF},
                                                {0x1FA, 0xFF}, {0x1FB, 0xFF}, {0x1FC, 0xFF}, {0x1FD, 0xFF},
                                                {0x1FE, 0xFF}, {0x1FF, 0xFF}};
    const MatrixContent m = Content(all);
    EXPECT_EQ(m.connections.size(), 82U);
    std::set<std::pair<int, int>> cells;
    for (const auto& c : m.connections) cells.insert({c.row, c.column});
    EXPECT_EQ(cells.size(), 82U);
}

std::string Colours(const std::vector<MatrixLabel>& labels) {
    std::string out;
    for (const auto& l : labels) out += std::string(l.caption) + "=" + std::string(ColourName(l.colour)) + " ";
    return out;
}

TEST(MatrixContentTest, CaptionColours) {
    EXPECT_EQ(Colours(Content({}).outputs), "V=grey U=grey S1=grey S2=grey K=grey X=grey Lei-1=form Lei-2=form ");
    EXPECT_EQ(Colours(Content({}).inputs),
              "21=grey 24=grey V=grey U=red L1=red L2=grey S1=grey C=grey S2=grey GB=red MB=red EB=grey "
              "Rud-1=form Rud-2=form Lei-1=form Lei-2=form ");
    EXPECT_EQ(Colours(Content({{0x1C8, 0x04}, {0x1C9, 0x04}}).outputs).substr(0, 13), "V=grey U=red ");
    EXPECT_EQ(Colours(Content({{0x1C8, 0x04}}).outputs).substr(0, 14), "V=grey U=blue ");
    EXPECT_EQ(Colours(Content({{0x1C8, 0x21}, {0x1C9, 0x4A}}).outputs),
              "V=red U=grey S1=red S2=red K=red X=blue Lei-1=form Lei-2=form ");
    EXPECT_EQ(Colours(Content({{0x1C8, 0x20}, {0x1C9, 0x20}}).outputs),
              "V=grey U=grey S1=grey S2=grey K=grey X=red Lei-1=form Lei-2=form ");
    EXPECT_EQ(Colours(Content({{0x1CA, 0xEF}, {0x194, 0x09}}).inputs),
              "21=red 24=red V=red U=grey L1=red L2=red S1=red C=red S2=red GB=grey MB=red EB=red "
              "Rud-1=form Rud-2=form Lei-1=form Lei-2=form ");
    EXPECT_EQ(Colours(MatrixPlaceholder().inputs).find("red"), std::string::npos);
}

TEST(MatrixDrawingTest, GeometryAtNinetySixPixelsPerInch) {
    const MatrixPicture p = DrawMatrix(Content({{0x1F2, 0x01}}), 1.0F);
    EXPECT_EQ(p.width, 236);
    EXPECT_EQ(p.height, 318);
    ASSERT_EQ(p.greyPaths.size(), 98U);
    for (int j = 0; j < kMatrixColumns; ++j)
        for (int i = 0; i < kMatrixRows; ++i)
            EXPECT_EQ(MatrixNode(j, i, 1.0L), (PixelPoint{36 * (j + 1) - 24, 23 * (i + 1) - 18}));
    EXPECT_EQ(p.greyPaths.front(), (MatrixPath{PixelPoint{2, 5}, {12, 5}, {12, 318}}));
    EXPECT_EQ(p.greyPaths.back(), (MatrixPath{PixelPoint{2, 304}, {228, 304}, {228, 318}}));
    // The one connection: row V (2) turning down at column U (2).
    ASSERT_EQ(p.redPaths.size(), 1U);
    EXPECT_EQ(p.redPaths[0], (MatrixPath{PixelPoint{2, 28}, {48, 28}, {48, 318}}));
    ASSERT_EQ(p.nodes.size(), 1U);
    EXPECT_EQ(p.nodes[0], (PixelRect{44, 24, 52, 32}));
    EXPECT_TRUE(DrawMatrix(Content({}), 1.0F).redPaths.empty());
}

TEST(MatrixDrawingTest, GeometryAtOneHundredTwentyPixelsPerInch) {
    const float s = 121.0F / 96.0F;
    EXPECT_NEAR(static_cast<double>(MatrixDrawingFactor(s)), 121.0 / 96.0 * 0.986, 1e-6);
    const MatrixPicture p = DrawMatrix(Content({{0x1F2, 0x01}}), s);
    EXPECT_EQ(p.width, 297);
    EXPECT_EQ(p.height, 400);
    const long double u = MatrixDrawingFactor(s);
    const int xs[] = {14, 59, 104, 149, 193, 238, 283};
    const int ys[] = {6, 34, 63, 91, 120, 149, 177, 206, 234, 263, 292, 320, 349, 377};
    for (int j = 0; j < kMatrixColumns; ++j)
        for (int i = 0; i < kMatrixRows; ++i) EXPECT_EQ(MatrixNode(j, i, u), (PixelPoint{xs[j], ys[i]}));
    EXPECT_EQ(p.greyPaths.front(), (MatrixPath{PixelPoint{2, 6}, {14, 6}, {14, 395}}));
    EXPECT_EQ(p.redPaths.at(0), (MatrixPath{PixelPoint{2, 34}, {59, 34}, {59, 395}}));
    EXPECT_EQ(p.nodes.at(0), (PixelRect{54, 29, 63, 38}));  // 59 -+ 4.97, 34 -+ 4.97
}

TEST(MatrixListingTest, CaptionLinesThenConnections) {
    const std::string text = MatrixListing(Content({{0x1F2, 0x01}, {0x1CA, 0x01}}));
    EXPECT_EQ(text.substr(0, 23), "Input/Rx\t21\t\tred\nInput/");
    EXPECT_NE(text.find("Output/Tx\tLei-2\t\tform\nConnection\tV\tU\tred\n"), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16 + 8 + 1);
}

}  // namespace
}  // namespace orv
