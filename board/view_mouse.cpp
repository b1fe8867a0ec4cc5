// Mouse editing: placing pads, component marks and track chains, dragging a
// pad or track with what is joined to it, and the cursor of each mode.
#include "board/dib_view.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"
#include "board/view_sides.h"
#include "platform/user_services.h"

#include <algorithm>
#include <string>

using namespace board;

namespace {
constexpr const char* kCaption = "Quarzline";
constexpr const char* kBeyondBoardText =
    "This point lies beyond the largest board that can be saved. Nothing was added.";
constexpr int kDragMargin = 10;
constexpr int kBandMargin = 5;
constexpr int kEdgeZone = 10;
constexpr int kEdgeScroll = 5;
constexpr int kKeyTargetReach = 10;
constexpr int kPadPenWidth = 2;

void ShowBoardFull(const char* what) {
    const std::string text = "The board is full: it holds at most " +
                             std::to_string(g_nMaxItems) + " " + what +
                             ". Nothing was added.";
    Services().MessageBox(text, kCaption, MB_OK | MB_ICONSTOP);
}

// Tracing beyond the board's limit could be neither saved nor read back.
bool PlaceableOrSaySo(const CDibView& view, CPoint stored) {
    if (WithinBoardLimit(stored.x, view.m_nScale) && WithinBoardLimit(stored.y, view.m_nScale))
        return true;
    Services().MessageBox(kBeyondBoardText, kCaption, MB_OK | MB_ICONSTOP);
    return false;
}

COLORREF CurrentLayerColor() {
    if (g_nCurrentLayer < 0 || g_nCurrentLayer >= kLayerColorCount)
        return RGB(0, 0, 0);
    return g_crLayerColor[g_nCurrentLayer];
}

// Draws a stroke at once, before the next paint, in the current layer's colour.
void DrawStrokes(CDibView& view, const CPoint (*strokes)[2], int count, COLORREF color) {
    std::unique_ptr<CDC> dc = view.GetClientDC();
    if (!dc)
        return;
    const Pen previous = dc->SelectPen(Pen{g_nLineWidth, color});
    for (int i = 0; i < count; ++i) {
        dc->MoveTo(strokes[i][0].x, strokes[i][0].y);
        dc->LineTo(strokes[i][1].x, strokes[i][1].y);
    }
    dc->SelectPen(previous);
}

CPoint Offset(CPoint p, int dx, int dy) {
    return {SaturateToInt(std::int64_t{p.x} + dx), SaturateToInt(std::int64_t{p.y} + dy)};
}

CPoint ToStored(CPoint client, CPoint scroll) { return Offset(client, scroll.x, scroll.y); }

void GrabAt(CDibView& view, CPoint point) {
    if (IsDragging(view))
        return;
    // A press without a move before it (from the keyboard) still shows what
    // it drags.
    TrackHover(view, point);
    const CPoint s = view.GetScrollPosition();
    const int pad = view.HitTestPad(point.x, point.y, s.x, s.y);
    if (pad >= 0) {
        view.m_nSelPad = pad;
        view.SavePadWithTrackEnds(-1, pad);
    } else {
        view.m_nSelTrack = view.HitTestTrack(point.x, point.y, s.x, s.y);
        if (view.m_nSelTrack < 0)
            return;
        view.SaveTrackWithJunctions(view.m_nSelTrack);
    }
    view.m_ptDragStart = point;
    InflateSaturated(&view.m_rcRedraw, DragMargin());
    // Everything the drag moves is one step, kept when the button goes up.
    view.BeginEdit(StepKind::Move);
}

// Three short strokes across the point: horizontal, vertical and diagonal.
void PlaceComponentMark(CDibView& view, CPoint point) {
    if (!view.m_pTracks || view.m_nTrackCount > g_nMaxItems - 3) {
        ShowBoardFull("tracks");
        return;
    }
    const CPoint q = ToStored(point, view.GetScrollPosition());
    if (!PlaceableOrSaySo(view, Offset(q, 5, 5)) || !PlaceableOrSaySo(view, Offset(q, -5, -5)))
        return;
    const CPoint strokes[3][2] = {{{-5, 0}, {5, 0}}, {{0, -5}, {0, 5}}, {{-4, -4}, {4, 4}}};
    CPoint drawn[3][2];
    view.BeginEdit(StepKind::MarkComponent);
    for (int i = 0; i < 3; ++i) {
        const CPoint a = Offset(q, strokes[i][0].x, strokes[i][0].y);
        const CPoint b = Offset(q, strokes[i][1].x, strokes[i][1].y);
        view.AppendTrack(static_cast<float>(a.x), static_cast<float>(a.y),
                         static_cast<float>(b.x), static_cast<float>(b.y), g_nCurrentLayer);
        drawn[i][0] = Offset(point, strokes[i][0].x, strokes[i][0].y);
        drawn[i][1] = Offset(point, strokes[i][1].x, strokes[i][1].y);
    }
    view.EndEdit();
    DrawStrokes(view, drawn, 3, CurrentLayerColor());
}

void PlacePad(CDibView& view, CPoint point) {
    view.m_bLineStarted = 0;
    const CPoint q = ToStored(point, view.GetScrollPosition());
    if (!PlaceableOrSaySo(view, q))
        return;
    if (!view.AppendPad(static_cast<float>(q.x), static_cast<float>(q.y))) {
        ShowBoardFull("pads");
        return;
    }
    Services().MessageBeep(MB_ICONQUESTION);
    std::unique_ptr<CDC> dc = view.GetClientDC();
    if (!dc)
        return;
    const Pen oldPen = dc->SelectPen(Pen{kPadPenWidth, RGB(255, 0, 0)});
    const Brush oldBrush = dc->SelectBrush(Brush{RGB(0, 0, 0)});
    const CRect disc = BoxAround(point, g_nPadRadiusX, g_nPadRadiusY);
    dc->Ellipse(disc.left, disc.top, disc.right, disc.bottom);
    dc->SelectBrush(oldBrush);
    dc->SelectPen(oldPen);
}

void SetChainPoint(CDibView& view, const ChainPoint& point) {
    view.m_ptLastPoint = point.stored;
    view.m_fLastPointX = point.x;
    view.m_fLastPointY = point.y;
}

// The first click starts a chain; each further click stores the segment from
// the chain's last point to the (snapped) click and continues from its end.
void AddChainPoint(CDibView& view, CPoint point) {
    if (!view.m_bLineStarted) {
        const ChainPoint first = ChainStartAt(view, point);
        if (!PlaceableOrSaySo(view, first.stored))
            return;
        view.m_bLineStarted = 1;
        view.m_nChainSegments = 0;
        view.m_nBandPad = -1;
        SetChainPoint(view, first);
        view.m_ptBandEnd = view.m_ptLastPoint;
        return;
    }
    const CPoint start = view.m_ptLastPoint - view.GetScrollPosition();
    const ChainPoint end = ChainEndAt(view, start, point);
    if (!PlaceableOrSaySo(view, end.stored))
        return;
    if (!view.AppendTrack(view.m_fLastPointX, view.m_fLastPointY, end.x, end.y, g_nCurrentLayer)) {
        ShowBoardFull("tracks");
        return;
    }
    ++view.m_nChainSegments;
    const CPoint stroke[1][2] = {{end.client, start}};
    DrawStrokes(view, stroke, 1, CurrentLayerColor());
    SetChainPoint(view, end);
}

// Each move repaints where the dragged objects were and where they are now;
// the places before those were repainted by the earlier moves.
void Drag(CDibView& view, CPoint point) {
    const CRect before = DraggedBox(view);
    view.m_rcRedraw = kNoBox;
    view.MoveSavedTrackEnds(point.x, point.y);
    view.MoveSavedPads(point.x, point.y);
    InflateSaturated(&view.m_rcRedraw, DragMargin());
    InvalidateBox(view, UnionOf(before, view.m_rcRedraw));
}


// The keyboard target is dropped once the pointer is more than 10 pixels
// away from it on either axis.
void DropFarKeyTarget(CDibView& view, CPoint point) {
    if (view.m_nKeyObject != 1 && view.m_nKeyObject != 2)
        return;
    float x = 0, y = 0;
    const int k = view.m_nKeyIndex;
    if (view.m_nKeyObject == 1 && view.m_pPads && k >= 0 && k < view.m_nPadCount) {
        x = view.m_pPads[k].x;
        y = view.m_pPads[k].y;
    } else if (view.m_nKeyObject == 2 && view.m_pTracks && k >= 0 && k / 5 < view.m_nTrackCount &&
               (k % 5 == 0 || k % 5 == 2)) {
        const Track& t = view.m_pTracks[k / 5];
        x = k % 5 == 0 ? t.x1 : t.x2;
        y = k % 5 == 0 ? t.y1 : t.y2;
    } else {
        view.m_nKeyObject = 0; // names nothing in the model any more
        return;
    }
    CPoint c;
    if (!ToClient(x, y, view.GetScrollPosition(), &c) ||
        std::llabs(std::int64_t{c.x} - point.x) > kKeyTargetReach ||
        std::llabs(std::int64_t{c.y} - point.y) > kKeyTargetReach)
        view.m_nKeyObject = 0;
}

// Near an edge of the view a chain in progress scrolls the view along.
void ScrollAtEdges(CDibView& view, CPoint point) {
    CPoint s = view.GetScrollPosition();
    const CRect client = view.ClientRect();
    if (point.x < client.left + kEdgeZone)
        s.x = s.x < kEdgeScroll ? 0 : s.x - kEdgeScroll;
    if (point.x > client.right - kEdgeZone)
        s.x = SaturateToInt(std::int64_t{s.x} + kEdgeScroll);
    if (point.y < client.top + kEdgeZone)
        s.y = s.y < kEdgeScroll ? 0 : s.y - kEdgeScroll;
    if (point.y > client.bottom - kEdgeZone)
        s.y = SaturateToInt(std::int64_t{s.y} + kEdgeScroll);
    view.ScrollToPosition(s);
}

// The box the highlight of the pad the band was snapped to may cover.
CRect BandPadBox(CDibView& view) {
    CPoint c;
    const int pad = view.m_nBandPad;
    if (pad < 0 || pad >= view.m_nPadCount || !view.m_pPads ||
        !ToClient(view.m_pPads[pad].x, view.m_pPads[pad].y, view.GetScrollPosition(), &c))
        return kNoBox;
    CRect box = BoxAround(c, 0, 0);
    InflateSaturated(&box, DragMargin());
    return box;
}

void InvalidateVisible(CDibView& view, const CRect& box) {
    CRect visible;
    if (!IsNoBox(box) && visible.IntersectRect(box, view.ClientRect()))
        view.InvalidateRect(&visible, false);
}

// The old band is removed by repainting the area it covered; the new one is
// drawn at once.
void MoveRubberBand(CDibView& view, CPoint point) {
    ScrollAtEdges(view, point);
    const CPoint s = view.GetScrollPosition();
    const CPoint start = view.m_ptLastPoint - s;
    CRect old = BoxOf(start, view.m_ptBandEnd - s);
    InflateSaturated(&old, BandMargin());
    InvalidateVisible(view, old);
    InvalidateVisible(view, BandPadBox(view));

    const ChainPoint end = ChainEndAt(view, start, point);
    if (std::unique_ptr<CDC> dc = view.GetClientDC())
        DrawRubberBand(*dc, start, end);
    view.m_ptBandEnd = end.stored;
    view.m_nBandPad = end.pad;
}
} // namespace

