#include "view_fixture.h"

#include <algorithm>

namespace {

using MouseTest = BoardViewTest;

TEST_F(MouseTest, PadModeClickStoresBeepsAndDrawsAtOnce) {
    view.ScrollToPosition({40, 0});
    Click({10, 20});
    ASSERT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(PadAt(0).x, 50.0f);
    EXPECT_EQ(PadAt(0).y, 20.0f);
    EXPECT_EQ(services.beeps, std::vector<UINT>{MB_ICONQUESTION});
    const auto pads = DrawnOf(DrawOp::Ellipse);
    ASSERT_EQ(pads.size(), 1u);
    EXPECT_EQ(CRect(pads[0].a, pads[0].b, pads[0].c, pads[0].d), CRect(5, 15, 15, 25));
    EXPECT_EQ(pads[0].pen, (Pen{2, RGB(255, 0, 0)}));
    EXPECT_EQ(pads[0].brush, (Brush{RGB(0, 0, 0)}));
    Click({10, 20}); // nothing prevents a second pad at the same place
    EXPECT_EQ(view.m_nPadCount, 2);
}

TEST_F(MouseTest, LineModeChainWithTheConstraint) {
    g_crLayerColor[1] = RGB(0, 200, 0);
    view.OnLineMode();
    Click({100, 100});
    EXPECT_EQ(view.m_nTrackCount, 0);
    EXPECT_TRUE(Drawn().empty());
    Click({130, 110});
    Click({150, 140});
    Click({175, 200});
    ASSERT_EQ(view.m_nTrackCount, 3);
    ExpectTrack(TrackAt(0), 100, 100, 130, 100);
    ExpectTrack(TrackAt(1), 130, 100, 170, 140);
    ExpectTrack(TrackAt(2), 170, 140, 170, 200);
    EXPECT_EQ(TrackAt(0).layer, 1.0f);
    // Each segment is drawn at once from its end back to its start.
    const auto lines = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(CRect(lines[1].a, lines[1].b, lines[1].c, lines[1].d), CRect(170, 140, 130, 100));
    EXPECT_EQ(lines[1].pen, (Pen{3, RGB(0, 200, 0)}));

    // A right click ends the chain; the next click starts a new one.
    view.OnRButtonDown(0, {0, 0});
    EXPECT_EQ(view.m_bLineStarted, 0);
    Click({300, 300});
    Click({300, 300}); // a segment of length zero
    ASSERT_EQ(view.m_nTrackCount, 4);
    ExpectTrack(TrackAt(3), 300, 300, 300, 300);
}

TEST_F(MouseTest, LineModeChainAtAnyAngleWithScroll) {
    view.OnLineMode();
    view.OnTrackMode();
    view.ScrollToPosition({7, 3});
    Click({93, 97});
    Click({123, 107});
    Click({143, 137});
    Click({168, 197});
    ASSERT_EQ(view.m_nTrackCount, 3);
    ExpectTrack(TrackAt(0), 100, 100, 130, 110);
    ExpectTrack(TrackAt(1), 130, 110, 150, 140);
    ExpectTrack(TrackAt(2), 150, 140, 175, 200);
}

TEST_F(MouseTest, ComponentMarkAddsThreeTracksPerClick) {
    g_nCurrentLayer = 7;
    view.OnComponentMark();
    Click({50, 60});
    ASSERT_EQ(view.m_nTrackCount, 3);
    ExpectTrack(TrackAt(0), 45, 60, 55, 60);
    ExpectTrack(TrackAt(1), 50, 55, 50, 65);
    ExpectTrack(TrackAt(2), 46, 56, 54, 64);
    EXPECT_EQ(TrackAt(2).layer, 7.0f);
    EXPECT_EQ(DrawnOf(DrawOp::LineTo).size(), 3u);
    Click({50, 60});
    EXPECT_EQ(view.m_nTrackCount, 6);
}

TEST_F(MouseTest, FullArraysRefuseWithOneMessagePerClick) {
    for (int i = 0; i < g_nMaxItems; ++i)
        ASSERT_TRUE(view.AppendPad(1, 1));
    Click({10, 10});
    EXPECT_EQ(view.m_nPadCount, g_nMaxItems);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
    EXPECT_NE(services.messages[0].text.find("20000 pads"), std::string::npos);
    EXPECT_TRUE(services.beeps.empty());
    EXPECT_TRUE(Drawn().empty());

    // Room for two more tracks only: a mark of three adds nothing.
    for (int i = 0; i < g_nMaxItems - 2; ++i)
        ASSERT_TRUE(view.AppendTrack(1, 1, 2, 2, 1));
    view.OnComponentMark();
    Click({50, 50});
    EXPECT_EQ(view.m_nTrackCount, g_nMaxItems - 2);
    EXPECT_EQ(services.messages.size(), 2u);

    // A chain fills the last two places, then the next click is refused and
    // the chain stays where it was.
    view.OnLineMode();
    Click({10, 10});
    Click({20, 10});
    Click({30, 10});
    EXPECT_EQ(view.m_nTrackCount, g_nMaxItems);
    EXPECT_EQ(services.messages.size(), 2u);
    Click({40, 10});
    EXPECT_EQ(view.m_nTrackCount, g_nMaxItems);
    EXPECT_EQ(services.messages.size(), 3u);
    EXPECT_EQ(view.m_ptLastPoint, CPoint(30, 10));
}

TEST_F(MouseTest, RubberBandErasesTheOldBandAndDrawsTheNew) {
    view.OnLineMode();
    Click({100, 100});
    ClearRecords();
    Move({130, 110});
    // The first band erases the zero-length band at the start point.
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_EQ(host.invalidations[0].rect, CRect(95, 95, 105, 105));
    EXPECT_FALSE(host.invalidations[0].erase);
    EXPECT_EQ(view.m_ptBandEnd, CPoint(130, 100));
    const auto lines = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].pen.color, RGB(255, 255, 255));
    ClearRecords();
    Move({150, 140});
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_EQ(host.invalidations[0].rect, CRect(95, 95, 135, 105));
    EXPECT_EQ(view.m_ptBandEnd, CPoint(140, 140));
    // In pad mode the mouse only updates the read-out.
    view.OnPadMode();
    ClearRecords();
    Move({200, 200});
    EXPECT_TRUE(host.invalidations.empty());
    EXPECT_EQ(services.statusPanes[0], "X: 25.40 mm, Y: 25.40 mm");
}

