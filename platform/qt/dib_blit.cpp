#include "platform/qt/dib_blit.h"

#include "platform/dib_raster.h"
#include "platform/parallel_parts.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPaintEngine>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace {

// Output is produced in bands of at most this many pixels, and source rows
// are decoded in strips of at most this many, so memory stays small
// whatever the zoom or the page size.
constexpr std::int64_t kBandPixels = std::int64_t{1} << 22;

struct Rect64 {
    std::int64_t x, y, w, h;
};

// Nearest-neighbour mapping from a destination coordinate to a source one.
struct Axis {
    std::int64_t dest, destLen, src, srcLen;
    std::int64_t SourceOf(std::int64_t d) const { return src + (d - dest) * srcLen / destLen; }
};

// The decoder takes int coordinates; anything beyond them is outside every
// picture, so black.
void DecodeClamped(const DibPixels& dib, std::int64_t x, std::int64_t y, std::int64_t w,
                   std::int64_t h, std::uint32_t* out, std::ptrdiff_t stride) {
    constexpr std::int64_t kMax = INT32_MAX;
    if (x < -kMax || y < -kMax || x + w > kMax || y + h > kMax) {
        for (std::int64_t j = 0; j < h; ++j)
            std::fill_n(out + j * stride, w, 0xFF000000u);
        return;
    }
    DecodeDibRect(dib, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                  static_cast<int>(h), out, stride);
}

class ScaledBlit {
  public:
    ScaledBlit(const DibPixels& dib, Axis x, Axis y) : m_dib(dib), m_x(x), m_y(y) {}

    // Fills w x h pixels at out (rows of stride pixels), whose top-left is
    // destination point (left, top).
    void Render(std::uint32_t* out, std::ptrdiff_t stride, int w, int h, std::int64_t left,
                std::int64_t top) {
        m_columns.resize(static_cast<std::size_t>(w));
        for (int i = 0; i < w; ++i)
            m_columns[i] = m_x.SourceOf(left + i);
        const std::int64_t spanLeft = m_columns.front();
        const std::int64_t spanWidth = m_columns.back() - spanLeft + 1;
        if (spanWidth > w || m_y.srcLen > m_y.destLen) {
            RenderSampled(out, stride, w, h, top);
            return;
        }
        // Enlarged: each decoded pixel is copied to the run of columns it
        // covers, and each decoded row to the rows it covers.
        m_offsets.resize(static_cast<std::size_t>(w));
        for (int i = 0; i < w; ++i)
            m_offsets[i] = static_cast<std::uint32_t>(m_columns[i] - spanLeft);
        const std::int64_t stripRows = std::max<std::int64_t>(1, kBandPixels / spanWidth);
        const std::int64_t lastRow = m_y.SourceOf(top + h - 1);
        std::int64_t previous = INT64_MIN;
        for (int j = 0; j < h; ++j) {
            std::uint32_t* row = out + j * stride;
            const std::int64_t source = m_y.SourceOf(top + j);
            if (source == previous) {
                std::memcpy(row, row - stride, static_cast<std::size_t>(w) * 4);
                continue;
            }
            previous = source;
            if (source < m_stripTop || source >= m_stripTop + m_stripRows)
                LoadStrip(spanLeft, spanWidth, source, std::min(stripRows, lastRow - source + 1));
            const std::uint32_t* line = m_strip.data() + (source - m_stripTop) * spanWidth;
            const std::uint32_t* offsets = m_offsets.data();
            for (int i = 0; i < w; ++i)
                row[i] = line[offsets[i]];
        }
    }

  private:
    void LoadStrip(std::int64_t left, std::int64_t width, std::int64_t top, std::int64_t rows) {
        m_strip.resize(static_cast<std::size_t>(width * rows));
        m_stripTop = top;
        m_stripRows = rows;
        DecodeClamped(m_dib, left, top, width, rows, m_strip.data(), width);
    }

    // A reduction: the source has more pixels than are shown, so only the
    // pixels shown are decoded, whatever lies between them.
    void RenderSampled(std::uint32_t* out, std::ptrdiff_t stride, int w, int h, std::int64_t top) {
        m_rows.resize(static_cast<std::size_t>(h));
        for (int j = 0; j < h; ++j)
            m_rows[j] = m_y.SourceOf(top + j);
        DecodeDibSamples(m_dib, m_columns.data(), w, m_rows.data(), h, out, stride);
    }

