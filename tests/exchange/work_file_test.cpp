#include "exchange/work_file.h"

#include <gtest/gtest.h>

#include <limits>

namespace {
BoardData Parse(std::string_view text, int scale, ReadReport& report) {
    return ParseWorkFile(text, scale, report);
}

BoardData ParseClean(std::string_view text, int scale = 1) {
    ReadReport report;
    BoardData board = ParseWorkFile(text, scale, report);
    EXPECT_TRUE(report.Clean()) << text;
    return board;
}
} // namespace

TEST(WorkFileFormat, ExampleComesOutByteForByte) {
    BoardData board;
    board.pads = {{120, 45}};
    board.tracks = {{10, 20, 30, 20, 1}};
    EXPECT_EQ(FormatWorkFile(SpanOf(board), 1), "FP\r\n120 45\r\nFT\r\n10 20 30 20 1\r\n");
}

TEST(WorkFileFormat, EmptyBoardWritesEmptyFile) {
    EXPECT_EQ(FormatWorkFile({}, 1), "");
    ReadReport report;
    const BoardData board = Parse("", 1, report);
    EXPECT_TRUE(board.pads.empty());
    EXPECT_TRUE(board.tracks.empty());
    EXPECT_TRUE(report.Clean());
}

TEST(WorkFileFormat, ZoomedBoardWritesUnzoomedPixelsTruncatedTowardZero) {
    BoardData zoomed;
    zoomed.pads = {{480, 180}, {-7, 13}};    // factor 4: (120, 45), (-1.75, 3.25)
    zoomed.tracks = {{40, 80, 121, 83, 12}}; // (10, 20) to (30.25, 20.75), layer 12
    EXPECT_EQ(FormatWorkFile(SpanOf(zoomed), 4),
              "FP\r\n120 45\r\nFP\r\n-1 3\r\nFT\r\n10 20 30 20 12\r\n");
}

TEST(WorkFileFormat, ValuesThatDoNotFitAnIntAreRefused) {
    BoardData board;
    board.pads = {{3e9f, 0}};
    EXPECT_FALSE(FormatWorkFile(SpanOf(board), 1));
    board.pads = {{0, std::numeric_limits<float>::infinity()}};
    EXPECT_FALSE(FormatWorkFile(SpanOf(board), 1));
    board.pads.clear();
    board.tracks = {{0, 0, 1, 1, std::numeric_limits<float>::quiet_NaN()}};
    EXPECT_FALSE(FormatWorkFile(SpanOf(board), 1));
    // Below zoom 1 a stored value stands for more pixels than it says.
    board.tracks.clear();
    board.pads = {{1e9f, 0}};
    EXPECT_TRUE(FormatWorkFile(SpanOf(board), 1));
    EXPECT_FALSE(FormatWorkFile(SpanOf(board), ZoomFactor::FromExponent(-2)));
}

TEST(WorkFileRead, ReadsTheExampleAtZoomOneAndTwo) {
    const char* text = "FP\r\n120 45\r\nFT\r\n10 20 30 20 1\r\n";
    BoardData board = ParseClean(text);
    ASSERT_EQ(board.pads.size(), 1u);
    ASSERT_EQ(board.tracks.size(), 1u);
    EXPECT_EQ(board.pads[0].x, 120);
    EXPECT_EQ(board.pads[0].y, 45);
    EXPECT_EQ(board.tracks[0].x2, 30);
    EXPECT_EQ(board.tracks[0].layer, 1);

    board = ParseClean(text, 2);
    EXPECT_EQ(board.pads[0].x, 240);
    EXPECT_EQ(board.pads[0].y, 90);
    EXPECT_EQ(board.tracks[0].x1, 20);
    EXPECT_EQ(board.tracks[0].y2, 40);
    EXPECT_EQ(board.tracks[0].layer, 1) << "the layer is not scaled";
}

TEST(WorkFileRead, IsLenientAboutOrderLineEndsSpacingAndOtherLines) {
    const char* text = "FT\n1 2 3 4 12\n\n\nsome note\nFPxyz\n\t-5   6 \n\nFT\r\n7\t8  9 10 3";
    const BoardData board = ParseClean(text);
    ASSERT_EQ(board.pads.size(), 1u);
    EXPECT_EQ(board.pads[0].x, -5);
    EXPECT_EQ(board.pads[0].y, 6);
    ASSERT_EQ(board.tracks.size(), 2u);
    EXPECT_EQ(board.tracks[0].layer, 12);
    EXPECT_EQ(board.tracks[1].x1, 7);
    EXPECT_EQ(board.tracks[1].layer, 3);
}

TEST(WorkFileRead, LowerCaseKeywordsAreNotRecords) {
    const BoardData board = ParseClean("fp\n1 2\nft\n1 2 3 4 5\n");
    EXPECT_TRUE(board.pads.empty());
    EXPECT_TRUE(board.tracks.empty());
}

TEST(WorkFileRead, IncompleteRecordsAreSkippedNeverFilledIn) {
    ReadReport report;
    // Line 3: too few numbers; line 5: not a number; line 9: a keyword on the last line.
    const BoardData board = Parse("FP\n1 2\nFT\n5 6 7\nFP\nx 3\nFP\n10 20\nFT", 1, report);
    ASSERT_EQ(board.pads.size(), 2u);
    EXPECT_EQ(board.pads[1].x, 10);
    EXPECT_TRUE(board.tracks.empty());
    EXPECT_EQ(report.skippedRecords, 3);
    EXPECT_EQ(report.firstSkippedLine, 3);
}