TEST_F(MouseTest, ChainScrollsAtTheEdgesUntilTheEndOfTheRange) {
    SetImageSize(810, 605);  // scroll range 10 by 5
    view.OnLineMode();
    Click({400, 300});
    Move({795, 300});
    EXPECT_EQ(view.GetScrollPosition(), CPoint(5, 0));
    Move({795, 595});
    EXPECT_EQ(view.GetScrollPosition(), CPoint(10, 5));
    Move({795, 595});
    EXPECT_EQ(view.GetScrollPosition(), CPoint(10, 5));
    Move({3, 3});
    EXPECT_EQ(view.GetScrollPosition(), CPoint(5, 0));
    Move({3, 3});
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    // Without a chain nothing scrolls.
    view.OnRButtonDown(0, {3, 3});
    Move({795, 595});
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
}

TEST_F(MouseTest, DragPadWithJoinedEndsThenCancelRestoresExactly) {
    AddPad(200, 200);
    AddTrack(201.25f, 199.5f, 300, 200, 3); // any layer joins a pad
    AddTrack(100, 200, 198, 202);
    view.OnMoveStatus();
    Press({202, 201});
    ASSERT_EQ(view.m_nSelPad, 0);
    EXPECT_EQ(view.m_rcRedraw, CRect(90, 172, 310, 228));
    ClearRecords();
    const size_t statusTexts = services.statusTexts.size();
    Move({222, 191});
    EXPECT_EQ(PadAt(0).x, 220);
    EXPECT_EQ(PadAt(0).y, 190);
    ExpectTrack(TrackAt(0), 221.25f, 189.5f, 300, 200);
    ExpectTrack(TrackAt(1), 100, 200, 218, 192);
    // The repaint covers where the objects were at the grab and where they
    // are now, 10 pixels around them.
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_FALSE(host.invalidations[0].whole);
    EXPECT_EQ(view.m_rcRedraw, CRect(90, 179, 310, 210));
    EXPECT_EQ(host.invalidations[0].rect, CRect(90, 179, 310, 212));
    // The read-out is not refreshed during a drag.
    EXPECT_EQ(services.statusTexts.size(), statusTexts);
    Move({250, 250});
    EXPECT_EQ(host.invalidations.back().rect, CRect(90, 179, 310, 261));
    ClearRecords();
    view.OnRButtonDown(0, {250, 250});
    EXPECT_EQ(PadAt(0).x, 200);
    EXPECT_EQ(PadAt(0).y, 200);
    ExpectTrack(TrackAt(0), 201.25f, 199.5f, 300, 200);
    ExpectTrack(TrackAt(1), 100, 200, 198, 202);
    // The cancel repaints where they were and where they are back.
    ASSERT_EQ(host.invalidations.size(), 2u);
    EXPECT_EQ(host.invalidations[0].rect, CRect(90, 190, 310, 261));
    EXPECT_EQ(host.invalidations[1].rect, CRect(90, 189, 310, 212));
    EXPECT_EQ(view.m_nSelPad, -1);
    EXPECT_TRUE(view.m_PadBackup.empty());
}

