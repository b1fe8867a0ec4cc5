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
#include <span>
#include <vector>

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

// The indices of the objects a pass may draw: all of them, or those a
// first sweep kept.
template <typename Each>
void ForEachIndex(std::size_t count, const std::span<const int>* only, Each each) {
    if (only) {
        for (const int i : *only)
            if (i >= 0 && static_cast<std::size_t>(i) < count)
                each(static_cast<std::size_t>(i));
    } else {
        for (std::size_t i = 0; i < count; ++i)
            each(i);
    }
}

int TrackPenWidth(const Halo* halo) {
    return halo ? Grown(std::max(g_nLineWidth, 1), 2 * halo->grow) : g_nLineWidth;
}

// The client box a track's stroke may reach, or false when it is not drawn
// at all (hidden layer, no such layer, not a number).
bool TrackReach(const BoardScene& scene, const Track& t, int reach, CPoint* a, CPoint* b,
                CRect* box) {
    const int layer = TrackLayer(t);
    if (layer == 0 || (scene.layerVisible && (*scene.layerVisible)[layer] == 0))
        return false;
    if (!ToClient(t.x1, t.y1, scene.scroll, a) || !ToClient(t.x2, t.y2, scene.scroll, b))
        return false;
    *box = BoxOf(*a, *b);
    InflateSaturated(box, reach);
    return true;
}

// Objects go to the context in batches of this many: large, so that a
// context may sort a batch into bands of the screen (see pixel_raster.h).
constexpr std::size_t kBatch = 16384;

std::size_t BatchSize(std::size_t candidates) { return std::clamp<std::size_t>(candidates, 1, kBatch); }

void DrawTracks(const BoardScene& scene, CDC& dc, const CRect& clip, const Halo* halo,
                const std::span<const int>* only) {
    const int width = TrackPenWidth(halo);
    const int reach = StrokeReach(width);
    std::vector<ColoredLine> batch(BatchSize(only ? only->size() : scene.tracks.size()));
    std::size_t count = 0;
    ForEachIndex(scene.tracks.size(), only, [&](std::size_t i) {
        const Track& t = scene.tracks[i];
        CPoint a, b;
        CRect box;
        if (!TrackReach(scene, t, reach, &a, &b, &box) || !Touches(box, clip))
            return;
        batch[count++] = {a, b, halo ? halo->color : g_crLayerColor[TrackLayer(t)]};
        if (count == batch.size()) {
            dc.DrawLines(batch, width);
            count = 0;
        }
    });
    dc.DrawLines({batch.data(), count}, width);
}

// A pad is drawn only when its centre lies in the client rectangle, edges
// included, even though part of a disc centred just outside would show.
struct PadLook {
    Pen pen;
    int radiusX;
    int radiusY;
};

PadLook PadLookOf(const Halo* halo) {
    if (halo)
        return {Pen{1, halo->color}, Grown(g_nPadRadiusX, halo->grow), Grown(g_nPadRadiusY, halo->grow)};
    return {Pen{kPadPenWidth, kPadOutline}, g_nPadRadiusX, g_nPadRadiusY};
}

// The pad's disc and the client box its outline may reach, or false when
// it is not drawn at all (centre outside the client rectangle or not a number).
bool PadReach(const BoardScene& scene, const Pad& p, int radiusX, int radiusY, int reach,
              CRect* disc, CRect* box) {
    CPoint c;
    if (!ToClient(p.x, p.y, scene.scroll, &c))
        return false;
    const CRect& client = scene.client;
    if (c.x < client.left || c.x > client.right || c.y < client.top || c.y > client.bottom)
        return false;
    *disc = BoxAround(c, radiusX, radiusY);
    *box = BoxOf({disc->left, disc->top}, {disc->right, disc->bottom});
    InflateSaturated(box, reach);
    return true;
}

