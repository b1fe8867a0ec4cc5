#include "view_fixture.h"

#include "platform/parallel_parts.h"

#include <cstring>
#include <random>

namespace {

using KeysTest = BoardViewTest;

TEST_F(KeysTest, ZoomInAndOutAboutThePointer) {
    AddPad(100, 50);
    host.PutPointer({100, 50});
    Key(VK_PRIOR);
    EXPECT_EQ(view.m_nScale, 2);
    EXPECT_EQ(PadAt(0).x, 200);
    EXPECT_EQ(PadAt(0).y, 100);
    EXPECT_EQ(view.GetScrollPosition(), CPoint(100, 50));
    EXPECT_EQ(view.GetTotalSize(), CSize(4000, 3000));
    ASSERT_FALSE(host.invalidations.empty());
    EXPECT_TRUE(host.invalidations[0].whole);
    EXPECT_TRUE(host.invalidations[0].erase);
    EXPECT_EQ(view.HitTestPad(100, 50, 100, 50), 0); // still under the pointer
    Key(VK_NEXT);
    EXPECT_EQ(view.m_nScale, 1);
    EXPECT_EQ(PadAt(0).x, 100);
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    EXPECT_EQ(view.GetTotalSize(), CSize(2000, 1500));
}

TEST_F(KeysTest, ZoomingOutStopsWhereTheWholeScanFits) {
    // 2000 x 1500 in an 800 x 600 window fits at 1/4.
    AddPad(1000, 600);
    host.PutPointer({400, 300});
    Key(VK_NEXT);
    EXPECT_EQ(view.m_nScale, ZoomFactor::FromExponent(-1));
    EXPECT_EQ(view.GetTotalSize(), CSize(1000, 750));
    EXPECT_EQ(PadAt(0).x, 500);
    Key(VK_NEXT);
    EXPECT_EQ(view.m_nScale, ZoomFactor::FromExponent(-2));
    EXPECT_EQ(view.GetTotalSize(), CSize(500, 375));
    EXPECT_EQ(PadAt(0).x, 250);
    EXPECT_EQ(PadAt(0).y, 150);
    host.invalidations.clear();
    Key(VK_NEXT); // it fits: nothing at all
    EXPECT_EQ(view.m_nScale, ZoomFactor::FromExponent(-2));
    EXPECT_TRUE(host.invalidations.empty());

    // A scan that fits at 1 stays at 1, as it always did.
    for (int i = 0; i < 2; ++i)
        Key(VK_PRIOR);
    EXPECT_EQ(PadAt(0).x, 1000);
    SetImageSize(640, 480);
    host.invalidations.clear();
    Key(VK_NEXT);
    EXPECT_EQ(view.m_nScale, 1);
    EXPECT_TRUE(host.invalidations.empty());
}

TEST_F(KeysTest, PartPixelsOfAReducedScanStillScroll) {
    SetImageSize(2001, 1503);
    Key(VK_NEXT);
    Key(VK_NEXT);
    EXPECT_EQ(view.GetTotalSize(), CSize(501, 376));
}

TEST_F(KeysTest, ZoomInThenOutRestoresEveryCoordinateBitForBit) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-500.0f, 3000.0f);
    for (int i = 0; i < 200; ++i) {
        AddPad(coord(rng), coord(rng));
        AddTrack(coord(rng), coord(rng), coord(rng), coord(rng), 1 + i % 12);
    }
    std::vector<Pad> pads(view.m_pPads, view.m_pPads + view.m_nPadCount);
    std::vector<Track> tracks(view.m_pTracks, view.m_pTracks + view.m_nTrackCount);
    host.PutPointer({333, 222});
    for (int i = 0; i < 4; ++i)
        Key(VK_PRIOR);
    EXPECT_EQ(view.m_nScale, 16);
    EXPECT_NE(std::memcmp(pads.data(), view.m_pPads, pads.size() * sizeof(Pad)), 0);
    for (int i = 0; i < 4; ++i)
        Key(VK_NEXT);
    EXPECT_EQ(std::memcmp(pads.data(), view.m_pPads, pads.size() * sizeof(Pad)), 0);
    EXPECT_EQ(std::memcmp(tracks.data(), view.m_pTracks, tracks.size() * sizeof(Track)), 0);
}

