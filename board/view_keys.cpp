// Keyboard editing: zoom in every mode; in select-all mode moving, rotating
// and mirroring the whole tracing; in the other modes stepping the pointer,
// Enter as a press, and in move status moving the object under the pointer.
#include "board/dib_view.h"
#include "board/keys.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"
#include "board/view_sides.h"

#include <cstdlib>
#include <optional>

using namespace board;

namespace {
// A tenth of a degree: pi / 1800 with pi taken as 3.1415926535.
constexpr double kRotationStep = 0.0017453292519444448;
constexpr int kEdgeScroll = 5;
constexpr int kPadKeyMargin = 3;

// The step of a cursor or main-keyboard digit key; y grows downwards.
std::optional<CPoint> StepOfKey(UINT key) {
    switch (key) {
    case VK_LEFT: return CPoint(-1, 0);
    case VK_UP: return CPoint(0, -1);
    case VK_RIGHT: return CPoint(1, 0);
    case VK_DOWN: return CPoint(0, 1);
    case VK_KEY_2: return CPoint(0, -10);
    case VK_KEY_4: return CPoint(-10, 0);
    case VK_KEY_6: return CPoint(10, 0);
    case VK_KEY_8: return CPoint(0, 10);
    default: return std::nullopt;
    }
}

void SelectAllKey(CDibView& view, UINT key) {
    if (const std::optional<CPoint> step = StepOfKey(key))
        MoveAll(view, static_cast<float>(step->x), static_cast<float>(step->y));
    else if (key == VK_RETURN)
        RotateAll(view, -kRotationStep);
    else if (key == VK_SPACE)
        RotateAll(view, kRotationStep);
    else if (key == VK_KEY_X)
        MirrorLeftRight(view);
    else if (key == VK_KEY_Y)
        MirrorTopBottom(view);
    else
        return;
    view.Invalidate(false);
}

// Moves the pointer by repeat steps, turning a step past an edge of the view
// into a scroll of 5 pixels that leaves the pointer where it was.
void StepPointer(CDibView& view, CPoint p0, CPoint step, UINT repeat, const CRect& client) {
    long long px = p0.x + static_cast<long long>(repeat) * step.x;
    long long py = p0.y + static_cast<long long>(repeat) * step.y;
    CPoint s = view.GetScrollPosition();
    if (px < client.left) {
        px = p0.x;
        s.x = s.x < kEdgeScroll ? 0 : s.x - kEdgeScroll;
    }
    if (px > client.right - 1) {
        px = p0.x;
        s.x = SaturateToInt(static_cast<long long>(s.x) + kEdgeScroll);
    }
    if (py < client.top) {
        py = p0.y;
        s.y = s.y < kEdgeScroll ? 0 : s.y - kEdgeScroll;
    }
    if (py > client.bottom - 1) {
        py = p0.y;
        s.y = SaturateToInt(static_cast<long long>(s.y) + kEdgeScroll);
    }
    CPoint p(static_cast<int>(px), static_cast<int>(py));
    view.ClientToScreen(&p);
    view.SetCursorPos(p);
    view.ScrollToPosition(s);
}

void MovePointerTo(CDibView& view, CPoint client) {
    view.ClientToScreen(&client);
    view.SetCursorPos(client);
}

bool ValidPadTarget(const CDibView& view) {
    return view.m_pPads && view.m_nKeyIndex >= 0 && view.m_nKeyIndex < view.m_nPadCount;
}

bool ValidEndTarget(const CDibView& view) {
    const int c = view.m_nKeyIndex;
    return view.m_pTracks && c >= 0 && (c % 5 == 0 || c % 5 == 2) && c / 5 == view.m_nKeyTrack &&
           view.m_nKeyTrack < view.m_nTrackCount;
}

bool TrackClientEnds(const CDibView& view, int t, CPoint s0, CPoint* a, CPoint* b) {
    const Track& k = view.m_pTracks[t];
    return ToClient(k.x1, k.y1, s0, a) && ToClient(k.x2, k.y2, s0, b);
}

void FinishKeyMove(CDibView& view) {
    InflateSaturated(&view.m_rcRedraw, DragMargin());
    view.InvalidateRect(&view.m_rcRedraw, false);
}

void MovePadTarget(CDibView& view, int pad, CPoint step, CPoint s0) {
    CPoint c;
    const Pad& p = view.m_pPads[pad];
    if (!ToClient(p.x, p.y, s0, &c))
        return;
    view.m_rcRedraw = BoxAround(c, g_nPadRadiusX, g_nPadRadiusY);
    InflateSaturated(&view.m_rcRedraw, kPadKeyMargin);
    view.OffsetPadWithTrackEnds(-1, pad, step.x, step.y);
    FinishKeyMove(view);
}

// One end with what is joined there; the track's other end stays.
void MoveEndTarget(CDibView& view, CPoint step, CPoint s0) {
    const int t = view.m_nKeyTrack;
    CPoint a, b;
    if (!TrackClientEnds(view, t, s0, &a, &b))
        return;
    view.m_rcRedraw = BoxOf(a, b);
    InflateSaturated(&view.m_rcRedraw, AbsSaturated(g_nLineWidth));
    const Track& k = view.m_pTracks[t];
    const bool first = view.m_nKeyIndex % 5 == 0;
    const float x = first ? k.x1 : k.x2;
    const float y = first ? k.y1 : k.y2;
    view.OffsetJunction(view.m_nKeyIndex, x, y, k.layer, step.x, step.y);
    view.SetTrackEnd(view.m_nKeyIndex, x + static_cast<float>(step.x), y + static_cast<float>(step.y));
    FinishKeyMove(view);
}

// On the middle half of a track the whole track moves with this key; nearer
// an end the pointer only jumps onto that end, which the next keys move.
void TakeTrackTarget(CDibView& view, int t, CPoint p0, CPoint step, CPoint s0) {
    CPoint a, b;
    if (!TrackClientEnds(view, t, s0, &a, &b))
        return;
    const bool alongX = std::llabs(static_cast<long long>(a.x) - b.x) >
                        std::llabs(static_cast<long long>(a.y) - b.y);
    const long long a1 = alongX ? a.x : a.y;
    const long long a2 = alongX ? b.x : b.y;
    const long long q = alongX ? p0.x : p0.y;
    const long long length = std::llabs(a2 - a1);
    const long long fromEnd1 = std::llabs(q - a1);
    const CRect box = BoxOf(a, b);
    if (length / 4 <= fromEnd1 && fromEnd1 <= (3 * length) / 4) {
        view.m_rcRedraw = box;
        view.OffsetTrackWithJunctions(t, step.x, step.y);
        InflateSaturated(&view.m_rcRedraw, DragMargin());
        view.m_nKeyObject = 3;
        view.InvalidateRect(&view.m_rcRedraw, false);
        return;
    }
    const bool secondEnd = std::llabs(q - a2) < fromEnd1;
    MovePointerTo(view, secondEnd ? b : a);
    view.m_nKeyIndex = secondEnd ? 5 * t + 2 : 5 * t;
    view.m_nKeyTrack = t;
    view.m_nKeyObject = 2;
    CRect dirty = box;
    InflateSaturated(&dirty, AbsSaturated(g_nLineWidth));
    view.InvalidateRect(&dirty, false);
}

void MoveKeyTarget(CDibView& view, CPoint p0, CPoint step, CPoint s0) {
    if (view.m_nKeyObject == 1 && ValidPadTarget(view)) {
        MovePadTarget(view, view.m_nKeyIndex, step, s0);
        return;
    }
    if (view.m_nKeyObject == 2 && ValidEndTarget(view)) {
        MoveEndTarget(view, step, s0);
        return;
    }
    // No target held: search at p0. A target that names nothing any more
    // (the board was replaced) counts as none.
    if (view.m_nKeyObject == 1 || view.m_nKeyObject == 2)
        view.m_nKeyObject = 0;
    const int pad = view.HitTestPad(p0.x, p0.y, s0.x, s0.y);
    if (pad >= 0) {
        MovePadTarget(view, pad, step, s0);
        view.m_nKeyIndex = pad;
        view.m_nKeyObject = 1;
        return;
    }
    const int track = view.HitTestTrack(p0.x, p0.y, s0.x, s0.y);
    if (track >= 0)
        TakeTrackTarget(view, track, p0, step, s0);
}
} // namespace

