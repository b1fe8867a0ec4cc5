// Finding what lies under a point: the pad and track hit tests of the mouse
// and the keyboard, and the searches that make up a junction.
#include "board/dib_view.h"
#include "board/view_geometry.h"

#include <cmath>

using namespace board;

namespace {
// The hit-test margins around what was found, for the repaint after a move.
constexpr int kPadHitMargin = 13;
constexpr int kTrackHitMargin = 10;

// Distance from (px, py) to the line through a and b, by the perpendicular
// foot; a and b must differ.
double DistanceToLine(int px, int py, CPoint a, CPoint b) {
    const double dx = static_cast<double>(a.x) - b.x;
    const double dy = static_cast<double>(a.y) - b.y;
    const double fx = (px * dx * dx + dy * dx * (static_cast<double>(py) - a.y) + a.x * dy * dy) /
                      (dx * dx + dy * dy);
    const double fy = a.x != b.x ? a.y - dy * (a.x - fx) / dx : static_cast<double>(py);
    return std::sqrt((py - fy) * (py - fy) + (px - fx) * (px - fx));
}
} // namespace

// Only centres strictly inside the view's top left can be hit, and the
// squared distance must be below the product of the two radii.
int CDibView::HitTestPad(int px, int py, int sx, int sy) {
    if (!m_pPads)
        return -1;
    const CPoint scroll{sx, sy};
    const std::int64_t limit = std::int64_t{g_nPadRadiusX} * g_nPadRadiusY;
    for (int i = 0; i < m_nPadCount; ++i) {
        CPoint c;
        if (!ToClient(m_pPads[i].x, m_pPads[i].y, scroll, &c))
            continue;
        if (c.x <= 0 || c.y <= 0)
            continue;
        const std::int64_t ex = std::int64_t{c.x} - px;
        const std::int64_t ey = std::int64_t{c.y} - py;
        if (ex * ex + ey * ey < limit) {
            m_rcRedraw = BoxAround(c, g_nPadRadiusX, g_nPadRadiusY);
            InflateSaturated(&m_rcRedraw, kPadHitMargin);
            return i;
        }
    }
    return -1;
}

// Only tracks of the current layer count. A track must lie wholly right of
// and below the view's top left, be more than a point on screen, hold the
// point in its box (edges included) and pass within half the line width.
int CDibView::HitTestTrack(int px, int py, int sx, int sy) {
    if (!m_pTracks)
        return -1;
    const CPoint scroll{sx, sy};
    const float layer = static_cast<float>(g_nCurrentLayer);
    const double tolerance = g_nLineWidth / 2;
    for (int i = 0; i < m_nTrackCount; ++i) {
        const Track& t = m_pTracks[i];
        if (t.layer != layer || TrackLayer(t) == 0)
            continue;
        CPoint a, b;
        if (!ToClient(t.x1, t.y1, scroll, &a) || !ToClient(t.x2, t.y2, scroll, &b))
            continue;
        if (a == b)
            continue;
        if (a.x <= 0 || a.y <= 0 || b.x <= 0 || b.y <= 0)
            continue;
        const CRect box = BoxOf(a, b);
        if (px < box.left || px > box.right || py < box.top || py > box.bottom)
            continue;
        if (DistanceToLine(px, py, a, b) <= tolerance) {
            m_rcRedraw = box;
            InflateSaturated(&m_rcRedraw, kTrackHitMargin);
            return i;
        }
    }
    return -1;
}

bool CDibView::IsWithinRadius(float ax, float ay, float bx, float by, float r) {
    return (ax - bx) * (ax - bx) + (ay - by) * (ay - by) <= r * r;
}

int CDibView::FindPadNear(float x, float y) const {
    if (!m_pPads)
        return -1;
    const float r = static_cast<float>(g_nPadRadiusX);
    for (int i = 0; i < m_nPadCount; ++i)
        if (IsWithinRadius(m_pPads[i].x, m_pPads[i].y, x, y, r))
            return i;
    return -1;
}

// Both searches skip the whole track that owns the excluded index and, of a
// track whose two ends qualify, give end 1.
int CDibView::FindTrackEndNear(int start, int excluded, float x, float y) const {
    if (!m_pTracks)
        return -1;
    const float r = static_cast<float>(g_nPadRadiusX);
    for (int t = start < 0 ? 0 : start; t < m_nTrackCount; ++t) {
        if (excluded == 5 * t || excluded == 5 * t + 2)
            continue;
        const Track& k = m_pTracks[t];
        if (IsWithinRadius(k.x1, k.y1, x, y, r))
            return 5 * t;
        if (IsWithinRadius(k.x2, k.y2, x, y, r))
            return 5 * t + 2;
    }
    return -1;
}

int CDibView::FindTrackEndAt(int start, int excluded, float layer, float x, float y) const {
    if (!m_pTracks)
        return -1;
    for (int t = start < 0 ? 0 : start; t < m_nTrackCount; ++t) {
        if (excluded == 5 * t || excluded == 5 * t + 2)
            continue;
        const Track& k = m_pTracks[t];
        if (k.layer != layer)
            continue;
        if (k.x1 == x && k.y1 == y)
            return 5 * t;
        if (k.x2 == x && k.y2 == y)
            return 5 * t + 2;
    }
    return -1;
}
