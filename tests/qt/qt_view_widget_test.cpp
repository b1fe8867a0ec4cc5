// The scroll view's window: scroll bars, repainting through the back
// buffer, client drawing, cursors, and the translation of input events.
#include "platform/qt/qt_view_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>


#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;

struct Click {
    char kind; // 'L' down, 'U' up, 'R' right down, 'M' move
    UINT flags;
    CPoint point;
};

// Draws one red horizontal line across the picture at picture row 250 and,
// like the board view, a blue line with a client context of its own.
class TestView : public CScrollView {
  public:
    void OnDraw(CDC* dc) override {
        ++draws;
        drawClip = dc->GetClipBox();
        dc->SelectPen(Pen{1, RGB(255, 0, 0)});
        dc->MoveTo(0, 250);
        dc->LineTo(2000, 250);
        if (boardRow) {
            auto client = GetClientDC();
            clientClip = client->GetClipBox();
            client->SelectPen(Pen{1, RGB(0, 0, 255)});
            client->MoveTo(0, *boardRow);
            client->LineTo(2000, *boardRow);
        }
    }
    bool DrawsWholeClipBox() const override { return claimsWholeClip; }
    void OnLButtonDown(UINT flags, CPoint p) override { clicks.push_back({'L', flags, p}); }
    void OnLButtonUp(UINT flags, CPoint p) override { clicks.push_back({'U', flags, p}); }
    void OnRButtonDown(UINT flags, CPoint p) override { clicks.push_back({'R', flags, p}); }
    void OnMouseMove(UINT flags, CPoint p) override { clicks.push_back({'M', flags, p}); }
    void OnKeyDown(UINT key, UINT repeat, UINT) override { keys.push_back({key, repeat}); }
    void OnMButtonDown(UINT flags, CPoint p) override { clicks.push_back({'m', flags, p}); }
    void OnMButtonUp(UINT flags, CPoint p) override { clicks.push_back({'n', flags, p}); }
    void OnKeyUp(UINT key, UINT, UINT) override { released.push_back(key); }
    void OnKillFocus() override { ++focusLosses; }
    BOOL OnSetCursor() override {
        ++cursorRequests;
        if (!cursor)
            return FALSE;
        SetCursor(*cursor);
        return TRUE;
    }

    int draws = 0;
    bool claimsWholeClip = false;
    CRect drawClip;
    CRect clientClip;
    std::optional<int> boardRow; // client row of the board line
    std::vector<Click> clicks;
    std::vector<std::pair<UINT, UINT>> keys;
    std::vector<UINT> released;
    int focusLosses = 0;
    std::optional<Cursor> cursor;
    int cursorRequests = 0;
};

class QtViewWidgetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        widget.resize(300, 200);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
        view.SetScrollSizes(MM_TEXT, CSize(1000, 800));
        Repaint();
    }
    void Repaint() { widget.viewport()->repaint(); }
    QRgb Shown(int x, int y) const {
        const QImage& buffer = widget.BackBuffer();
        const qreal r = buffer.devicePixelRatio();
        return buffer.pixel(static_cast<int>(x * r), static_cast<int>(y * r));
    }
    void SendMouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent event(type, QPointF(at), widget.viewport()->mapToGlobal(QPointF(at)), button,
                          buttons, modifiers);
        QApplication::sendEvent(widget.viewport(), &event);
    }
    void SendWheel(QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(50, 50);
        QWheelEvent event(at, widget.viewport()->mapToGlobal(at), QPoint(), angle, Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget.viewport(), &event);
    }
    void SendKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&widget, &event);
    }

    TestView view;
    QtViewWidget widget{&view};
};
} // namespace

TEST_F(QtViewWidgetTest, ScrollBarsShowTheViewsRangePageAndLine) {
    const CRect client = widget.GetClientRect();
    EXPECT_LT(client.Width(), 300); // both bars are shown
    EXPECT_LT(client.Height(), 200);
    QScrollBar* h = widget.horizontalScrollBar();
    QScrollBar* v = widget.verticalScrollBar();
    EXPECT_EQ(h->maximum(), 1000 - client.Width());
    EXPECT_EQ(v->maximum(), 800 - client.Height());
    EXPECT_EQ(h->pageStep(), 100);
    EXPECT_EQ(v->pageStep(), 80);
    EXPECT_EQ(h->singleStep(), 10);
    EXPECT_EQ(v->singleStep(), 8);

    view.ScrollToPosition(CPoint(50, 70));
    EXPECT_EQ(h->value(), 50);
    EXPECT_EQ(v->value(), 70);
}