TEST_F(KeysTest, ZoomStopsWhereTheZoomedImageWouldGetTooLarge) {
    for (int i = 0; i < 12; ++i)
        Key(VK_PRIOR);
    EXPECT_EQ(view.m_nScale, 256);
    EXPECT_EQ(view.GetTotalSize(), CSize(2000 * 256, 1500 * 256));

    // An image of 2^24 pixels can still be zoomed to 64, but no further.
    for (int i = 0; i < 8; ++i)
        Key(VK_NEXT);
    ASSERT_EQ(view.m_nScale, 1);
    SetImageSize(1 << 24, 100);
    host.invalidations.clear();
    for (int i = 0; i < 12; ++i)
        Key(VK_PRIOR);
    EXPECT_EQ(view.m_nScale, 64);
    EXPECT_EQ(view.GetTotalSize(), CSize(1 << 30, 6400));
    EXPECT_EQ(host.invalidations.size(), 6u);
}

TEST_F(KeysTest, ZoomDuringAChainKeepsItJoined) {
    view.OnLineMode();
    Click({100, 100});
    Click({130, 100});
    host.PutPointer({130, 100});
    Key(VK_PRIOR);
    EXPECT_EQ(view.m_ptLastPoint, CPoint(260, 200));
    Click({150, 100});
    ASSERT_EQ(view.m_nTrackCount, 2);
    ExpectTrack(TrackAt(0), 200, 200, 260, 200);
    ExpectTrack(TrackAt(1), 260, 200, 280, 200);
    Key(VK_NEXT);
    EXPECT_EQ(view.m_ptLastPoint, CPoint(140, 100));
    Click({200, 100});
    ExpectTrack(TrackAt(2), 140, 100, 200, 100);
}

TEST_F(KeysTest, ZoomOutBetweenPixelsKeepsTheChainJoinedExactly) {
    host.PutPointer({0, 0});
    Key(VK_PRIOR);
    view.OnLineMode();
    Click({100, 100});
    Click({131, 100}); // an odd end: half a pixel at factor 1
    host.PutPointer({0, 0});
    Key(VK_NEXT);
    ExpectTrack(TrackAt(0), 50, 50, 65.5f, 50);
    EXPECT_EQ(view.m_ptLastPoint, CPoint(65, 50)); // where the band starts
    Click({80, 50});
    ASSERT_EQ(view.m_nTrackCount, 2);
    ExpectTrack(TrackAt(1), 65.5f, 50, 80, 50);
    // Joined: the end of the first segment finds the start of the second.
    EXPECT_EQ(view.FindTrackEndAt(1, 2, 1.0f, 65.5f, 50), 5);
    host.PutPointer({0, 0});
    Key(VK_PRIOR);
    Click({200, 100});
    ExpectTrack(TrackAt(2), 160, 100, 200, 100);
}

TEST_F(KeysTest, ZoomDuringADragKeepsTheObjectUnderThePointerAndCancelsExactly) {
    AddPad(100.5f, 100);
    AddTrack(100.5f, 100, 300, 100);
    view.OnMoveStatus();
    Press({100, 100});
    Move({110, 100});
    EXPECT_EQ(PadAt(0).x, 110.5f);
    Key(VK_PRIOR);
    EXPECT_EQ(PadAt(0).x, 221);
    Move({110, 100});
    EXPECT_EQ(PadAt(0).x, 221);
    Move({120, 100});
    EXPECT_EQ(PadAt(0).x, 231);
    EXPECT_EQ(TrackAt(0).x1, 231);
    view.OnRButtonDown(0, {120, 100});
    EXPECT_EQ(PadAt(0).x, 201);
    EXPECT_EQ(TrackAt(0).x1, 201);
    Key(VK_NEXT);
    EXPECT_EQ(PadAt(0).x, 100.5f);
    EXPECT_EQ(TrackAt(0).x1, 100.5f);
}