    const DibPixels& m_dib;
    Axis m_x, m_y;
    std::vector<std::int64_t> m_columns;
    std::vector<std::uint32_t> m_offsets;
    std::vector<std::int64_t> m_rows;
    std::vector<std::uint32_t> m_strip;
    std::int64_t m_stripTop = 0;
    std::int64_t m_stripRows = 0;
};

// The pixels of the image a painter draws on, when an opaque picture drawn
// there lands unchanged on them: a plain image of 32-bit pixels, moved by
// whole pixels only, painted over at full opacity. The pixels are then
// decoded straight into it, without a picture in between.
struct DeviceImage {
    std::uint32_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    QPoint offset;  // device position of logical (0, 0)
    QRegion shown;  // device pixels the painter may change
};

bool PaintsThrough(const QPainter& painter, const QImage& image) {
    const QTransform t = painter.combinedTransform();
    const QPainter::CompositionMode mode = painter.compositionMode();
    return painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster &&
           (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
            image.format() == QImage::Format_ARGB32_Premultiplied) &&
           image.devicePixelRatio() == 1.0 && image.isDetached() &&
           t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) &&
           t.dy() == std::floor(t.dy()) && std::abs(t.dx()) < 1e9 && std::abs(t.dy()) < 1e9 &&
           painter.opacity() == 1.0 &&
           (mode == QPainter::CompositionMode_SourceOver || mode == QPainter::CompositionMode_Source);
}

std::optional<DeviceImage> DeviceImageOf(QPainter& painter) {
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image)
        return std::nullopt;
    auto& image = *static_cast<QImage*>(device);
    if (!PaintsThrough(painter, image))
        return std::nullopt;
    DeviceImage target;
    const QTransform t = painter.combinedTransform();
    target.offset = QPoint(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
    target.shown = QRegion(image.rect());
    if (painter.hasClipping())
        target.shown &= painter.clipRegion().translated(target.offset);
    target.bits = reinterpret_cast<std::uint32_t*>(image.bits());
    target.stride = image.bytesPerLine() / 4;
    return target;
}

// Pictures of fewer pixels than this are made on one core.
constexpr std::int64_t kSharedPixels = std::int64_t{1} << 16;

// Calls paint(top, rows) for the rows of r, in parts spread over the
// processor's cores when r is big enough to be worth it.
void InRowParts(const QRect& r, const std::function<void(int top, int rows)>& paint) {
    const int parts = std::int64_t{r.width()} * r.height() < kSharedPixels
                          ? 1
                          : std::min(parallel::PartsAtOnce(), r.height());
    if (parts <= 1) {
        paint(r.y(), r.height());
        return;
    }
    parallel::RunParts(parts, [&](int part) {
        const int top = r.y() + static_cast<int>(std::int64_t{r.height()} * part / parts);
        const int bottom = r.y() + static_cast<int>(std::int64_t{r.height()} * (part + 1) / parts);
        paint(top, bottom - top);
    });
}

// Largest picture handed to a printer in one piece.
constexpr std::int64_t kPrintedPixels = std::int64_t{1} << 26;

// A printer, and the print preview that records for one, scales pictures
// itself: it gets the source pixels in one piece and at their own
// resolution. Drawn in bands, the preview would show the page through the
// band edges, which its scaling puts between screen pixels. False when the
// piece would be too big; the caller then draws in bands.
bool DrawForPrinter(QPainter& painter, Rect64 dest, Rect64 src, const DibPixels& dib) {
    if (src.w * src.h > kPrintedPixels || src.x < INT32_MIN || src.y < INT32_MIN ||
        src.x + src.w > INT32_MAX || src.y + src.h > INT32_MAX)
        return false;
    QImage picture(static_cast<int>(src.w), static_cast<int>(src.h), QImage::Format_RGB32);
    if (picture.isNull())
        return false;
    DecodeDibRect(dib, static_cast<int>(src.x), static_cast<int>(src.y), picture.width(),
                  picture.height(), reinterpret_cast<std::uint32_t*>(picture.bits()),
                  picture.bytesPerLine() / 4);
    painter.drawImage(QRectF(static_cast<qreal>(dest.x), static_cast<qreal>(dest.y),
                             static_cast<qreal>(dest.w), static_cast<qreal>(dest.h)),
                      picture);
    return true;
}