TEST_F(QtViewWidgetTest, MovingABarScrollsTheViewWithinItsRange) {
    widget.horizontalScrollBar()->setValue(120);
    widget.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.GetScrollPosition(), CPoint(120, 80));

    view.ScrollToPosition(CPoint(99999, -5));
    const CPoint limit = view.GetScrollLimit();
    EXPECT_EQ(view.GetScrollPosition(), CPoint(limit.x, 0));
    EXPECT_EQ(widget.horizontalScrollBar()->value(), limit.x);
    EXPECT_EQ(widget.verticalScrollBar()->value(), 0);
}

TEST_F(QtViewWidgetTest, GrowingTheWindowPastThePictureClampsThePosition) {
    view.ScrollToPosition(CPoint(400, 300));
    widget.resize(1200, 900);
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    EXPECT_EQ(widget.GetClientRect(), CRect(0, 0, 1200, 900)); // no bars needed
    EXPECT_EQ(widget.horizontalScrollBar()->maximum(), 0);
}

TEST_F(QtViewWidgetTest, PaintDrawsThePictureAtTheScrollPosition) {
    EXPECT_GE(view.draws, 1);
    EXPECT_TRUE(widget.PendingRedraw().isEmpty());
    view.ScrollToPosition(CPoint(0, 200));
    Repaint();
    EXPECT_EQ(Shown(10, 50), kRed); // picture row 250
    EXPECT_EQ(Shown(10, 49), kWhite);
    EXPECT_EQ(Shown(10, 51), kWhite);
}

TEST_F(QtViewWidgetTest, InvalidatedAreaIsRedrawnWithItsClipBox) {
    view.ScrollToPosition(CPoint(30, 40));
    Repaint();
    const int before = view.draws;
    view.InvalidateRect(std::make_unique<CRect>(10, 20, 60, 90).get(), false);
    EXPECT_EQ(widget.PendingRedraw(), QRegion(10, 20, 50, 70));
    Repaint();
    EXPECT_EQ(view.draws, before + 1);
    EXPECT_EQ(view.drawClip, CRect(40, 60, 90, 130)); // picture coordinates
    EXPECT_TRUE(widget.PendingRedraw().isEmpty());
}

TEST_F(QtViewWidgetTest, InvalidatingTheWholeIntRangeRedrawsTheWindow) {
    Repaint();
    const int kFar = std::numeric_limits<int>::max();
    widget.InvalidateRect(CRect(-kFar - 1, -kFar - 1, kFar, kFar), false);
    EXPECT_EQ(widget.PendingRedraw(), QRegion(widget.viewport()->rect()));
    Repaint();
    widget.InvalidateRect(CRect(-(1 << 30) - 20, 5, (1 << 30) + 20, 6), false);
    EXPECT_EQ(widget.PendingRedraw(), QRegion(0, 5, widget.viewport()->width(), 1));
}

TEST_F(QtViewWidgetTest, InvalidatingWithoutEraseKeepsWhatWasThere) {
    {
        auto dc = widget.GetClientDC();
        dc->SelectPen(Pen{1, RGB(0, 0, 255)});
        dc->MoveTo(5, 5);
        dc->LineTo(40, 5);
    }
    EXPECT_EQ(Shown(10, 5), kBlue);
    widget.InvalidateRect(CRect(0, 0, 50, 50), false);
    Repaint();
    EXPECT_EQ(Shown(10, 5), kBlue);
    widget.InvalidateRect(CRect(0, 0, 50, 50), true);
    Repaint();
    EXPECT_EQ(Shown(10, 5), kWhite);
}

TEST_F(QtViewWidgetTest, ClientDrawingOutsidePaintShowsAtOnce) {
    {
        auto dc = widget.GetClientDC();
        EXPECT_EQ(dc->GetClipBox(), widget.GetClientRect());
        dc->SelectPen(Pen{3, RGB(0, 0, 255)});
        dc->SelectBrush(Brush{RGB(0, 0, 255)});
        dc->Ellipse(100, 100, 111, 111);
    }
    EXPECT_EQ(Shown(105, 105), kBlue);
    // Nothing waits for the view's OnDraw; the screen shows the buffer.
    EXPECT_TRUE(widget.PendingRedraw().isEmpty());
    const QImage screen = widget.viewport()->grab().toImage();
    const qreal r = screen.devicePixelRatio();
    EXPECT_EQ(screen.pixel(static_cast<int>(105 * r), static_cast<int>(105 * r)), kBlue);
}

