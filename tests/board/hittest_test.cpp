#include "view_fixture.h"

#include <limits>

namespace {

using HitTest = BoardViewTest;

TEST_F(HitTest, PadIsHitCloserThanItsRadiusOnly) {
    AddPad(100, 100);
    EXPECT_EQ(view.HitTestPad(104, 100, 0, 0), 0);
    EXPECT_EQ(view.m_rcRedraw, CRect(100 - 18, 100 - 18, 100 + 18, 100 + 18));
    view.m_rcRedraw = CRect(1, 2, 3, 4);
    EXPECT_EQ(view.HitTestPad(103, 104, 0, 0), -1); // exactly 5 pixels away
    EXPECT_EQ(view.m_rcRedraw, CRect(1, 2, 3, 4));  // a miss leaves it alone
    EXPECT_EQ(view.HitTestPad(102, 103, 0, 0), 0);
    // The scroll position shifts the client centre.
    EXPECT_EQ(view.HitTestPad(54, 80, 50, 20), 0);
}

TEST_F(HitTest, PadAtOrPastTheTopLeftEdgeCannotBeHit) {
    AddPad(50, 2);
    AddPad(50, 10);
    // Scrolled by 2 the first pad's client y is 0: it is passed over.
    EXPECT_EQ(view.HitTestPad(50, 4, 0, 2), 1);
    EXPECT_EQ(view.HitTestPad(50, 4, 0, 0), 0);
    AddPad(3, 3);
    EXPECT_EQ(view.HitTestPad(3, 3, 3, 0), -1);
    EXPECT_EQ(view.HitTestPad(3, 3, 0, 0), 2);
}

TEST_F(HitTest, LowestIndexWinsAmongOverlappingPads) {
    AddPad(100, 100);
    AddPad(102, 100);
    AddPad(102, 100);
    EXPECT_EQ(view.HitTestPad(103, 100, 0, 0), 0);
    EXPECT_EQ(view.HitTestPad(106, 100, 0, 0), 1);
}

TEST_F(HitTest, DiagonalTrackWithinHalfTheLineWidth) {
    AddTrack(10, 10, 30, 30);
    EXPECT_EQ(view.HitTestTrack(20, 21, 0, 0), 0);
    EXPECT_EQ(view.m_rcRedraw, CRect(0, 0, 40, 40));
    EXPECT_EQ(view.HitTestTrack(20, 22, 0, 0), -1);
    g_nLineWidth = 1; // tolerance 0
    EXPECT_EQ(view.HitTestTrack(20, 21, 0, 0), -1);
    EXPECT_EQ(view.HitTestTrack(20, 20, 0, 0), 0);
}

TEST_F(HitTest, HorizontalTrackOnlyOnItsOwnRowAndExtent) {
    AddTrack(100, 50, 200, 50);
    EXPECT_EQ(view.HitTestTrack(150, 50, 0, 0), 0);
    EXPECT_EQ(view.HitTestTrack(150, 49, 0, 0), -1);
    EXPECT_EQ(view.HitTestTrack(150, 51, 0, 0), -1);
    EXPECT_EQ(view.HitTestTrack(100, 50, 0, 0), 0);
    EXPECT_EQ(view.HitTestTrack(201, 50, 0, 0), -1);
}

TEST_F(HitTest, TracksThatCannotBeHit) {
    AddTrack(100, 50, 200, 50, 2);      // another layer
    AddTrack(10.2f, 10.7f, 10.9f, 10.1f); // a single point on screen
    AddTrack(0, 80, 100, 80);           // an end on the left edge
    AddTrack(50, 20, 50, 120, 14);      // outside the twelve layers
    EXPECT_EQ(view.HitTestTrack(150, 50, 0, 0), -1);
    EXPECT_EQ(view.HitTestTrack(10, 10, 0, 0), -1);
    EXPECT_EQ(view.HitTestTrack(50, 80, 0, 0), -1);
    g_nCurrentLayer = 14;
    EXPECT_EQ(view.HitTestTrack(50, 60, 0, 0), -1);
    g_nCurrentLayer = 2;
    EXPECT_EQ(view.HitTestTrack(150, 50, 0, 0), 0);
    // A hidden layer can still be hit while it is current.
    view.OnToggleLayer(2);
    EXPECT_EQ(view.HitTestTrack(150, 50, 0, 0), 0);
}

TEST_F(HitTest, NotANumberIsNeverHitNorJoined) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    AddPad(nan, 100);
    AddTrack(nan, 50, 200, 50);
    EXPECT_EQ(view.HitTestPad(100, 100, 0, 0), -1);
    EXPECT_EQ(view.HitTestTrack(150, 50, 0, 0), -1);
    EXPECT_EQ(view.FindPadNear(nan, 100), -1);
    EXPECT_EQ(view.FindTrackEndAt(0, -1, 1.0f, nan, 50), -1);
}