namespace board {
// The box of the dragged objects where they are now, margin included; it
// is computed afresh, so scrolling or zooming during the drag cannot leave
// it behind.
CRect DraggedBox(CDibView& view) {
    view.m_rcRedraw = kNoBox;
    GrowBySavedItems(view);
    InflateSaturated(&view.m_rcRedraw, DragMargin());
    return view.m_rcRedraw;
}

void InvalidateBox(CDibView& view, const CRect& box) {
    if (!IsNoBox(box))
        view.InvalidateRect(&box, false);
}

bool IsDragging(const CDibView& view) { return view.m_nSelPad != -1 || view.m_nSelTrack != -1; }

// Cancelling repaints where the objects are and where they go back to.
void CancelDrag(CDibView& view) {
    InvalidateBox(view, DraggedBox(view));
    RestoreSavedPositions(view);
    InvalidateBox(view, DraggedBox(view));
    ForgetDrag(view);
    view.EndEdit();
}

// The margins of 10 and 5 pixels suit the starting sizes; larger pads or
// wider lines need more, or a repaint would leave pieces of them behind.
int DragMargin() {
    const int stroke = std::min(AbsSaturated(g_nLineWidth) / 2, kFarAway) + 2;
    const int disc =
        std::min(std::max(AbsSaturated(g_nPadRadiusX), AbsSaturated(g_nPadRadiusY)), kFarAway) + 3;
    return std::max({kDragMargin, stroke, disc});
}

int BandMargin() {
    return std::max(kBandMargin, std::min(AbsSaturated(g_nLineWidth) / 2, kFarAway) + 2);
}
} // namespace board

