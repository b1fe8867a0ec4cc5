// The board at the objects' own sizes, so that a traced track or pad can be
// matched against the copper on the scan.
#include "board/board_painter.h"
#include "board/view_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace board;

namespace {
constexpr COLORREF kPadCopper = RGB(255, 0, 0);
constexpr COLORREF kHoleColor = RGB(0, 0, 0);

// Pixels for a length in mils: rounded, at least one, never beyond what a
// client position can hold.
int LengthInPixels(int mils, double pixelsPerMil) {
    const double pixels = std::round(std::max(mils, 0) * pixelsPerMil);
    return static_cast<int>(std::clamp(pixels, 1.0, static_cast<double>(kFarAway)));
}

// A box of the given size centred on c, saturating at the far-away bound.
CRect BoxOfSize(CPoint c, int width, int height) {
    const auto edge = [](std::int64_t v) { return SaturateToInt(v); };
    return CRect(edge(std::int64_t{c.x} - width / 2), edge(std::int64_t{c.y} - height / 2),
                 edge(std::int64_t{c.x} - width / 2 + width),
                 edge(std::int64_t{c.y} - height / 2 + height));
}

void DrawTrack(CDC& dc, const BoardScene& scene, std::size_t i, const CRect& clip) {
    const Track& t = scene.tracks[i];
    const int layer = TrackLayer(t);
    if (layer == 0 || (scene.layerVisible && (*scene.layerVisible)[layer] == 0))
        return;
    CPoint a, b;
    if (!ToClient(t.x1, t.y1, scene.scroll, &a) || !ToClient(t.x2, t.y2, scene.scroll, &b))
        return;
    const int mils = i < scene.trackSizes.size() ? scene.trackSizes[i].width : TrackSize{}.width;
    const double perMil = std::max(scene.realScale->pixelsPerMilX, scene.realScale->pixelsPerMilY);
    const int width = LengthInPixels(mils, perMil);
    CRect box = BoxOf(a, b);
    InflateSaturated(&box, width / 2 + 2);
    if (!Touches(box, clip))
        return;
    const ColoredLine line{a, b, g_crLayerColor[layer]};
    dc.DrawLines({&line, 1}, width);
}

// An octagon with its corners cut by the same length on both sides, as a
// regular octagon has in a square box.
std::array<CPoint, 8> OctagonIn(const CRect& r) {
    const int cut = static_cast<int>(std::min(r.Width(), r.Height()) * (1 - 1 / std::sqrt(2.0)));
    return {CPoint(r.left + cut, r.top),    CPoint(r.right - cut, r.top),
            CPoint(r.right, r.top + cut),   CPoint(r.right, r.bottom - cut),
            CPoint(r.right - cut, r.bottom), CPoint(r.left + cut, r.bottom),
            CPoint(r.left, r.bottom - cut), CPoint(r.left, r.top + cut)};
}

void DrawPad(CDC& dc, const BoardScene& scene, std::size_t i, const CRect& clip) {
    CPoint c;
    if (!ToClient(scene.pads[i].x, scene.pads[i].y, scene.scroll, &c))
        return;
    const PadSize size = i < scene.padSizes.size() ? scene.padSizes[i] : PadSize{};
    const BoardScene::RealScale& scale = *scene.realScale;
    const CRect body = BoxOfSize(c, LengthInPixels(size.x, scale.pixelsPerMilX),
                                 LengthInPixels(size.y, scale.pixelsPerMilY));
    CRect reach = body;
    InflateSaturated(&reach, 2);
    if (!Touches(reach, clip))
        return;
    dc.SelectPen(Pen{1, kPadCopper});
    dc.SelectBrush(Brush{kPadCopper});
    switch (size.shape) {
    case PadShape::Rectangle: {
        const std::array<CPoint, 4> corners = {CPoint(body.left, body.top), CPoint(body.right, body.top),
                                               CPoint(body.right, body.bottom),
                                               CPoint(body.left, body.bottom)};
        dc.Polygon(corners);
        break;
    }
    case PadShape::Octagon: dc.Polygon(OctagonIn(body)); break;
    case PadShape::Round: dc.Ellipse(body.left, body.top, body.right, body.bottom); break;
    }
    if (size.hole <= 0)
        return;
    const CRect hole = BoxOfSize(c, LengthInPixels(size.hole, scale.pixelsPerMilX),
                                 LengthInPixels(size.hole, scale.pixelsPerMilY));
    dc.SelectPen(Pen{1, kHoleColor});
    dc.SelectBrush(Brush{kHoleColor});
    dc.Ellipse(hole.left, hole.top, hole.right, hole.bottom);
}
} // namespace

void PaintRealSizes(CDC& dc, const BoardScene& scene, const CRect& clip) {
    for (std::size_t i = 0; i < scene.tracks.size(); ++i)
        DrawTrack(dc, scene, i, clip);
    const Pen oldPen = dc.SelectPen(Pen{1, kPadCopper});
    const Brush oldBrush = dc.SelectBrush(Brush{kPadCopper});
    for (std::size_t i = 0; i < scene.pads.size(); ++i)
        DrawPad(dc, scene, i, clip);
    dc.SelectBrush(oldBrush);
    dc.SelectPen(oldPen);
}