TEST_F(KeysTest, CancelAfterZoomRepaintsWhereTheObjectReturns) {
    AddPad(500, 300);
    view.OnMoveStatus();
    Press({500, 300});
    Move({400, 300});
    Key(VK_PRIOR);
    Move({400, 300});
    view.OnRButtonDown(0, {400, 300});
    EXPECT_EQ(PadAt(0).x, 1000);
    // At the new scale the pad is back at client (600, 300), far from where
    // the drag went at the old scale; the repaint must still reach it.
    EXPECT_TRUE(host.invalidations.back().rect.PtInRect({600, 300}));
}

TEST_F(KeysTest, SelectAllMovesEverythingOneStepPerMessage) {
    AddPad(100, 100);
    AddTrack(10, 20, 30, 40, 5);
    view.OnSelectAll();
    host.PutPointer({400, 300});
    Key(VK_RIGHT, 3);
    EXPECT_EQ(PadAt(0).x, 101);
    ExpectTrack(TrackAt(0), 11, 20, 31, 40);
    EXPECT_TRUE(host.invalidations.back().whole);
    EXPECT_FALSE(host.invalidations.back().erase);
    Key(VK_KEY_2);
    Key(VK_KEY_4);
    EXPECT_EQ(PadAt(0).x, 91);
    EXPECT_EQ(PadAt(0).y, 90);
    Key(VK_KEY_8);
    Key(VK_KEY_6);
    Key(VK_UP);
    Key(VK_DOWN);
    Key(VK_LEFT);
    ExpectTrack(TrackAt(0), 10, 20, 30, 40);
    EXPECT_EQ(TrackAt(0).layer, 5.0f);
    // The pointer never moves in select-all mode.
    EXPECT_TRUE(host.cursorMoves.empty());
    const size_t repaints = host.invalidations.size();
    Key('Q');
    EXPECT_EQ(host.invalidations.size(), repaints);
}

TEST_F(KeysTest, RotationByATenthOfADegree) {
    AddPad(100, 0);
    AddPad(0, 0);
    AddTrack(0, 100, -50, 0);
    view.OnSelectAll();
    Key(VK_SPACE);
    EXPECT_NEAR(PadAt(0).x, 99.999847, 1e-5);
    EXPECT_NEAR(PadAt(0).y, 0.174533, 1e-6);
    EXPECT_EQ(PadAt(1).x, 0);
    EXPECT_EQ(PadAt(1).y, 0);
    EXPECT_NEAR(TrackAt(0).x1, -0.174533, 1e-6);
    EXPECT_NEAR(TrackAt(0).y2, -0.0872665, 1e-6);
    Key(VK_RETURN);
    EXPECT_NEAR(PadAt(0).x, 100, 1e-4);
    EXPECT_NEAR(PadAt(0).y, 0, 1e-5);
    Key(VK_RETURN);
    EXPECT_NEAR(PadAt(0).y, -0.174533, 1e-6);
    EXPECT_EQ(view.m_nPadCount, 2); // Enter never places anything here
}

// A big board's points are turned on all cores at once; every point
// comes out exactly as it does when turned on one, wherever the parts
// are cut.
TEST_F(KeysTest, ABigBoardTurnsAsOnOneCore) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> at(-3000, 3000);
    for (int i = 0; i < 5001; ++i)
        AddPad(at(random), at(random));
    for (int i = 0; i < 4003; ++i)
        AddTrack(at(random), at(random), at(random), at(random), 1 + i % 12);
    view.OnSelectAll();
    const auto turned = [&](int cores) {
        parallel::LimitPartsAtOnce(cores);
        Key(VK_SPACE);
        std::vector<Pad> pads(view.m_pPads, view.m_pPads + view.m_nPadCount);
        std::vector<Track> tracks(view.m_pTracks, view.m_pTracks + view.m_nTrackCount);
        view.OnEditUndo();
        parallel::LimitPartsAtOnce(0);
        return std::make_pair(pads, tracks);
    };
    const auto one = turned(1), all = turned(0);
    ASSERT_EQ(all.first.size(), 5001u);
    ASSERT_EQ(all.second.size(), 4003u);
    EXPECT_EQ(std::memcmp(all.first.data(), one.first.data(), 5001 * sizeof(Pad)), 0);
    EXPECT_EQ(std::memcmp(all.second.data(), one.second.data(), 4003 * sizeof(Track)), 0);
    EXPECT_NE(one.first[0].x, PadAt(0).x) << "the points were turned";
}

