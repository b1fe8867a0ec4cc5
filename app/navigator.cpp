#include "app/navigator.h"

#include "board/dib_view.h"
#include "board/view_geometry.h"
#include "image/dib.h"
#include "image/dib_doc.h"
#include "image/scan_pyramid.h"
#include "platform/qt/qt_dc.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
constexpr int kRefreshMs = 50;
constexpr int kMargin = 4;
const QColor kBackground(96, 96, 96);
const QColor kFrameColor(255, 255, 0);

// The smallest reduced level of the scan that still has the pixels the
// picture needs, so that the picture is box-filtered and quick to make.
struct Source {
    HDIB block;
    CSize size;
};
Source SourceFor(const CDibDoc& doc, QSize pixels) {
    Source source{doc.GetDibBlock(), doc.GetImageSize()};
    const ScanPyramid* pyramid = doc.GetPyramid();
    for (int k = 1; pyramid && k <= pyramid->LevelCount(); ++k) {
        const CSize size = pyramid->LevelSize(k);
        if (size.cx < pixels.width() || size.cy < pixels.height())
            break;
        if (HDIB level = pyramid->Level(k)) // not one reduced only when painted
            source = {level, size};
    }
    return source;
}

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The tracing drawn over the reduced scan: every visible track as a thin
// line in its layer's colour, then every pad as a red dot.
void DrawTracing(QPainter& painter, const CDibView& view, double panelPerStored) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    const auto at = [panelPerStored](float v) { return static_cast<double>(v) * panelPerStored; };
    for (int i = 0; view.m_pTracks && i < view.m_nTrackCount; ++i) {
        const Track& t = view.m_pTracks[i];
        const int layer = board::TrackLayer(t);
        if (layer == 0 || view.m_bLayerVisible[layer] == 0)
            continue;
        painter.setPen(QPen(ToQColor(g_crLayerColor[layer]), 0));
        painter.drawLine(QPointF(at(t.x1), at(t.y1)), QPointF(at(t.x2), at(t.y2)));
    }
    // A pad is one pixel here: a board's thousands of pads would hide the
    // picture under anything bigger.
    painter.setPen(QPen(QColor(255, 0, 0), 0));
    for (int i = 0; view.m_pPads && i < view.m_nPadCount; ++i) {
        const Pad& p = view.m_pPads[i];
        painter.drawPoint(QPointF(at(p.x), at(p.y)));
    }
}
} // namespace

NavigatorPanel::NavigatorPanel(ViewSource activeView, QWidget* parent)
    : QWidget(parent), m_activeView(std::move(activeView)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("Click or drag to show that part of the scan"));
}

NavigatorPanel::PictureKey NavigatorPanel::KeyOf(const CDibView* view) const {
    PictureKey key;
    key.panel = size() * devicePixelRatioF();
    if (!view)
        return key;
    const CDibDoc* doc = view->GetDocument();
    key.view = view;
    key.dib = doc ? doc->GetDibBlock() : nullptr;
    key.image = doc ? doc->GetImageSize() : CSize();
    key.revision = view->BoardRevision();
    key.zoomExponent = view->m_nScale.Exponent();
    std::copy(std::begin(view->m_bLayerVisible), std::end(view->m_bLayerVisible), key.layers.begin());
    std::copy(std::begin(g_crLayerColor), std::end(g_crLayerColor), key.colors.begin());
    return key;
}

void NavigatorPanel::Refresh() {
    CDibView* view = m_activeView ? m_activeView() : nullptr;
    const PictureKey key = KeyOf(view);
    const FrameKey frame = view ? FrameKey{view->GetScrollPosition(), view->ClientRect()} : FrameKey{};
    if (key == m_pictureKey && frame == m_frameKey)
        return;
    if (!(key == m_pictureKey)) {
        m_pictureKey = key;
        m_picture = QImage();
        m_pictureRect = QRectF();
        if (view && key.dib && key.image.cx > 0 && key.image.cy > 0)
            MakePicture(*view);
    }
    m_frameKey = frame;
    update();
}

