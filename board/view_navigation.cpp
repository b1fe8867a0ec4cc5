// Moving around the scan: the zoom commands, Ctrl+wheel zoom about the
// pointer, and dragging the view with the middle button or with Space held.
#include "board/dib_view.h"
#include "board/keys.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

using namespace board;

namespace {
// The point a zoom command keeps in place: the pointer's while it is over
// the window (as the keys do), the window's centre otherwise (a menu).
CPoint ZoomAnchor(const CDibView& view) {
    CPoint p = view.GetCursorPos();
    view.ScreenToClient(&p);
    const CRect client = view.ClientRect();
    if (client.PtInRect(p))
        return p;
    return {client.left + client.Width() / 2, client.top + client.Height() / 2};
}

// A grabbed object stays under the pointer while the view moves beneath it,
// so the point it was grabbed at moves with the picture.
void KeepDragStart(CDibView& view, CPoint scrollBefore) {
    if (IsDragging(view))
        view.m_ptDragStart = view.m_ptDragStart - (view.GetScrollPosition() - scrollBefore);
}

// Where the view scrolls to keep the point under p0 in place, from scroll
// position s0, over `steps` doublings (or halvings when negative).
int ScrollAfterZoom(int s0, int p0, int steps) {
    const double anchor = std::floor(std::ldexp(static_cast<double>(s0) + p0, steps));
    return static_cast<int>(std::clamp(anchor - p0, 0.0, static_cast<double>(INT_MAX)));
}

void BeginPan(CDibView& view, CDibView::PanButton button, CPoint point) {
    view.m_nPanButton = button;
    view.m_ptPanAnchor = point;
    view.m_ptPanScroll = view.GetScrollPosition();
    view.OnSetCursor();
}

void PanTo(CDibView& view, CPoint point) {
    const CPoint before = view.GetScrollPosition();
    const std::int64_t x = std::int64_t{view.m_ptPanScroll.x} + view.m_ptPanAnchor.x - point.x;
    const std::int64_t y = std::int64_t{view.m_ptPanScroll.y} + view.m_ptPanAnchor.y - point.y;
    view.ScrollToPosition({SaturateToInt(std::max<std::int64_t>(x, 0)),
                           SaturateToInt(std::max<std::int64_t>(y, 0))});
    KeepDragStart(view, before);
}

void EndPan(CDibView& view) {
    view.m_nPanButton = CDibView::PanButton::None;
    view.OnSetCursor();
}

// One zoom step per notch, however finely the wheel reports its turns.
BOOL ZoomByWheel(CDibView& view, short delta, CPoint screen) {
    if ((view.m_nZoomWheel < 0) != (delta < 0))
        view.m_nZoomWheel = 0;
    view.m_nZoomWheel = std::clamp(view.m_nZoomWheel + delta, -SHRT_MAX, SHRT_MAX);
    CPoint p0 = screen;
    view.ScreenToClient(&p0);
    BOOL zoomed = FALSE;
    for (; view.m_nZoomWheel >= WHEEL_DELTA; view.m_nZoomWheel -= WHEEL_DELTA) {
        if (!CanZoomIn(view))
            break;
        ZoomIn(view, p0, view.GetScrollPosition());
        zoomed = TRUE;
    }
    for (; view.m_nZoomWheel <= -WHEEL_DELTA; view.m_nZoomWheel += WHEEL_DELTA) {
        if (!CanZoomOut(view))
            break;
        ZoomOut(view, p0, view.GetScrollPosition());
        zoomed = TRUE;
    }
    // At the end of the zoom range the turns are spent, not saved up.
    if (std::abs(view.m_nZoomWheel) >= WHEEL_DELTA)
        view.m_nZoomWheel = 0;
    return zoomed;
}
} // namespace

namespace board {
// Each step scrolls within its own range, which a step on the way may stop,
// so the final position is worked out from the first.
void ZoomTo(CDibView& view, ZoomFactor target, CPoint p0) {
    const CPoint s0 = view.GetScrollPosition();
    const int from = view.m_nScale.Exponent();
    while (view.m_nScale < target && CanZoomIn(view))
        ZoomIn(view, p0, view.GetScrollPosition());
    while (view.m_nScale > target && CanZoomOut(view))
        ZoomOut(view, p0, view.GetScrollPosition());
    const int steps = view.m_nScale.Exponent() - from;
    if (steps == 0)
        return;
    const CPoint before = view.GetScrollPosition();
    view.ScrollToPosition({ScrollAfterZoom(s0.x, p0.x, steps), ScrollAfterZoom(s0.y, p0.y, steps)});
    KeepDragStart(view, before);
}
} // namespace board

void CDibView::OnZoomIn() {
    ZoomIn(*this, ZoomAnchor(*this), GetScrollPosition());
}

void CDibView::OnZoomOut() {
    ZoomOut(*this, ZoomAnchor(*this), GetScrollPosition());
}

void CDibView::OnZoomToFit() {
    ZoomTo(*this, FitZoom(*this), ZoomAnchor(*this));
    ScrollToPosition({0, 0});
}

void CDibView::OnActualPixels() {
    ZoomTo(*this, ZoomFactor(1), ZoomAnchor(*this));
}

// Ctrl with the wheel zooms about the pointer; the wheel alone scrolls, and
// Shift with it scrolls across.
BOOL CDibView::OnMouseWheel(UINT flags, short delta, CPoint point) {
    if ((flags & MK_CONTROL) && !(flags & MK_SHIFT))
        return ZoomByWheel(*this, delta, point);
    const CPoint before = GetScrollPosition();
    const BOOL scrolled = CScrollView::OnMouseWheel(flags, delta, point);
    KeepDragStart(*this, before);
    return scrolled;
}

void CDibView::OnMButtonDown(UINT /*flags*/, CPoint point) {
    if (!IsPanning())
        BeginPan(*this, PanButton::Middle, point);
}

void CDibView::OnMButtonUp(UINT /*flags*/, CPoint /*point*/) {
    if (m_nPanButton == PanButton::Middle)
        EndPan(*this);
}

void CDibView::OnKeyUp(UINT key, UINT /*repeat*/, UINT /*flags*/) {
    if (key != VK_SPACE)
        return;
    m_bSpaceHeld = false;
    if (m_nPanButton == PanButton::Left)
        EndPan(*this);
    else
        OnSetCursor();
}

void CDibView::OnKillFocus() {
    m_nZoomWheel = 0;
    OnKeyUp(VK_SPACE, 1, 0);
}

namespace board {
bool PanPress(CDibView& view, CPoint point) {
    if (!view.m_bSpaceHeld)
        return false;
    if (!view.IsPanning())
        BeginPan(view, CDibView::PanButton::Left, point);
    return true;
}

bool PanMove(CDibView& view, CPoint point) {
    if (!view.IsPanning())
        return false;
    PanTo(view, point);
    return true;
}

bool PanRelease(CDibView& view) {
    if (view.m_nPanButton != CDibView::PanButton::Left)
        return false;
    EndPan(view);
    return true;
}

bool PanSpaceDown(CDibView& view) {
    const bool wasHeld = view.m_bSpaceHeld;
    view.m_bSpaceHeld = true;
    if (!wasHeld)
        view.OnSetCursor();
    return view.IsPanning();
}

bool PanCursor(CDibView& view) {
    if (view.IsPanning())
        view.SetCursor(Cursor::ClosedHand);
    else if (view.m_bSpaceHeld)
        view.SetCursor(Cursor::OpenHand);
    else
        return false;
    return true;
}
} // namespace board