void CDibView::OnLButtonDown(UINT flags, CPoint point) {
    if (PanPress(*this, point))
        return;
    // Alt-click picks up the size of what is under the pointer, in any mode.
    if ((flags & MK_ALT) && !IsDragging(*this)) {
        PickUpSizeAt(point);
        return;
    }
    if (m_Registering.active)
        RegisterClick(*this, point);
    else if (m_bMeasureMode)
        MeasureClick(*this, point);
    else if (m_bMoveMode)
        GrabAt(*this, point);
    else if (m_bMarkMode)
        PlaceComponentMark(*this, point);
    else if (m_bPadMode)
        PlacePad(*this, point);
    else
        AddChainPoint(*this, point);
}

void CDibView::OnMouseMove(UINT /*flags*/, CPoint point) {
    if (ClientRect().PtInRect(point))
        m_ptLastPointerInView = point;
    if (PanMove(*this, point))
        return;
    if (m_Registering.active && m_Registering.dragPair >= 0) {
        RegisterDrag(*this, point);
        return;
    }
    if (m_bMoveMode && IsDragging(*this)) {
        Drag(*this, point);
        return;
    }
    DropFarKeyTarget(*this, point);
    ShowCursorPosition(point);
    if (m_bMeasureMode)
        MoveMeasureLine(*this, point);
    else if (m_bMoveMode)
        TrackHover(*this, point);
    else if (!m_bPadMode && m_bLineStarted)
        MoveRubberBand(*this, point);
}

