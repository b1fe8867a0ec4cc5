// Drawing the board over the image: tracks in array order, then pads, then
// the rubber band of a track chain at the pointer.
#include "board/board_painter.h"
#include "board/dib_view.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace board;

namespace {
constexpr COLORREF kPadOutline = RGB(255, 0, 0);
constexpr COLORREF kPadFill = RGB(0, 0, 0);
constexpr COLORREF kBandColor = RGB(255, 255, 255);
constexpr int kPadPenWidth = 2;

// How far a wide pen's stroke may reach beyond a line's end points or an
// ellipse's box; anything farther from the clip box cannot change a pixel.
// Client positions lie within kFarAway of the origin, so a reach beyond it
// already covers everything.
int StrokeReach(int penWidth) { return std::min(AbsSaturated(penWidth), kFarAway) + 2; }

// Select-all shows what it moves: every object gets a dark rim and a bright
// glow, drawn under all objects, so it reads on dark boards and light scans.
struct Halo {
    int grow; // pixels beyond the object's own outline, on each side
    COLORREF color;
};
constexpr Halo kHalos[] = {{5, RGB(0, 0, 0)}, {3, RGB(0, 255, 255)}};

int Grown(int size, int grow) { return SaturateToInt(std::int64_t{AbsSaturated(size)} + grow); }

void DrawTracks(const BoardScene& scene, CDC& dc, const CRect& clip, const Halo* halo) {
    const int width = halo ? Grown(std::max(g_nLineWidth, 1), 2 * halo->grow) : g_nLineWidth;
    const int reach = StrokeReach(width);
    const CPoint scroll = scene.scroll;
    for (const Track& t : scene.tracks) {
        const int layer = TrackLayer(t);
        if (layer == 0 || (scene.layerVisible && (*scene.layerVisible)[layer] == 0))
            continue;
        CPoint a, b;
        if (!ToClient(t.x1, t.y1, scroll, &a) || !ToClient(t.x2, t.y2, scroll, &b))
            continue;
        CRect box = BoxOf(a, b);
        InflateSaturated(&box, reach);
        if (!Touches(box, clip))
            continue;
        const COLORREF color = halo ? halo->color : g_crLayerColor[layer];
        const Pen previous = dc.SelectPen(Pen{width, color});
        dc.MoveTo(a.x, a.y);
        dc.LineTo(b.x, b.y);
        dc.SelectPen(previous);
    }
}

// A pad is drawn only when its centre lies in the client rectangle, edges
// included, even though part of a disc centred just outside would show.
void DrawPads(const BoardScene& scene, CDC& dc, const CRect& clip, const Halo* halo) {
    const Pen pen = halo ? Pen{1, halo->color} : Pen{kPadPenWidth, kPadOutline};
    const int radiusX = halo ? Grown(g_nPadRadiusX, halo->grow) : g_nPadRadiusX;
    const int radiusY = halo ? Grown(g_nPadRadiusY, halo->grow) : g_nPadRadiusY;
    const Pen oldPen = dc.SelectPen(pen);
    const Brush oldBrush = dc.SelectBrush(Brush{halo ? halo->color : kPadFill});
    const int reach = StrokeReach(pen.width);
    const CPoint scroll = scene.scroll;
    const CRect& client = scene.client;
    for (const Pad& p : scene.pads) {
        CPoint c;
        if (!ToClient(p.x, p.y, scroll, &c))
            continue;
        if (c.x < client.left || c.x > client.right || c.y < client.top || c.y > client.bottom)
            continue;
        const CRect disc = BoxAround(c, radiusX, radiusY);
        CRect reachBox = BoxOf({disc.left, disc.top}, {disc.right, disc.bottom});
        InflateSaturated(&reachBox, reach);
        if (!Touches(reachBox, clip))
            continue;
        dc.Ellipse(disc.left, disc.top, disc.right, disc.bottom);
    }
    dc.SelectBrush(oldBrush);
    dc.SelectPen(oldPen);
}

void DrawRubberBand(CDibView& view, CDC& dc, CPoint scroll, const CRect& client) {
    CPoint cursor = view.GetCursorPos();
    view.ScreenToClient(&cursor);
    if (!client.PtInRect(cursor))
        return;
    const CPoint start = view.m_ptLastPoint - scroll;
    const CPoint end = view.m_bFreeAngle ? cursor : view.SnapTrackEnd(start, cursor);
    const Pen previous = dc.SelectPen(Pen{g_nLineWidth, kBandColor});
    dc.MoveTo(end.x, end.y);
    dc.LineTo(start.x, start.y);
    dc.SelectPen(previous);
}
} // namespace

// What lies wholly outside the context's clip box is skipped: it could not
// change a pixel.
void PaintBoard(CDC& dc, const BoardScene& scene) {
    const CRect clip = dc.GetClipBox();
    if (scene.highlightAll)
        for (const Halo& halo : kHalos) {
            DrawTracks(scene, dc, clip, &halo);
            DrawPads(scene, dc, clip, &halo);
        }
    DrawTracks(scene, dc, clip, nullptr);
    DrawPads(scene, dc, clip, nullptr);
}

// Draws with a client context of its own, never the one being painted, so a
// printed page or the print preview shows the image alone.
void CDibView::DrawBoard() {
    std::unique_ptr<CDC> dc = GetClientDC();
    if (!dc)
        return;
    BoardScene scene;
    if (m_pPads)
        scene.pads = {m_pPads, static_cast<size_t>(std::max(0, m_nPadCount))};
    if (m_pTracks)
        scene.tracks = {m_pTracks, static_cast<size_t>(std::max(0, m_nTrackCount))};
    scene.layerVisible = &m_bLayerVisible;
    scene.scroll = GetScrollPosition();
    scene.client = ClientRect();
    scene.highlightAll = m_bSelectAll;
    PaintBoard(*dc, scene);
    if (m_bLineStarted)
        DrawRubberBand(*this, *dc, scene.scroll, scene.client);
    board::PaintMeasureLine(*this, *dc);
}

// The 45-degree constraint: the end of a segment from start towards the
// cursor, horizontal, vertical or diagonal by the cursor's angle. The bounds
// are the single-precision values of 0.3927 and 1.178 (about 22.5 and 67.5
// degrees), and a vertical cursor counts as 1.570795.
CPoint CDibView::SnapTrackEnd(CPoint start, CPoint cursor) const {
    constexpr double kVertical = 1.5707950592041016;
    constexpr double kHorizontalBound = 0.3926999866962433;
    constexpr double kDiagonalBound = 1.1779999732971191;
    const int sign = cursor.x < start.x ? -1 : 1;
    const std::int64_t dx = std::llabs(std::int64_t{cursor.x} - start.x);
    const std::int64_t dy = std::llabs(std::int64_t{cursor.y} - start.y);
    const double angle =
        dx == 0 ? kVertical : std::atan(static_cast<double>(dy) / static_cast<double>(dx));
    if (angle <= kHorizontalBound)
        return {cursor.x, start.y};
    if (angle < kDiagonalBound)
        return {SaturateToInt(start.x + sign * dy), cursor.y};
    return {start.x, cursor.y};
}
