// Moving connected pieces together. A junction is what is joined at a point:
// the first pad within the pad radius with every track end near that pad, or
// else the track ends of the same layer exactly at the point. The save
// operations remember positions for a mouse drag (moved from the saved values
// and restored exactly on cancel); the offset operations add keyboard steps.
// All of them grow m_rcRedraw; none repaints.
#include "board/dib_view.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"

#include <utility>

using namespace board;

namespace {
// The coordinate pair a coordinate index names in the track array (5t for end
// 1, 5t + 2 for end 2); empty for an index that names no end in use.
struct EndRef {
    float* x = nullptr;
    float* y = nullptr;
    explicit operator bool() const { return x != nullptr; }
};

EndRef TrackEnd(CDibView& view, int coord) {
    if (!view.m_pTracks || coord < 0)
        return {};
    const int t = coord / 5;
    if (t >= view.m_nTrackCount)
        return {};
    Track& k = view.m_pTracks[t];
    switch (coord % 5) {
    case 0: return {&k.x1, &k.y1};
    case 2: return {&k.x2, &k.y2};
    default: return {};
    }
}

Pad* PadAt(CDibView& view, int pad) {
    if (!view.m_pPads || pad < 0 || pad >= view.m_nPadCount)
        return nullptr;
    return &view.m_pPads[pad];
}

void GrowByPoint(CDibView& view, float x, float y) {
    CPoint c;
    if (ToClient(x, y, view.GetScrollPosition(), &c))
        GrowRect(&view.m_rcRedraw, c);
}

void GrowByTrack(CDibView& view, int coord) {
    const int t = coord / 5;
    if (!view.m_pTracks || coord < 0 || t >= view.m_nTrackCount)
        return;
    const Track& k = view.m_pTracks[t];
    GrowByPoint(view, k.x1, k.y1);
    GrowByPoint(view, k.x2, k.y2);
}
} // namespace

void CDibView::SavePad(int pad) {
    const Pad* p = PadAt(*this, pad);
    if (!p)
        return;
    m_PadBackup.push_back({2 * pad, p->x, p->y});
    GrowByPoint(*this, p->x, p->y);
}

void CDibView::SaveTrackEnd(int coord) {
    const EndRef end = TrackEnd(*this, coord);
    if (!end)
        return;
    m_TrackBackup.push_back({coord, *end.x, *end.y});
    GrowByTrack(*this, coord);
}

namespace {
// The walks a drag saves with, shared with finding what is joined: each
// hands the visitor, in the order a drag saves them, every track end (its
// TrackEnd, by coordinate index) and every pad (its PadIndex) that moves
// with what is grabbed.
template <typename Visitor>
void WalkPadWithTrackEnds(const CDibView& view, int excluded, int pad, Visitor& visit) {
    if (!view.m_pPads || pad < 0 || pad >= view.m_nPadCount)
        return;
    const float x = view.m_pPads[pad].x;
    const float y = view.m_pPads[pad].y;
    for (int c = view.FindTrackEndNear(0, excluded, x, y); c >= 0;
         c = view.FindTrackEndNear(c / 5 + 1, excluded, x, y))
        visit.TrackEnd(c);
    visit.PadIndex(pad);
}

template <typename Visitor>
void WalkJunction(const CDibView& view, int excluded, float x, float y, float layer,
                  Visitor& visit) {
    const int pad = view.FindPadNear(x, y);
    if (pad >= 0) {
        WalkPadWithTrackEnds(view, excluded, pad, visit);
        return;
    }
    for (int c = view.FindTrackEndAt(0, excluded, layer, x, y); c >= 0;
         c = view.FindTrackEndAt(c / 5 + 1, excluded, layer, x, y))
        visit.TrackEnd(c);
}

template <typename Visitor>
void WalkTrackWithJunctions(const CDibView& view, int track, Visitor& visit) {
    if (!view.m_pTracks || track < 0 || track >= view.m_nTrackCount)
        return;
    const Track k = view.m_pTracks[track];
    WalkJunction(view, 5 * track, k.x1, k.y1, k.layer, visit);
    visit.TrackEnd(5 * track);
    WalkJunction(view, 5 * track + 2, k.x2, k.y2, k.layer, visit);
    visit.TrackEnd(5 * track + 2);
}

struct SavingVisitor {
    CDibView& view;
    void TrackEnd(int coord) { view.SaveTrackEnd(coord); }
    void PadIndex(int pad) { view.SavePad(pad); }
};

struct CollectingVisitor {
    JoinedObjects joined;
    void TrackEnd(int coord) { joined.trackEnds.push_back(coord); }
    void PadIndex(int pad) { joined.pads.push_back(pad); }
};
} // namespace

void CDibView::SavePadWithTrackEnds(int excluded, int pad) {
    SavingVisitor save{*this};
    WalkPadWithTrackEnds(*this, excluded, pad, save);
}

void CDibView::SaveJunction(int excluded, float x, float y, float layer) {
    SavingVisitor save{*this};
    WalkJunction(*this, excluded, x, y, layer, save);
}

void CDibView::SaveTrackWithJunctions(int track) {
    SavingVisitor save{*this};
    WalkTrackWithJunctions(*this, track, save);
}

