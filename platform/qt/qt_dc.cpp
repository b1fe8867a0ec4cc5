#include "platform/qt/qt_dc.h"

#include "platform/qt/dib_blit.h"
#include "platform/parallel_parts.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainterPath>
#include <QRegion>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Coordinates handed to Qt stay within this distance of the
// origin: far outside any device, and far enough inside the int range that
// Qt's own rectangle arithmetic cannot overflow.
constexpr std::int64_t kCoordLimit = std::int64_t{1} << 30;

int Limited(std::int64_t v) {
    return static_cast<int>(std::clamp(v, -kCoordLimit, kCoordLimit));
}

// QPen ignores wider pens; one this wide already covers any screen from a
// line anywhere on it.
constexpr int kMaxPenWidth = (1 << 15) - 1;

int StrokeWidth(const Pen& pen) {
    return std::clamp(pen.width, 1, kMaxPenWidth);
}

// Thin pens are one pixel wide and, like thin Windows pens, leave out the
// last pixel of a line (a flat cap on an aliased line does exactly that).
// Wider pens have round ends and joins. A width of 1 is not cosmetic so that
// it scales with the device pixel ratio of a high-DPI back buffer.
QPen ToQPen(const Pen& pen) {
    QPen qpen(ToQColor(pen.color));
    if (pen.width <= 1) {
        qpen.setWidth(1);
        qpen.setCapStyle(Qt::FlatCap);
        qpen.setJoinStyle(Qt::MiterJoin);
    } else {
        qpen.setWidth(StrokeWidth(pen));
        qpen.setCapStyle(Qt::RoundCap);
        qpen.setJoinStyle(Qt::RoundJoin);
    }
    return qpen;
}

// Ellipses up to this size are painted once and then copied; larger ones,
// which only absurd pad radii give, are painted each time rather than held
// as a picture of that size.
constexpr std::int64_t kMaxPictureSide = 2048;

std::uint32_t ToPixel(COLORREF c) {
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}

// The whole-pixel shift of a translation, or false.
bool WholeShift(const QTransform& t, std::int64_t* dx, std::int64_t* dy) {
    constexpr qreal kLimit = qreal(std::int64_t{1} << 31);
    if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) ||
        t.dy() != std::floor(t.dy()) || std::abs(t.dx()) > kLimit || std::abs(t.dy()) > kLimit)
        return false;
    *dx = static_cast<std::int64_t>(t.dx());
    *dy = static_cast<std::int64_t>(t.dy());
    return true;
}

pixel_raster::Box Intersect(const pixel_raster::Box& a, const pixel_raster::Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

pixel_raster::Box WholeSurface(const pixel_raster::Surface& s) {
    return {0, 0, s.width, s.height};
}

// A device row held just outside the surface when it lies farther out.
int RowNear(std::int64_t y, int height) {
    return static_cast<int>(std::clamp<std::int64_t>(y, -1, std::int64_t{height} + 1));
}

bool IsDirectFormat(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}
} // namespace

QtPainterDC::QtPainterDC(QImage& image)
    : m_ownPainter(std::make_unique<QPainter>(&image)), m_painter(m_ownPainter.get()),
      m_clipBox(0, 0, image.width(), image.height()) {
    const qreal ratio = image.devicePixelRatio();
    if (ratio > 0 && ratio != 1.0)
        m_clipBox = QRect(0, 0, static_cast<int>(std::ceil(image.width() / ratio)),
                          static_cast<int>(std::ceil(image.height() / ratio)));
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    PrepareDirectDrawing();
}

QtPainterDC::QtPainterDC(QPainter& painter, const QTransform& transform, const QRect& clipBox)
    : m_painter(&painter), m_transform(transform), m_clipBox(clipBox) {
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    PrepareDirectDrawing();
}

void QtPainterDC::PrepareDirectDrawing() {
    m_wholeShift = WholeShift(m_transform, &m_deviceShiftX, &m_deviceShiftY);
    if (!m_wholeShift || !m_painter->isActive() || m_painter->viewTransformEnabled())
        return;
    m_clipped = m_painter->hasClipping();
    if (m_clipped) {
        // The clip region is given in the painter's present coordinates.
        std::int64_t cx = 0, cy = 0;
        if (!WholeShift(m_painter->combinedTransform(), &cx, &cy) || std::abs(cx) > kCoordLimit ||
            std::abs(cy) > kCoordLimit)
            return;
        const QRegion clip = m_painter->clipRegion().translated(int(cx), int(cy));
        for (const QRect& r : clip)
            m_deviceClip.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    }
    m_directPossible = true;
}

