// Snapping to pads: a chain point that falls on a pad goes to the pad's
// centre, and a dropped pad or track lands on the centre of the pad it was
// dropped on, so that the junction rules join them exactly.
#include "board/dib_view.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace board {
namespace {
double SquaredDistance(double ax, double ay, double bx, double by) {
    return (ax - bx) * (ax - bx) + (ay - by) * (ay - by);
}

ChainPoint Unsnapped(const CDibView& view, CPoint client) {
    const CPoint s = view.GetScrollPosition();
    const CPoint stored{SaturateToInt(std::int64_t{client.x} + s.x),
                        SaturateToInt(std::int64_t{client.y} + s.y)};
    return {client, stored, static_cast<float>(stored.x), static_cast<float>(stored.y), -1};
}

// Only called for a pad found by its distance, whose centre is a number.
ChainPoint OnPad(const CDibView& view, int pad) {
    const Pad& p = view.m_pPads[pad];
    ChainPoint point{{}, {}, p.x, p.y, pad};
    ToClient(p.x, p.y, view.GetScrollPosition(), &point.client);
    ToClient(p.x, p.y, CPoint{0, 0}, &point.stored);
    return point;
}

int PadUnder(const CDibView& view, CPoint client) {
    const CPoint s = view.GetScrollPosition();
    return NearestPadAt(view, static_cast<double>(client.x) + s.x,
                        static_cast<double>(client.y) + s.y);
}

// The pads nearest to two client points, found in one walk over the pads:
// a mouse move of the rubber band asks for both.
struct NearestPair {
    int first = -1;
    int second = -1;
};

NearestPair PadsUnder(const CDibView& view, CPoint first, CPoint second) {
    NearestPair nearest;
    if (!view.m_pPads)
        return nearest;
    const CPoint s = view.GetScrollPosition();
    const double ax = static_cast<double>(first.x) + s.x, ay = static_cast<double>(first.y) + s.y;
    const double bx = static_cast<double>(second.x) + s.x, by = static_cast<double>(second.y) + s.y;
    const double reach = static_cast<double>(std::int64_t{g_nPadRadiusX} * g_nPadRadiusY);
    double da = reach, db = reach;
    for (int i = 0; i < view.m_nPadCount; ++i) {
        const Pad& p = view.m_pPads[i];
        if (const double d = SquaredDistance(p.x, p.y, ax, ay); d < da) {
            da = d;
            nearest.first = i;
        }
        if (const double d = SquaredDistance(p.x, p.y, bx, by); d < db) {
            db = d;
            nearest.second = i;
        }
    }
    return nearest;
}

bool Moved(float x, float y, const BackupEntry& saved) { return x != saved.x || y != saved.y; }

bool DragMovedAnything(const CDibView& view) {
    for (const BackupEntry& e : view.m_PadBackup) {
        const int pad = e.index / 2;
        if (view.m_pPads && pad < view.m_nPadCount &&
            Moved(view.m_pPads[pad].x, view.m_pPads[pad].y, e))
            return true;
    }
    for (const BackupEntry& e : view.m_TrackBackup) {
        if (!view.m_pTracks || e.index / 5 >= view.m_nTrackCount)
            continue;
        const Track& t = view.m_pTracks[e.index / 5];
        if (e.index % 5 == 0 ? Moved(t.x1, t.y1, e) : Moved(t.x2, t.y2, e))
            return true;
    }
    return false;
}

struct Point {
    float x;
    float y;
};

// What may snap: the grabbed pad, or either end of the grabbed track.
std::vector<Point> GrabbedPoints(const CDibView& view) {
    if (view.m_pPads && view.m_nSelPad >= 0 && view.m_nSelPad < view.m_nPadCount)
        return {{view.m_pPads[view.m_nSelPad].x, view.m_pPads[view.m_nSelPad].y}};
    if (view.m_pTracks && view.m_nSelTrack >= 0 && view.m_nSelTrack < view.m_nTrackCount) {
        const Track& t = view.m_pTracks[view.m_nSelTrack];
        return {{t.x1, t.y1}, {t.x2, t.y2}};
    }
    return {};
}

// Everything saved keeps its place relative to the point that snaps, so
// whatever lay exactly on that point lies exactly on the target. All new
// positions are found before any is set: an item saved twice moves once.
void ShiftSavedItems(CDibView& view, Point from, Point to) {
    struct Placement {
        bool pad;
        int index;
        Point at;
    };
    const auto shifted = [&](float x, float y) -> Point {
        return {to.x + (x - from.x), to.y + (y - from.y)};
    };
    std::vector<Placement> placements;
    for (const BackupEntry& e : view.m_PadBackup) {
        const int pad = e.index / 2;
        if (view.m_pPads && pad < view.m_nPadCount)
            placements.push_back({true, pad, shifted(view.m_pPads[pad].x, view.m_pPads[pad].y)});
    }
    for (const BackupEntry& e : view.m_TrackBackup) {
        if (!view.m_pTracks || e.index / 5 >= view.m_nTrackCount)
            continue;
        const Track& t = view.m_pTracks[e.index / 5];
        const Point at = e.index % 5 == 0 ? shifted(t.x1, t.y1) : shifted(t.x2, t.y2);
        placements.push_back({false, e.index, at});
    }
    for (const Placement& p : placements) {
        if (p.pad)
            view.SetPadPosition(p.index, p.at.x, p.at.y);
        else
            view.SetTrackEnd(p.index, p.at.x, p.at.y);
    }
}
} // namespace