TEST_F(KeysTest, MirrorAtFactorOneAndTwo) {
    SetImageSize(640, 480);
    AddPad(100, 30);
    AddTrack(100, 30, 600, 400);
    view.OnSelectAll();
    Key(VK_KEY_X);
    EXPECT_EQ(PadAt(0).x, 540);
    ExpectTrack(TrackAt(0), 540, 30, 40, 400);
    Key(VK_KEY_Y);
    ExpectTrack(TrackAt(0), 540, 450, 40, 80);
    Key(VK_KEY_Y);
    Key(VK_KEY_X);
    EXPECT_EQ(PadAt(0).x, 100);
    Key(VK_PRIOR);
    EXPECT_EQ(PadAt(0).x, 200);
    Key(VK_KEY_X);
    EXPECT_EQ(PadAt(0).x, 1080);
    Key(VK_KEY_Y);
    EXPECT_EQ(PadAt(0).y, 900);
}

TEST_F(KeysTest, PointerStepsAndScrollsAtTheEdges) {
    host.PutPointer({100, 100});
    Key(VK_RIGHT, 3);
    EXPECT_EQ(host.PointerClient(), CPoint(103, 100));
    Key(VK_KEY_6, 2);
    EXPECT_EQ(host.PointerClient(), CPoint(123, 100));
    Key(VK_KEY_2);
    EXPECT_EQ(host.PointerClient(), CPoint(123, 90));

    host.PutPointer({0, 100});
    Key(VK_LEFT);
    EXPECT_EQ(host.PointerClient(), CPoint(0, 100));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    view.ScrollToPosition({7, 0});
    Key(VK_LEFT);
    EXPECT_EQ(view.GetScrollPosition(), CPoint(2, 0));
    host.PutPointer({799, 599});
    Key(VK_RIGHT);
    Key(VK_DOWN);
    EXPECT_EQ(host.PointerClient(), CPoint(799, 599));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(7, 5));

    // Outside the view only the zoom keys act: Enter places nothing where
    // nobody would see it.
    host.PutPointer({-5, 10});
    host.cursorMoves.clear();
    Key(VK_RIGHT);
    EXPECT_TRUE(host.cursorMoves.empty());
    Key(VK_RETURN);
    EXPECT_EQ(view.m_nPadCount, 0);
    host.PutPointer({3, 10});
    Key(VK_RETURN);
    ASSERT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(PadAt(0).x, 10); // scroll 7 plus client 3
}

TEST_F(KeysTest, EnterPressesAtThePointer) {
    host.PutPointer({40, 30});
    Key(VK_RETURN);
    ASSERT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(services.beeps.size(), 1u);
    view.OnLineMode();
    Key(VK_RETURN);
    host.PutPointer({80, 31});
    Key(VK_RETURN);
    ASSERT_EQ(view.m_nTrackCount, 1);
    ExpectTrack(TrackAt(0), 40, 30, 80, 30);
    Key(VK_SPACE); // nothing outside select-all mode
    EXPECT_EQ(view.m_nTrackCount, 1);
}