void CDibView::OnLButtonUp(UINT /*flags*/, CPoint point) {
    if (PanRelease(*this))
        return;
    if (m_Registering.active) {
        RegisterRelease(*this);
        return;
    }
    if (m_bMoveMode && IsDragging(*this)) {
        SnapDroppedObjects(*this);
        ForgetDrag(*this);
        EndEdit();
        // What was dropped may have joined something: show it at once.
        TrackHover(*this, point);
    }
}

void CDibView::OnRButtonDown(UINT /*flags*/, CPoint point) {
    if (m_Registering.active) {
        RegisterRightClick(*this, point);
        return;
    }
    if (m_bMeasureMode) {
        CancelMeasuring();
        return;
    }
    m_bLineStarted = 0;
    if (m_bMoveMode && IsDragging(*this))
        CancelDrag(*this);
    else
        Invalidate(false);
}

BOOL CDibView::OnSetCursor() {
    if (PanCursor(*this))
        return TRUE;
    if (m_bMeasureMode || m_Registering.active)
        SetCursor(m_hCursorLine);
    else if (m_bSelectAll)
        SetCursor(m_hCursorSelectAll);
    else if (m_bMarkMode)
        SetCursor(m_hCursorMark);
    else if (m_bMoveMode)
        SetCursor(m_hCursorMove);
    else if (m_bPadMode)
        SetCursor(m_hCursorPad);
    else
        SetCursor(m_hCursorLine);
    return TRUE;
}