bool QtPainterDC::DirectSurface(pixel_raster::Surface* surface) const {
    if (!m_directPossible)
        return false;
    const QPainter& p = *m_painter;
    const QPainter::CompositionMode mode = p.compositionMode();
    if (p.hasClipping() != m_clipped || p.viewTransformEnabled() || p.opacity() != 1.0 ||
        (mode != QPainter::CompositionMode_SourceOver && mode != QPainter::CompositionMode_Source) ||
        p.testRenderHint(QPainter::Antialiasing))
        return false;
    QPaintDevice* device = p.device();
    if (!device || device->devType() != QInternal::Image)
        return false;
    QImage& image = *static_cast<QImage*>(device);
    // A shared picture would be copied by bits(), away from the painter's.
    if (!image.isDetached())
        return false;
    // While its pixels stay where they are, a picture keeps its format; the
    // size and ratio are looked at again all the same.
    const uchar* bits = image.constBits();
    if (&image != m_directImage || bits != m_directBits || image.width() != m_directSurface.width ||
        image.height() != m_directSurface.height) {
        m_directImage = nullptr;
        if (!IsDirectFormat(image.format()))
            return false;
        m_directSurface = {reinterpret_cast<std::uint32_t*>(image.bits()), image.bytesPerLine() / 4,
                           image.width(), image.height()};
        m_directImage = &image;
        m_directBits = bits;
    }
    if (image.devicePixelRatio() != 1.0)
        return false;
    *surface = m_directSurface;
    return true;
}

bool QtPainterDC::LineFitsDirect(const ColoredLine& line, int width) const {
    return pixel_raster::LineFits(line.from.x + m_deviceShiftX, line.from.y + m_deviceShiftY,
                                  line.to.x + m_deviceShiftX, line.to.y + m_deviceShiftY, width);
}

bool QtPainterDC::FillLineOn(const pixel_raster::Surface& surface, CPoint from, CPoint to,
                             int width, COLORREF color, const pixel_raster::Box& band) const {
    const std::int64_t ax = from.x + m_deviceShiftX, ay = from.y + m_deviceShiftY;
    const std::int64_t bx = to.x + m_deviceShiftX, by = to.y + m_deviceShiftY;
    if (!pixel_raster::LineFits(ax, ay, bx, by, width))
        return false;
    const std::uint32_t pixel = ToPixel(color);
    if (!m_clipped)
        pixel_raster::FillLine(surface, band, ax, ay, bx, by, width, pixel);
    for (const pixel_raster::Box& box : m_deviceClip)
        pixel_raster::FillLine(surface, Intersect(box, band), ax, ay, bx, by, width, pixel);
    return true;
}

bool QtPainterDC::LineDirect(CPoint from, CPoint to) {
    pixel_raster::Surface surface;
    const int width = StrokeWidth(m_pen);
    return width >= 2 && DirectSurface(&surface) &&
           FillLineOn(surface, from, to, width, m_pen.color, WholeSurface(surface));
}

bool QtPainterDC::CopyEllipseOn(const pixel_raster::Surface& surface, int x, int y,
                                const QSize& size, const pixel_raster::Box& band) {
    UpdateEllipsePicture(size);
    if (!m_ellipse.hasRuns)
        return false;
    CopyEllipseRuns(surface, x, y, band);
    return true;
}

void QtPainterDC::CopyEllipseRuns(const pixel_raster::Surface& surface, int x, int y,
                                  const pixel_raster::Box& band) const {
    const std::int64_t dx = x + m_deviceShiftX, dy = y + m_deviceShiftY;
    if (!m_clipped)
        m_ellipse.pixels.CopyTo(surface, band, dx, dy);
    for (const pixel_raster::Box& box : m_deviceClip)
        m_ellipse.pixels.CopyTo(surface, Intersect(box, band), dx, dy);
}

bool QtPainterDC::EllipseDirect(int x, int y, const QSize& size) {
    pixel_raster::Surface surface;
    return DirectSurface(&surface) && CopyEllipseOn(surface, x, y, size, WholeSurface(surface));
}

// A picture smaller than this stays in the processor's caches anyway; its
// batches are drawn in order, without sorting them into bands.
constexpr std::int64_t kBandedSurfaceBytes = std::int64_t{16} << 20;
// Fewer shapes than this are drawn on one core: sharing them out would
// cost more than it saves.
constexpr std::size_t kSharedBatchShapes = 64;

