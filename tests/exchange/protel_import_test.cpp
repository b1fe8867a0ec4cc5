#include "board/params.h"
#include "exchange/protel.h"

#include <gtest/gtest.h>

namespace {
ProtelImportSettings Over(int width, int height, int scale = 1, int scanX = 200, int scanY = 200) {
    return {scanX, scanY, width, height, scale};
}

ProtelImport Import(std::string_view text, const ProtelImportSettings& settings) {
    ReadReport report;
    auto result = ImportProtel(text, settings, report);
    EXPECT_EQ(report.skippedRecords, 0) << DescribeReadReport(report, 20000);
    return result.value_or(ProtelImport{});
}
} // namespace

TEST(ProtelRecordKind, FirstCharacterFreeOrComponentSecondTheKind) {
    EXPECT_EQ(RecordKind("FA"), ProtelRecord::Arc);
    EXPECT_EQ(RecordKind("CT"), ProtelRecord::Track);
    EXPECT_EQ(RecordKind("FF"), ProtelRecord::Fill);
    EXPECT_EQ(RecordKind("CV"), ProtelRecord::Via);
    EXPECT_EQ(RecordKind("FPxyz"), ProtelRecord::Pad);
    EXPECT_EQ(RecordKind("CS"), ProtelRecord::String);
    EXPECT_EQ(RecordKind("F"), ProtelRecord::None);
    EXPECT_EQ(RecordKind("FX"), ProtelRecord::None);
    EXPECT_EQ(RecordKind("PCB FILE 4"), ProtelRecord::None);
    EXPECT_EQ(RecordKind("ENDPCB"), ProtelRecord::None);
    EXPECT_EQ(RecordKind("fp"), ProtelRecord::None);
}

TEST(ProtelImport, ReadsBackTheExportAtTheSamePixels) {
    BoardData board;
    board.pads = {{100, 50}, {0, 390}};
    board.tracks = {{10, 20, 30, 20, 6}, {250, 100, 250, 300, 12}};
    const auto text = FormatProtel(SpanOf(board), {5.0f, 5.0f, 400, 1});
    ASSERT_TRUE(text);
    const ProtelImport back = Import(*text, Over(300, 400));
    EXPECT_EQ(back.width, 300);
    EXPECT_EQ(back.height, 400);
    ASSERT_EQ(back.board.pads.size(), 2u);
    ASSERT_EQ(back.board.tracks.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(back.board.pads[i].x, board.pads[i].x);
        EXPECT_EQ(back.board.pads[i].y, board.pads[i].y);
        EXPECT_EQ(back.board.tracks[i].x1, board.tracks[i].x1);
        EXPECT_EQ(back.board.tracks[i].y1, board.tracks[i].y1);
        EXPECT_EQ(back.board.tracks[i].x2, board.tracks[i].x2);
        EXPECT_EQ(back.board.tracks[i].y2, board.tracks[i].y2);
        EXPECT_EQ(back.board.tracks[i].layer, board.tracks[i].layer);
    }
}

TEST(ProtelImport, PadNearTheTopMovesEverythingDown) {
    BoardData board;
    board.pads = {{100, 4}, {50, 200}};
    const auto text = FormatProtel(SpanOf(board), {5.0f, 5.0f, 400, 1});
    const ProtelImport back = Import(*text, Over(300, 400));
    EXPECT_EQ(back.height, 406);
    EXPECT_EQ(back.board.pads[0].y, 10);
    EXPECT_EQ(back.board.pads[1].y, 206);
    EXPECT_EQ(back.board.pads[1].x, 50);
}

TEST(ProtelImport, NameLinesAreNeverTakenAsRecords) {
    const ProtelImport r = Import("PCB FILE 4\nFP\n500 1750 60 60 1 28 1 13\nFT\n"
                                  "FS\n100 100 1 2 3 4\nFTP LABEL\nENDPCB\n",
                                  Over(300, 400));
    ASSERT_EQ(r.board.pads.size(), 1u);
    EXPECT_EQ(r.board.pads[0].x, 100);
    EXPECT_EQ(r.board.pads[0].y, 50);
    EXPECT_TRUE(r.board.tracks.empty());
}

TEST(ProtelImport, ComponentPartsBecomeFreePadsAndTracks) {
    const ProtelImport r = Import("PCB FILE 4\nCOMP\nFT\nFP\nFV\n"
                                  "CP\n500 1000 60 60 1 28 1 13\n1\n"
                                  "CT\n0 0 1000 0 12 7 1\n"
                                  "ENDCOMP\nENDPCB\n",
                                  Over(300, 400));
    ASSERT_EQ(r.board.pads.size(), 1u);
    EXPECT_EQ(r.board.pads[0].x, 100);
    EXPECT_EQ(r.board.pads[0].y, 200);
    ASSERT_EQ(r.board.tracks.size(), 1u);
    EXPECT_EQ(r.board.tracks[0].x2, 200);
    EXPECT_EQ(r.board.tracks[0].y1, 400);
    EXPECT_EQ(r.board.tracks[0].layer, 7);
}

