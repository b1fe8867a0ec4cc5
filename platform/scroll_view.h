// A scrolling view of a document, in pixel mapping mode. The scroll range and
// position live here, so scrolling behaves the same on screen and in tests;
// the host window only shows them.
#pragma once

#include "platform/cmd_ui.h"
#include "platform/device_context.h"
#include "platform/types.h"
#include "platform/view_host.h"

#include <memory>

class CDocument;

constexpr short WHEEL_DELTA = 120;
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_RBUTTON = 0x0002;
constexpr UINT MK_SHIFT = 0x0004;
constexpr UINT MK_CONTROL = 0x0008;
constexpr UINT MK_MBUTTON = 0x0010;
// Alt held during a mouse message; ours, outside the range of the others.
constexpr UINT MK_ALT = 0x1000;

class CScrollView {
  public:
    CScrollView();
    virtual ~CScrollView();
    CScrollView(const CScrollView&) = delete;
    CScrollView& operator=(const CScrollView&) = delete;

    void AttachHost(IViewHost* host) { m_pHost = host; }
    IViewHost* Host() const { return m_pHost; }
    CDocument* GetDocument() const { return m_pDocument; }
    // Called by the document when the view is added to or removed from it.
    void SetDocument(CDocument* doc) { m_pDocument = doc; }

    // Scrolling.
    CPoint GetScrollPosition() const { return m_scrollPos; }
    // Keeps the position within the range: negative values become 0, values
    // past the end become the end.
    void ScrollToPosition(CPoint pos);
    // page and line of (0, 0) take the defaults: a tenth of the total and a
    // tenth of the page.
    void SetScrollSizes(int mapMode, CSize total, CSize page = CSize(), CSize line = CSize());
    CSize GetTotalSize() const { return m_totalSize; }
    CSize GetPageSize() const { return m_pageSize; }
    CSize GetLineSize() const { return m_lineSize; }
    int GetMapMode() const { return m_mapMode; }
    // Largest position allowed on each axis with the current client size.
    CPoint GetScrollLimit() const;

    // Window services, through the host.
    void GetClientRect(CRect* rect) const;
    CRect ClientRect() const;
    void Invalidate(bool erase = true);
    void InvalidateRect(const CRect* rect, bool erase = true);
    std::unique_ptr<CDC> GetClientDC();
    CPoint GetCursorPos() const;
    void SetCursorPos(CPoint screen);
    void ClientToScreen(CPoint* p) const;
    void ScreenToClient(CPoint* p) const;
    void SetCursor(Cursor cursor);

    // Overridables. OnDraw gets a context whose origin is already moved by
    // the scroll position (on screen), so it draws in whole-image pixels.
    virtual void OnDraw(CDC* dc) = 0;
    // True when OnDraw on a screen sets every pixel of the context's clip
    // box, so that a window need not clear the area to its background first.
    virtual bool DrawsWholeClipBox() const { return false; }
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CScrollView* sender, long hint);
    virtual void OnActivateView(bool activate, CScrollView* activated, CScrollView* deactivated);

    virtual void OnLButtonDown(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnLButtonUp(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnRButtonDown(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnMButtonDown(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnMButtonUp(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnMouseMove(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnKeyDown(UINT /*key*/, UINT /*repeat*/, UINT /*flags*/) {}
    // A key let go (auto-repeat sends none of these before the last).
    virtual void OnKeyUp(UINT /*key*/, UINT /*repeat*/, UINT /*flags*/) {}
    // The window lost the keyboard: keys held down will not be seen let go.
    virtual void OnKillFocus() {}
    // Scrolls by three lines per notch of the wheel; true when it scrolled.
    virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    // Sets the cursor for the client area; true when handled.
    virtual BOOL OnSetCursor() { return FALSE; }

    // Command routing: true when the view has a handler for the id.
    virtual bool OnCommand(UINT /*id*/) { return false; }
    virtual bool OnUpdateCommand(UINT /*id*/, CCmdUI* /*ui*/) { return false; }

    // The frame's palette relay; wParam names the view that realises in the
    // foreground.
    virtual long OnRealizeDibPalette(CScrollView* /*foreground*/, long /*lParam*/) { return 0; }

  private:
    IViewHost* m_pHost = nullptr;
    CDocument* m_pDocument = nullptr;
    int m_mapMode = MM_TEXT;
    CSize m_totalSize{100, 100};
    CSize m_pageSize{10, 10};
    CSize m_lineSize{1, 1};
    CPoint m_scrollPos;
};
