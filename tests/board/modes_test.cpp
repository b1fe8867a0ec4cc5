#include "view_fixture.h"

#include "res/resource.h"

namespace {

using ModesTest = BoardViewTest;

struct Flags {
    bool pad, mark, move, selectAll;
    int lineStarted;
    bool operator==(const Flags&) const = default;
};

Flags FlagsOf(const CDibView& v) {
    return {v.m_bPadMode, v.m_bMarkMode, v.m_bMoveMode, v.m_bSelectAll, v.m_bLineStarted};
}

TEST_F(ModesTest, EachModeCommandSetsItsRowThroughTheCommandMap) {
    view.m_bLineStarted = 1;
    ASSERT_TRUE(view.OnCommand(ID_LINE_MODE));
    EXPECT_EQ(FlagsOf(view), (Flags{false, false, false, false, 1})); // keeps the chain
    ASSERT_TRUE(view.OnCommand(ID_COMPONENT_MARK));
    EXPECT_EQ(FlagsOf(view), (Flags{false, true, false, false, 0}));
    view.m_bLineStarted = 1;
    ASSERT_TRUE(view.OnCommand(ID_SELECT_ALL));
    EXPECT_EQ(FlagsOf(view), (Flags{false, false, false, true, 0}));
    view.m_bLineStarted = 1;
    ASSERT_TRUE(view.OnCommand(ID_MOVE_STATUS));
    EXPECT_EQ(FlagsOf(view), (Flags{false, false, true, false, 0}));
    view.m_bLineStarted = 1;
    ASSERT_TRUE(view.OnCommand(ID_PAD_MODE));
    EXPECT_EQ(FlagsOf(view), (Flags{true, false, false, false, 0}));
    // None repaints unless it enters or leaves select-all, and none touches
    // a grab or the keyboard target.
    host.invalidations.clear();
    view.m_nSelPad = 3;
    view.m_nKeyObject = 2;
    view.OnCommand(ID_LINE_MODE);
    view.OnCommand(ID_MOVE_STATUS);
    EXPECT_EQ(view.m_nSelPad, 3);
    EXPECT_EQ(view.m_nKeyObject, 2);
    EXPECT_TRUE(host.invalidations.empty());
    view.m_nSelPad = -1;
}

TEST_F(ModesTest, TrackModeAndUnitsToggle) {
    view.OnCommand(ID_TRACK_MODE);
    EXPECT_TRUE(view.m_bFreeAngle);
    view.OnCommand(ID_TRACK_MODE);
    EXPECT_FALSE(view.m_bFreeAngle);
    view.OnCommand(ID_TOGGLE_UNITS);
    EXPECT_TRUE(view.m_bShowMil);
    EXPECT_TRUE(host.invalidations.empty());
}

TEST_F(ModesTest, LayerToggleRepaintsAndChecksTheMenuItem) {
    CCmdUI ui;
    ASSERT_TRUE(view.OnUpdateCommand(ID_LAYER_BOTTOM, &ui));
    EXPECT_TRUE(ui.checked);
    ASSERT_TRUE(view.OnCommand(ID_LAYER_BOTTOM));
    EXPECT_EQ(view.m_bLayerVisible[6], 0);
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_TRUE(host.invalidations[0].whole);
    EXPECT_FALSE(host.invalidations[0].erase);
    view.OnUpdateCommand(ID_LAYER_BOTTOM, &ui);
    EXPECT_FALSE(ui.checked);
    EXPECT_TRUE(ui.enabled);
    view.OnCommand(ID_LAYER_BOTTOM);
    view.OnUpdateCommand(ID_LAYER_BOTTOM, &ui);
    EXPECT_TRUE(ui.checked);
    // Any value other than 1 becomes 1; only 1 shows a check mark.
    view.m_bLayerVisible[11] = 7;
    view.OnUpdateCommand(ID_LAYER_BOARD, &ui);
    EXPECT_FALSE(ui.checked);
    view.OnCommand(ID_LAYER_BOARD);
    EXPECT_EQ(view.m_bLayerVisible[11], 1);
    // The other layers were not touched.
    for (int layer = 1; layer <= 12; ++layer)
        EXPECT_EQ(view.m_bLayerVisible[layer], 1) << layer;
}

class StatusLineTest : public BoardViewTest {
  protected:
    ~StatusLineTest() override {
        g_nScanLinesX = g_nScanLinesY = 200;
        g_fMilPerPixelX = g_fMilPerPixelY = 5.0f;
    }
    std::string ReadOut(CPoint p) {
        Move(p);
        return services.statusPanes[0];
    }
};

TEST_F(StatusLineTest, MillimetresAndMils) {
    EXPECT_EQ(ReadOut({100, 20}), "X: 12.70 mm, Y: 2.54 mm");
    view.OnToggleUnits();
    EXPECT_EQ(ReadOut({100, 20}), "X:   500 mil, Y:   100 mil");
    view.ScrollToPosition({20, 10});
    EXPECT_EQ(ReadOut({80, 10}), "X:   500 mil, Y:   100 mil");
}

TEST_F(StatusLineTest, ZoomDividesBeforeConverting) {
    view.m_nScale = 2;
    SetImageSize(2000, 1500);
    EXPECT_EQ(ReadOut({101, 41}), "X: 6.35 mm, Y: 2.54 mm");
}

TEST_F(StatusLineTest, FractionalMilsPerPixel) {
    view.SetScanLines({300, 200});
    EXPECT_EQ(ReadOut({7, 0}), "X: 0.59 mm, Y: 0.00 mm");
    view.OnToggleUnits();
    EXPECT_EQ(ReadOut({7, 0}), "X:    23 mil, Y:     0 mil");
}

TEST_F(StatusLineTest, WheelScrollsAsAnyScrollView) {
    EXPECT_EQ(view.OnMouseWheel(0, -WHEEL_DELTA, {10, 10}), TRUE);
    EXPECT_GT(view.GetScrollPosition().y, 0);
    EXPECT_EQ(view.GetScrollPosition().x, 0);
}

} // namespace