bool PaintsOnPrinter(const QPainter& painter) {
    return painter.device() && painter.device()->devType() == QInternal::Printer;
}

// Draws source rectangle src (rows counted from the top of the picture) into
// dest, decoding only what lies inside visible. False when the pixels cannot
// be decoded at all.
bool Draw(QPainter& painter, const QRect& visible, Rect64 dest, Rect64 src, const DibPixels& dib) {
    if (!DescribeDibPixels(dib, nullptr, nullptr))
        return false;
    if (dest.w <= 0 || dest.h <= 0 || src.w <= 0 || src.h <= 0)
        return true;
    if (PaintsOnPrinter(painter) && DrawForPrinter(painter, dest, src, dib))
        return true;
    const std::int64_t left = std::max<std::int64_t>(dest.x, visible.left());
    const std::int64_t top = std::max<std::int64_t>(dest.y, visible.top());
    const std::int64_t right = std::min<std::int64_t>(dest.x + dest.w, std::int64_t{visible.left()} + visible.width());
    const std::int64_t bottom = std::min<std::int64_t>(dest.y + dest.h, std::int64_t{visible.top()} + visible.height());
    if (left >= right || top >= bottom)
        return true;
    const bool unscaled = dest.w == src.w && dest.h == src.h;
    const Axis axisX{dest.x, dest.w, src.x, src.w}, axisY{dest.y, dest.h, src.y, src.h};
    ScaledBlit scaled(dib, axisX, axisY);
    // Paints w x h destination pixels from (x, y) into out.
    const auto paintWith = [&](ScaledBlit& scaled, std::uint32_t* out, std::ptrdiff_t stride,
                               std::int64_t x, std::int64_t y, int w, int h) {
        const std::int64_t sx = src.x + (x - dest.x);
        const std::int64_t sy = src.y + (y - dest.y);
        if (unscaled && (sx < INT32_MIN || sy < INT32_MIN || sx > INT32_MAX || sy > INT32_MAX))
            for (int j = 0; j < h; ++j)
                std::fill_n(out + j * stride, w, 0xFF000000u);
        else if (unscaled)
            DecodeDibRect(dib, static_cast<int>(sx), static_cast<int>(sy), w, h, out, stride);
        else
            scaled.Render(out, stride, w, h, x, y);
    };
    const auto paint = [&](std::uint32_t* out, std::ptrdiff_t stride, std::int64_t x,
                           std::int64_t y, int w, int h) { paintWith(scaled, out, stride, x, y, w, h); };
    if (const std::optional<DeviceImage> device = DeviceImageOf(painter)) {
        const QRect bounds = device->shown.boundingRect();
        const auto across = [&](std::int64_t x) {
            return static_cast<int>(std::clamp<std::int64_t>(x + device->offset.x(), bounds.left(),
                                                             std::int64_t{bounds.right()} + 1));
        };
        const auto down = [&](std::int64_t y) {
            return static_cast<int>(std::clamp<std::int64_t>(y + device->offset.y(), bounds.top(),
                                                             std::int64_t{bounds.bottom()} + 1));
        };
        const QRect area(QPoint(across(left), down(top)), QPoint(across(right) - 1, down(bottom) - 1));
        for (const QRect& r : device->shown & area)
            InRowParts(r, [&](int top, int rows) {
                ScaledBlit own(dib, axisX, axisY);
                paintWith(own, device->bits + std::ptrdiff_t{top} * device->stride + r.x(),
                          device->stride, r.x() - device->offset.x(), top - device->offset.y(),
                          r.width(), rows);
            });
        return true;
    }
    const std::int64_t width = right - left;
    const std::int64_t bandRows = std::max<std::int64_t>(1, kBandPixels / width);
    for (std::int64_t y = top; y < bottom; y += bandRows) {
        const std::int64_t rows = std::min(bandRows, bottom - y);
        QImage band(static_cast<int>(width), static_cast<int>(rows), QImage::Format_RGB32);
        if (band.isNull())
            return false;
        paint(reinterpret_cast<std::uint32_t*>(band.bits()), band.bytesPerLine() / 4, left, y,
              band.width(), band.height());
        painter.drawImage(QPoint(static_cast<int>(left), static_cast<int>(y)), band);
    }
    return true;
}

