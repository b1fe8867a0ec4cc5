// Zooming, and the select-all transforms of the whole tracing: move, rotate
// and mirror.
#include "board/dib_view.h"
#include "board/mode_status.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"
#include "platform/parallel_parts.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace board;

namespace {
// Fewer objects than this are transformed on one core.
constexpr std::size_t kSharedObjects = 4096;

// A select-all transform is one step: the board with every point moved.
template <typename PointFn>
void TransformAll(CDibView& view, StepKind kind, PointFn fn) {
    std::vector<Pad> pads;
    std::vector<Track> tracks;
    if (view.m_pPads)
        pads.assign(view.m_pPads, view.m_pPads + view.m_nPadCount);
    if (view.m_pTracks)
        tracks.assign(view.m_pTracks, view.m_pTracks + view.m_nTrackCount);
    if (pads.empty() && tracks.empty())
        return;
    // Each point on its own: big boards share the points out over the cores.
    const std::size_t objects = pads.size() + tracks.size();
    const int parts = objects < kSharedObjects ? 1 : parallel::PartsAtOnce();
    parallel::RunParts(parts, [&](int k) {
        const auto share = [&](std::size_t n, std::size_t* from, std::size_t* to) {
            *from = n * std::size_t(k) / std::size_t(parts);
            *to = n * std::size_t(k + 1) / std::size_t(parts);
        };
        std::size_t from, to;
        share(pads.size(), &from, &to);
        for (std::size_t i = from; i < to; ++i)
            fn(pads[i].x, pads[i].y);
        share(tracks.size(), &from, &to);
        for (std::size_t i = from; i < to; ++i) {
            fn(tracks[i].x1, tracks[i].y1);
            fn(tracks[i].x2, tracks[i].y2);
        }
    });
    // Every object keeps its size.
    view.ReplaceBoard(pads, tracks, kind, {view.m_pPadSizes, pads.size()},
                      {view.m_pTrackSizes, tracks.size()});
}

CPoint ScalePoint(CPoint p, bool doubling) {
    if (doubling)
        return {SaturateToInt(2LL * p.x), SaturateToInt(2LL * p.y)};
    return {p.x / 2, p.y / 2};
}

// A chain in progress and a drag in progress go on at the new scale: the
// chain's last point and band end, the saved positions and the drag start
// are scaled with the board, so the chain continues where it was and a
// cancel puts everything back exactly where it would have been.
void ScaleEditState(CDibView& view, bool doubling, CPoint s0) {
    const float factor = doubling ? 2.0f : 0.5f;
    // The chain goes on from the exact end of its last segment, which after
    // halving may lie between whole pixels; the band starts at its pixel.
    view.m_fLastPointX *= factor;
    view.m_fLastPointY *= factor;
    ToClient(view.m_fLastPointX, view.m_fLastPointY, CPoint(0, 0), &view.m_ptLastPoint);
    view.m_ptBandEnd = ScalePoint(view.m_ptBandEnd, doubling);
    for (BackupEntry& e : view.m_PadBackup) {
        e.x *= factor;
        e.y *= factor;
    }
    for (BackupEntry& e : view.m_TrackBackup) {
        e.x *= factor;
        e.y *= factor;
    }
    if (!IsDragging(view))
        return;
    // The drag start is a client point: map it through stored coordinates.
    const CPoint start = ScalePoint(view.m_ptDragStart + s0, doubling);
    view.m_ptDragStart = start - view.GetScrollPosition();
}

void SetZoomedScrollSizes(CDibView& view) {
    const ZoomFactor zoom = view.m_nScale;
    view.SetScrollSizes(MM_TEXT, CSize(SaturateToInt(zoom.ZoomedExtent(std::max(0, view.m_nImageWidth))),
                                       SaturateToInt(zoom.ZoomedExtent(std::max(0, view.m_nImageHeight)))));
}

// The image's width or height in stored coordinates, exactly.
float ZoomedImageSide(const CDibView& view, int pixels) {
    return static_cast<float>(std::ldexp(static_cast<double>(pixels), view.m_nScale.Exponent()));
}

// One step of zoom, always by a factor of two, in either direction.
void StepZoom(CDibView& view, bool in, CPoint p0, CPoint s0) {
    view.m_nScale = in ? view.m_nScale.Doubled() : view.m_nScale.Halved();
    view.ScaleStoredCoordinates(in ? 2.0f : 0.5f);
    view.Invalidate(true);
    SetZoomedScrollSizes(view);
    if (in)
        view.ScrollToPosition({SaturateToInt(2LL * s0.x + p0.x), SaturateToInt(2LL * s0.y + p0.y)});
    else
        view.ScrollToPosition({SaturateToInt((static_cast<long long>(s0.x) + p0.x) / 2 - p0.x),
                               SaturateToInt((static_cast<long long>(s0.y) + p0.y) / 2 - p0.y)});
    ScaleEditState(view, in, s0);
    ShowModeStatus(view);
}

// Polar angle by cos = x / r and sin = y / r, turned by the angle.
void RotatePoint(float& x, float& y, double angle) {
    const double dx = x;
    const double dy = y;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (r == 0.0)
        return;
    const double theta = std::atan2(dy, dx) + angle;
    x = NarrowToFloat(r * std::cos(theta));
    y = NarrowToFloat(r * std::sin(theta));
}
} // namespace

