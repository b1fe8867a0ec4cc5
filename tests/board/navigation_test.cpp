// Zooming below 1, Zoom to Fit and Actual Pixels, Ctrl+wheel zoom and
// panning, with tracing keeping its meaning at every zoom. The scan is
// 2000 x 1500 in an 800 x 600 window, so it fits at 1/4.
#include "board/mode_status.h"
#include "board/view_edit.h"
#include "exchange/work_file.h"
#include "view_fixture.h"

#include "res/resource.h"

namespace {

const ZoomFactor kHalf = ZoomFactor::FromExponent(-1);
const ZoomFactor kQuarter = ZoomFactor::FromExponent(-2);

using NavigationTest = BoardViewTest;

TEST(ZoomFactorValue, WholeFactorsFractionsAndExactScaling) {
    EXPECT_EQ(ZoomFactor(1).Exponent(), 0);
    EXPECT_EQ(ZoomFactor(8).Exponent(), 3);
    EXPECT_EQ(ZoomFactor(12), ZoomFactor(8)) << "not a power of two: the one below";
    EXPECT_EQ(ZoomFactor(0), ZoomFactor(1));
    EXPECT_EQ(ZoomFactor(-4), ZoomFactor(1));
    EXPECT_EQ(ZoomFactor::FromExponent(-99).Exponent(), ZoomFactor::kMinExponent);
    EXPECT_EQ(ZoomFactor::FromExponent(ZoomFactor::kMinExponent).Halved().Exponent(),
              ZoomFactor::kMinExponent);
    EXPECT_LT(kQuarter, kHalf);
    EXPECT_LT(kHalf, ZoomFactor(1));
    EXPECT_EQ(kQuarter.Factor(), 0.25);
    EXPECT_EQ(kQuarter.Numerator(), 1);
    EXPECT_EQ(kQuarter.Denominator(), 4);

    // Part pixels count whole on the screen; the pixel under a position is
    // where its zoomed pixel starts.
    EXPECT_EQ(kQuarter.ZoomedExtent(2001), 501);
    EXPECT_EQ(kQuarter.ZoomedExtent(2000), 500);
    EXPECT_EQ(ZoomFactor(4).ZoomedExtent(2001), 8004);
    EXPECT_EQ(kQuarter.ScanPixelOf(101), 404);
    EXPECT_EQ(ZoomFactor(4).ScanPixelOf(101), 25);
    EXPECT_EQ(kQuarter.ZoomedPixelOf(403), 100);
    EXPECT_EQ(ZoomFactor(4).ZoomedPixelOf(403), 1612);

    // From 1/16 to 256 and back, any float keeps its bits.
    const ZoomFactor tiny = ZoomFactor::FromExponent(-4);
    for (float v : {0.0f, 1.0f, 12345.678f, -3.1f, 16777215.0f})
        EXPECT_EQ(ZoomFactor(256).ConvertTo(tiny.ConvertTo(v, 256), tiny), v);
}

TEST_F(NavigationTest, APadPlacedAtAQuarterLandsOnTheScanPixelUnderThePointer) {
    Key(VK_NEXT);
    Key(VK_NEXT);
    ASSERT_EQ(view.m_nScale, kQuarter);
    view.ScrollToPosition({0, 0});
    Click({101, 50}); // shows scan pixels 404..407, 200..203
    ASSERT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(PadAt(0).x, 101);
    EXPECT_EQ(PadAt(0).y, 50);
    view.OnToggleUnits();
    Move({101, 50});
    EXPECT_EQ(services.statusPanes[0], "X:  2020 mil, Y:  1000 mil"); // 5 mil a pixel

    // Saved now, the work file says scan pixels, as at zoom 1.
    const auto text = FormatWorkFile(BoardSpan{{view.m_pPads, 1}, {}}, view.m_nScale);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "FP\r\n404 200\r\n");

    // Back at zoom 1 the pad sits on that pixel, under the pointer.
    host.PutPointer({101, 50});
    view.OnActualPixels();
    EXPECT_EQ(view.m_nScale, 1);
    EXPECT_EQ(PadAt(0).x, 404);
    EXPECT_EQ(PadAt(0).y, 200);
    const CPoint s = view.GetScrollPosition();
    EXPECT_EQ(view.HitTestPad(101, 50, s.x, s.y), 0);
}