void DrawPads(const BoardScene& scene, CDC& dc, const CRect& clip, const Halo* halo,
              const std::span<const int>* only) {
    const PadLook look = PadLookOf(halo);
    const Pen oldPen = dc.SelectPen(look.pen);
    const Brush oldBrush = dc.SelectBrush(Brush{halo ? halo->color : kPadFill});
    const int reach = StrokeReach(look.pen.width);
    std::vector<CRect> batch(BatchSize(only ? only->size() : scene.pads.size()));
    std::size_t count = 0;
    ForEachIndex(scene.pads.size(), only, [&](std::size_t i) {
        CRect disc, box;
        if (!PadReach(scene, scene.pads[i], look.radiusX, look.radiusY, reach, &disc, &box) ||
            !Touches(box, clip))
            return;
        batch[count++] = disc;
        if (count == batch.size()) {
            dc.DrawEllipses(batch);
            count = 0;
        }
    });
    dc.DrawEllipses({batch.data(), count});
    dc.SelectBrush(oldBrush);
    dc.SelectPen(oldPen);
}

// Select-all draws every object three times; one sweep over the board
// keeps those that the widest of the passes could show, and the passes go
// through these alone, in array order.
struct ShownObjects {
    std::vector<int> tracks;
    std::vector<int> pads;
};

ShownObjects ObjectsAnyPassShows(const BoardScene& scene, const CRect& clip) {
    int trackReach = StrokeReach(TrackPenWidth(nullptr));
    PadLook widest = PadLookOf(nullptr);
    int padReach = StrokeReach(widest.pen.width);
    for (const Halo& halo : kHalos) {
        trackReach = std::max(trackReach, StrokeReach(TrackPenWidth(&halo)));
        const PadLook look = PadLookOf(&halo);
        widest.radiusX = std::max(widest.radiusX, look.radiusX);
        widest.radiusY = std::max(widest.radiusY, look.radiusY);
        padReach = std::max(padReach, StrokeReach(look.pen.width));
    }
    ShownObjects shown;
    for (std::size_t i = 0; i < scene.tracks.size(); ++i) {
        CPoint a, b;
        CRect box;
        if (TrackReach(scene, scene.tracks[i], trackReach, &a, &b, &box) && Touches(box, clip))
            shown.tracks.push_back(static_cast<int>(i));
    }
    for (std::size_t i = 0; i < scene.pads.size(); ++i) {
        CRect disc, box;
        if (PadReach(scene, scene.pads[i], widest.radiusX, widest.radiusY, padReach, &disc, &box) &&
            Touches(box, clip))
            shown.pads.push_back(static_cast<int>(i));
    }
    return shown;
}

void PaintRubberBand(CDibView& view, CDC& dc, CPoint scroll, const CRect& client) {
    CPoint cursor = view.GetCursorPos();
    view.ScreenToClient(&cursor);
    if (!client.PtInRect(cursor))
        return;
    const CPoint start = view.m_ptLastPoint - scroll;
    DrawRubberBand(dc, start, ChainEndAt(view, start, cursor));
}

// The ring lies outside the pad's red rim, and within the drag margin.
constexpr int kRingGrow = 3;
constexpr int kRingPenWidth = 2;

void DrawJoinedPadRings(const BoardScene& scene, CDC& dc, const CRect& clip) {
    const int radiusX = Grown(g_nPadRadiusX, kRingGrow);
    const int radiusY = Grown(g_nPadRadiusY, kRingGrow);
    ForEachIndex(scene.pads.size(), &scene.joinedPads, [&](std::size_t i) {
        const Pad& p = scene.pads[i];
        CRect disc, box;
        CPoint centre;
        if (PadReach(scene, p, radiusX, radiusY, StrokeReach(kRingPenWidth), &disc, &box) &&
            Touches(box, clip) && ToClient(p.x, p.y, scene.scroll, &centre))
            DrawPadRing(dc, centre);
    });
}

void PaintJoinedTracks(const BoardScene& scene, CDC& dc, const CRect& clip) {
    if (scene.joinedTracks.empty())
        return;
    constexpr Halo kJoined{0, kJoinedColor};
    DrawTracks(scene, dc, clip, &kJoined, &scene.joinedTracks);
}
} // namespace