void CDibView::OnKeyDown(UINT key, UINT repeat, UINT /*flags*/) {
    const CRect client = ClientRect();
    CPoint p0 = GetCursorPos();
    ScreenToClient(&p0);
    const CPoint s0 = GetScrollPosition();

    // Space held is also the panning key; while it drags the view it does
    // nothing else.
    if (key == VK_SPACE && PanSpaceDown(*this))
        return;
    if (key == VK_PRIOR) {
        ZoomIn(*this, p0, s0);
        return;
    }
    if (key == VK_NEXT) {
        ZoomOut(*this, p0, s0);
        return;
    }
    if (m_Registering.active && board::RegistrationKey(*this, key, client.PtInRect(p0) ? &p0 : nullptr))
        return;
    if (key == VK_DELETE) {
        OnEditDelete();
        return;
    }
    if (key == VK_ESCAPE) {
        OnEscape();
        return;
    }
    if (m_bSelectAll) {
        SelectAllKey(*this, key);
        return;
    }
    if (key == VK_BACK) {
        RemoveLastChainSegment();
        return;
    }
    if (!client.PtInRect(p0))
        return;
    if (key == VK_RETURN) {
        OnLButtonDown(0, p0);
        return;
    }
    const std::optional<CPoint> step = StepOfKey(key);
    if (!step)
        return;
    StepPointer(*this, p0, *step, repeat, client);
    if (m_bMoveMode) {
        // Each key press moves its object as one step.
        BeginEdit(StepKind::Move);
        MoveKeyTarget(*this, p0, *step, s0);
        EndEdit();
    }
}