DibPixels PixelsOf(const BITMAPINFO* info, const void* bits, std::size_t bitsBytes) {
    return DibPixels{info, DibInfoBytes(info), bits, bits ? bitsBytes : 0};
}

} // namespace

int QtSetDIBitsToDevice(QPainter& painter, const QRect& visible, int xDest, int yDest,
                        DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                        UINT numScans, const void* bits, const BITMAPINFO* info, UINT usage,
                        std::size_t bitsBytes) {
    if (!info || !bits || usage != DIB_RGB_COLORS)
        return 0;
    const DibPixels dib = PixelsOf(info, bits, bitsBytes);
    int pictureWidth = 0, pictureHeight = 0;
    if (!DescribeDibPixels(dib, &pictureWidth, &pictureHeight))
        return 0;
    // Source rows are given from the bottom scan line; only the scan lines
    // startScan .. startScan + numScans - 1 are drawn.
    const std::int64_t h = pictureHeight;
    const std::int64_t srcTop = h - std::int64_t{ySrc} - std::int64_t{height};
    const std::int64_t srcBottom = srcTop + std::int64_t{height};
    const std::int64_t firstLine = h - std::int64_t{startScan} - std::int64_t{numScans};
    const std::int64_t endLine = h - std::int64_t{startScan};
    const std::int64_t clippedTop = std::max(srcTop, firstLine);
    const std::int64_t clippedBottom = std::min(srcBottom, endLine);
    if (clippedTop >= clippedBottom)
        return 0;
    const Rect64 src{xSrc, clippedTop, std::int64_t{width}, clippedBottom - clippedTop};
    const Rect64 dest{xDest, yDest + (clippedTop - srcTop), std::int64_t{width}, src.h};
    return Draw(painter, visible, dest, src, dib) ? static_cast<int>(numScans) : 0;
}

int QtStretchDIBits(QPainter& painter, const QRect& visible, int xDest, int yDest, int destWidth,
                    int destHeight, int xSrc, int ySrc, int srcWidth, int srcHeight,
                    const void* bits, const BITMAPINFO* info, UINT usage, DWORD /*rop*/,
                    std::size_t bitsBytes) {
    if (!info || !bits || usage != DIB_RGB_COLORS)
        return 0;
    const DibPixels dib = PixelsOf(info, bits, bitsBytes);
    int pictureWidth = 0, pictureHeight = 0;
    if (!DescribeDibPixels(dib, &pictureWidth, &pictureHeight))
        return 0;
    const std::int64_t srcTop = std::int64_t{pictureHeight} - ySrc - srcHeight;
    const Rect64 src{xSrc, srcTop, srcWidth, srcHeight};
    const Rect64 dest{xDest, yDest, destWidth, destHeight};
    return Draw(painter, visible, dest, src, dib) ? srcHeight : 0;
}

namespace {

// The printer's piece: made on every core, then drawn at once.
bool PaintPixelsForPrinter(QPainter& painter, const QRect& area, const PixelMaker& make) {
    if (std::int64_t{area.width()} * area.height() > kPrintedPixels)
        return false;
    QImage picture(area.size(), QImage::Format_RGB32);
    if (picture.isNull())
        return false;
    auto* bits = reinterpret_cast<std::uint32_t*>(picture.bits());
    const std::ptrdiff_t stride = picture.bytesPerLine() / 4;
    InRowParts(QRect(QPoint(0, 0), area.size()), [&](int top, int rows) {
        make(area.x(), area.y() + top, area.width(), rows, bits + top * stride, stride);
    });
    painter.drawImage(area.topLeft(), picture);
    return true;
}

} // namespace

bool QtPaintPixels(QPainter& painter, const QRect& visible, const CRect& rect, const PixelMaker& make) {
    const QRect area = visible & QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
    if (area.isEmpty())
        return true;
    if (PaintsOnPrinter(painter))
        return PaintPixelsForPrinter(painter, area, make);
    const std::optional<DeviceImage> device = DeviceImageOf(painter);
    if (!device)
        return false;
    const QRect onDevice = area.translated(device->offset);
    for (const QRect& r : device->shown & onDevice)
        InRowParts(r, [&](int top, int rows) {
            make(r.x() - device->offset.x(), top - device->offset.y(), r.width(), rows,
                 device->bits + std::ptrdiff_t{top} * device->stride + r.x(), device->stride);
        });
    return true;
}
