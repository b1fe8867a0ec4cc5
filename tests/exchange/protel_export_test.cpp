#include "board/params.h"
#include "exchange/protel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
ProtelExportSettings At(int scanX, int scanY, int height, ZoomFactor scale = 1) {
    return {MilPerPixel(scanX), MilPerPixel(scanY), height, scale};
}

// The numbers of the data line that follows the keyword line `index` lines in.
std::string LineAt(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i)
        start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}
} // namespace

TEST(ProtelExport, ExampleComesOutByteForByte) {
    BoardData board;
    board.pads = {{100, 50}};
    board.tracks = {{10, 20, 30, 20, 6}};
    EXPECT_EQ(FormatProtel(SpanOf(board), At(200, 200, 400)),
              "PCB FILE 4\r\nFP\r\n500 1750 60 60 1 28 1 13\r\n0\r\nFT\r\n"
              "50 1900 150 1900 12 6 1\r\nENDPCB\r\n");
}

TEST(ProtelExport, AQuarterZoomBoardExportsAsAtZoomOne) {
    BoardData board;
    board.pads = {{25, 12.5f}};
    board.tracks = {{2.5f, 5, 7.5f, 5, 6}};
    EXPECT_EQ(FormatProtel(SpanOf(board), At(200, 200, 400, ZoomFactor::FromExponent(-2))),
              "PCB FILE 4\r\nFP\r\n500 1750 60 60 1 28 1 13\r\n0\r\nFT\r\n"
              "50 1900 150 1900 12 6 1\r\nENDPCB\r\n");
}

TEST(ProtelExport, EmptyBoardIsHeaderAndTrailer) {
    EXPECT_EQ(FormatProtel({}, At(200, 200, 400)), "PCB FILE 4\r\nENDPCB\r\n");
}

TEST(ProtelExport, YCountsUpFromTheImageBottom) {
    BoardData board;
    board.pads = {{0, 0}, {0, 410}};
    const auto text = FormatProtel(SpanOf(board), At(200, 200, 400));
    ASSERT_TRUE(text);
    EXPECT_EQ(LineAt(*text, 2), "0 2000 60 60 1 28 1 13");
    EXPECT_EQ(LineAt(*text, 5), "0 -50 60 60 1 28 1 13") << "below the bottom edge";
}

TEST(ProtelExport, SameFileAtEveryZoomFactor) {
    BoardData one;
    one.pads = {{100, 50}, {3, 7}};
    one.tracks = {{10, 20, 30, 20, 11}};
    BoardData four = one;
    for (Pad& p : four.pads)
        p = {p.x * 4, p.y * 4};
    for (Track& t : four.tracks)
        t = {t.x1 * 4, t.y1 * 4, t.x2 * 4, t.y2 * 4, t.layer};
    const auto a = FormatProtel(SpanOf(one), At(300, 200, 400, 1));
    ASSERT_TRUE(a);
    EXPECT_EQ(a, FormatProtel(SpanOf(four), At(300, 200, 400, 4)));
    EXPECT_EQ(LineAt(*a, 8), "33 1900 99 1900 12 11 1") << "layer 11 in sixth place";
}

TEST(ProtelExport, FactorsAreSinglePrecisionAndResultsTruncated) {
    BoardData board;
    board.pads = {{3, 0}, {100, 0}};
    // 1000/300 as a float is just below 10/3: 3 pixels come out as 9 mils.
    auto text = FormatProtel(SpanOf(board), At(300, 200, 0));
    ASSERT_TRUE(text);
    EXPECT_EQ(LineAt(*text, 2), "9 0 60 60 1 28 1 13");
    EXPECT_EQ(LineAt(*text, 5), "333 0 60 60 1 28 1 13");
    // 400 scan lines across: a pad at pixel x = 100 has X 250.
    text = FormatProtel(SpanOf(board), At(400, 200, 0));
    EXPECT_EQ(LineAt(*text, 5), "250 0 60 60 1 28 1 13");
}

TEST(ProtelExport, FourHundredScanLinesDownHalveEveryY) {
    BoardData board;
    board.pads = {{0, 50}};
    board.tracks = {{0, 20, 0, 380, 1}};
    const auto at200 = FormatProtel(SpanOf(board), At(200, 200, 400));
    const auto at400 = FormatProtel(SpanOf(board), At(200, 400, 400));
    EXPECT_EQ(LineAt(*at200, 2), "0 1750 60 60 1 28 1 13");
    EXPECT_EQ(LineAt(*at400, 2), "0 875 60 60 1 28 1 13");
    EXPECT_EQ(LineAt(*at200, 5), "0 1900 0 100 12 1 1");
    EXPECT_EQ(LineAt(*at400, 5), "0 950 0 50 12 1 1");
}

TEST(ProtelExport, UnrepresentableValuesAreRefusedNotWrapped) {
    BoardData board;
    board.pads = {{100, 50}};
    ProtelExportSettings infinite = At(200, 200, 400);
    infinite.milPerPixelX = MilPerPixel(0);
    ASSERT_TRUE(std::isinf(infinite.milPerPixelX));
    EXPECT_FALSE(FormatProtel(SpanOf(board), infinite));
    infinite = At(200, 200, 0);
    infinite.milPerPixelY = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(FormatProtel(SpanOf(board), infinite)) << "0 x inf is not a number";

    board.pads = {{5e8f, 0}}; // 2.5e9 mils
    EXPECT_FALSE(FormatProtel(SpanOf(board), At(200, 200, 400)));
    board.pads = {{0, 0}};
    board.tracks = {{0, 0, 0, 0, 3e9f}};
    EXPECT_FALSE(FormatProtel(SpanOf(board), At(200, 200, 400)));
}
