#include "platform/scripted/scripted_host.h"
#include "platform/scroll_view.h"

#include <gtest/gtest.h>

namespace {
class PlainView : public CScrollView {
  public:
    void OnDraw(CDC*) override {}
};
} // namespace

TEST(ScrollView, PositionIsKeptWithinTheRange) {
    ScriptedViewHost host(CRect(0, 0, 300, 200));
    PlainView view;
    view.AttachHost(&host);
    view.SetScrollSizes(MM_TEXT, CSize(1000, 500));
    view.ScrollToPosition(CPoint(-20, -1));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    view.ScrollToPosition(CPoint(5000, 5000));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(700, 300));
    view.ScrollToPosition(CPoint(123, 45));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(123, 45));
}

TEST(ScrollView, SmallerRangePullsThePositionBack) {
    ScriptedViewHost host(CRect(0, 0, 300, 200));
    PlainView view;
    view.AttachHost(&host);
    view.SetScrollSizes(MM_TEXT, CSize(1000, 500));
    view.ScrollToPosition(CPoint(700, 300));
    view.SetScrollSizes(MM_TEXT, CSize(400, 100));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(100, 0));
    EXPECT_EQ(view.GetPageSize(), CSize(40, 10));
    EXPECT_EQ(view.GetLineSize(), CSize(4, 1));
}

TEST(ScrollView, ImageSmallerThanWindowDoesNotScroll) {
    ScriptedViewHost host(CRect(0, 0, 300, 200));
    PlainView view;
    view.AttachHost(&host);
    view.SetScrollSizes(MM_TEXT, CSize(1, 1));
    view.ScrollToPosition(CPoint(10, 10));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
}

TEST(ScrollView, WheelScrollsByLinesAndStopsAtTheEnds) {
    ScriptedViewHost host(CRect(0, 0, 100, 100));
    PlainView view;
    view.AttachHost(&host);
    view.SetScrollSizes(MM_TEXT, CSize(1000, 1000)); // line 10 pixels
    EXPECT_TRUE(view.OnMouseWheel(0, -WHEEL_DELTA, CPoint()));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 30));
    EXPECT_TRUE(view.OnMouseWheel(MK_SHIFT, -WHEEL_DELTA, CPoint()));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(30, 30));
    view.ScrollToPosition(CPoint(0, 0));
    EXPECT_FALSE(view.OnMouseWheel(0, WHEEL_DELTA, CPoint())) << "already at the top";
}

TEST(ScrollView, FastWheelSpinOverAHugeRangeStopsAtTheEnd) {
    ScriptedViewHost host(CRect(0, 0, 100, 100));
    PlainView view;
    view.AttachHost(&host);
    view.SetScrollSizes(MM_TEXT, CSize(1 << 30, 1 << 30)); // lines of about 10 million pixels
    // 819 lines of 10 million pixels each: more than an int holds.
    EXPECT_TRUE(view.OnMouseWheel(0, -32760, CPoint()));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, (1 << 30) - 100));
    EXPECT_TRUE(view.OnMouseWheel(MK_SHIFT, -32760, CPoint()));
    EXPECT_EQ(view.GetScrollPosition(), CPoint((1 << 30) - 100, (1 << 30) - 100));
    EXPECT_TRUE(view.OnMouseWheel(0, 32760, CPoint()));
    EXPECT_EQ(view.GetScrollPosition(), CPoint((1 << 30) - 100, 0));
}

TEST(ScrollView, PointerConversionGoesThroughTheHost) {
    ScriptedViewHost host(CRect(0, 0, 100, 100), CPoint(40, 30));
    PlainView view;
    view.AttachHost(&host);
    CPoint p(5, 6);
    view.ClientToScreen(&p);
    EXPECT_EQ(p, CPoint(45, 36));
    view.ScreenToClient(&p);
    EXPECT_EQ(p, CPoint(5, 6));
    view.SetCursorPos(CPoint(50, 50));
    EXPECT_EQ(view.GetCursorPos(), CPoint(50, 50));
}