TEST_F(MouseTest, ScrollingDuringADragRepaintsWhereThePadIsShown) {
    AddPad(400, 300);
    view.OnMoveStatus();
    Press({400, 300});
    view.ScrollToPosition({100, 0});
    ClearRecords();
    Move({500, 300});
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_TRUE(host.invalidations[0].rect.PtInRect({300, 300})); // drawn before the move
    EXPECT_TRUE(host.invalidations[0].rect.PtInRect({400, 300})); // drawn after it
}

// Held with the button, a pad is carried by the wheel to a place out of
// view: it stays under the pointer and lands where the button is released.
TEST_F(MouseTest, TheWheelDuringADragKeepsThePadUnderThePointer) {
    AddPad(400, 300);
    view.OnMoveStatus();
    Press({400, 300});
    ASSERT_TRUE(view.OnMouseWheel(0, -2 * WHEEL_DELTA, {400, 300}));
    const CPoint s = view.GetScrollPosition();
    ASSERT_GT(s.y, 0);
    ClearRecords();
    Move({410, 320});
    EXPECT_EQ(PadAt(0).x, 410 + s.x);
    EXPECT_EQ(PadAt(0).y, 320 + s.y);
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_TRUE(host.invalidations[0].rect.PtInRect({400, 300 - s.y})); // shown before
    EXPECT_TRUE(host.invalidations[0].rect.PtInRect({410, 320}));       // shown after
    view.OnLButtonUp(0, {410, 320});
    EXPECT_EQ(PadAt(0).y, 320 + s.y);

    view.OnMouseWheel(0, -WHEEL_DELTA, {410, 320});
    Press({410, 320});
    view.OnMouseWheel(0, WHEEL_DELTA, {410, 320});
    view.OnRButtonDown(0, {410, 320});
    EXPECT_EQ(PadAt(0).y, 320 + s.y) << "a cancel still puts it back";
}

TEST_F(MouseTest, ALongDragRepaintsOnlyAroundTheLastTwoPositions) {
    AddPad(400, 300);
    view.OnMoveStatus();
    Press({400, 300});
    for (int i = 0; i < 200; ++i)
        Move({400 + i % 7, 300 + i % 5});
    ClearRecords();
    Move({420, 300});
    ASSERT_EQ(host.invalidations.size(), 1u);
    // 10 pixels around the pad's centre at (403, 304) before and (420, 300) now.
    EXPECT_EQ(host.invalidations[0].rect, CRect(393, 290, 430, 314));
}

TEST_F(MouseTest, DragTrackAndCommitOnRelease) {
    AddTrack(100, 100, 200, 100);
    AddTrack(200, 100, 200, 200);
    AddTrack(150, 100, 150, 150, 2);
    view.OnMoveStatus();
    Press({150, 100}); // pads first, then tracks of the current layer only
    ASSERT_EQ(view.m_nSelTrack, 0);
    Move({150, 120});
    view.OnLButtonUp(0, {150, 120});
    EXPECT_EQ(view.m_nSelTrack, -1);
    EXPECT_TRUE(view.m_TrackBackup.empty());
    ExpectTrack(TrackAt(0), 100, 120, 200, 120);
    ExpectTrack(TrackAt(1), 200, 120, 200, 200);
    // After the release moves only refresh the read-out.
    Move({160, 160});
    ExpectTrack(TrackAt(0), 100, 120, 200, 120);
    // A press on empty board grabs nothing.
    Press({400, 400});
    EXPECT_EQ(view.m_nSelTrack, -1);
    EXPECT_EQ(view.m_nSelPad, -1);
}