TEST_F(NavigationTest, MirroringBelowOneMatchesMirroringAtOne) {
    SetImageSize(2001, 1503);
    AddPad(400, 7);
    AddTrack(3, 5, 1999, 1502);
    Key(VK_NEXT);
    Key(VK_NEXT);
    ASSERT_EQ(view.m_nScale, kQuarter);
    view.OnSelectAll();
    Key('X');
    Key('Y');
    view.OnActualPixels();
    EXPECT_EQ(PadAt(0).x, 2001 - 400);
    EXPECT_EQ(PadAt(0).y, 1503 - 7);
    ExpectTrack(TrackAt(0), 2001 - 3, 1503 - 5, 2001 - 1999, 1503 - 1502);
}

TEST_F(NavigationTest, ZoomToFitShowsTheWholeScanAndActualPixelsComesBack) {
    AddPad(1000, 700);
    view.ScrollToPosition({500, 400});
    view.OnZoomToFit();
    EXPECT_EQ(view.m_nScale, kQuarter);
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    EXPECT_EQ(view.GetTotalSize(), CSize(500, 375));
    EXPECT_EQ(PadAt(0).x, 250);
    EXPECT_EQ(services.statusPanes[board::kModePane], "Pad  x1/4");

    // With the pointer off the window, Actual Pixels keeps the centre.
    host.PutPointer({-50, -50});
    view.OnActualPixels();
    EXPECT_EQ(view.m_nScale, 1);
    EXPECT_EQ(view.GetScrollPosition(), CPoint(4 * 400 - 400, 4 * 300 - 300));
    EXPECT_EQ(services.statusPanes[board::kModePane], "Pad  x1");

    // A small scan is fitted by zooming in, as far as it still fits.
    SetImageSize(300, 200);
    view.OnZoomToFit();
    EXPECT_EQ(view.m_nScale, 2);
    EXPECT_EQ(PadAt(0).x, 2000);
}

TEST_F(NavigationTest, TheZoomCommandsAreEnabledWhileTheyCanZoom) {
    CCmdUI zoomOut;
    view.OnUpdateCommand(ID_VIEW_ZOOM_OUT, &zoomOut);
    EXPECT_TRUE(zoomOut.enabled);
    view.OnZoomToFit();
    view.OnUpdateCommand(ID_VIEW_ZOOM_OUT, &zoomOut);
    EXPECT_FALSE(zoomOut.enabled);
    CCmdUI actual;
    view.OnUpdateCommand(ID_VIEW_ACTUAL_PIXELS, &actual);
    EXPECT_EQ(actual.checked, false);
    view.OnZoomIn();
    view.OnZoomIn();
    view.OnUpdateCommand(ID_VIEW_ACTUAL_PIXELS, &actual);
    EXPECT_EQ(actual.checked, true);
}

TEST_F(NavigationTest, CtrlWheelZoomsAboutThePointerOneStepANotch) {
    AddPad(300, 200);
    host.PutPointer({300, 200});
    const CPoint screen = host.ClientToScreen({300, 200});
    EXPECT_TRUE(view.OnMouseWheel(MK_CONTROL, WHEEL_DELTA, screen));
    EXPECT_EQ(view.m_nScale, 2);
    CPoint s = view.GetScrollPosition();
    EXPECT_EQ(view.HitTestPad(300, 200, s.x, s.y), 0);

    // A fine wheel's small turns add up to one step.
    EXPECT_FALSE(view.OnMouseWheel(MK_CONTROL, -40, screen));
    EXPECT_FALSE(view.OnMouseWheel(MK_CONTROL, -40, screen));
    EXPECT_TRUE(view.OnMouseWheel(MK_CONTROL, -40, screen));
    EXPECT_EQ(view.m_nScale, 1);
    EXPECT_TRUE(view.OnMouseWheel(MK_CONTROL, -2 * WHEEL_DELTA, screen));
    EXPECT_EQ(view.m_nScale, kQuarter);
    s = view.GetScrollPosition();
    EXPECT_EQ(view.HitTestPad(75, 50, s.x, s.y), 0);

    // At the end of the range the turns are not saved up for later.
    EXPECT_FALSE(view.OnMouseWheel(MK_CONTROL, -5 * WHEEL_DELTA, screen));
    EXPECT_TRUE(view.OnMouseWheel(MK_CONTROL, WHEEL_DELTA, screen));
    EXPECT_EQ(view.m_nScale, kHalf);
}

