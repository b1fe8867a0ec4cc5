// Real sizes of pads and tracks through the work file, the recovery board
// and the Protel export and import.
#include "board/params.h"
#include "exchange/protel.h"
#include "exchange/recovery_board.h"
#include "exchange/work_file.h"

#include <gtest/gtest.h>

namespace {
constexpr PadSize kSquare{80, 80, 40, PadShape::Rectangle};
constexpr PadSize kOctagon{70, 50, 0, PadShape::Octagon};

BoardData SizedBoard() {
    BoardData board;
    board.pads = {{100, 50}, {10, 10}, {20, 30}};
    board.padSizes = {kSquare, PadSize{}, kOctagon};
    board.tracks = {{10, 20, 30, 20, 1}, {0, 0, 5, 5, 2}};
    board.trackSizes = {TrackSize{40}, TrackSize{}};
    return board;
}

} // namespace

TEST(WorkFileSizes, OnlySizesOtherThanTheDefaultsAreWritten) {
    EXPECT_EQ(FormatWorkFile(SpanOf(SizedBoard()), 1),
              "FP\r\n100 50 80 80 40 2\r\nFP\r\n10 10\r\nFP\r\n20 30 70 50 0 3\r\n"
              "FT\r\n10 20 30 20 1 40\r\nFT\r\n0 0 5 5 2\r\n");
    BoardData plain = SizedBoard();
    plain.padSizes.assign(3, PadSize{});
    plain.trackSizes.clear();
    EXPECT_EQ(FormatWorkFile(SpanOf(plain), 1),
              "FP\r\n100 50\r\nFP\r\n10 10\r\nFP\r\n20 30\r\nFT\r\n10 20 30 20 1\r\nFT\r\n0 0 5 5 2\r\n")
        << "a board of default sizes writes what it always did";
}

TEST(WorkFileSizes, SizesComeBackAtEveryZoom) {
    const BoardData board = SizedBoard();
    const auto text = FormatWorkFile(SpanOf(board), 1);
    ASSERT_TRUE(text);
    for (const ZoomFactor scale : {ZoomFactor(1), ZoomFactor(4), ZoomFactor::FromExponent(-2)}) {
        ReadReport r;
        const BoardData back = ParseWorkFile(*text, scale, r);
        EXPECT_TRUE(r.Clean());
        EXPECT_EQ(back.padSizes, board.padSizes);
        EXPECT_EQ(back.trackSizes, board.trackSizes);
        ASSERT_EQ(back.pads.size(), 3u);
        EXPECT_EQ(back.pads[0].x, 100 * scale.FloatFactor()) << "the coordinates are unchanged";
        EXPECT_EQ(back.tracks[0].layer, 1.0f) << "the width is not taken for the layer";
    }
}

TEST(WorkFileSizes, OldFilesAndPartOrBadSizesReadWithDefaults) {
    ReadReport r;
    const BoardData board = ParseWorkFile("FP\n1 2\nFP\n3 4 90\nFP\n5 6 0 99999 -3 7\n"
                                          "FT\n1 2 3 4 5\nFT\n1 2 3 4 5 0\n",
                                          1, r);
    EXPECT_TRUE(r.Clean());
    ASSERT_EQ(board.padSizes.size(), 3u);
    EXPECT_EQ(board.padSizes[0], PadSize{});
    EXPECT_EQ(board.padSizes[1], PadSize{}) << "sizes count only when all four are there";
    EXPECT_EQ(board.padSizes[2], (PadSize{1, 10000, 0, PadShape::Round}))
        << "brought within 1 to 10000 mil, the hole to none, an unknown shape to round";
    ASSERT_EQ(board.trackSizes.size(), 2u);
    EXPECT_EQ(board.trackSizes[0], TrackSize{});
    EXPECT_EQ(board.trackSizes[1], TrackSize{1});
}

TEST(RecoveryBoardSizes, SizesSurviveTheRecoveryFile) {
    const BoardData board = SizedBoard();
    RecoveryManifest manifest;
    manifest.pads = 3;
    manifest.tracks = 2;
    manifest.revision = 5;
    manifest.scale = 1;
    const auto text = FormatRecoveryBoard(SpanOf(board), 1, 5);
    ASSERT_TRUE(text);
    std::string error;
    const auto back = ParseRecoveryBoard(*text, manifest, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->padSizes, board.padSizes);
    EXPECT_EQ(back->trackSizes, board.trackSizes);
}

TEST(ProtelSizes, EachShapeAndWidthIsWrittenInItsFields) {
    const auto text = FormatProtel(SpanOf(SizedBoard()), {5.0f, 5.0f, 400, 1});
    EXPECT_EQ(text, "PCB FILE 4\r\n"
                    "FP\r\n500 1750 80 80 2 40 1 13\r\n0\r\n"
                    "FP\r\n50 1950 60 60 1 28 1 13\r\n0\r\n"
                    "FP\r\n100 1850 70 50 3 0 1 13\r\n0\r\n"
                    "FT\r\n50 1900 150 1900 40 1 1\r\n"
                    "FT\r\n0 2000 25 1975 12 2 1\r\n"
                    "ENDPCB\r\n");
}

TEST(ProtelSizes, ImportKeepsSizesShapesAndWidthsWithinBounds) {
    const std::string file = "PCB FILE 4\nFP\n500 1750 80 70 2 40 1 13\n0\n"
                             "FP\n100 100 0 20000 9 -5 1 13\nname\n"
                             "CP\n200 200\nshort\n"
                             "FT\n50 1900 150 1900 40 1 1\nFT\n50 1900 150 1900 0 2 1\nENDPCB\n";
    ReadReport r;
    const auto imported = ImportProtel(file, {200, 200, 400, 400, 1}, r);
    ASSERT_TRUE(imported);
    const BoardData& board = imported->board;
    ASSERT_EQ(board.padSizes.size(), 3u);
    EXPECT_EQ(board.padSizes[0], (PadSize{80, 70, 40, PadShape::Rectangle}));
    EXPECT_EQ(board.padSizes[1], (PadSize{1, 10000, 0, PadShape::Round}));
    EXPECT_EQ(board.padSizes[2], PadSize{}) << "a pad line without sizes gets the defaults";
    ASSERT_EQ(board.trackSizes.size(), 2u);
    EXPECT_EQ(board.trackSizes[0], TrackSize{40});
    EXPECT_EQ(board.trackSizes[1], TrackSize{1});
}

TEST(ProtelSizes, ExportThenImportGivesTheSameSizes) {
    const BoardData board = SizedBoard();
    const auto text = FormatProtel(SpanOf(board), {5.0f, 5.0f, 400, 1});
    ASSERT_TRUE(text);
    ReadReport r;
    const auto imported = ImportProtel(*text, {200, 200, 400, 400, 1}, r);
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->board.padSizes, board.padSizes);
    EXPECT_EQ(imported->board.trackSizes, board.trackSizes);
}