TEST_F(QtViewWidgetTest, ClientContextDuringPaintDrawsIntoTheRepaintedArea) {
    view.boardRow = 30;
    widget.InvalidateRect(CRect(0, 20, 100, 60), false);
    Repaint();
    EXPECT_EQ(view.clientClip, CRect(0, 20, 100, 60));
    EXPECT_EQ(Shown(50, 30), kBlue);
    EXPECT_NE(Shown(150, 30), kBlue); // clipped to the repainted area
}

TEST_F(QtViewWidgetTest, ScrollingMovesThePictureAndRedrawsOnlyTheUncoveredStrip) {
    view.ScrollToPosition(CPoint(0, 200)); // red line at client row 50
    Repaint();
    view.ScrollToPosition(CPoint(0, 210));
    const CRect client = widget.GetClientRect();
    const qreal ratio = widget.BackBuffer().devicePixelRatio();
    if (ratio != std::floor(ratio)) {
        // Fractional device pixels: the whole picture is drawn again.
        EXPECT_EQ(widget.PendingRedraw(), QRegion(widget.viewport()->rect()));
        Repaint();
        EXPECT_EQ(Shown(10, 40), kRed);
        return;
    }
    EXPECT_EQ(widget.PendingRedraw(), QRegion(0, client.Height() - 10, client.Width(), 10));
    EXPECT_EQ(Shown(10, 40), kRed); // moved up with the picture
    Repaint();
    EXPECT_EQ(Shown(10, 40), kRed);
    EXPECT_EQ(Shown(10, 50), kWhite);
}

TEST_F(QtViewWidgetTest, ScrollingWhileAClientContextIsOpenKeepsBothRight) {
    // Edge scrolling: the view holds a client context, scrolls, then draws.
    auto dc = widget.GetClientDC();
    dc->SelectPen(Pen{1, RGB(0, 0, 255)});
    dc->MoveTo(0, 100);
    dc->LineTo(50, 100);
    view.ScrollToPosition(CPoint(0, 5));
    dc->MoveTo(0, 120);
    dc->LineTo(50, 120);
    widget.resize(320, 220); // the buffer waits until the context is released
    dc.reset();
    Repaint();
    const qreal ratio = widget.BackBuffer().devicePixelRatio();
    if (ratio == std::floor(ratio)) {
        EXPECT_EQ(Shown(10, 95), kBlue); // drawn before the scroll: moved with the picture
        EXPECT_EQ(Shown(10, 100), kWhite);
    } else {
        // The picture is redrawn rather than moved by a fraction of a pixel,
        // which clears what the client context drew.
        EXPECT_EQ(Shown(10, 100), kWhite);
        EXPECT_EQ(Shown(10, 120), kWhite);
        return;
    }
    EXPECT_EQ(Shown(10, 120), kBlue); // drawn after it: where it was drawn
    EXPECT_EQ(widget.BackBuffer().deviceIndependentSize().toSize(), widget.viewport()->size());
}

TEST_F(QtViewWidgetTest, ScrollsBetweenPaintsAddUpAndAreUndoneByNothing) {
    view.ScrollToPosition(CPoint(0, 200)); // red line at client row 50
    Repaint();
    if (widget.BackBuffer().devicePixelRatio() != 1.0)
        GTEST_SKIP() << "whole device pixels are moved only at ratio 1";
    {
        auto dc = widget.GetClientDC();
        dc->SelectPen(Pen{1, RGB(0, 0, 255)});
        dc->MoveTo(0, 150);
        dc->LineTo(50, 150);
    }
    view.ScrollToPosition(CPoint(0, 210));
    view.ScrollToPosition(CPoint(0, 235));
    view.ScrollToPosition(CPoint(0, 230));
    Repaint();
    EXPECT_EQ(Shown(10, 20), kRed);
    EXPECT_EQ(Shown(10, 120), kBlue) << "client drawing moves with the picture";
    EXPECT_EQ(Shown(10, 50), kWhite);
    EXPECT_EQ(Shown(10, 150), kWhite);
    // Scrolled and then redrawn whole: the same as drawn from scratch.
    view.ScrollToPosition(CPoint(0, 240));
    widget.Invalidate(true);
    Repaint();
    EXPECT_EQ(Shown(10, 10), kRed);
    EXPECT_EQ(Shown(10, 110), kWhite);
    EXPECT_EQ(Shown(10, 20), kWhite);
}