namespace board {
bool CanZoomIn(const CDibView& view) {
    const ZoomFactor next = view.m_nScale.Doubled();
    const long long extent = std::max({0, view.m_nImageWidth, view.m_nImageHeight});
    return next != view.m_nScale && next.Numerator() <= kMaxScale &&
           next.ZoomedExtent(extent) <= kMaxZoomedExtent;
}

bool ScanFits(const CDibView& view, ZoomFactor zoom) {
    const CRect client = view.ClientRect();
    return zoom.ZoomedExtent(std::max(0, view.m_nImageWidth)) <= client.Width() &&
           zoom.ZoomedExtent(std::max(0, view.m_nImageHeight)) <= client.Height();
}

bool CanZoomOut(const CDibView& view) {
    if (view.m_nScale.Exponent() > 0)
        return true;
    return view.m_nScale.Halved() != view.m_nScale && !ScanFits(view, view.m_nScale);
}

ZoomFactor FitZoom(const CDibView& view) {
    ZoomFactor zoom;
    while (!ScanFits(view, zoom) && zoom.Halved() != zoom)
        zoom = zoom.Halved();
    while (zoom.Doubled().Numerator() <= kMaxScale && ScanFits(view, zoom.Doubled()))
        zoom = zoom.Doubled();
    return zoom;
}

void ZoomIn(CDibView& view, CPoint p0, CPoint s0) {
    if (CanZoomIn(view))
        StepZoom(view, true, p0, s0);
}

void ZoomOut(CDibView& view, CPoint p0, CPoint s0) {
    if (CanZoomOut(view))
        StepZoom(view, false, p0, s0);
}


void MoveAll(CDibView& view, float dx, float dy) {
    TransformAll(view, StepKind::MoveAll, [dx, dy](float& x, float& y) {
        x += dx;
        y += dy;
    });
}

// Each press turns the current coordinates again; nothing keeps a total
// angle, so rounding accumulates over many presses.
void RotateAll(CDibView& view, double angle) {
    TransformAll(view, StepKind::RotateAll, [angle](float& x, float& y) { RotatePoint(x, y, angle); });
}

void MirrorLeftRight(CDibView& view) {
    const float w = ZoomedImageSide(view, view.m_nImageWidth);
    TransformAll(view, StepKind::MirrorAll, [w](float& x, float&) { x = w - x; });
}

void MirrorTopBottom(CDibView& view) {
    const float h = ZoomedImageSide(view, view.m_nImageHeight);
    TransformAll(view, StepKind::MirrorAll, [h](float&, float& y) { y = h - y; });
}
} // namespace board
