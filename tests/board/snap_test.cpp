// Snapping to pads: chain points in line mode, the rubber band that shows
// them, and pads and tracks dropped in move status.
#include "view_fixture.h"

#include "params_guard.h"

namespace {

class SnapTest : public BoardViewTest {
  protected:
    SnapTest() { g_bSnapToPads = true; }
    ~SnapTest() override { g_bSnapToPads = true; }

    ParamsGuard params;

    // A chain of one segment from a point far from every pad.
    void Segment(CPoint from, CPoint to) {
        view.OnRButtonDown(0, {0, 0});
        Click(from);
        Click(to);
    }
    void Drop(CPoint grab, CPoint to) {
        Move(grab);
        Press(grab);
        Move(to);
        view.OnLButtonUp(0, to);
    }
    const Track& LastTrack() const { return TrackAt(view.m_nTrackCount - 1); }
};

constexpr COLORREF kYellow = RGB(255, 255, 0);

// "Within" is closer than the radii, as the pad hit test counts: squared
// distance below g_nPadRadiusX * g_nPadRadiusY, from the exact centre.
TEST_F(SnapTest, AChainEndSnapsOntoTheExactCentreInsideTheRadiusOnly) {
    AddPad(200, 300);
    AddPad(400.5f, 300.25f);
    view.OnLineMode();
    view.OnTrackMode(); // any angle: only the snap moves the end
    struct Case {
        CPoint click;
        float x, y;
    };
    const Case cases[] = {
        {{203, 304}, 203, 304},          // 3-4-5: on the radius, outside
        {{203, 303}, 200, 300},          // inside
        {{404, 302}, 400.5f, 300.25f},   // 3.5, 1.75: inside
        {{405, 303}, 405, 303},          // 4.5, 2.75: outside
    };
    for (const Case& c : cases) {
        Segment({50, 50}, c.click);
        EXPECT_EQ(LastTrack().x2, c.x) << c.click.x << "," << c.click.y;
        EXPECT_EQ(LastTrack().y2, c.y) << c.click.x << "," << c.click.y;
    }
    // Unequal radii count as their product: 6 by 4 allows a squared distance below 24.
    g_nPadRadiusX = 6;
    g_nPadRadiusY = 4;
    Segment({50, 50}, {204, 302}); // 20
    EXPECT_EQ(LastTrack().x2, 200.0f);
    Segment({50, 50}, {204, 303}); // 25
    EXPECT_EQ(LastTrack().x2, 204.0f);
}

TEST_F(SnapTest, OfSeveralPadsInReachTheNearestCentreWins) {
    AddPad(100, 100);
    AddPad(104, 100);
    AddPad(102, 95);
    view.OnLineMode();
    view.OnTrackMode();
    Segment({50, 50}, {103, 100});
    EXPECT_EQ(LastTrack().x2, 104.0f);
    Segment({50, 50}, {101, 100});
    EXPECT_EQ(LastTrack().x2, 100.0f);
    Segment({50, 50}, {102, 98}); // as near the first two, and farther from the third
    EXPECT_EQ(LastTrack().x2, 100.0f);
    EXPECT_EQ(LastTrack().y2, 100.0f);
}

// A vertical run to a pad three pixels to the side of the start: the
// 45-degree end misses the pad's centre, the snap puts it there, and the
// next segment is constrained again from that centre.
TEST_F(SnapTest, TheSnapWinsOverTheConstraintForOneSegmentAndTheChainGoesOnFromTheCentre) {
    AddPad(100.5f, 100.5f);
    AddPad(103, 300);
    AddPad(206, 400);
    view.OnLineMode();
    Click({102, 99}); // the first click on a pad starts at its centre
    EXPECT_EQ(view.m_fLastPointX, 100.5f);
    EXPECT_EQ(view.m_fLastPointY, 100.5f);
    EXPECT_EQ(view.m_ptLastPoint, CPoint(100, 100));
    EXPECT_EQ(view.m_nTrackCount, 0);

    ClearRecords();
    Click({103, 300});
    ASSERT_EQ(view.m_nTrackCount, 1);
    ExpectTrack(TrackAt(0), 100.5f, 100.5f, 103, 300);
    const auto drawn = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(CRect(drawn[0].a, drawn[0].b, drawn[0].c, drawn[0].d), CRect(103, 300, 100, 100));

    Click({203, 305}); // horizontal from the centre, as the constraint makes it
    ASSERT_EQ(view.m_nTrackCount, 2);
    ExpectTrack(TrackAt(1), 103, 300, 203, 300);

    // The click is 6 from the third pad, but its vertical end is 3 from it.
    Click({212, 400});
    ASSERT_EQ(view.m_nTrackCount, 3);
    ExpectTrack(TrackAt(2), 203, 300, 206, 400);
}

TEST_F(SnapTest, TurnedOffChainsAndDropsAreWhatTheyWere) {
    g_bSnapToPads = false;
    AddPad(100.5f, 100.5f);
    AddPad(103, 300);
    view.OnLineMode();
    Click({102, 99});
    Click({103, 300});
    Move({103, 310});
    ASSERT_EQ(view.m_nTrackCount, 1);
    ExpectTrack(TrackAt(0), 102, 99, 102, 300);
    EXPECT_TRUE(DrawnOf(DrawOp::Ellipse).empty());

    AddPad(500, 400);
    AddTrack(400, 300, 450, 300);
    view.OnMoveStatus();
    Drop({425, 300}, {473, 398}); // its end 2 lies 2 by 2 from the pad
    ExpectTrack(TrackAt(1), 448, 398, 498, 398);
}

TEST_F(SnapTest, TheRubberBandEndsOnTheSnappedCentreWithThePadRinged) {
    AddPad(300.5f, 100);
    view.OnLineMode();
    Click({100, 100});
    ClearRecords();
    Move({302, 103});
    // Drawn at once: the band to the centre, then the ring around the pad.
    auto lines = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(CRect(lines[0].a, lines[0].b, lines[0].c, lines[0].d), CRect(300, 100, 100, 100));
    EXPECT_EQ(lines[0].pen, (Pen{3, RGB(255, 255, 255)}));
    auto rings = DrawnOf(DrawOp::Ellipse);
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(CRect(rings[0].a, rings[0].b, rings[0].c, rings[0].d), CRect(292, 92, 308, 108));
    EXPECT_EQ(rings[0].pen, (Pen{2, kYellow}));
    EXPECT_TRUE(rings[0].brush.hollow);
    EXPECT_EQ(view.m_ptBandEnd, CPoint(300, 100));

    // A paint draws the same band over the board: the pad, then its ring.
    ClearRecords();
    view.DrawBoard();
    const auto painted = Drawn();
    ASSERT_EQ(painted.size(), 3u);
    EXPECT_EQ(painted[0].kind, DrawOp::Ellipse);
    EXPECT_EQ(painted[0].pen, (Pen{2, RGB(255, 0, 0)}));
    EXPECT_EQ(painted[1].kind, DrawOp::LineTo);
    EXPECT_EQ(painted[1].a, 300);
    EXPECT_EQ(painted[2].kind, DrawOp::Ellipse);
    EXPECT_EQ(painted[2].pen, (Pen{2, kYellow}));

    // Leaving the pad repaints where its ring was; the band is plain again.
    ClearRecords();
    Move({350, 130});
    bool ringRepainted = false;
    for (const Invalidation& i : host.invalidations)
        ringRepainted |= i.rect.left <= 292 && i.rect.top <= 92 && i.rect.right >= 308 &&
                         i.rect.bottom >= 108;
    EXPECT_TRUE(ringRepainted);
    EXPECT_TRUE(DrawnOf(DrawOp::Ellipse).empty());
    lines = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].a, 350);
    EXPECT_EQ(lines[0].b, 100);
}

