#include "platform/qt/qt_view_widget.h"

#include "platform/qt/huge_page_image.h"
#include "platform/qt/image_shift.h"
#include "platform/qt/screen_copy.h"
#include "platform/qt/qt_dc.h"

#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

// A client device context of the window: draws into the back buffer through
// the window's shared painter and, outside a paint, shows what it drew when
// it is released.
class QtViewClientDC : public QtPainterDC {
  public:
    QtViewClientDC(QtViewWidget& widget, QPainter& painter, const QRect& clipBox)
        : QtPainterDC(painter, QTransform(), clipBox), m_widget(&widget) {}
    ~QtViewClientDC() override {
        if (m_widget)
            m_widget->ClientDrawingDone(TouchedRect());
    }

  private:
    QPointer<QtViewWidget> m_widget;
};

namespace {
// Event positions become whole pixels. One that no window could have (or
// that is not a number) is held far outside the window instead of being
// converted out of the int range.
int ToPixel(qreal v) {
    constexpr qreal kFar = 1 << 30;
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::floor(std::clamp(v, -kFar, kFar)));
}

CPoint ToCPoint(const QPointF& p) {
    return CPoint(ToPixel(p.x()), ToPixel(p.y()));
}
} // namespace

QtViewWidget::QtViewWidget(CScrollView* view, QWidget* parent)
    : QAbstractScrollArea(parent), m_view(view) {
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::WheelFocus);
    setFrameShape(QFrame::NoFrame);
    if (m_view) {
        m_view->AttachHost(this);
        m_shownPos = m_view->GetScrollPosition();
        m_shownTotal = m_view->GetTotalSize();
    }
    m_dirty = QRegion(viewport()->rect());
    m_erase = m_dirty;
    SyncScrollBars();
}

QtViewWidget::~QtViewWidget() {
    DetachView();
    m_painter.reset();
}

void QtViewWidget::DetachView() {
    if (m_view && m_view->Host() == this)
        m_view->AttachHost(nullptr);
    m_view = nullptr;
}

CRect QtViewWidget::GetClientRect() const {
    const QSize size = viewport()->size();
    return CRect(0, 0, size.width(), size.height());
}

void QtViewWidget::SyncScrollBars() {
    if (!m_view)
        return;
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    // Showing or hiding one bar changes the client size and so the other
    // bar's range; a second pass settles it.
    for (int pass = 0; pass < 2; ++pass) {
        const CRect client = GetClientRect();
        const CSize total = m_view->GetTotalSize();
        const CSize page = m_view->GetPageSize();
        const CSize line = m_view->GetLineSize();
        const CPoint pos = m_view->GetScrollPosition();
        QScrollBar* h = horizontalScrollBar();
        QScrollBar* v = verticalScrollBar();
        h->setRange(0, std::max(0, total.cx - client.Width()));
        h->setPageStep(std::max(1, page.cx));
        h->setSingleStep(std::max(1, line.cx));
        h->setValue(pos.x);
        v->setRange(0, std::max(0, total.cy - client.Height()));
        v->setPageStep(std::max(1, page.cy));
        v->setSingleStep(std::max(1, line.cy));
        v->setValue(pos.y);
        // The scroll area shows or hides its bars in a queued call; make it
        // now so that the client size is right before the view asks.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (GetClientRect() == client)
            break;
    }
    m_syncing = wasSyncing;
}

void QtViewWidget::ScrollStateChanged() {
    if (!m_view)
        return;
    SyncScrollBars();
    const CPoint pos = m_view->GetScrollPosition();
    const CSize total = m_view->GetTotalSize();
    if (total != m_shownTotal) {
        // A new range (another image, another zoom) leaves nothing of the
        // old picture worth keeping.
        m_shownTotal = total;
        m_shownPos = pos;
        Invalidate(true);
    } else if (pos != m_shownPos) {
        const CPoint from = m_shownPos;
        m_shownPos = pos;
        ShiftBuffer(from, pos);
    }
}

void QtViewWidget::AddDirty(const QRect& rect, bool erase) {
    const QRect clipped = rect & viewport()->rect();
    if (clipped.isEmpty())
        return;
    m_dirty += clipped;
    if (erase)
        m_erase += clipped;
    viewport()->update(clipped);
}

