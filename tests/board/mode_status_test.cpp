// What shows which mode is on: the mode pane of the status bar, the checked
// buttons and menu items, and the highlight of select-all.
#include "view_fixture.h"

#include "board/mode_status.h"
#include "tests/board/params_guard.h"
#include "res/resource.h"

#include <limits>
#include <string>

namespace {

class ModeStatusTest : public BoardViewTest {
  protected:
    std::string ModePane() { return services.statusPanes[board::kModePane]; }
    // The mode commands and Track Mode whose items show checked.
    std::vector<UINT> Checked() {
        std::vector<UINT> on;
        for (UINT id : {ID_PAD_MODE, ID_LINE_MODE, ID_COMPONENT_MARK, ID_SELECT_ALL,
                        ID_MOVE_STATUS, ID_TRACK_MODE}) {
            CCmdUI ui;
            EXPECT_TRUE(view.OnUpdateCommand(id, &ui)) << id;
            EXPECT_TRUE(ui.enabled) << id;
            if (ui.checked)
                on.push_back(id);
        }
        return on;
    }
};

TEST(ZoomText, WholeFactorsAndFractions) {
    EXPECT_EQ(board::ZoomText(1), "x1");
    EXPECT_EQ(board::ZoomText(4), "x4");
    EXPECT_EQ(board::ZoomText(256), "x256");
    EXPECT_EQ(board::ZoomText(1, 8), "x1/8");
    EXPECT_EQ(board::ZoomText(2, 16), "x1/8");
    EXPECT_EQ(board::ZoomText(8, 4), "x2");
    EXPECT_EQ(board::ZoomText(3, 2), "x3/2");
    EXPECT_EQ(board::ZoomText(0), "");
    EXPECT_EQ(board::ZoomText(1, 0), "");
    EXPECT_EQ(board::ZoomText(std::numeric_limits<int>::min(), -1), "");
    EXPECT_EQ(board::ZoomText(std::numeric_limits<int>::max(), std::numeric_limits<int>::max()),
              "x1");
}

TEST_F(ModeStatusTest, PaneNamesEveryModeAndTheZoom) {
    ASSERT_TRUE(view.OnCommand(ID_LINE_MODE));
    EXPECT_EQ(ModePane(), "Line 45\u00b0  x1");
    ASSERT_TRUE(view.OnCommand(ID_TRACK_MODE));
    EXPECT_EQ(ModePane(), "Line free  x1");
    ASSERT_TRUE(view.OnCommand(ID_COMPONENT_MARK));
    EXPECT_EQ(ModePane(), "Mark  x1");
    ASSERT_TRUE(view.OnCommand(ID_MOVE_STATUS));
    EXPECT_EQ(ModePane(), "Move  x1");
    ASSERT_TRUE(view.OnCommand(ID_SELECT_ALL));
    EXPECT_EQ(ModePane(), "Select all  x1");
    ASSERT_TRUE(view.OnCommand(ID_PAD_MODE));
    EXPECT_EQ(ModePane(), "Pad  x1");
    // Track mode shows only while line mode is on, but the pane follows it.
    ASSERT_TRUE(view.OnCommand(ID_TRACK_MODE));
    ASSERT_TRUE(view.OnCommand(ID_LINE_MODE));
    EXPECT_EQ(ModePane(), "Line 45\u00b0  x1");

    host.PutPointer({100, 100});
    Key(VK_PRIOR);
    EXPECT_EQ(ModePane(), "Line 45\u00b0  x2");
    Key(VK_PRIOR);
    EXPECT_EQ(ModePane(), "Line 45\u00b0  x4");
    Key(VK_NEXT);
    EXPECT_EQ(ModePane(), "Line 45\u00b0  x2");
    // Escape leaves select-all for the mode before it.
    view.OnComponentMark();
    view.OnSelectAll();
    Key(VK_ESCAPE);
    EXPECT_EQ(ModePane(), "Mark  x2");
    // Nothing else writes the mode pane's neighbours.
    EXPECT_EQ(services.statusPanes.count(2), 0u);
}

TEST_F(ModeStatusTest, TheActivatedViewShowsItsMode) {
    ScriptedViewHost otherHost{CRect(0, 0, 400, 300)};
    CDibView other;
    other.AttachHost(&otherHost);
    other.OnSelectAll();
    view.OnMoveStatus();
    EXPECT_EQ(ModePane(), "Move  x1");
    other.OnActivateView(true, &other, &view);
    EXPECT_EQ(ModePane(), "Select all  x1");
    view.OnActivateView(false, &other, &view); // losing the focus writes nothing
    EXPECT_EQ(ModePane(), "Select all  x1");
    view.OnActivateView(true, &view, &other);
    EXPECT_EQ(ModePane(), "Move  x1");
    other.ClearBoard();
}

TEST_F(ModeStatusTest, OnlyTheModeInEffectIsChecked) {
    EXPECT_EQ(Checked(), std::vector<UINT>{ID_PAD_MODE});
    view.OnCommand(ID_LINE_MODE);
    EXPECT_EQ(Checked(), std::vector<UINT>{ID_LINE_MODE});
    view.OnCommand(ID_TRACK_MODE);
    EXPECT_EQ(Checked(), (std::vector<UINT>{ID_LINE_MODE, ID_TRACK_MODE}));
    view.OnCommand(ID_COMPONENT_MARK);
    EXPECT_EQ(Checked(), (std::vector<UINT>{ID_COMPONENT_MARK, ID_TRACK_MODE}));
    view.OnCommand(ID_TRACK_MODE);
    view.OnCommand(ID_SELECT_ALL);
    EXPECT_EQ(Checked(), std::vector<UINT>{ID_SELECT_ALL});
    view.OnCommand(ID_MOVE_STATUS);
    EXPECT_EQ(Checked(), std::vector<UINT>{ID_MOVE_STATUS});
    Key(VK_ESCAPE);
    EXPECT_EQ(Checked(), std::vector<UINT>{ID_COMPONENT_MARK});
}

TEST_F(ModeStatusTest, EnteringAndLeavingSelectAllRepaintsTheWholeView) {
    view.OnSelectAll();
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_TRUE(host.invalidations[0].whole);
    EXPECT_FALSE(host.invalidations[0].erase);
    view.OnSelectAll(); // already on
    EXPECT_EQ(host.invalidations.size(), 1u);
    view.OnMoveStatus();
    ASSERT_EQ(host.invalidations.size(), 2u);
    EXPECT_TRUE(host.invalidations[1].whole);
    // Modes that do not involve select-all repaint nothing.
    view.OnLineMode();
    view.OnComponentMark();
    view.OnPadMode();
    EXPECT_EQ(host.invalidations.size(), 2u);
    for (auto leave : {&CDibView::OnPadMode, &CDibView::OnLineMode, &CDibView::OnComponentMark}) {
        view.OnSelectAll();
        host.invalidations.clear();
        (view.*leave)();
        EXPECT_EQ(host.invalidations.size(), 1u);
    }
}

bool SameOp(const DrawOp& x, const DrawOp& y) {
    return x.kind == y.kind && x.pen == y.pen && x.brush == y.brush && x.a == y.a && x.b == y.b &&
           x.c == y.c && x.d == y.d;
}

// Halos of every shown object first, then exactly the drawing without
// select-all on top of them.
TEST_F(ModeStatusTest, SelectAllDrawsAHaloUnderEveryShownObject) {
    g_crLayerColor[1] = RGB(200, 0, 0);
    AddTrack(100, 100, 300, 100, 1);
    AddTrack(100, 200, 300, 200, 6);
    AddTrack(100, 300, 300, 300, 13); // never drawn, so no halo either
    AddPad(100, 100);
    AddPad(900, 100); // outside the view: no pad, no halo
    view.OnToggleLayer(6);
    view.DrawBoard();
    const std::vector<DrawOp> plain = Drawn();
    ASSERT_EQ(plain.size(), 2u);

    view.OnSelectAll();
    host.clientDrawing.ops.clear();
    view.DrawBoard();
    const std::vector<DrawOp> lit = Drawn();
    ASSERT_EQ(lit.size(), plain.size() + 4);
    for (std::size_t i = 0; i < plain.size(); ++i)
        EXPECT_TRUE(SameOp(lit[4 + i], plain[i])) << i;
    // A dark rim and a bright glow inside it, each a track line and a disc.
    const DrawOp& rimLine = lit[0];
    const DrawOp& rimDisc = lit[1];
    const DrawOp& glowLine = lit[2];
    const DrawOp& glowDisc = lit[3];
    ASSERT_EQ(rimLine.kind, DrawOp::LineTo);
    ASSERT_EQ(glowLine.kind, DrawOp::LineTo);
    ASSERT_EQ(rimDisc.kind, DrawOp::Ellipse);
    ASSERT_EQ(glowDisc.kind, DrawOp::Ellipse);
    EXPECT_EQ(CRect(rimLine.a, rimLine.b, rimLine.c, rimLine.d), CRect(100, 100, 300, 100));
    EXPECT_GT(rimLine.pen.width, glowLine.pen.width);
    EXPECT_GT(glowLine.pen.width, g_nLineWidth);
    const auto brightness = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    EXPECT_LT(brightness(rimLine.pen.color), 150);
    EXPECT_GT(brightness(glowLine.pen.color), 400);
    EXPECT_NE(glowLine.pen.color, g_crLayerColor[1]);
    EXPECT_EQ(rimDisc.pen.color, rimLine.pen.color);
    EXPECT_EQ(glowDisc.brush.color, glowLine.pen.color);
    const CRect pad(plain[1].a, plain[1].b, plain[1].c, plain[1].d);
    const CRect glow(glowDisc.a, glowDisc.b, glowDisc.c, glowDisc.d);
    const CRect rim(rimDisc.a, rimDisc.b, rimDisc.c, rimDisc.d);
    EXPECT_EQ(glow.left + glow.right, pad.left + pad.right);
    EXPECT_EQ(glow.top + glow.bottom, pad.top + pad.bottom);
    EXPECT_LT(glow.left, pad.left);
    EXPECT_LT(rim.left, glow.left);
    EXPECT_GT(rim.bottom, glow.bottom);

    // Leaving select-all draws exactly as before.
    view.OnPadMode();
    host.clientDrawing.ops.clear();
    view.DrawBoard();
    const std::vector<DrawOp> after = Drawn();
    ASSERT_EQ(after.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        EXPECT_TRUE(SameOp(after[i], plain[i])) << i;
}

// A halo reaches past its object, so one just outside the clip box still
// gets its halo drawn where the halo shows.
TEST_F(ModeStatusTest, HalosReachIntoTheClipBox) {
    host.clientDrawing.clipBox = CRect(100, 100, 400, 400);
    AddTrack(150, 94, 300, 94); // its stroke stops short, its halo does not
    view.OnSelectAll();
    view.DrawBoard();
    EXPECT_EQ(DrawnOf(DrawOp::LineTo).size(), 2u);
}

// The halos are drawn from one sweep over the board; an object that only
// the plain pass reaches (a pen wider than its halos: the width is taken
// by size, a halo grows from at least 1) is still drawn, in order.
TEST_F(ModeStatusTest, ObjectsOnlyThePlainPassReachesAreStillDrawn) {
    ParamsGuard params;
    host.clientDrawing.clipBox = CRect(100, 100, 400, 400);
    g_nLineWidth = -60; // strokes 60 wide, halos 11 and 7
    AddTrack(150, 60, 300, 60); // 40 above the clip box
    AddTrack(150, 200, 300, 200);
    view.OnSelectAll();
    view.DrawBoard();
    const std::vector<DrawOp> lines = DrawnOf(DrawOp::LineTo);
    // The inner track's two halos, then the plain pass in array order.
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].b, 200);
    EXPECT_EQ(lines[1].b, 200);
    EXPECT_EQ(lines[2].b, 60);
    EXPECT_EQ(lines[2].pen.width, -60);
    EXPECT_EQ(lines[3].b, 200);
}

} // namespace