TEST(WorkFileRead, NumbersOutOfRangeOrTooLargeForTheBoardAreSkipped) {
    ReadReport report;
    const BoardData board = Parse("FP\n99999999999 1\n"      // not an int
                                  "FP\n16777217 0\n"         // beyond 2^24
                                  "FP\n16777216 -16777216\n" // the limits themselves
                                  "FT\n0 0 1 1 99999999\n"   // layer beyond 2^24
                                  "FT\n0 0 1 1 -3\n",        // odd layer, kept
                                  1, report);
    ASSERT_EQ(board.pads.size(), 1u);
    EXPECT_EQ(board.pads[0].x, 16777216.0f);
    ASSERT_EQ(board.tracks.size(), 1u);
    EXPECT_EQ(board.tracks[0].layer, -3);
    EXPECT_EQ(report.skippedRecords, 3);

    // The limit is on the file's unzoomed pixels: what was written at one zoom
    // reads back at every other.
    ReadReport zoomed;
    const BoardData deep = Parse("FP\n70000 10\nFP\n16777217 0\n", 256, zoomed);
    ASSERT_EQ(deep.pads.size(), 1u);
    EXPECT_EQ(deep.pads[0].x, 70000.0f * 256);
    EXPECT_EQ(zoomed.skippedRecords, 1);
    for (int scale = 1; scale <= 256; scale *= 2) {
        BoardData edge;
        edge.pads = {{16777216.0f * scale, -16777216.0f * scale}};
        const auto text = FormatWorkFile(SpanOf(edge), scale);
        ASSERT_TRUE(text);
        for (int other = 1; other <= 256; other *= 2) {
            ReadReport again;
            EXPECT_EQ(ParseWorkFile(*text, other, again).pads.size(), 1u) << scale << " " << other;
        }
    }
}

TEST(WorkFileRead, NumbersAreReadLikeDecimalConversions) {
    ReadReport report;
    const BoardData board = Parse("FP\n+7 -0\nFP\n12abc 5\nFP\n3-4\nFP\n1.5 2\n", 1, report);
    ASSERT_EQ(board.pads.size(), 2u);
    EXPECT_EQ(report.skippedRecords, 2) << "\"12abc 5\" and \"1.5 2\" hold one number each";
    EXPECT_EQ(board.pads[0].x, 7);
    EXPECT_EQ(board.pads[1].x, 3);
    EXPECT_EQ(board.pads[1].y, -4);
}

TEST(WorkFileRead, RoundTripKeepsEveryValueIncludingOddLayers) {
    BoardData board;
    for (int i = 0; i < 50; ++i) {
        board.pads.push_back({static_cast<float>(i * 37 - 400), static_cast<float>(i * 11)});
        board.tracks.push_back({static_cast<float>(i), static_cast<float>(-i), 3.0f * i, 5.0f * i,
                                static_cast<float>(i % 15 - 1)});
    }
    const auto text = FormatWorkFile(SpanOf(board), 1);
    ASSERT_TRUE(text);
    const BoardData back = ParseClean(*text);
    ASSERT_EQ(back.pads.size(), board.pads.size());
    ASSERT_EQ(back.tracks.size(), board.tracks.size());
    for (size_t i = 0; i < board.pads.size(); ++i) {
        EXPECT_EQ(back.pads[i].x, board.pads[i].x);
        EXPECT_EQ(back.pads[i].y, board.pads[i].y);
        EXPECT_EQ(back.tracks[i].y2, board.tracks[i].y2);
        EXPECT_EQ(back.tracks[i].layer, board.tracks[i].layer);
    }
}

TEST(WorkFileRead, EveryCutOfAValidFileReadsWithoutFault) {
    const std::string text = "FP\r\n120 45\r\nFT\r\n10 20 30 20 1\r\nFP\r\n-3 4\r\n";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        ReadReport report;
        const BoardData board = ParseWorkFile(std::string_view(text).substr(0, cut), 1, report);
        EXPECT_LE(board.pads.size(), 2u);
        EXPECT_LE(board.tracks.size(), 1u);
        for (const Pad& p : board.pads)
            EXPECT_TRUE(p.x == 120 || p.x == -3) << cut;
    }
}

TEST(WorkFileRead, OnlyBlankTextOrTextWithRecordsIsAWorkFile) {
    for (const char* text : {"", " \r\n\r\n", "notes\r\nFP\r\n1 2\r\n", "FTX\n"})
        EXPECT_TRUE(LooksLikeWorkFile(text)) << text;
    const std::string bitmap("BM\x36\x00\x00\x00\x00\x00", 8);
    for (const std::string& text : {bitmap, std::string("just some notes\nfp 1 2\n")})
        EXPECT_FALSE(LooksLikeWorkFile(text)) << text;
}

TEST(WorkFileFormat, ATrackWithoutItsLayerIsSkippedAndLinesMayEndInBareCarriageReturns) {
    ReadReport report;
    const BoardData board = Parse("FT\r1 2 3 4\rFP\r5 6\rFT\r1 2 3 4 9\r", 1, report);
    ASSERT_EQ(board.tracks.size(), 1u);
    EXPECT_EQ(board.tracks[0].layer, 9);
    ASSERT_EQ(board.pads.size(), 1u);
    EXPECT_EQ(board.pads[0].y, 6);
    EXPECT_EQ(report.skippedRecords, 1);
    EXPECT_EQ(report.firstSkippedLine, 1);
}