void QtViewWidget::Invalidate(bool erase) {
    AddDirty(viewport()->rect(), erase);
}

void QtViewWidget::InvalidateRect(const CRect& rect, bool erase) {
    // Only the part in the window counts; the rest may reach to the ends of
    // the int range (a huge pad radius), beyond what a QRect can measure.
    CRect shown;
    if (!shown.IntersectRect(rect, GetClientRect()))
        return;
    AddDirty(QRect(shown.left, shown.top, shown.Width(), shown.Height()), erase);
}

void QtViewWidget::EnsureBuffer() {
    const qreal ratio = viewport()->devicePixelRatioF() > 0 ? viewport()->devicePixelRatioF() : 1.0;
    const QSize logical = viewport()->size().expandedTo(QSize(1, 1));
    const QSize physical(static_cast<int>(std::ceil(logical.width() * ratio)),
                         static_cast<int>(std::ceil(logical.height() * ratio)));
    if (m_buffer.size() == physical && m_buffer.devicePixelRatio() == ratio)
        return;
    if (m_painterUsers > 0) {
        m_bufferResizePending = true;
        return;
    }
    ApplyPendingShift();
    QImage fresh = NewHugePageImage(physical, QImage::Format_RGB32);
    fresh.setDevicePixelRatio(ratio);
    fresh.fill(m_background);
    QRegion kept;
    if (!m_buffer.isNull() && m_buffer.devicePixelRatio() == ratio) {
        // Like a window without redraw-on-resize styles: what stays visible
        // keeps its pixels, only the uncovered part is drawn.
        QPainter copy(&fresh);
        copy.setCompositionMode(QPainter::CompositionMode_Source);
        copy.drawImage(QPoint(0, 0), m_buffer);
        const QSize old = m_buffer.deviceIndependentSize().toSize();
        kept = QRegion(QRect(QPoint(0, 0), old));
    }
    m_buffer = fresh;
    const QRegion uncovered = QRegion(QRect(QPoint(0, 0), logical)) - kept;
    m_dirty += uncovered;
    m_erase += uncovered;
    viewport()->update(uncovered);
}

QPainter* QtViewWidget::AcquirePainter() {
    if (!m_painter) {
        EnsureBuffer();
        ApplyPendingShift();
        m_painter = std::make_unique<QPainter>(&m_buffer);
        m_painter->setRenderHint(QPainter::Antialiasing, false);
    }
    ++m_painterUsers;
    return m_painter.get();
}

void QtViewWidget::ReleasePainter() {
    if (m_painterUsers <= 0 || --m_painterUsers > 0)
        return;
    m_painter.reset();
    if (m_bufferResizePending) {
        m_bufferResizePending = false;
        EnsureBuffer();
        viewport()->update();
    }
}

void QtViewWidget::ShiftBuffer(CPoint from, CPoint to) {
    const int dx = from.x - to.x;
    const int dy = from.y - to.y;
    const QRect client = viewport()->rect();
    // At a fractional device pixel ratio the picture cannot move by whole
    // device pixels; redrawing it is exact.
    const qreal ratio = m_buffer.devicePixelRatio();
    const bool wholePixels = ratio == std::floor(ratio);
    if (m_painting || m_buffer.isNull() || !wholePixels || std::abs(dx) >= client.width() ||
        std::abs(dy) >= client.height()) {
        Invalidate(true);
        return;
    }
    m_pendingShift += QPoint(dx, dy);
    // Contexts drawing now draw where the picture is now.
    if (m_painterUsers > 0)
        ApplyPendingShift();
    m_dirty.translate(dx, dy);
    m_erase.translate(dx, dy);
    const QRegion uncovered = QRegion(client) - QRegion(client.translated(dx, dy));
    m_dirty = (m_dirty + uncovered) & client;
    m_erase = (m_erase + uncovered) & client;
    viewport()->update();
}

void QtViewWidget::ApplyPendingShift() {
    const QPoint shift = m_pendingShift;
    m_pendingShift = QPoint();
    const QSize size = m_buffer.deviceIndependentSize().toSize();
    if (shift.isNull() || m_buffer.isNull() || std::abs(shift.x()) >= size.width() ||
        std::abs(shift.y()) >= size.height())
        return; // nothing of the old content stays in sight
    const int device = static_cast<int>(m_buffer.devicePixelRatio());
    if (ShiftImagePixels(m_buffer, shift.x() * device, shift.y() * device))
        return;
    QPainter* painter = AcquirePainter();
    const QImage before = m_buffer.copy();
    painter->save();
    painter->resetTransform();
    painter->setClipping(false);
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(shift, before);
    painter->restore();
    ReleasePainter();
}