TEST(ProtelImport, OtherRecordsOnlyWidenTheScrollArea) {
    const ProtelImport r = Import("FV\n2500 0 50 28\n"
                                  "FA\n0 3000 100 0 360 1\n"
                                  "FF\n100 100 200 200 1\n",
                                  Over(300, 400));
    EXPECT_TRUE(r.board.pads.empty());
    EXPECT_TRUE(r.board.tracks.empty());
    EXPECT_EQ(r.width, 510);
    EXPECT_EQ(r.height, 610);
}

TEST(ProtelImport, LayoutAboveTheImageRaisesTheHeight) {
    const ProtelImport r = Import("FP\n0 3000 60 60 1 28 1 13\nX\n", Over(300, 400));
    EXPECT_EQ(r.height, 610);
    ASSERT_EQ(r.board.pads.size(), 1u);
    EXPECT_EQ(r.board.pads[0].y, 10);
}

TEST(ProtelImport, ExtentRoundsHalfUp) {
    // 7 mils at 300 dpi is 2.1 pixels, 15 mils 4.5, 25 mils 7.5.
    EXPECT_EQ(Import("FV\n7 15 1 1\n", Over(0, 0, 1, 300, 300)).width, 12);
    EXPECT_EQ(Import("FV\n7 15 1 1\n", Over(0, 0, 1, 300, 300)).height, 15);
    EXPECT_EQ(Import("FV\n25 0 1 1\n", Over(0, 0, 1, 300, 300)).width, 18);
}

TEST(ProtelImport, EmptyOrHeaderOnlyFilesGiveTheImageSize) {
    for (const char* text : {"", "PCB FILE 4\r\nENDPCB\r\n"}) {
        const ProtelImport r = Import(text, Over(300, 400));
        EXPECT_TRUE(r.board.pads.empty());
        EXPECT_EQ(r.width, 300);
        EXPECT_EQ(r.height, 400);
    }
}

TEST(ProtelImport, ZoomTwoDoublesEveryCoordinate) {
    const char* text = "FP\n500 1750 60 60 1 28 1 13\n0\nFT\n50 1900 150 1900 12 6 1\n";
    const ProtelImport one = Import(text, Over(300, 400, 1));
    const ProtelImport two = Import(text, Over(300, 400, 2));
    EXPECT_EQ(one.width, two.width) << "the extent is unzoomed";
    EXPECT_EQ(two.board.pads[0].x, 2 * one.board.pads[0].x);
    EXPECT_EQ(two.board.pads[0].y, 2 * one.board.pads[0].y);
    EXPECT_EQ(two.board.tracks[0].y2, 2 * one.board.tracks[0].y2);
    EXPECT_EQ(two.board.tracks[0].layer, 6);
}

TEST(ProtelImport, ScanLinesConvertMilsToPixels) {
    const ProtelImport r = Import("FP\n1000 0 60 60 1 28 1 13\n0\n", Over(1000, 400, 1, 300, 400));
    ASSERT_EQ(r.board.pads.size(), 1u);
    EXPECT_EQ(r.board.pads[0].x, 300);
    EXPECT_EQ(r.board.pads[0].y, 400);
}

TEST(ProtelImport, IncompleteRecordsAreSkippedAndCounted) {
    ReadReport report;
    const auto r = ImportProtel("FP\n500\nNAME\n"                // no y, line 1
                                "FT\n50 1900 150 1900 12 6 1\n" // fine
                                "FV\n1 2\n"                     // too few, but not stored
                                "FT\n1 2 3 4 five 6 7\n"        // no width, line 8
                                "FP",                           // keyword last, line 10
                                Over(300, 400), report);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->board.pads.empty());
    ASSERT_EQ(r->board.tracks.size(), 1u);
    EXPECT_EQ(r->board.tracks[0].x1, 10);
    EXPECT_EQ(report.skippedRecords, 3);
    EXPECT_EQ(report.firstSkippedLine, 1);
}

TEST(ProtelImport, LayersOutsideTheTableAreKept) {
    const ProtelImport r =
        Import("FT\n0 0 5 5 12 13 1\nFT\n0 0 5 5 12 -2 1\nFT\n0 0 5 5 12 0 1\n", Over(10, 10));
    ASSERT_EQ(r.board.tracks.size(), 3u);
    EXPECT_EQ(r.board.tracks[0].layer, 13);
    EXPECT_EQ(r.board.tracks[1].layer, -2);
    EXPECT_EQ(r.board.tracks[2].layer, 0);
}

TEST(ProtelImport, CoordinatesBeyondTheBoardAreRefused) {
    ReadReport report;
    // A via far out makes the extent too large: nothing is read.
    EXPECT_FALSE(ImportProtel("FV\n2000000000 0 1 1\n", Over(10, 10), report));
    // A pad far below the image stays out of the board but the rest is read.
    const auto r = ImportProtel("FP\n0 -2000000000 1 1 1 1 1 1\nN\nFP\n0 0 1 1 1 1 1 1\nN\n",
                                Over(10, 10), report);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->board.pads.size(), 1u);
    EXPECT_EQ(report.skippedRecords, 1);
    EXPECT_FALSE(ImportProtel("", Over(10, 10, 1, 0, 200), report)) << "no scan lines";
}