TEST_F(QtViewWidgetTest, AViewThatPaintsItsWholeClipBoxIsNotClearedFirst) {
    {
        auto dc = widget.GetClientDC();
        dc->SelectPen(Pen{1, RGB(0, 0, 255)});
        dc->MoveTo(5, 5);
        dc->LineTo(40, 5);
    }
    view.claimsWholeClip = true;
    widget.InvalidateRect(CRect(0, 0, 50, 50), true);
    Repaint();
    EXPECT_EQ(Shown(10, 5), kBlue) << "the view, not the window, sets those pixels";
    view.claimsWholeClip = false;
    widget.InvalidateRect(CRect(0, 0, 50, 50), true);
    Repaint();
    EXPECT_EQ(Shown(10, 5), kWhite);
}

TEST_F(QtViewWidgetTest, ANewScrollRangeRedrawsEverything) {
    view.SetScrollSizes(MM_TEXT, CSize(2000, 1600));
    EXPECT_EQ(widget.PendingRedraw(), QRegion(widget.viewport()->rect()));
}

TEST_F(QtViewWidgetTest, CursorsComeFromTheView) {
    view.SetCursor(Cursor::Cross);
    EXPECT_EQ(widget.viewport()->cursor().shape(), Qt::CrossCursor);
    view.cursor = Cursor::UpArrow;
    const int requests = view.cursorRequests;
    SendMouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(10, 10));
    EXPECT_EQ(widget.viewport()->cursor().shape(), Qt::UpArrowCursor);
    EXPECT_GT(view.cursorRequests, requests);
    // A view that does not set one gets the arrow.
    view.cursor.reset();
    SendMouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(12, 10));
    EXPECT_EQ(widget.viewport()->cursor().shape(), Qt::ArrowCursor);

    EXPECT_EQ(QtCursorShape(Cursor::UpArrow), Qt::UpArrowCursor);
    EXPECT_EQ(QtCursorShape(Cursor::Cross), Qt::CrossCursor);
    EXPECT_EQ(QtCursorShape(Cursor::No), Qt::ForbiddenCursor);
    EXPECT_EQ(QtCursorShape(Cursor::AppStarting), Qt::BusyCursor);
    EXPECT_EQ(QtCursorShape(Cursor::Arrow), Qt::ArrowCursor);
    EXPECT_EQ(QtCursorShape(Cursor::Wait), Qt::WaitCursor);
}

TEST_F(QtViewWidgetTest, MouseEventsReachTheViewWithKeyStateFlags) {
    SendMouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(30, 40));
    SendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(31, 42), Qt::ShiftModifier);
    SendMouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(32, 44));
    SendMouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, QPoint(5, 6),
              Qt::ControlModifier);
    ASSERT_EQ(view.clicks.size(), 4u);
    EXPECT_EQ(view.clicks[0].kind, 'L');
    EXPECT_EQ(view.clicks[0].flags, MK_LBUTTON);
    EXPECT_EQ(view.clicks[0].point, CPoint(30, 40));
    EXPECT_EQ(view.clicks[1].kind, 'M');
    EXPECT_EQ(view.clicks[1].flags, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(view.clicks[1].point, CPoint(31, 42));
    EXPECT_EQ(view.clicks[2].kind, 'U');
    EXPECT_EQ(view.clicks[2].flags, 0u);
    EXPECT_EQ(view.clicks[3].kind, 'R');
    EXPECT_EQ(view.clicks[3].flags, MK_RBUTTON | MK_CONTROL);
}

TEST_F(QtViewWidgetTest, TheMiddleButtonReachesTheViewForPanning) {
    SendMouse(QEvent::MouseButtonPress, Qt::MiddleButton, Qt::MiddleButton, QPoint(30, 40));
    SendMouse(QEvent::MouseMove, Qt::NoButton, Qt::MiddleButton, QPoint(20, 30));
    SendMouse(QEvent::MouseButtonRelease, Qt::MiddleButton, Qt::NoButton, QPoint(20, 30));
    ASSERT_EQ(view.clicks.size(), 3u);
    EXPECT_EQ(view.clicks[0].kind, 'm');
    EXPECT_EQ(view.clicks[0].flags, MK_MBUTTON);
    EXPECT_EQ(view.clicks[1].flags, MK_MBUTTON);
    EXPECT_EQ(view.clicks[2].kind, 'n');
    EXPECT_EQ(view.clicks[2].point, CPoint(20, 30));
}