TEST_F(NavigationTest, ShiftWheelStillScrollsSideways) {
    EXPECT_TRUE(view.OnMouseWheel(MK_SHIFT, -WHEEL_DELTA, {10, 10}));
    EXPECT_GT(view.GetScrollPosition().x, 0);
    EXPECT_EQ(view.GetScrollPosition().y, 0);
    EXPECT_EQ(view.m_nScale, 1);
}

TEST_F(NavigationTest, TheMiddleButtonDragsTheViewInEveryMode) {
    view.ScrollToPosition({100, 100});
    for (int mode = 0; mode < 3; ++mode) {
        if (mode == 1)
            view.OnLineMode();
        if (mode == 2)
            view.OnMoveStatus();
        view.ScrollToPosition({100, 100});
        view.OnMButtonDown(MK_MBUTTON, {300, 300});
        EXPECT_EQ(host.cursor, Cursor::ClosedHand);
        Move({250, 280});
        EXPECT_EQ(view.GetScrollPosition(), CPoint(150, 120));
        Move({400, 400}); // past the start of the range: held at 0
        EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
        view.OnMButtonUp(0, {400, 400});
        Move({300, 300});
        EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    }
    EXPECT_EQ(view.m_nPadCount, 0);
    EXPECT_EQ(view.m_nTrackCount, 0);
    EXPECT_FALSE(view.m_bLineStarted);
}

TEST_F(NavigationTest, SpaceWithTheLeftButtonPansWithoutPlacingAnything) {
    view.ScrollToPosition({100, 100});
    Key(VK_SPACE);
    EXPECT_EQ(host.cursor, Cursor::OpenHand);
    Press({300, 300});
    EXPECT_EQ(host.cursor, Cursor::ClosedHand);
    Key(VK_SPACE); // the key repeats while held
    Move({260, 290});
    EXPECT_EQ(view.GetScrollPosition(), CPoint(140, 110));
    view.OnLButtonUp(0, {260, 290});
    EXPECT_EQ(host.cursor, Cursor::OpenHand);
    view.OnKeyUp(VK_SPACE, 1, 0);
    EXPECT_EQ(host.cursor, Cursor::UpArrow);
    EXPECT_EQ(view.m_nPadCount, 0);
    EXPECT_TRUE(services.beeps.empty());

    // Let go, Space leaves clicks to place pads again.
    Click({300, 300});
    EXPECT_EQ(view.m_nPadCount, 1);

    // A window that loses the keyboard forgets the held key.
    Key(VK_SPACE);
    view.OnKillFocus();
    Click({310, 300});
    EXPECT_EQ(view.m_nPadCount, 2);
}

TEST_F(NavigationTest, InSelectAllSpaceRotatesOnceButNotWhileItPans) {
    AddPad(100, 0);
    view.OnSelectAll();
    Key(VK_SPACE); // the rotate key of select-all
    const float turnedY = PadAt(0).y;
    EXPECT_GT(turnedY, 0.17f);
    Press({300, 300});
    Key(VK_SPACE);
    Key(VK_SPACE);
    Move({290, 300});
    view.OnLButtonUp(0, {290, 300});
    view.OnKeyUp(VK_SPACE, 1, 0);
    EXPECT_EQ(PadAt(0).y, turnedY);
    EXPECT_EQ(view.m_nTrackCount, 0);
    EXPECT_FALSE(view.m_bLineStarted);
}

TEST_F(NavigationTest, PanningDuringADragKeepsTheGrabbedPadUnderThePointer) {
    AddPad(400, 300);
    view.OnMoveStatus();
    Press({400, 300});
    view.OnMButtonDown(MK_MBUTTON, {400, 300});
    Move({350, 280});
    view.OnMButtonUp(0, {350, 280});
    EXPECT_EQ(view.GetScrollPosition(), CPoint(50, 20));
    EXPECT_EQ(PadAt(0).x, 400) << "the pad stays where it was on the board";
    Move({350, 280});
    EXPECT_EQ(PadAt(0).x, 400);
    EXPECT_EQ(PadAt(0).y, 300);
    Move({360, 290});
    view.OnLButtonUp(0, {360, 290});
    EXPECT_EQ(PadAt(0).x, 410);
    EXPECT_EQ(PadAt(0).y, 310);
}

} // namespace