template <typename Draw>
void QtPainterDC::InBands(const pixel_raster::Surface& surface, Draw draw) {
    const int cores = parallel::PartsAtOnce();
    const bool shared = cores > 1 && m_tops.size() >= kSharedBatchShapes;
    const bool big = std::int64_t{surface.width} * surface.height * 4 >= kBandedSurfaceBytes;
    if (!shared && !big) {
        for (std::size_t i = 0; i < m_tops.size(); ++i)
            draw(i, WholeSurface(surface));
        return;
    }
    // A small picture stays in the caches: one band for each core.
    const int rows = big ? pixel_raster::kBandRows : (surface.height + cores - 1) / cores;
    m_bands.Sort(m_tops, m_bottoms, surface.height, rows);
    const auto drawBand = [&](int b) {
        const int top = b * m_bands.Rows();
        const pixel_raster::Box band{0, top, surface.width,
                                     static_cast<int>(std::min<std::int64_t>(
                                         surface.height, std::int64_t{top} + m_bands.Rows()))};
        for (const int i : m_bands.Shapes(b))
            draw(std::size_t(i), band);
    };
    if (shared) {
        parallel::RunParts(m_bands.Count(), drawBand);
        return;
    }
    for (int b = 0; b < m_bands.Count(); ++b)
        drawBand(b);
}

// The box around the points given to it, both corners included.
struct QtPainterDC::Bounds {
    std::int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    void Add(std::int64_t x, std::int64_t y) {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
    }
    bool IsEmpty() const { return left > right; }
};

// What the direct path drew is touched as one box: the union of the boxes
// each line would have touched. Runs of lines that fit are drawn band by
// band; one that does not goes to the painter in its place between them.
void QtPainterDC::DrawLines(std::span<const ColoredLine> lines, int width) {
    pixel_raster::Surface surface;
    const int stroke = StrokeWidth(Pen{width, 0});
    if (lines.empty() || stroke < 2 || !m_painter->isActive() || !DirectSurface(&surface)) {
        CDC::DrawLines(lines, width);
        return;
    }
    Bounds drawn;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t end = i;
        while (end < lines.size() && LineFitsDirect(lines[end], stroke))
            ++end;
        FillLinesInBands(surface, lines.subspan(i, end - i), stroke, &drawn);
        if (end < lines.size())
            CDC::DrawLines(lines.subspan(end, 1), width);
        i = end + 1;
    }
    m_current = lines.back().to;
    if (!drawn.IsEmpty())
        Touch(drawn.left, drawn.top, drawn.right, drawn.bottom, stroke);
}

void QtPainterDC::FillLinesInBands(const pixel_raster::Surface& surface,
                                   std::span<const ColoredLine> lines, int width, Bounds* drawn) {
    // Rows beyond these hold no pixel of the line.
    const std::int64_t reach = width / 2 + 2;
    m_tops.clear();
    m_bottoms.clear();
    for (const ColoredLine& line : lines) {
        const std::int64_t ay = line.from.y + m_deviceShiftY, by = line.to.y + m_deviceShiftY;
        m_tops.push_back(RowNear(std::min(ay, by) - reach, surface.height));
        m_bottoms.push_back(RowNear(std::max(ay, by) + reach + 1, surface.height));
        drawn->Add(line.from.x, line.from.y);
        drawn->Add(line.to.x, line.to.y);
    }
    InBands(surface, [&](std::size_t i, const pixel_raster::Box& band) {
        FillLineOn(surface, lines[i].from, lines[i].to, width, lines[i].color, band);
    });
}

void QtPainterDC::CopyEllipsesInBands(const pixel_raster::Surface& surface,
                                      std::span<const CRect> boxes, Bounds* drawn) {
    m_tops.clear();
    m_bottoms.clear();
    for (const CRect& box : boxes) {
        const std::int64_t y = std::min(box.top, box.bottom) + m_deviceShiftY;
        m_tops.push_back(RowNear(y, surface.height));
        m_bottoms.push_back(RowNear(y + std::abs(std::int64_t{box.bottom} - box.top), surface.height));
    }
    InBands(surface, [&](std::size_t i, const pixel_raster::Box& band) {
        const CRect& box = boxes[i];
        CopyEllipseRuns(surface, std::min(box.left, box.right), std::min(box.top, box.bottom),
                        band);
    });
    for (const CRect& box : boxes) {
        const int x = std::min(box.left, box.right), y = std::min(box.top, box.bottom);
        drawn->Add(x, y);
        drawn->Add(std::int64_t{x} + m_ellipse.size.width() - 1,
                   std::int64_t{y} + m_ellipse.size.height() - 1);
    }
}