TEST(ProtelImport, OnlyBlankTextOrTextWithProtelLinesIsAProtelFile) {
    for (const char* text :
         {"", "\r\n", "PCB FILE 4\r\nENDPCB\r\n", "ENDPCB", "junk\nFV\n1 2 3 4\n", "COMP\nU1\n"})
        EXPECT_TRUE(LooksLikeProtelFile(text)) << text;
    for (const char* text : {"readme\nthis is not a board\n", "fp\n1 2\n", "PCB\n"})
        EXPECT_FALSE(LooksLikeProtelFile(text)) << text;
}

// Files written by other programs differ in their trailing fields: what the
// import uses is there, the rest is left alone.
TEST(ProtelImport, RecordsAreTakenWhateverTrailsTheNumbersUsed) {
    const ProtelImport r = Import("PCB FILE 4\r\n"
                                  "FT\r\n0 0 1000 0 12 7\r\n"         // no flag, as Autotrax writes
                                  "FT\r\n0 0 0 1000 10 2 1 0 5 9\r\n" // more than the export writes
                                  "FP\r\n500 1000\r\nU1\r\n"          // a pad's position alone
                                  "FV\r\n2500 0 50 28 1 0\r\n"
                                  "ENDPCB\r\n",
                                  Over(300, 400));
    ASSERT_EQ(r.board.tracks.size(), 2u);
    EXPECT_EQ(r.board.tracks[0].x2, 200);
    EXPECT_EQ(r.board.tracks[0].layer, 7);
    EXPECT_EQ(r.board.tracks[1].y2, 200);
    EXPECT_EQ(r.board.tracks[1].layer, 2);
    ASSERT_EQ(r.board.pads.size(), 1u);
    EXPECT_EQ(r.board.pads[0].x, 100);
    EXPECT_EQ(r.width, 510) << "the via with extra fields still widens the area";
}

TEST(ProtelImport, BareCarriageReturnsEndLines) {
    const ProtelImport r =
        Import("PCB FILE 4\rFP\r1000 1000 60 60 1 28 1 13\r0\rFT\r0 0 5 5 12 3 1\rENDPCB\r",
               Over(300, 400));
    ASSERT_EQ(r.board.pads.size(), 1u);
    EXPECT_EQ(r.board.pads[0].x, 200);
    EXPECT_EQ(r.board.tracks.size(), 1u);
    EXPECT_TRUE(LooksLikeProtelFile("PCB FILE 4\rFV\r1 2 3 4\rENDPCB\r"));
}

// A net list holds names and pins that look like records ("CPUCLK" begins
// like a component pad); none of it is ever taken, and what follows is.
TEST(ProtelImport, NetDefinitionsAreSteppedOverWholeAndCounted) {
    ReadReport report;
    const auto r = ImportProtel("PCB FILE 4\n"
                                "NETDEF\nCPUCLK\n2\n(\nCP1-1\nFT2-3\n)\n{\nCP1-1 FT2-3\n}\n"
                                "NETDEF\nFTX\n(\nFP9-1\n)\n"    // no count, no connections
                                "NETDEF\nGND\n1\n(\nCP3-1\n" // never closed
                                "ENDPCB\n"
                                "FP\n500 1000 60 60 1 28 1 13\n0\n",
                                Over(300, 400), report);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->board.pads.size(), 1u) << "only the pad after the net list";
    EXPECT_EQ(r->board.pads[0].x, 100);
    EXPECT_TRUE(r->board.tracks.empty());
    EXPECT_EQ(report.netsNotImported, 3);
    EXPECT_EQ(report.skippedRecords, 0);
}

TEST(ProtelImport, KindsTheBoardDoesNotKeepAreCountedByKind) {
    ReadReport report;
    const auto r = ImportProtel("FV\n1 1 50 28\nFV\n2 2 50 28\nFV\n3 3 50 28\n"
                                "FA\n0 30 10 0 360 1\nCA\n0 30 10 0 360 1\n"
                                "FF\n1 1 2 2 1\nFS\n1 1 1 0 10 1\nTEXT\n",
                                Over(300, 400), report);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->board.pads.empty());
    EXPECT_FALSE(NothingReadable(r->board, report)) << "an empty board, not a failed read";
    EXPECT_EQ(report.viasNotImported, 3);
    EXPECT_EQ(report.arcsNotImported, 2);
    EXPECT_EQ(report.fillsNotImported, 1);
    EXPECT_EQ(report.stringsNotImported, 1);
    EXPECT_EQ(DescribeReadReport(report, 20000, true),
              "The file holds no pads or tracks (3 vias, 2 arcs, 1 fill, 1 string were not "
              "imported)");
}
