// What is joined to the pad or track under the pointer in move status: the
// set a drag of it would move, found by the junction rules and drawn
// highlighted, so that the user sees what is connected before moving it.
#include "board/dib_view.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"

#include <algorithm>
#include <utility>

namespace board {
namespace {
void SortedOnce(std::vector<int>& indexes) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
}

void GrowBy(CDibView& view, CRect* box, float x, float y) {
    CPoint c;
    if (ToClient(x, y, view.GetScrollPosition(), &c))
        GrowRect(box, c);
}

void ShowJoined(CDibView& view, JoinedObjects joined) {
    if (joined == view.m_Hover)
        return;
    InvalidateBox(view, JoinedBox(view, view.m_Hover));
    view.m_Hover = std::move(joined);
    InvalidateBox(view, JoinedBox(view, view.m_Hover));
}
} // namespace

std::vector<int> JoinedTracks(const CDibView& view, const JoinedObjects& joined) {
    std::vector<int> tracks;
    if (!view.m_pTracks)
        return tracks;
    for (const int c : joined.trackEnds)
        if (c >= 0 && c / 5 < view.m_nTrackCount)
            tracks.push_back(c / 5);
    SortedOnce(tracks);
    return tracks;
}

std::vector<int> JoinedPads(const CDibView& view, const JoinedObjects& joined) {
    std::vector<int> pads;
    if (!view.m_pPads)
        return pads;
    for (const int p : joined.pads)
        if (p >= 0 && p < view.m_nPadCount)
            pads.push_back(p);
    SortedOnce(pads);
    return pads;
}

CRect JoinedBox(CDibView& view, const JoinedObjects& joined) {
    CRect box = kNoBox;
    for (const int t : JoinedTracks(view, joined)) {
        const Track& k = view.m_pTracks[t];
        GrowBy(view, &box, k.x1, k.y1);
        GrowBy(view, &box, k.x2, k.y2);
    }
    for (const int p : JoinedPads(view, joined))
        GrowBy(view, &box, view.m_pPads[p].x, view.m_pPads[p].y);
    if (!IsNoBox(box))
        InflateSaturated(&box, DragMargin());
    return box;
}

// The walk runs only when the object under the pointer or the board has
// changed; a move over the same object costs the two hit tests alone.
void TrackHover(CDibView& view, CPoint point) {
    // The hit tests leave their box in m_rcRedraw, which belongs to editing.
    const CRect redraw = view.m_rcRedraw;
    const CPoint s = view.GetScrollPosition();
    const int pad = view.HitTestPad(point.x, point.y, s.x, s.y);
    const int track = pad >= 0 ? -1 : view.HitTestTrack(point.x, point.y, s.x, s.y);
    view.m_rcRedraw = redraw;
    const std::uint64_t revision = view.BoardRevision();
    if (pad == view.m_nHoverPad && track == view.m_nHoverTrack &&
        revision == view.m_nHoverRevision)
        return;
    view.m_nHoverPad = pad;
    view.m_nHoverTrack = track;
    view.m_nHoverRevision = revision;
    ShowJoined(view, pad >= 0     ? view.JoinedToPad(pad)
                     : track >= 0 ? view.JoinedToTrack(track)
                                  : JoinedObjects{});
}

void ForgetHover(CDibView& view) {
    ShowJoined(view, JoinedObjects{});
    view.m_nHoverPad = -1;
    view.m_nHoverTrack = -1;
}
} // namespace board