TEST_F(HitTest, SearchesScanFromStartAndSkipTheExcludedTrack) {
    AddTrack(0, 0, 100, 100);  // 0: end 1 near (2, 2)
    AddTrack(3, 0, 3, 1);      // 1: both ends near: end 1 wins
    AddTrack(50, 50, 2, 2, 3); // 2: end 2, another layer
    EXPECT_EQ(view.FindTrackEndNear(0, -1, 2, 2), 0);
    EXPECT_EQ(view.FindTrackEndNear(1, -1, 2, 2), 5);
    EXPECT_EQ(view.FindTrackEndNear(0, 5, 2, 2), 0);
    EXPECT_EQ(view.FindTrackEndNear(1, 7, 2, 2), 12); // 5t + 2 excludes end 1 too
    EXPECT_EQ(view.FindTrackEndNear(3, -1, 2, 2), -1);
    // Exactly on the radius counts as near.
    EXPECT_EQ(view.FindTrackEndNear(0, -1, 0, -5), 0);
    EXPECT_EQ(view.FindTrackEndNear(0, -1, 0, -5.01f), -1);

    EXPECT_EQ(view.FindTrackEndAt(0, -1, 3.0f, 2, 2), 12);
    EXPECT_EQ(view.FindTrackEndAt(0, -1, 1.0f, 2, 2), -1);
    EXPECT_EQ(view.FindTrackEndAt(0, -1, 1.0f, 100, 100), 2);
    EXPECT_EQ(view.FindTrackEndAt(0, -1, 1.0f, 100, 100.0001f), -1);
    AddPad(10, 10);
    AddPad(12, 12);
    EXPECT_EQ(view.FindPadNear(13, 13), 0);
    EXPECT_EQ(view.FindPadNear(17, 12), 1);
    EXPECT_EQ(view.FindPadNear(30, 30), -1);
}

TEST_F(HitTest, PadJunctionTakesEndsOfAnyLayerOnceEach) {
    AddPad(100, 100);
    AddTrack(100, 100, 200, 100, 1);
    AddTrack(50, 100, 103, 100, 6);
    AddTrack(101, 101, 99, 99, 2); // short: only end 1 joins
    AddTrack(100, 120, 100, 200);  // too far
    view.SavePadWithTrackEnds(-1, 0);
    ASSERT_EQ(view.m_TrackBackup.size(), 3u);
    EXPECT_EQ(view.m_TrackBackup[0].index, 0);
    EXPECT_EQ(view.m_TrackBackup[1].index, 7);
    EXPECT_EQ(view.m_TrackBackup[2].index, 10);
    ASSERT_EQ(view.m_PadBackup.size(), 1u);
    EXPECT_EQ(view.m_PadBackup[0].index, 0);
}

TEST_F(HitTest, TrackJunctionsUseExactEndsOfTheSameLayerWithoutAPad) {
    AddTrack(100, 100, 200, 100);  // 0: grabbed
    AddTrack(200, 100, 200, 200);  // 1: joined at end 2 of track 0
    AddTrack(100, 100, 100, 50);   // 2: joined at end 1
    AddTrack(200, 100, 300, 100, 2); // 3: other layer, not joined
    AddTrack(100.5f, 100, 0, 0);   // 4: off by half a pixel
    view.m_rcRedraw = CRect(150, 100, 150, 100);
    view.SaveTrackWithJunctions(0);
    std::vector<int> saved;
    for (const BackupEntry& e : view.m_TrackBackup)
        saved.push_back(e.index);
    EXPECT_EQ(saved, (std::vector<int>{10, 0, 5, 2}));
    EXPECT_TRUE(view.m_PadBackup.empty());
    EXPECT_EQ(view.m_rcRedraw, CRect(100, 50, 200, 200));

    view.m_ptDragStart = {150, 100};
    view.MoveSavedTrackEnds(170, 90);
    ExpectTrack(TrackAt(0), 120, 90, 220, 90);
    ExpectTrack(TrackAt(1), 220, 90, 200, 200);
    ExpectTrack(TrackAt(2), 120, 90, 100, 50);
    ExpectTrack(TrackAt(3), 200, 100, 300, 100);
    ExpectTrack(TrackAt(4), 100.5f, 100, 0, 0);
    EXPECT_EQ(view.m_rcRedraw, CRect(100, 50, 220, 200));
}

TEST_F(HitTest, OffsetsAccumulateAndSearchBeforeMoving) {
    AddPad(100, 100);
    AddTrack(102, 100, 200, 100);
    AddTrack(200, 100, 200, 200);
    view.OffsetPadWithTrackEnds(-1, 0, 3, -1);
    view.OffsetPadWithTrackEnds(-1, 0, 3, -1);
    EXPECT_EQ(PadAt(0).x, 106);
    EXPECT_EQ(PadAt(0).y, 98);
    ExpectTrack(TrackAt(0), 108, 98, 200, 100);

    // Moving track 0 takes the pad at end 1 and the end of track 1 at end 2.
    view.m_rcRedraw = CRect(200, 100, 200, 100);
    view.OffsetTrackWithJunctions(0, 0, 10);
    EXPECT_EQ(PadAt(0).y, 108);
    ExpectTrack(TrackAt(0), 108, 108, 200, 110);
    ExpectTrack(TrackAt(1), 200, 110, 200, 200);
}

TEST_F(HitTest, BackupGrowsBeyondFiftyEndsAndCancelRestoresAll) {
    AddPad(400, 300);
    for (int i = 0; i < 80; ++i)
        AddTrack(400, 300, 400 + static_cast<float>(i), 500);
    view.OnMoveStatus();
    Press({400, 300});
    ASSERT_EQ(view.m_nSelPad, 0);
    EXPECT_EQ(view.m_TrackBackup.size(), 80u);
    Move({420, 290});
    for (int i = 0; i < 80; ++i)
        ASSERT_EQ(TrackAt(i).x1, 420) << i;
    view.OnRButtonDown(0, {420, 290});
    for (int i = 0; i < 80; ++i)
        ASSERT_EQ(TrackAt(i).x1, 400) << i;
    EXPECT_EQ(PadAt(0).x, 400);
    EXPECT_TRUE(view.m_TrackBackup.empty());
}

} // namespace