JoinedObjects CDibView::JoinedToPad(int pad) const {
    CollectingVisitor collect;
    WalkPadWithTrackEnds(*this, -1, pad, collect);
    return std::move(collect.joined);
}

JoinedObjects CDibView::JoinedToTrack(int track) const {
    CollectingVisitor collect;
    WalkTrackWithJunctions(*this, track, collect);
    return std::move(collect.joined);
}

// Positions are recomputed from the saved values at every move, never
// accumulated, so that a cancel restores them exactly.
void CDibView::MoveSavedTrackEnds(int px, int py) {
    const float dx = static_cast<float>(std::int64_t{px} - m_ptDragStart.x);
    const float dy = static_cast<float>(std::int64_t{py} - m_ptDragStart.y);
    for (const BackupEntry& e : m_TrackBackup) {
        if (!TrackEnd(*this, e.index))
            continue;
        SetTrackEnd(e.index, e.x + dx, e.y + dy);
        GrowByTrack(*this, e.index);
    }
}

void CDibView::MoveSavedPads(int px, int py) {
    const float dx = static_cast<float>(std::int64_t{px} - m_ptDragStart.x);
    const float dy = static_cast<float>(std::int64_t{py} - m_ptDragStart.y);
    for (const BackupEntry& e : m_PadBackup) {
        if (!PadAt(*this, e.index / 2))
            continue;
        SetPadPosition(e.index / 2, e.x + dx, e.y + dy);
        GrowByPoint(*this, e.x + dx, e.y + dy);
    }
}

void CDibView::OffsetPad(int pad, float dx, float dy) {
    const Pad* p = PadAt(*this, pad);
    if (!p)
        return;
    SetPadPosition(pad, p->x + dx, p->y + dy);
    GrowByPoint(*this, p->x, p->y);
}

void CDibView::OffsetTrackEnd(int coord, float dx, float dy) {
    const EndRef end = TrackEnd(*this, coord);
    if (!end)
        return;
    SetTrackEnd(coord, *end.x + dx, *end.y + dy);
    GrowByTrack(*this, coord);
}

// The ends near the pad are found around its centre before it moves.
void CDibView::OffsetPadWithTrackEnds(int excluded, int pad, int dx, int dy) {
    const Pad* p = PadAt(*this, pad);
    if (!p)
        return;
    const float x = p->x;
    const float y = p->y;
    const float fdx = static_cast<float>(dx);
    const float fdy = static_cast<float>(dy);
    for (int c = FindTrackEndNear(0, excluded, x, y); c >= 0;
         c = FindTrackEndNear(c / 5 + 1, excluded, x, y))
        OffsetTrackEnd(c, fdx, fdy);
    OffsetPad(pad, fdx, fdy);
}

// Searches with the point as handed in, the position before the move, which
// exact equality relies on.
void CDibView::OffsetJunction(int excluded, float x, float y, float layer, int dx, int dy) {
    const int pad = FindPadNear(x, y);
    if (pad >= 0) {
        OffsetPadWithTrackEnds(excluded, pad, dx, dy);
        return;
    }
    const float fdx = static_cast<float>(dx);
    const float fdy = static_cast<float>(dy);
    for (int c = FindTrackEndAt(0, excluded, layer, x, y); c >= 0;
         c = FindTrackEndAt(c / 5 + 1, excluded, layer, x, y))
        OffsetTrackEnd(c, fdx, fdy);
}

// The track's own ends move directly, without growing m_rcRedraw: the
// caller's rectangle around the track before the move covers them.
void CDibView::OffsetTrackWithJunctions(int track, int dx, int dy) {
    if (!m_pTracks || track < 0 || track >= m_nTrackCount)
        return;
    const float fdx = static_cast<float>(dx);
    const float fdy = static_cast<float>(dy);
    const Track& k = m_pTracks[track];
    OffsetJunction(5 * track, k.x1, k.y1, k.layer, dx, dy);
    SetTrackEnd(5 * track, k.x1 + fdx, k.y1 + fdy);
    OffsetJunction(5 * track + 2, k.x2, k.y2, k.layer, dx, dy);
    SetTrackEnd(5 * track + 2, k.x2 + fdx, k.y2 + fdy);
}

namespace board {
void RestoreSavedPositions(CDibView& view) {
    for (const BackupEntry& e : view.m_PadBackup)
        view.SetPadPosition(e.index / 2, e.x, e.y);
    for (const BackupEntry& e : view.m_TrackBackup)
        view.SetTrackEnd(e.index, e.x, e.y);
}

void GrowBySavedItems(CDibView& view) {
    for (const BackupEntry& e : view.m_PadBackup)
        if (const Pad* p = PadAt(view, e.index / 2))
            GrowByPoint(view, p->x, p->y);
    for (const BackupEntry& e : view.m_TrackBackup)
        GrowByTrack(view, e.index);
}

void ForgetDrag(CDibView& view) {
    view.m_PadBackup.clear();
    view.m_TrackBackup.clear();
    view.m_nSelPad = -1;
    view.m_nSelTrack = -1;
}
} // namespace board
