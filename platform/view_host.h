// What a scroll view needs from the window that shows it. The Qt widget
// implements it for the program; tests use a scripted host.
#pragma once

#include "platform/device_context.h"
#include "platform/types.h"

#include <memory>

class IViewHost {
  public:
    virtual ~IViewHost() = default;

    // Client area in client pixels; left and top are 0.
    virtual CRect GetClientRect() const = 0;
    // The scroll range or position changed: update scroll bars and repaint.
    virtual void ScrollStateChanged() = 0;
    virtual void Invalidate(bool erase) = 0;
    virtual void InvalidateRect(const CRect& rect, bool erase) = 0;
    // A device context that draws onto the visible window now, outside painting.
    virtual std::unique_ptr<CDC> GetClientDC() = 0;

    // Pointer position in screen coordinates, and conversions.
    virtual CPoint GetCursorPos() const = 0;
    virtual void SetCursorPos(CPoint screen) = 0;
    virtual CPoint ClientToScreen(CPoint client) const = 0;
    virtual CPoint ScreenToClient(CPoint screen) const = 0;

    virtual void SetCursor(Cursor cursor) = 0;
};