// What the window shows does not change when the pixels catch up with a
// scroll, only where they are kept.
const QImage& QtViewWidget::BackBuffer() const {
    if (m_painterUsers == 0)
        const_cast<QtViewWidget*>(this)->ApplyPendingShift();
    return m_buffer;
}

std::unique_ptr<CDC> QtViewWidget::GetClientDC() {
    QPainter* painter = AcquirePainter();
    QRect clip = viewport()->rect();
    if (m_painting) {
        clip = m_paintBounds;
    } else {
        painter->resetTransform();
        painter->setClipping(false);
    }
    return std::make_unique<QtViewClientDC>(*this, *painter, clip);
}

void QtViewWidget::ClientDrawingDone(const QRect& touched) {
    if (!m_painting) {
        const QRect shown = touched & viewport()->rect();
        if (!shown.isEmpty())
            viewport()->update(shown);
    }
    ReleasePainter();
}

void QtViewWidget::paintEvent(QPaintEvent* event) {
    EnsureBuffer();
    const QRegion redraw = m_dirty & viewport()->rect();
    if (m_view && !redraw.isEmpty() && !m_painting) {
        // Nothing of the buffer shows through a redraw of all of it.
        const QRegion whole(viewport()->rect());
        if ((whole - redraw).isEmpty() && m_painterUsers == 0 &&
            (m_view->DrawsWholeClipBox() || (whole - m_erase).isEmpty()))
            m_pendingShift = QPoint();
        m_dirty = QRegion();
        const QRegion erase = m_erase & redraw;
        m_erase -= redraw;
        QPainter* painter = AcquirePainter();
        painter->resetTransform();
        painter->setClipRegion(redraw);
        if (!m_view->DrawsWholeClipBox())
            for (const QRect& r : erase)
                painter->fillRect(r, m_background);
        m_painting = true;
        m_paintBounds = redraw.boundingRect();
        const CPoint pos = m_view->GetScrollPosition();
        {
            QtPainterDC dc(*painter, QTransform::fromTranslate(-pos.x, -pos.y),
                           m_paintBounds.translated(pos.x, pos.y));
            m_view->OnDraw(&dc);
        }
        m_painting = false;
        painter->resetTransform();
        painter->setClipping(false);
        ReleasePainter();
    } else if (!m_view) {
        m_dirty = QRegion();
        m_erase = QRegion();
    }
    if (m_painterUsers == 0)
        ApplyPendingShift();
    QPainter screen(viewport());
    ShowBuffer(screen, m_buffer, event->region());
}

void QtViewWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    EnsureBuffer();
    if (!m_view)
        return;
    // The largest position allowed depends on the client size.
    m_view->ScrollToPosition(m_view->GetScrollPosition());
    SyncScrollBars();
}

void QtViewWidget::scrollContentsBy(int, int) {
    if (m_syncing || !m_view)
        return;
    m_view->ScrollToPosition(CPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
    // The view may keep another position than the bars asked for.
    SyncScrollBars();
}

void QtViewWidget::mousePressEvent(QMouseEvent* event) {
    if (!m_view)
        return;
    setFocus(Qt::MouseFocusReason);
    const UINT flags = QtMouseFlags(event->buttons(), event->modifiers());
    const CPoint point = ToCPoint(event->position());
    if (event->button() == Qt::LeftButton)
        m_view->OnLButtonDown(flags, point);
    else if (event->button() == Qt::RightButton)
        m_view->OnRButtonDown(flags, point);
    else if (event->button() == Qt::MiddleButton)
        m_view->OnMButtonDown(flags, point);
    UpdateCursorFromView();
}

// A quick second click counts as a click of its own (placing pads quickly).
void QtViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void QtViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_view)
        return;
    const UINT flags = QtMouseFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        m_view->OnLButtonUp(flags, ToCPoint(event->position()));
    else if (event->button() == Qt::MiddleButton)
        m_view->OnMButtonUp(flags, ToCPoint(event->position()));
    UpdateCursorFromView();
}

void QtViewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!m_view)
        return;
    UpdateCursorFromView();
    m_view->OnMouseMove(QtMouseFlags(event->buttons(), event->modifiers()),
                        ToCPoint(event->position()));
}

void QtViewWidget::keyPressEvent(QKeyEvent* event) {
    const UINT key = QtKeyToVirtualKey(event->key(), event->modifiers());
    if (!m_view || key == 0) {
        event->ignore();
        return;
    }
    m_view->OnKeyDown(key, 1, 0);
    UpdateCursorFromView();
    event->accept();
}

void QtViewWidget::keyReleaseEvent(QKeyEvent* event) {
    const UINT key = QtKeyToVirtualKey(event->key(), event->modifiers());
    if (!m_view || key == 0 || event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    m_view->OnKeyUp(key, 1, 0);
    UpdateCursorFromView();
    event->accept();
}

void QtViewWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (m_view)
        m_view->OnKillFocus();
}

void QtViewWidget::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!m_view)
        return;
    UINT flags = QtMouseFlags(event->buttons(), event->modifiers());
    int delta = event->angleDelta().y();
    if (delta == 0 && event->angleDelta().x() != 0) {
        delta = event->angleDelta().x();
        flags |= MK_SHIFT;
    }
    if (delta == 0)
        return;
    // Fine-grained wheels and touchpads send small steps: gather them into
    // whole lines (a notch of WHEEL_DELTA scrolls three lines).
    if ((m_wheelRemainder < 0) != (delta < 0))
        m_wheelRemainder = 0;
    m_wheelRemainder = std::clamp(m_wheelRemainder + delta, -SHRT_MAX, SHRT_MAX);
    constexpr int kLine = WHEEL_DELTA / 3;
    const int send = m_wheelRemainder / kLine * kLine;
    if (send == 0)
        return;
    m_wheelRemainder -= send;
    m_view->OnMouseWheel(flags, static_cast<short>(send), ToCPoint(event->globalPosition()));
}

bool QtViewWidget::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Enter)
        UpdateCursorFromView();
    return QAbstractScrollArea::viewportEvent(event);
}

void QtViewWidget::UpdateCursorFromView() {
    if (!m_view || !m_view->OnSetCursor())
        viewport()->setCursor(Qt::ArrowCursor);
}

CPoint QtViewWidget::GetCursorPos() const {
    const QPoint p = QCursor::pos();
    return CPoint(p.x(), p.y());
}

void QtViewWidget::SetCursorPos(CPoint screen) {
    QCursor::setPos(screen.x, screen.y);
}

CPoint QtViewWidget::ClientToScreen(CPoint client) const {
    const QPoint p = viewport()->mapToGlobal(QPoint(client.x, client.y));
    return CPoint(p.x(), p.y());
}

CPoint QtViewWidget::ScreenToClient(CPoint screen) const {
    const QPoint p = viewport()->mapFromGlobal(QPoint(screen.x, screen.y));
    return CPoint(p.x(), p.y());
}

void QtViewWidget::SetCursor(Cursor cursor) {
    viewport()->setCursor(QtCursorShape(cursor));
}

Qt::CursorShape QtCursorShape(Cursor cursor) {
    switch (cursor) {
    case Cursor::UpArrow:
        return Qt::UpArrowCursor;
    case Cursor::Cross:
        return Qt::CrossCursor;
    case Cursor::No:
        return Qt::ForbiddenCursor;
    case Cursor::AppStarting:
        return Qt::BusyCursor;
    case Cursor::Wait:
        return Qt::WaitCursor;
    case Cursor::OpenHand:
        return Qt::OpenHandCursor;
    case Cursor::ClosedHand:
        return Qt::ClosedHandCursor;
    case Cursor::Arrow:
        break;
    }
    return Qt::ArrowCursor;
}

UINT QtMouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    UINT flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    if (modifiers & Qt::AltModifier)
        flags |= MK_ALT;
    return flags;
}

UINT QtKeyToVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        const UINT digit = static_cast<UINT>(qtKey - Qt::Key_0);
        return (modifiers & Qt::KeypadModifier) ? 0x60 + digit : 0x30 + digit;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 0x41 + static_cast<UINT>(qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return 0x70 + static_cast<UINT>(qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
        return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    default:
        return 0;
    }
}