TEST_F(QtViewWidgetTest, KeysLetGoReachTheViewButNotTheRepeatsOfAHeldKey) {
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&widget, &repeat);
    EXPECT_TRUE(view.released.empty());
    QKeyEvent last(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(&widget, &last);
    EXPECT_EQ(view.released, std::vector<UINT>{0x20u});
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(&widget, &out);
    EXPECT_EQ(view.focusLosses, 1);
}

TEST_F(QtViewWidgetTest, PositionsNoWindowCouldHaveAreHeldFarOutside) {
    const QPointF global = widget.viewport()->mapToGlobal(QPointF(0, 0));
    for (const QPointF at : {QPointF(1e12, -1e12), QPointF(std::nan(""), 5.5)}) {
        QMouseEvent event(QEvent::MouseMove, at, global, Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget.viewport(), &event);
    }
    ASSERT_EQ(view.clicks.size(), 2u);
    EXPECT_EQ(view.clicks[0].point, CPoint(1 << 30, -(1 << 30)));
    EXPECT_EQ(view.clicks[1].point, CPoint(0, 5));
}

TEST(QtKeyTranslation, KeysGiveWindowsVirtualKeyCodes) {
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_PageUp, none), 0x21u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_PageDown, none), 0x22u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Return, none), 0x0Du);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Enter, Qt::KeypadModifier), 0x0Du);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Space, none), 0x20u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Left, none), 0x25u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Up, none), 0x26u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Right, none), 0x27u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Down, Qt::KeypadModifier), 0x28u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_0, none), 0x30u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_8, none), 0x38u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_9, Qt::ShiftModifier), 0x39u);
    // Keypad digits are not the main-keyboard digits.
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_8, Qt::KeypadModifier), 0x68u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_A, none), 0x41u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_X, Qt::ControlModifier), 0x58u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Z, none), 0x5Au);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Shift, none), 0u);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Percent, none), 0u);
}

TEST_F(QtViewWidgetTest, KeyPressesReachTheViewOneAtATime) {
    SendKey(Qt::Key_PageDown);
    SendKey(Qt::Key_Y);
    SendKey(Qt::Key_2, Qt::KeypadModifier);
    SendKey(Qt::Key_Shift); // not for the view
    ASSERT_EQ(view.keys.size(), 3u);
    EXPECT_EQ(view.keys[0], std::make_pair(0x22u, 1u));
    EXPECT_EQ(view.keys[1], std::make_pair(0x59u, 1u));
    EXPECT_EQ(view.keys[2], std::make_pair(0x62u, 1u));
    // The scroll area's own arrow-key scrolling stays out of the way.
    const CPoint before = view.GetScrollPosition();
    SendKey(Qt::Key_Down);
    EXPECT_EQ(view.GetScrollPosition(), before);
    EXPECT_EQ(view.keys.back().first, 0x28u);
}

TEST_F(QtViewWidgetTest, WheelScrollsThreeLinesPerNotch) {
    SendWheel(QPoint(0, -120));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 24)); // line size 8
    SendWheel(QPoint(0, 120));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    // Small steps of a touchpad add up to whole lines.
    SendWheel(QPoint(0, -20));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    SendWheel(QPoint(0, -20));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 8));
    // A sideways wheel scrolls across.
    SendWheel(QPoint(-120, 0));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(30, 8));
}

TEST_F(QtViewWidgetTest, ClientAndScreenCoordinatesConvertBothWays) {
    const QPoint origin = widget.viewport()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(widget.ClientToScreen(CPoint(0, 0)), CPoint(origin.x(), origin.y()));
    EXPECT_EQ(widget.ScreenToClient(widget.ClientToScreen(CPoint(17, -4))), CPoint(17, -4));
}

TEST(QtViewWidget, DetachesFromItsViewWhenDestroyed) {
    TestView view;
    {
        QtViewWidget widget(&view);
        EXPECT_EQ(view.Host(), &widget);
    }
    EXPECT_EQ(view.Host(), nullptr);
    view.Invalidate(true); // must not reach the destroyed widget
}
