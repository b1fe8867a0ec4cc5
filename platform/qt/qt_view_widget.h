// The window of a scroll view: a scroll area that shows one CScrollView,
// keeps its scroll bars in step with the view's scroll state, turns Qt's
// mouse, key and wheel events into the view's handlers, and paints through a
// back buffer.
//
// The back buffer holds what the window shows. Invalidated areas are redrawn
// by the view's OnDraw at the next paint, over what was there (an erasing
// invalidation clears them to the background first). A client device
// context draws straight into the buffer and the drawn area is shown at
// once; during a paint it draws into the area being repainted. Coordinates
// are logical pixels: one pixel of the picture at zoom 1, whatever the
// screen's device pixel ratio.
#pragma once

#include "platform/scroll_view.h"
#include "platform/view_host.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QRegion>

#include <memory>

class QPainter;

class QtViewWidget : public QAbstractScrollArea, public IViewHost {
    Q_OBJECT
  public:
    // Attaches itself to the view as its host; the view must outlive the
    // widget or be detached first (DetachView).
    explicit QtViewWidget(CScrollView* view, QWidget* parent = nullptr);
    ~QtViewWidget() override;

    CScrollView* View() const { return m_view; }
    // Forgets the view (which no longer gets events or paints).
    void DetachView();

    // IViewHost.
    CRect GetClientRect() const override;
    void ScrollStateChanged() override;
    void Invalidate(bool erase) override;
    void InvalidateRect(const CRect& rect, bool erase) override;
    std::unique_ptr<CDC> GetClientDC() override;
    CPoint GetCursorPos() const override;
    void SetCursorPos(CPoint screen) override;
    CPoint ClientToScreen(CPoint client) const override;
    CPoint ScreenToClient(CPoint screen) const override;
    void SetCursor(Cursor cursor) override;

    // What the window shows (the back buffer), for tests and screenshots.
    const QImage& BackBuffer() const;
    // Area still waiting for the view's OnDraw.
    QRegion PendingRedraw() const { return m_dirty; }
    // Colour an erasing invalidation clears to.
    void SetBackgroundColor(const QColor& color) { m_background = color; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    friend class QtViewClientDC;

    void SyncScrollBars();
    void EnsureBuffer();
    // Moves the buffer's content as the picture scrolled from `from` to `to`
    // and marks the uncovered strips for redrawing. The pixels move when
    // they are next drawn or looked at, and not at all when the whole window
    // is redrawn before then.
    void ShiftBuffer(CPoint from, CPoint to);
    void ApplyPendingShift();
    // A painter on the back buffer shared by every context drawing now.
    QPainter* AcquirePainter();
    void ReleasePainter();
    void ClientDrawingDone(const QRect& touched);
    void UpdateCursorFromView();
    void AddDirty(const QRect& rect, bool erase);

    CScrollView* m_view;
    QImage m_buffer;
    QRegion m_dirty; // needs the view's OnDraw
    QRegion m_erase; // cleared to the background before that
    QColor m_background{Qt::white};
    std::unique_ptr<QPainter> m_painter;
    int m_painterUsers = 0;
    bool m_bufferResizePending = false;
    bool m_painting = false;
    QRect m_paintBounds; // area being repainted, client coordinates
    QPoint m_pendingShift; // logical pixels the buffer's content still has to move
    CPoint m_shownPos;     // scroll position the buffer shows
    CSize m_shownTotal;
    bool m_syncing = false;
    int m_wheelRemainder = 0;
};

// Windows virtual-key code of a Qt key event's key, 0 when the view has no
// use for the key. Main-keyboard digits give '0'..'9', keypad digits the
// VK_NUMPAD codes, letters their upper-case ASCII code.
UINT QtKeyToVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);
// MK_ flags of the buttons and modifiers held.
UINT QtMouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// The Qt cursor shape of a system cursor.
Qt::CursorShape QtCursorShape(Cursor cursor);