TEST_F(KeysTest, MoveStatusPadTargetMovesWithThePointer) {
    AddPad(100, 100);
    AddTrack(103, 100, 200, 100, 4);
    AddTrack(200, 100, 250, 150, 4);
    view.OnMoveStatus();
    host.PutPointer({102, 100});
    Key(VK_RIGHT);
    EXPECT_EQ(view.m_nKeyObject, 1);
    EXPECT_EQ(view.m_nKeyIndex, 0);
    EXPECT_EQ(PadAt(0).x, 101);
    ExpectTrack(TrackAt(0), 104, 100, 200, 100);
    EXPECT_EQ(host.PointerClient(), CPoint(103, 100));
    // Pad box before the move with 3 pixels, grown over the new positions
    // (track 0 both ends), then 10 more on every side.
    EXPECT_EQ(host.invalidations.back().rect, CRect(82, 82, 210, 118));
    EXPECT_FALSE(host.invalidations.back().erase);
    Key(VK_KEY_8);
    EXPECT_EQ(PadAt(0).y, 110);
    EXPECT_EQ(TrackAt(0).y1, 110);
    EXPECT_EQ(TrackAt(1).y1, 100); // joined only through the moved end, not here
}

class MiddleHalfTest : public BoardViewTest {
  protected:
    MiddleHalfTest() {
        AddTrack(100, 300, 200, 300);  // 0: the track, client x 100 to 200
        AddTrack(100, 300, 100, 400);  // 1: joined at end 1
        AddTrack(200, 300, 260, 240);  // 2: joined at end 2
        view.OnMoveStatus();
    }
};

TEST_F(MiddleHalfTest, PointerAtTheMiddleMovesTheWholeTrack) {
    // The pointer follows the track down, so the second press finds it again.
    host.PutPointer({150, 300});
    Key(VK_DOWN);
    EXPECT_EQ(view.m_nKeyObject, 3);
    EXPECT_EQ(host.PointerClient(), CPoint(150, 301));
    host.PutPointer({125, 301});
    Key(VK_DOWN);
    EXPECT_EQ(view.m_nKeyObject, 3);
    ExpectTrack(TrackAt(0), 100, 302, 200, 302);
    ExpectTrack(TrackAt(1), 100, 302, 100, 400);
    ExpectTrack(TrackAt(2), 200, 302, 260, 240);
    // The track's box before the move, grown over the joined tracks, then 10.
    EXPECT_EQ(host.invalidations.back().rect, CRect(90, 230, 270, 410));
}

TEST_F(MiddleHalfTest, PointerInAnOuterQuarterFirstJumpsToTheEnd) {
    host.PutPointer({124, 300});
    Key(VK_DOWN);
    EXPECT_EQ(view.m_nKeyObject, 2);
    EXPECT_EQ(view.m_nKeyIndex, 0);
    EXPECT_EQ(view.m_nKeyTrack, 0);
    EXPECT_EQ(host.PointerClient(), CPoint(100, 300));
    ExpectTrack(TrackAt(0), 100, 300, 200, 300);
    EXPECT_EQ(host.invalidations.back().rect, CRect(97, 297, 203, 303));
    Key(VK_DOWN);
    ExpectTrack(TrackAt(0), 100, 301, 200, 300);
    ExpectTrack(TrackAt(1), 100, 301, 100, 400);
    ExpectTrack(TrackAt(2), 200, 300, 260, 240);
    EXPECT_EQ(host.PointerClient(), CPoint(100, 301));

    // Nearer end 2: the pointer goes there, and a tie would go to end 1.
    view.m_nKeyObject = 0;
    host.PutPointer({190, 300});
    Key(VK_UP);
    EXPECT_EQ(view.m_nKeyIndex, 2);
    EXPECT_EQ(host.PointerClient(), CPoint(200, 300));
}

TEST_F(MiddleHalfTest, TracksOfAnotherLayerDoNotMove) {
    g_nCurrentLayer = 2;
    host.PutPointer({150, 300});
    Key(VK_DOWN);
    EXPECT_EQ(view.m_nKeyObject, 0);
    ExpectTrack(TrackAt(0), 100, 300, 200, 300);
    EXPECT_EQ(host.PointerClient(), CPoint(150, 301));
}

} // namespace