int NearestPadAt(const CDibView& view, double x, double y, const std::vector<int>& passOver) {
    if (!view.m_pPads)
        return -1;
    int nearest = -1;
    double nearestDistance = static_cast<double>(std::int64_t{g_nPadRadiusX} * g_nPadRadiusY);
    for (int i = 0; i < view.m_nPadCount; ++i) {
        const double d = SquaredDistance(view.m_pPads[i].x, view.m_pPads[i].y, x, y);
        if (!(d < nearestDistance))
            continue;
        if (std::find(passOver.begin(), passOver.end(), i) != passOver.end())
            continue;
        nearest = i;
        nearestDistance = d;
    }
    return nearest;
}

ChainPoint ChainStartAt(const CDibView& view, CPoint cursor) {
    const int pad = g_bSnapToPads ? PadUnder(view, cursor) : -1;
    return pad >= 0 ? OnPad(view, pad) : Unsnapped(view, cursor);
}

// The snap takes the place of the 45-degree constraint for this one
// segment; the next segment starts from the pad's centre.
ChainPoint ChainEndAt(const CDibView& view, CPoint start, CPoint cursor) {
    const CPoint end = view.m_bFreeAngle ? cursor : view.SnapTrackEnd(start, cursor);
    if (!g_bSnapToPads)
        return Unsnapped(view, end);
    const NearestPair pads = PadsUnder(view, cursor, end);
    const int pad = pads.first >= 0 ? pads.first : pads.second;
    return pad >= 0 ? OnPad(view, pad) : Unsnapped(view, end);
}

void SnapDroppedObjects(CDibView& view) {
    if (!g_bSnapToPads || !IsDragging(view) || !DragMovedAnything(view))
        return;
    std::vector<int> moving;
    for (const BackupEntry& e : view.m_PadBackup)
        moving.push_back(e.index / 2);
    Point from{}, to{};
    double nearest = 0;
    bool found = false;
    for (const Point& p : GrabbedPoints(view)) {
        const int pad = NearestPadAt(view, p.x, p.y, moving);
        if (pad < 0)
            continue;
        const Pad& target = view.m_pPads[pad];
        const double d = SquaredDistance(p.x, p.y, target.x, target.y);
        if (found && !(d < nearest))
            continue;
        found = true;
        nearest = d;
        from = p;
        to = {target.x, target.y};
    }
    if (!found)
        return;
    InvalidateBox(view, DraggedBox(view));
    ShiftSavedItems(view, from, to);
    InvalidateBox(view, DraggedBox(view));
}
} // namespace board