void NavigatorPanel::MakePicture(const CDibView& view) {
    const CSize image = m_pictureKey.image;
    const double w = std::max(1, width() - 2 * kMargin);
    const double h = std::max(1, height() - 2 * kMargin);
    m_panelPerPixel = std::min(w / image.cx, h / image.cy);
    const QSizeF shown(image.cx * m_panelPerPixel, image.cy * m_panelPerPixel);
    m_pictureRect = QRectF(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);

    const qreal ratio = devicePixelRatioF();
    const QSize pixels(std::max(1, static_cast<int>(std::ceil(shown.width() * ratio))),
                       std::max(1, static_cast<int>(std::ceil(shown.height() * ratio))));
    m_picture = QImage(pixels, QImage::Format_RGB32);
    m_picture.fill(kBackground);
    {
        QtPainterDC dc(m_picture);
        const CDibDoc* doc = view.GetDocument();
        const Source source = SourceFor(*doc, pixels);
        DibRender(&dc, CRect(0, 0, pixels.width(), pixels.height()), source.block,
                  CRect(0, 0, source.size.cx, source.size.cy), doc->GetDibPalette());
    }
    QPainter painter(&m_picture);
    const double perStored = (pixels.width() / static_cast<double>(image.cx)) / view.m_nScale.Factor();
    DrawTracing(painter, view, perStored);
    painter.end();
    m_picture.setDevicePixelRatio(ratio);
}

QRectF NavigatorPanel::VisibleFrame() const {
    const CDibView* view = m_pictureKey.view;
    if (!view || m_pictureRect.isEmpty())
        return {};
    const double perZoomed = m_panelPerPixel / std::ldexp(1.0, m_pictureKey.zoomExponent);
    const CRect client = m_frameKey.client;
    const QRectF frame(m_pictureRect.left() + m_frameKey.scroll.x * perZoomed,
                       m_pictureRect.top() + m_frameKey.scroll.y * perZoomed,
                       client.Width() * perZoomed, client.Height() * perZoomed);
    return frame & m_pictureRect;
}

void NavigatorPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (m_picture.isNull())
        return;
    painter.drawImage(m_pictureRect, m_picture);
    painter.setPen(QPen(kFrameColor, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(VisibleFrame());
}

void NavigatorPanel::CentreViewOn(QPointF panelPoint) {
    CDibView* view = m_activeView ? m_activeView() : nullptr;
    if (!view || view != m_pictureKey.view || m_pictureRect.isEmpty() || m_panelPerPixel <= 0)
        return;
    const QPointF inPicture = panelPoint - m_pictureRect.topLeft();
    const double zoomed = std::ldexp(1.0, view->m_nScale.Exponent()) / m_panelPerPixel;
    const CRect client = view->ClientRect();
    const auto scrollFor = [](double at, int half) {
        const double v = std::floor(at) - half;
        return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(INT_MAX)));
    };
    view->ScrollToPosition({scrollFor(inPicture.x() * zoomed, client.Width() / 2),
                            scrollFor(inPicture.y() * zoomed, client.Height() / 2)});
    Refresh();
}

void NavigatorPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        CentreViewOn(event->position());
}

void NavigatorPanel::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        CentreViewOn(event->position());
}

void NavigatorPanel::resizeEvent(QResizeEvent*) {
    Refresh();
}

NavigatorDock::NavigatorDock(NavigatorPanel::ViewSource activeView, QWidget* parent)
    : QDockWidget(tr("Navigator"), parent), m_panel(new NavigatorPanel(std::move(activeView), this)),
      m_timer(new QTimer(this)) {
    setObjectName("navigator");
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setWidget(m_panel);
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, m_panel, &NavigatorPanel::Refresh);
    // It follows the window only while it is shown.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            m_panel->Refresh();
            m_timer->start();
        } else {
            m_timer->stop();
        }
    });
}
