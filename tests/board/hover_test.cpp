// What is joined to the object under the pointer in move status: found as a
// drag would save it, drawn highlighted, repainted only where it changes.
#include "params_guard.h"
#include "view_fixture.h"

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);

class HoverTest : public BoardViewTest {
  protected:
    ParamsGuard params;

    // What the drag begun by a press saved, as the hover lists it.
    JoinedObjects DragSet() const {
        JoinedObjects saved;
        for (const BackupEntry& e : view.m_TrackBackup)
            saved.trackEnds.push_back(e.index);
        for (const BackupEntry& e : view.m_PadBackup)
            saved.pads.push_back(e.index / 2);
        return saved;
    }
    std::vector<DrawOp> LinesIn(COLORREF color) const {
        std::vector<DrawOp> lines;
        for (const DrawOp& op : DrawnOf(DrawOp::LineTo))
            if (op.pen.color == color)
                lines.push_back(op);
        return lines;
    }
};

TEST_F(HoverTest, APadShowsWhatADragOfItMoves) {
    g_crLayerColor[1] = RGB(0, 0, 200);
    AddPad(100, 100);
    AddTrack(10, 10, 20, 10);      // 0: elsewhere
    AddTrack(103, 100, 160, 100);  // 1: end 1 near the pad
    AddTrack(100, 40, 100, 96, 6); // 2: end 2 near the pad, another layer
    AddTrack(100, 100, 104, 101);  // 3: both ends near: end 1 alone
    view.OnMoveStatus();
    ClearRecords();
    Move({101, 101});
    const JoinedObjects expected{{5, 12, 15}, {0}};
    EXPECT_EQ(view.m_Hover, expected);
    ASSERT_EQ(host.invalidations.size(), 1u);
    // The tracks' extent with the drag margin of 10.
    EXPECT_EQ(host.invalidations[0].rect, CRect(90, 30, 170, 111));

    Press({101, 101});
    EXPECT_EQ(DragSet(), view.m_Hover);
    view.OnRButtonDown(0, {101, 101});
}

TEST_F(HoverTest, ATrackShowsItsJunctionsAsADragOfItMovesThem) {
    AddTrack(100, 100, 200, 100);     // 0: under the pointer
    AddTrack(200, 100, 200, 200);     // 1: joined exactly at end 2
    AddTrack(200, 100, 260, 100, 2);  // 2: same point, another layer: not joined
    AddTrack(200.5f, 100, 200, 40);   // 3: apart by half a pixel: not joined
    AddPad(101, 98);                  // end 1 meets a pad ...
    AddTrack(60, 60, 98, 99, 3);      // 4: ... and what lies near the pad
    view.OnMoveStatus();
    Move({150, 100});
    // In the order of the drag: the junction at end 1, end 1, the one at end 2, end 2.
    const JoinedObjects expected{{22, 0, 5, 2}, {0}};
    EXPECT_EQ(view.m_Hover, expected);
    Press({150, 100});
    EXPECT_EQ(DragSet(), view.m_Hover);
    view.OnLButtonUp(0, {150, 100});
}

TEST_F(HoverTest, TheJoinedAreDrawnOverTheTracksAndUnderThePadsWithRingedPads) {
    g_crLayerColor[1] = RGB(0, 0, 200);
    AddPad(100, 100);
    AddTrack(100, 100, 200, 100);
    AddTrack(10, 20, 30, 20);
    AddPad(300, 300);
    view.OnMoveStatus();
    Move({100, 100});
    ClearRecords();
    view.DrawBoard();
    const auto drawn = Drawn();
    ASSERT_EQ(drawn.size(), 6u);
    // Both tracks in their colour, the joined one again in the highlight,
    // both pads, and the ring of the joined pad.
    EXPECT_EQ(drawn[0].pen.color, RGB(0, 0, 200));
    EXPECT_EQ(drawn[1].pen.color, RGB(0, 0, 200));
    EXPECT_EQ(drawn[2].kind, DrawOp::LineTo);
    EXPECT_EQ(drawn[2].pen, (Pen{3, kYellow}));
    EXPECT_EQ(CRect(drawn[2].a, drawn[2].b, drawn[2].c, drawn[2].d), CRect(100, 100, 200, 100));
    EXPECT_EQ(drawn[3].kind, DrawOp::Ellipse);
    EXPECT_EQ(drawn[4].kind, DrawOp::Ellipse);
    EXPECT_EQ(drawn[5].kind, DrawOp::Ellipse);
    EXPECT_EQ(drawn[5].pen, (Pen{2, kYellow}));
    EXPECT_TRUE(drawn[5].brush.hollow);
    EXPECT_EQ(CRect(drawn[5].a, drawn[5].b, drawn[5].c, drawn[5].d), CRect(92, 92, 108, 108));
}

// Moves over the same object repaint nothing and leave the hit-test box
// alone; moving off repaints where the highlight was; the board never changes.
TEST_F(HoverTest, OnlyWhereTheHighlightChangesIsRepainted) {
    AddPad(100, 100);
    AddTrack(300, 300, 400, 300);
    view.OnMoveStatus();
    const auto revision = view.BoardRevision();
    Move({100, 100});
    view.m_rcRedraw = CRect(1, 2, 3, 4);
    ClearRecords();
    Move({102, 101});
    EXPECT_TRUE(host.invalidations.empty());
    EXPECT_EQ(view.m_rcRedraw, CRect(1, 2, 3, 4));

    Move({350, 300});
    ASSERT_EQ(host.invalidations.size(), 2u);
    EXPECT_EQ(host.invalidations[0].rect, CRect(90, 90, 110, 110));
    EXPECT_EQ(host.invalidations[1].rect, CRect(290, 290, 410, 310));
    EXPECT_FALSE(host.invalidations[1].erase);
    ClearRecords();
    Move({350, 250});
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_EQ(host.invalidations[0].rect, CRect(290, 290, 410, 310));
    EXPECT_TRUE(view.m_Hover.pads.empty() && view.m_Hover.trackEnds.empty());
    EXPECT_EQ(view.BoardRevision(), revision);
}

TEST_F(HoverTest, ANewJunctionShowsAtTheNextMoveAndOtherModesShowNone) {
    g_crLayerColor[1] = RGB(0, 0, 200);
    AddPad(100, 100);
    AddTrack(300, 300, 400, 300);
    view.OnMoveStatus();
    Move({100, 100});
    EXPECT_EQ(view.m_Hover, (JoinedObjects{{}, {0}}));
    // The track's end comes to the pad while the pointer stays over it.
    view.SetTrackEnd(0, 100, 100);
    Move({100, 100});
    EXPECT_EQ(view.m_Hover, (JoinedObjects{{0}, {0}}));

    ClearRecords();
    view.OnPadMode();
    EXPECT_TRUE(view.m_Hover.pads.empty());
    ASSERT_EQ(host.invalidations.size(), 1u);
    view.DrawBoard();
    EXPECT_TRUE(LinesIn(kYellow).empty());
    Move({100, 100});
    EXPECT_TRUE(view.m_Hover.pads.empty());
}

// Undo may take out what the highlight names; it is dropped first.
TEST_F(HoverTest, UndoDropsTheHighlight) {
    AddPad(100, 100);
    view.OnMoveStatus();
    Move({100, 100});
    ASSERT_FALSE(view.m_Hover.pads.empty());
    view.OnEditUndo();
    EXPECT_EQ(view.m_nPadCount, 0);
    EXPECT_TRUE(view.m_Hover.pads.empty());
    view.DrawBoard();
}

} // namespace
