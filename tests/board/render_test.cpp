#include "view_fixture.h"

#include <limits>

namespace {

using RenderTest = BoardViewTest;

TEST_F(RenderTest, SnapTrackEndFromOrigin) {
    struct Case {
        CPoint cursor, expected;
    };
    const Case cases[] = {
        {{10, 4}, {10, 0}},  {{10, 5}, {5, 5}},   {{10, 24}, {24, 24}}, {{10, 25}, {0, 25}},
        {{-10, 5}, {-5, 5}}, {{0, 7}, {0, 7}},    {{0, 0}, {0, 0}},     {{-10, -24}, {-24, -24}},
        {{30, 10}, {30, 0}}, {{-10, 25}, {0, 25}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view.SnapTrackEnd({0, 0}, c.cursor), c.expected)
            << "cursor " << c.cursor.x << "," << c.cursor.y;
    // Relative to another start the diagonal ends on the cursor's row.
    EXPECT_EQ(view.SnapTrackEnd({130, 100}, {150, 140}), CPoint(170, 140));
}

// Cursors a fraction of a degree either side of 22.5 and 67.5 degrees, so
// that a bound moved by one per cent changes the direction of one of them.
TEST_F(RenderTest, SnapBoundsLieAtTwentyTwoAndAHalfAndSixtySevenAndAHalfDegrees) {
    const CPoint start{500, 500};
    EXPECT_EQ(view.SnapTrackEnd(start, {1500, 911}), CPoint(1500, 500)) << "22.34 degrees";
    EXPECT_EQ(view.SnapTrackEnd(start, {1500, 917}), CPoint(917, 917)) << "22.64 degrees";
    EXPECT_EQ(view.SnapTrackEnd(start, {-500, 83}), CPoint(83, 83)) << "22.64 degrees, left, up";
    EXPECT_EQ(view.SnapTrackEnd(start, {1500, 2890}), CPoint(2890, 2890)) << "67.30 degrees";
    EXPECT_EQ(view.SnapTrackEnd(start, {1500, 2930}), CPoint(500, 2930)) << "67.63 degrees";
    EXPECT_EQ(view.SnapTrackEnd(start, {-500, -1930}), CPoint(500, -1930)) << "67.63, left, up";
}

TEST_F(RenderTest, TracksAreTruncatedAndShiftedByTheScrollPosition) {
    view.ScrollToPosition({100, 50});
    ASSERT_EQ(view.GetScrollPosition(), CPoint(100, 50));
    g_crLayerColor[2] = RGB(1, 2, 3);
    AddTrack(150.9f, 60.2f, 300.0f, 60.7f, 2);
    view.DrawBoard();
    const auto lines = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(CRect(lines[0].a, lines[0].b, lines[0].c, lines[0].d), CRect(50, 10, 200, 10));
    EXPECT_EQ(lines[0].pen, (Pen{3, RGB(1, 2, 3)}));
    // The pen selected for the track is put back afterwards.
    EXPECT_EQ(host.clientDrawing.pen, Pen{});
    EXPECT_EQ(host.clientDCs, 1);
}

TEST_F(RenderTest, LayersOrderAndVisibility) {
    AddTrack(10, 10, 20, 10, 1);
    AddTrack(10, 20, 20, 20, 6);
    AddTrack(10, 30, 20, 30, 13);  // outside the twelve layers: never drawn
    AddTrack(10, 40, 20, 40, 0);
    AddPad(50, 50);
    view.OnToggleLayer(6);
    view.DrawBoard();
    const auto drawn = Drawn();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].kind, DrawOp::LineTo);
    EXPECT_EQ(drawn[0].b, 10);
    // Pads come after tracks, red outline of width 2 over a black fill.
    EXPECT_EQ(drawn[1].kind, DrawOp::Ellipse);
    EXPECT_EQ(CRect(drawn[1].a, drawn[1].b, drawn[1].c, drawn[1].d), CRect(45, 45, 55, 55));
    EXPECT_EQ(drawn[1].pen, (Pen{2, RGB(255, 0, 0)}));
    EXPECT_EQ(drawn[1].brush, (Brush{RGB(0, 0, 0)}));