namespace {
// The size of an ellipse's box, or an empty size for one drawn otherwise
// than as a copied picture (too large).
QSize PictureSize(const CRect& box) {
    const std::int64_t width = std::abs(std::int64_t{box.right} - box.left);
    const std::int64_t height = std::abs(std::int64_t{box.bottom} - box.top);
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        return QSize();
    return QSize(int(width), int(height));
}
} // namespace

// Runs of ellipses of one size, whose picture is made of runs, are copied
// band by band; any other is drawn on its own in its place.
void QtPainterDC::DrawEllipses(std::span<const CRect> boxes) {
    pixel_raster::Surface surface;
    if (boxes.empty() || !m_painter->isActive() || !DirectSurface(&surface)) {
        CDC::DrawEllipses(boxes);
        return;
    }
    Bounds drawn;
    for (std::size_t i = 0; i < boxes.size();) {
        const CRect& box = boxes[i];
        if (box.left == box.right || box.top == box.bottom) {
            ++i;
            continue;
        }
        const QSize size = PictureSize(box);
        if (!size.isEmpty()) {
            UpdateEllipsePicture(size);
            std::size_t end = i + 1;
            while (end < boxes.size() && PictureSize(boxes[end]) == size)
                ++end;
            if (m_ellipse.hasRuns) {
                CopyEllipsesInBands(surface, boxes.subspan(i, end - i), &drawn);
                i = end;
                continue;
            }
        }
        Ellipse(box.left, box.top, box.right, box.bottom);
        ++i;
    }
    if (!drawn.IsEmpty())
        Touch(drawn.left, drawn.top, drawn.right, drawn.bottom, 0);
}

QtPainterDC::~QtPainterDC() = default;

void QtPainterDC::PrepareTransform() {
    if (m_painter->transform() != m_transform)
        m_painter->setTransform(m_transform);
}

void QtPainterDC::Touch(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                        int penWidth) {
    // A whole-pixel shift (the usual case) moves the box without the
    // transform's floating-point mapping.
    const std::int64_t sx = m_wholeShift ? m_deviceShiftX : 0;
    const std::int64_t sy = m_wholeShift ? m_deviceShiftY : 0;
    const QRect r(QPoint(Limited(std::min(x0, x1) - penWidth + sx),
                         Limited(std::min(y0, y1) - penWidth + sy)),
                  QPoint(Limited(std::max(x0, x1) + penWidth + 1 + sx),
                         Limited(std::max(y0, y1) + penWidth + 1 + sy)));
    const QRect moved = m_wholeShift ? r : m_transform.mapRect(r);
    if (m_touched.isEmpty()) {
        m_touched = moved;
    } else if (!moved.isEmpty()) {
        m_touched.setCoords(std::min(m_touched.left(), moved.left()),
                            std::min(m_touched.top(), moved.top()),
                            std::max(m_touched.right(), moved.right()),
                            std::max(m_touched.bottom(), moved.bottom()));
    }
}

void QtPainterDC::TouchSized(int x, int y, std::int64_t width, std::int64_t height) {
    if (width == 0 || height == 0)
        return;
    Touch(x, y, x + width - (width > 0 ? 1 : -1), y + height - (height > 0 ? 1 : -1), 0);
}

Pen QtPainterDC::SelectPen(const Pen& pen) {
    const Pen old = m_pen;
    m_pen = pen;
    return old;
}

Brush QtPainterDC::SelectBrush(const Brush& brush) {
    const Brush old = m_brush;
    m_brush = brush;
    return old;
}

CPoint QtPainterDC::MoveTo(int x, int y) {
    const CPoint old = m_current;
    m_current = CPoint(x, y);
    return old;
}