TEST_F(SnapTest, ADroppedPadLandsOnTheCentreWithItsTrackEndsAndOneUndoPutsThemBack) {
    AddPad(100, 100);
    AddTrack(100, 100, 40, 100);
    AddTrack(102, 101, 102, 160); // attached 2 pixels beside the centre
    AddPad(200.5f, 150.5f);
    view.OnMoveStatus();

    // A press and release without a move snaps nothing, near as the pads are.
    AddPad(103, 103);
    Move({103, 103});
    Press({103, 103}); // grabs the first pad, 3 by 3 from the third
    view.OnLButtonUp(0, {103, 103});
    EXPECT_EQ(PadAt(0).x, 100.0f);
    EXPECT_EQ(PadAt(0).y, 100.0f);
    view.OnEditUndo(); // takes the third pad back out
    ASSERT_EQ(view.m_nPadCount, 2);

    Drop({100, 100}, {203, 152});
    EXPECT_EQ(PadAt(0).x, 200.5f);
    EXPECT_EQ(PadAt(0).y, 150.5f);
    ExpectTrack(TrackAt(0), 200.5f, 150.5f, 40, 100);
    ExpectTrack(TrackAt(1), 202.5f, 151.5f, 102, 160);
    EXPECT_EQ(PadAt(1).x, 200.5f); // the target stays

    view.OnEditUndo();
    EXPECT_EQ(PadAt(0).x, 100.0f);
    EXPECT_EQ(PadAt(0).y, 100.0f);
    ExpectTrack(TrackAt(0), 100, 100, 40, 100);
    ExpectTrack(TrackAt(1), 102, 101, 102, 160);
    view.OnEditRedo();
    EXPECT_EQ(PadAt(0).x, 200.5f);
    ExpectTrack(TrackAt(0), 200.5f, 150.5f, 40, 100);
}

TEST_F(SnapTest, ADroppedTrackEndJoinsThePadAndALaterDragOfThePadTakesItAlong) {
    AddPad(300.5f, 200.25f);
    AddPad(245, 203); // in reach of the other end, but farther
    AddTrack(100, 100, 150, 100);
    view.OnMoveStatus();
    Drop({125, 100}, {272, 200}); // the track ends at (247, 200) and (297, 200)
    ExpectTrack(TrackAt(0), 250.5f, 200.25f, 300.5f, 200.25f);
    EXPECT_EQ(PadAt(1).x, 245.0f);
    // The highlight under the pointer shows the pad joined at once.
    EXPECT_EQ(view.m_Hover, (JoinedObjects{{0, 2}, {0}}));
    ClearRecords();
    view.OnEditUndo();
    ExpectTrack(TrackAt(0), 100, 100, 150, 100);
    view.OnEditRedo();

    // Exactly on the centre, the end is part of the pad's junction.
    Drop({300, 200}, {320, 190});
    EXPECT_EQ(PadAt(0).x, 320.5f);
    EXPECT_EQ(PadAt(0).y, 190.25f);
    ExpectTrack(TrackAt(0), 250.5f, 200.25f, 320.5f, 190.25f);
}

// The drop snaps what was grabbed: not the ends that came along with a pad.
TEST_F(SnapTest, OnlyTheGrabbedObjectSnaps) {
    AddPad(100, 100);
    AddTrack(104, 100, 104, 160); // attached 4 beside the centre
    AddPad(200, 100);
    view.OnMoveStatus();
    Drop({100, 100}, {194, 100}); // the pad lands 6 from the other, its track end 2
    EXPECT_EQ(PadAt(0).x, 194.0f);
    ExpectTrack(TrackAt(0), 198, 100, 104, 160);
}

} // namespace