    // Hiding every layer still shows the pads.
    for (int layer = 1; layer <= 12; ++layer)
        if (layer != 6)
            view.OnToggleLayer(layer);
    host.clientDrawing.ops.clear();
    view.DrawBoard();
    ASSERT_EQ(Drawn().size(), 1u);
    EXPECT_EQ(Drawn()[0].kind, DrawOp::Ellipse);
}

TEST_F(RenderTest, PadsAreDrawnOnlyWithTheirCentreInsideTheClientArea) {
    AddPad(800, 600); // on the right and bottom edges: drawn
    AddPad(801, 300); // one pixel further out: not drawn
    AddPad(400, 601);
    AddPad(0, 0);     // the top left corner counts as inside
    AddPad(-1, 10);
    view.DrawBoard();
    const auto pads = DrawnOf(DrawOp::Ellipse);
    ASSERT_EQ(pads.size(), 2u);
    EXPECT_EQ(pads[0].a, 795);
    EXPECT_EQ(pads[1].a, -5);
}

TEST_F(RenderTest, RubberBandFollowsThePointerInsideTheViewOnly) {
    view.OnLineMode();
    Click({100, 100});
    host.clientDrawing.ops.clear();
    host.PutPointer({130, 110});
    view.DrawBoard();
    auto lines = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    // Drawn from the snapped end back to the chain's last point, in white.
    EXPECT_EQ(CRect(lines[0].a, lines[0].b, lines[0].c, lines[0].d), CRect(130, 100, 100, 100));
    EXPECT_EQ(lines[0].pen, (Pen{3, RGB(255, 255, 255)}));

    host.clientDrawing.ops.clear();
    host.PutPointer({800, 110}); // right edge is outside
    view.DrawBoard();
    EXPECT_TRUE(Drawn().empty());

    view.OnTrackMode();
    host.PutPointer({0, 0});
    view.DrawBoard();
    lines = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(CRect(lines[0].a, lines[0].b, lines[0].c, lines[0].d), CRect(0, 0, 100, 100));
}

// What lies wholly outside the clip box is skipped; whatever could touch a
// pixel inside it is drawn exactly as without the clip box.
TEST_F(RenderTest, ClipBoxSkipsOnlyWhatCannotShow) {
    AddTrack(10, 10, 90, 10);    // left of the clip box
    AddTrack(10, 10, 400, 300);  // crosses it
    AddTrack(300, 95, 350, 95);  // above it, but its 3-pixel stroke is near
    AddTrack(500, 500, 600, 500);
    AddPad(150, 150);            // inside
    AddPad(95, 150);             // disc reaches the box
    AddPad(50, 150);             // far away
    view.DrawBoard();
    const auto everything = Drawn();

    host.clientDrawing.ops.clear();
    host.clientDrawing.clipBox = CRect(100, 100, 400, 400);
    view.DrawBoard();
    const auto clipped = Drawn();
    ASSERT_EQ(clipped.size(), 4u);
    EXPECT_EQ(clipped[0].c, everything[1].c);
    EXPECT_EQ(clipped[1].a, 300);
    EXPECT_EQ(clipped[2].a, 145);
    EXPECT_EQ(clipped[3].a, 90);
}

// The parameters dialog takes any int for the width, and the widest pen
// still reaches every pixel a track could touch.
TEST_F(RenderTest, ExtremeLineWidthsStillDrawTheTracks) {
    host.clientDrawing.clipBox = CRect(100, 100, 400, 400);
    AddTrack(150, 150, 300, 150);
    for (const int width : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
        g_nLineWidth = width;
        host.clientDrawing.ops.clear();
        view.DrawBoard();
        EXPECT_EQ(DrawnOf(DrawOp::LineTo).size(), 1u) << "line width " << width;
    }
}

TEST_F(RenderTest, CoordinatesThatAreNotNumbersAreNotDrawn) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    AddTrack(nan, 10, 20, 20);
    AddPad(10, nan);
    AddTrack(1e30f, 10, 20, 20); // far away, but drawable without overflow
    view.DrawBoard();
    const auto lines = DrawnOf(DrawOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_GT(lines[0].a, 1000000);
    EXPECT_TRUE(DrawnOf(DrawOp::Ellipse).empty());
}

} // namespace