bool QtPainterDC::LineTo(int x, int y) {
    const CPoint from = m_current;
    m_current = CPoint(x, y);
    if (!m_painter->isActive())
        return false;
    if (LineDirect(from, m_current)) {
        Touch(from.x, from.y, x, y, StrokeWidth(m_pen));
        return true;
    }
    PrepareTransform();
    m_painter->setPen(ToQPen(m_pen));
    // Aliased strokes cover the device pixel right of and below a point; on
    // a high-DPI device, shift them so that they cover the whole logical
    // pixel instead, as at a ratio of 1.
    const QPaintDevice* device = m_painter->device();
    const qreal ratio = device && device->devicePixelRatioF() > 0 ? device->devicePixelRatioF() : 1;
    const qreal shift = 0.5 - 0.5 / ratio;
    if (shift == 0)
        m_painter->drawLine(QPoint(from.x, from.y), QPoint(x, y));
    else
        m_painter->drawLine(QPointF(from.x + shift, from.y + shift), QPointF(x + shift, y + shift));
    Touch(from.x, from.y, x, y, StrokeWidth(m_pen));
    return true;
}

// The outline is a ring of the pen's width just inside the bounding box and
// the brush fills what lies within the ring; both are filled shapes sampled
// at pixel centres, so the result is exact and never leaves the box.
void QtPainterDC::PaintEllipse(QPainter& painter, const QRectF& box) const {
    const QRectF outer = box;
    const qreal w = StrokeWidth(m_pen);
    const QRectF inner = outer.adjusted(w, w, -w, -w);
    painter.setPen(Qt::NoPen);
    QPainterPath ring;
    ring.addEllipse(outer);
    QPainterPath hole;
    if (inner.width() > 0 && inner.height() > 0)
        hole.addEllipse(inner);
    if (!m_brush.hollow && !hole.isEmpty())
        painter.fillPath(hole, ToQColor(m_brush.color));
    painter.fillPath(ring.subtracted(hole), ToQColor(m_pen.color));
}

bool QtPainterDC::CanCopyEllipse() const {
    const QPaintDevice* device = m_painter->device();
    if (!device || device->devicePixelRatioF() != 1.0 ||
        m_painter->compositionMode() != QPainter::CompositionMode_SourceOver ||
        m_painter->opacity() != 1.0 || m_painter->testRenderHint(QPainter::Antialiasing))
        return false;
    const QTransform t = m_painter->combinedTransform();
    return t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) &&
           t.dy() == std::floor(t.dy());
}

// Painting an ellipse is slow next to copying a picture of it, and a board
// draws thousands of equal pads: the first one is painted into a picture,
// which the others copy, pixel for pixel the same.
bool QtPainterDC::Ellipse(int left, int top, int right, int bottom) {
    if (!m_painter->isActive())
        return false;
    // The box may span the whole int range (a huge pad radius).
    const int x = std::min(left, right);
    const int y = std::min(top, bottom);
    const std::int64_t width = std::int64_t{std::max(left, right)} - x;
    const std::int64_t height = std::int64_t{std::max(top, bottom)} - y;
    if (width == 0 || height == 0)
        return true;
    const bool small = width <= kMaxPictureSide && height <= kMaxPictureSide;
    const QSize size(static_cast<int>(small ? width : 0), static_cast<int>(small ? height : 0));
    if (small && EllipseDirect(x, y, size)) {
        TouchSized(x, y, width, height);
        return true;
    }
    PrepareTransform();
    const QRectF box(x, y, static_cast<qreal>(width), static_cast<qreal>(height));
    if (!small || !CanCopyEllipse()) {
        PaintEllipse(*m_painter, box);
    } else {
        UpdateEllipsePicture(size);
        m_painter->drawImage(QPoint(x, y), m_ellipse.image);
    }
    TouchSized(x, y, width, height);
    return true;
}

bool QtPainterDC::Polygon(std::span<const CPoint> points) {
    if (!m_painter->isActive() || points.size() < 2)
        return false;
    PrepareTransform();
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    std::int64_t left = points.front().x, top = points.front().y;
    std::int64_t right = left, bottom = top;
    for (const CPoint& p : points) {
        polygon << QPoint(p.x, p.y);
        left = std::min<std::int64_t>(left, p.x);
        top = std::min<std::int64_t>(top, p.y);
        right = std::max<std::int64_t>(right, p.x);
        bottom = std::max<std::int64_t>(bottom, p.y);
    }
    m_painter->setPen(ToQPen(m_pen));
    m_painter->setBrush(m_brush.hollow ? QBrush(Qt::NoBrush) : QBrush(ToQColor(m_brush.color)));
    m_painter->drawPolygon(polygon);
    m_painter->setBrush(Qt::NoBrush);
    Touch(left, top, right, bottom, StrokeWidth(m_pen));
    return true;
}