TEST_F(MouseTest, GrabSurvivesLeavingMoveStatusAndTheNextPressIsIgnored) {
    AddPad(100, 100);
    view.OnMoveStatus();
    Press({100, 100});
    view.OnPadMode();
    Move({150, 150}); // not in move status: the pad stays
    EXPECT_EQ(PadAt(0).x, 100);
    view.OnMoveStatus();
    Move({110, 100});
    EXPECT_EQ(PadAt(0).x, 110);
    Press({300, 300}); // ignored while grabbed
    EXPECT_EQ(view.m_nSelPad, 0);
    view.OnLButtonUp(0, {300, 300});
    EXPECT_EQ(view.m_nSelPad, -1);
    EXPECT_EQ(PadAt(0).x, 110);
}

TEST_F(MouseTest, RightButtonOutsideADragRepaintsEverything) {
    view.OnRButtonDown(0, {1, 1});
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_TRUE(host.invalidations[0].whole);
    EXPECT_FALSE(host.invalidations[0].erase);
}

TEST_F(MouseTest, CursorOfEachMode) {
    const auto cursorNow = [&] {
        EXPECT_EQ(view.OnSetCursor(), TRUE);
        return host.cursor;
    };
    EXPECT_EQ(cursorNow(), Cursor::UpArrow);
    view.OnLineMode();
    EXPECT_EQ(cursorNow(), Cursor::Cross);
    view.OnComponentMark();
    EXPECT_EQ(cursorNow(), Cursor::AppStarting);
    host.cursors.clear();
    view.OnMoveStatus();
    EXPECT_EQ(host.cursors, std::vector<Cursor>{Cursor::Arrow}); // set at once
    EXPECT_EQ(cursorNow(), Cursor::Arrow);
    host.cursors.clear();
    view.OnSelectAll();
    EXPECT_EQ(host.cursors, std::vector<Cursor>{Cursor::No});
    EXPECT_EQ(cursorNow(), Cursor::No);
}

TEST_F(MouseTest, SelectAllModeClicksDrawChainsLikeLineMode) {
    view.OnSelectAll();
    Click({10, 10});
    Click({50, 12});
    ASSERT_EQ(view.m_nTrackCount, 1);
    ExpectTrack(TrackAt(0), 10, 10, 50, 10);
}

TEST_F(MouseTest, KeyTargetIsDroppedWhenThePointerMovesAway) {
    AddPad(100, 100);
    view.OnMoveStatus();
    view.m_nKeyObject = 1;
    view.m_nKeyIndex = 0;
    Move({110, 90});
    EXPECT_EQ(view.m_nKeyObject, 1);
    Move({111, 100});
    EXPECT_EQ(view.m_nKeyObject, 0);
    // A target naming a pad no longer in the model is dropped too.
    view.m_nKeyObject = 1;
    view.m_nKeyIndex = 5;
    Move({100, 100});
    EXPECT_EQ(view.m_nKeyObject, 0);
}

} // namespace

// On a picture wider than the board's limit, clicks past the limit place
// nothing and say why, so that all that is traced can be saved and read back.
TEST_F(MouseTest, NothingIsPlacedBeyondTheBoardsLimit) {
    SetImageSize(2147483647, 2147483647);
    view.ScrollToPosition({kMaxCoordinate - 10, 0});
    Click({10, 20});
    ASSERT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(PadAt(0).x, static_cast<float>(kMaxCoordinate));
    EXPECT_TRUE(services.messages.empty());
    Click({11, 20});
    EXPECT_EQ(view.m_nPadCount, 1);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("beyond the largest board"), std::string::npos);

    view.OnLineMode();
    Click({0, 20});
    Click({40, 20}); // the segment's end lies past the limit
    EXPECT_EQ(view.m_nTrackCount, 0);
    EXPECT_EQ(services.messages.size(), 2u);
    Click({5, 20});
    EXPECT_EQ(view.m_nTrackCount, 1);

    view.OnComponentMark();
    Click({8, 20}); // its strokes reach 5 pixels to the right
    EXPECT_EQ(view.m_nTrackCount, 1);
    EXPECT_EQ(services.messages.size(), 3u);
}