void DrawPadRing(CDC& dc, CPoint centre) {
    const Pen oldPen = dc.SelectPen(Pen{kRingPenWidth, kJoinedColor});
    const Brush oldBrush = dc.SelectBrush(Brush{kJoinedColor, true});
    const CRect ring =
        BoxAround(centre, Grown(g_nPadRadiusX, kRingGrow), Grown(g_nPadRadiusY, kRingGrow));
    dc.Ellipse(ring.left, ring.top, ring.right, ring.bottom);
    dc.SelectBrush(oldBrush);
    dc.SelectPen(oldPen);
}

namespace board {
void DrawRubberBand(CDC& dc, CPoint start, const ChainPoint& end) {
    const Pen previous = dc.SelectPen(Pen{g_nLineWidth, kBandColor});
    dc.MoveTo(end.client.x, end.client.y);
    dc.LineTo(start.x, start.y);
    dc.SelectPen(previous);
    if (end.pad >= 0)
        DrawPadRing(dc, end.client);
}
} // namespace board

namespace {
// Select-all's halos under every object a pass may show.
void DrawHalos(const BoardScene& scene, CDC& dc, const CRect& clip,
               std::span<const int> tracks, std::span<const int> pads) {
    for (const Halo& halo : kHalos) {
        DrawTracks(scene, dc, clip, &halo, &tracks);
        DrawPads(scene, dc, clip, &halo, &pads);
    }
}
} // namespace

// What lies wholly outside the context's clip box is skipped: it could not
// change a pixel.
void PaintBoard(CDC& dc, const BoardScene& scene) {
    const CRect clip = dc.GetClipBox();
    if (scene.realScale) {
        if (scene.highlightAll) {
            const ShownObjects shown = ObjectsAnyPassShows(scene, clip);
            DrawHalos(scene, dc, clip, shown.tracks, shown.pads);
        }
        PaintRealSizes(dc, scene, clip);
        PaintJoinedTracks(scene, dc, clip);
        DrawJoinedPadRings(scene, dc, clip);
        return;
    }
    if (!scene.highlightAll) {
        DrawTracks(scene, dc, clip, nullptr, nullptr);
        PaintJoinedTracks(scene, dc, clip);
        DrawPads(scene, dc, clip, nullptr, nullptr);
        DrawJoinedPadRings(scene, dc, clip);
        return;
    }
    const ShownObjects shown = ObjectsAnyPassShows(scene, clip);
    const std::span<const int> tracks(shown.tracks);
    const std::span<const int> pads(shown.pads);
    DrawHalos(scene, dc, clip, tracks, pads);
    DrawTracks(scene, dc, clip, nullptr, &tracks);
    PaintJoinedTracks(scene, dc, clip);
    DrawPads(scene, dc, clip, nullptr, &pads);
    DrawJoinedPadRings(scene, dc, clip);
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
    const BoardScene::RealScale real{m_nScale.Factor() / MilPerPixelX(),
                                     m_nScale.Factor() / MilPerPixelY()};
    if (g_bShowRealSizes && std::isfinite(real.pixelsPerMilX) && std::isfinite(real.pixelsPerMilY)) {
        scene.realScale = &real;
        if (m_pPadSizes)
            scene.padSizes = {m_pPadSizes, scene.pads.size()};
        if (m_pTrackSizes)
            scene.trackSizes = {m_pTrackSizes, scene.tracks.size()};
    }
    std::vector<int> joinedTracks, joinedPads;
    if (m_bMoveMode) {
        joinedTracks = JoinedTracks(*this, m_Hover);
        joinedPads = JoinedPads(*this, m_Hover);
    }
    scene.joinedTracks = joinedTracks;
    scene.joinedPads = joinedPads;
    PaintBoard(*dc, scene);
    if (m_bLineStarted)
        PaintRubberBand(*this, *dc, scene.scroll, scene.client);
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