void QtPainterDC::UpdateEllipsePicture(const QSize& size) {
    if (!m_ellipse.image.isNull() && m_ellipse.size == size && m_ellipse.pen == m_pen &&
        m_ellipse.brush == m_brush)
        return;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    PaintEllipse(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    m_ellipse = EllipsePicture{size, m_pen, m_brush, image, {}, false};
    m_ellipse.hasRuns = m_ellipse.pixels.Make(reinterpret_cast<const std::uint32_t*>(image.constBits()),
                                              image.bytesPerLine() / 4, image.width(), image.height());
}

void QtPainterDC::FillSolidRect(const CRect& rect, COLORREF color) {
    if (!m_painter->isActive() || rect.IsRectEmpty())
        return;
    PrepareTransform();
    const std::int64_t width = std::int64_t{rect.right} - rect.left;
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
    m_painter->fillRect(QRectF(rect.left, rect.top, static_cast<qreal>(width),
                               static_cast<qreal>(height)),
                        ToQColor(color));
    TouchSized(rect.left, rect.top, width, height);
}

int QtPainterDC::SetStretchBltMode(int mode) {
    const int old = m_stretchMode;
    m_stretchMode = mode;
    return old;
}

CPalette* QtPainterDC::SelectPalette(CPalette* palette, bool) {
    CPalette* old = m_palette;
    m_palette = palette;
    return old;
}

// True-colour surfaces have no system palette to change.
UINT QtPainterDC::RealizePalette() {
    return 0;
}

int QtPainterDC::GetDeviceCaps(int index) const {
    const QPaintDevice* device = m_painter->device();
    return device ? QtDeviceCaps(*device, index) : 0;
}

CRect QtPainterDC::GetClipBox() const {
    return CRect(m_clipBox.left(), m_clipBox.top(), m_clipBox.left() + m_clipBox.width(),
                 m_clipBox.top() + m_clipBox.height());
}

void QtPainterDC::PaintPixels(const CRect& rect, const PixelMaker& make) {
    if (!m_painter->isActive())
        return;
    PrepareTransform();
    TouchSized(rect.left, rect.top, std::int64_t{rect.right} - rect.left, std::int64_t{rect.bottom} - rect.top);
    if (!QtPaintPixels(*m_painter, m_clipBox, rect, make))
        CDC::PaintPixels(rect, make);
}

int QtPainterDC::SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc,
                                   int ySrc, UINT startScan, UINT numScans, const void* bits,
                                   const BITMAPINFO* info, UINT usage, std::size_t bitsBytes) {
    if (!m_painter->isActive())
        return 0;
    PrepareTransform();
    TouchSized(xDest, yDest, width, height);
    return QtSetDIBitsToDevice(*m_painter, m_clipBox, xDest, yDest, width, height, xSrc, ySrc,
                               startScan, numScans, bits, info, usage, bitsBytes);
}

int QtPainterDC::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                               int ySrc, int srcWidth, int srcHeight, const void* bits,
                               const BITMAPINFO* info, UINT usage, DWORD rop,
                               std::size_t bitsBytes) {
    if (!m_painter->isActive())
        return 0;
    PrepareTransform();
    TouchSized(xDest, yDest, destWidth, destHeight);
    return QtStretchDIBits(*m_painter, m_clipBox, xDest, yDest, destWidth, destHeight, xSrc, ySrc,
                           srcWidth, srcHeight, bits, info, usage, rop, bitsBytes);
}

QtPrintDC::QtPrintDC(QPainter& painter, QPrinter& printer)
    : QtPainterDC(painter, painter.transform(), QRect(0, 0, printer.width(), printer.height())),
      m_printer(printer) {
    SetPrinting(true);
}

int QtPrintDC::GetDeviceCaps(int index) const {
    return QtDeviceCaps(m_printer, index);
}

int QtDeviceCaps(const QPaintDevice& device, int index) {
    // Images and pixmaps measure themselves in device pixels, widgets and
    // printers in logical ones.
    const bool physical =
        device.devType() == QInternal::Image || device.devType() == QInternal::Pixmap;
    const qreal ratio =
        physical && device.devicePixelRatioF() > 0 ? device.devicePixelRatioF() : 1.0;
    switch (index) {
    case HORZRES:
        return static_cast<int>(std::lround(device.width() / ratio));
    case VERTRES:
        return static_cast<int>(std::lround(device.height() / ratio));
    case LOGPIXELSX:
        return device.logicalDpiX();
    case LOGPIXELSY:
        return device.logicalDpiY();
    default:
        return 0;
    }
}
