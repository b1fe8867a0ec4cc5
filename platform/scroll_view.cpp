#include "platform/scroll_view.h"

#include "platform/document.h"

#include <algorithm>
#include <cstdint>
#include <limits>

CScrollView::CScrollView() = default;

CScrollView::~CScrollView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CPoint CScrollView::GetScrollLimit() const {
    const CRect client = ClientRect();
    return {std::max(0, m_totalSize.cx - client.Width()),
            std::max(0, m_totalSize.cy - client.Height())};
}

void CScrollView::ScrollToPosition(CPoint pos) {
    const CPoint limit = GetScrollLimit();
    const CPoint clamped{std::clamp(pos.x, 0, limit.x), std::clamp(pos.y, 0, limit.y)};
    if (clamped == m_scrollPos)
        return;
    m_scrollPos = clamped;
    if (m_pHost)
        m_pHost->ScrollStateChanged();
}

void CScrollView::SetScrollSizes(int mapMode, CSize total, CSize page, CSize line) {
    m_mapMode = mapMode;
    m_totalSize = CSize(std::max(0, total.cx), std::max(0, total.cy));
    m_pageSize = (page.cx || page.cy) ? page : CSize(m_totalSize.cx / 10, m_totalSize.cy / 10);
    m_lineSize = (line.cx || line.cy) ? line : CSize(m_pageSize.cx / 10, m_pageSize.cy / 10);
    m_lineSize = CSize(std::max(1, m_lineSize.cx), std::max(1, m_lineSize.cy));
    // A smaller range may leave the position past its end.
    const CPoint limit = GetScrollLimit();
    m_scrollPos = CPoint(std::min(m_scrollPos.x, limit.x), std::min(m_scrollPos.y, limit.y));
    if (m_pHost)
        m_pHost->ScrollStateChanged();
}

void CScrollView::GetClientRect(CRect* rect) const { *rect = ClientRect(); }

CRect CScrollView::ClientRect() const { return m_pHost ? m_pHost->GetClientRect() : CRect(); }

void CScrollView::Invalidate(bool erase) {
    if (m_pHost)
        m_pHost->Invalidate(erase);
}

void CScrollView::InvalidateRect(const CRect* rect, bool erase) {
    if (!m_pHost)
        return;
    if (rect)
        m_pHost->InvalidateRect(*rect, erase);
    else
        m_pHost->Invalidate(erase);
}

std::unique_ptr<CDC> CScrollView::GetClientDC() {
    return m_pHost ? m_pHost->GetClientDC() : nullptr;
}

CPoint CScrollView::GetCursorPos() const { return m_pHost ? m_pHost->GetCursorPos() : CPoint(); }

void CScrollView::SetCursorPos(CPoint screen) {
    if (m_pHost)
        m_pHost->SetCursorPos(screen);
}

void CScrollView::ClientToScreen(CPoint* p) const {
    if (m_pHost)
        *p = m_pHost->ClientToScreen(*p);
}

void CScrollView::ScreenToClient(CPoint* p) const {
    if (m_pHost)
        *p = m_pHost->ScreenToClient(*p);
}

void CScrollView::SetCursor(Cursor cursor) {
    if (m_pHost)
        m_pHost->SetCursor(cursor);
}

void CScrollView::OnInitialUpdate() { OnUpdate(nullptr, 0); }

void CScrollView::OnUpdate(CScrollView*, long) { Invalidate(true); }

void CScrollView::OnActivateView(bool, CScrollView*, CScrollView*) {}

BOOL CScrollView::OnMouseWheel(UINT flags, short delta, CPoint) {
    const int lines = -delta * 3 / WHEEL_DELTA;
    if (lines == 0)
        return FALSE;
    const CPoint before = m_scrollPos;
    // A fast spin over a huge range can ask for more than an int holds; the
    // position stops at the end of the range all the same.
    const auto step = [lines](int pos, int line) {
        const std::int64_t to = std::int64_t{pos} + std::int64_t{lines} * line;
        return static_cast<int>(std::clamp<std::int64_t>(to, 0, std::numeric_limits<int>::max()));
    };
    // Shift or Ctrl with the wheel scrolls across, as in most Linux programs.
    if (flags & (MK_SHIFT | MK_CONTROL))
        ScrollToPosition(CPoint(step(m_scrollPos.x, m_lineSize.cx), m_scrollPos.y));
    else
        ScrollToPosition(CPoint(m_scrollPos.x, step(m_scrollPos.y, m_lineSize.cy)));
    return m_scrollPos == before ? FALSE : TRUE;
}
