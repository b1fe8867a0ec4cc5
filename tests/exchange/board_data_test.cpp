#include "exchange/board_data.h"

#include <gtest/gtest.h>

TEST(BoardData, TrimKeepsTheFirstEntriesAndCountsTheRest) {
    BoardData board;
    for (int i = 0; i < 7; ++i)
        board.pads.push_back({static_cast<float>(i), 0});
    for (int i = 0; i < 3; ++i)
        board.tracks.push_back({0, 0, 0, 0, 1});
    ReadReport report;
    TrimToCapacity(board, 5, report);
    ASSERT_EQ(board.pads.size(), 5u);
    EXPECT_EQ(board.pads[4].x, 4);
    EXPECT_EQ(board.tracks.size(), 3u);
    EXPECT_EQ(report.padsLeftOut, 2);
    EXPECT_EQ(report.tracksLeftOut, 0);
    EXPECT_FALSE(report.Clean());
}

TEST(BoardData, DescriptionNamesWhatWasLeftOutAndWhere) {
    ReadReport report;
    EXPECT_EQ(DescribeReadReport(report, 20000), "");
    report.padsLeftOut = 1;
    report.tracksLeftOut = 12;
    EXPECT_EQ(DescribeReadReport(report, 20000),
              "The board holds at most 20000 pads and 20000 tracks: 1 pad and 12 tracks were "
              "left out.");
    ReadReport pads;
    pads.padsLeftOut = 5;
    EXPECT_EQ(DescribeReadReport(pads, 20000),
              "The board holds at most 20000 pads and 20000 tracks: 5 pads were left out.");
    ReadReport track;
    track.tracksLeftOut = 1;
    EXPECT_EQ(DescribeReadReport(track, 20000),
              "The board holds at most 20000 pads and 20000 tracks: 1 track was left out.");
    ReadReport skipped;
    skipped.Skip(40);
    skipped.Skip(17);
    EXPECT_EQ(skipped.firstSkippedLine, 17);
    EXPECT_EQ(DescribeReadReport(skipped, 20000),
              "2 records were unreadable and skipped (the first at line 17).");
    report.Merge(skipped);
    EXPECT_EQ(report.skippedRecords, 2);
    EXPECT_NE(DescribeReadReport(report, 20000).find("\n2 records"), std::string::npos);
}

TEST(BoardData, DescriptionNamesTheKindsNotImported) {
    ReadReport nets;
    nets.netsNotImported = 88;
    EXPECT_FALSE(nets.Clean());
    EXPECT_EQ(DescribeReadReport(nets, 20000), "88 nets were not imported.");
    ReadReport one;
    one.viasNotImported = 1;
    EXPECT_EQ(DescribeReadReport(one, 20000, true),
              "The file holds no pads or tracks (1 via was not imported)");
    ReadReport both = nets;
    both.Skip(9);
    both.Merge(one);
    EXPECT_EQ(DescribeReadReport(both, 20000),
              "1 via, 88 nets were not imported.\n"
              "1 record was unreadable and skipped (the first at line 9).");
}
