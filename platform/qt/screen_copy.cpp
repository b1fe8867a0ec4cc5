#include "platform/qt/screen_copy.h"

#include "platform/parallel_parts.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Rows of fewer pixels than this are copied on one core.
constexpr std::int64_t kSharedPixels = std::int64_t{1} << 16;

bool IsPlain32(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// The image the painter's pixels land in unchanged, and the device offset
// of its logical (0, 0); null when drawing the buffer would do more than
// copy its pixels there.
QImage* TargetImage(QPainter& screen, const QImage& buffer, QPoint* offset, QRegion* allowed) {
    QPaintEngine* engine = screen.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
        engine->paintDevice()->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(engine->paintDevice());
    // An opaque buffer of 32-bit pixels copied over opaquely.
    if (buffer.format() != QImage::Format_RGB32 || !IsPlain32(image->format()) ||
        image->depth() != 32 || screen.opacity() != 1.0 ||
        (screen.compositionMode() != QPainter::CompositionMode_SourceOver &&
         screen.compositionMode() != QPainter::CompositionMode_Source) ||
        screen.hasClipping())
        return nullptr;
    const QTransform t = screen.deviceTransform();
    const qreal ratio = buffer.devicePixelRatio();
    if (t.type() > QTransform::TxScale || t.m11() != ratio || t.m22() != ratio ||
        t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()) || std::abs(t.dx()) > 1e6 ||
        std::abs(t.dy()) > 1e6)
        return nullptr;
    *offset = QPoint(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
    // The window system's clip keeps other widgets' pixels out of reach.
    *allowed = QRegion(image->rect());
    if (!engine->systemClip().isEmpty())
        *allowed &= engine->systemClip();
    return image;
}

// Copies buffer rows of `source` (device pixels of the buffer) to the same
// rect moved by offset in the target.
void CopyRows(QImage& target, const QImage& buffer, const QRect& source, QPoint offset) {
    const int parts = std::int64_t{source.width()} * source.height() < kSharedPixels
                          ? 1
                          : std::min(parallel::PartsAtOnce(), source.height());
    const std::size_t bytes = std::size_t(source.width()) * 4;
    const qsizetype targetStride = target.bytesPerLine(), bufferStride = buffer.bytesPerLine();
    uchar* to = target.bits() + (source.y() + offset.y()) * targetStride + (source.x() + offset.x()) * 4;
    const uchar* from = buffer.constBits() + source.y() * bufferStride + source.x() * 4;
    parallel::RunParts(parts, [&](int k) {
        const int first = static_cast<int>(std::int64_t{source.height()} * k / parts);
        const int end = static_cast<int>(std::int64_t{source.height()} * (k + 1) / parts);
        for (int y = first; y < end; ++y)
            std::memcpy(to + y * targetStride, from + y * bufferStride, bytes);
    });
}

} // namespace

void ShowBuffer(QPainter& screen, const QImage& buffer, const QRegion& region) {
    const qreal ratio = buffer.devicePixelRatio();
    QPoint offset;
    QRegion allowed;
    QImage* target = TargetImage(screen, buffer, &offset, &allowed);
    const int scale = static_cast<int>(ratio);
    if (target && scale == ratio) {
        QRegion device;
        for (const QRect& r : region)
            device += QRect(r.topLeft() * scale, r.size() * scale) & buffer.rect();
        for (const QRect& source : device & allowed.translated(-offset))
            CopyRows(*target, buffer, source, offset);
        return;
    }
    for (const QRect& r : region) {
        const QRectF source(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
        screen.drawImage(QRectF(r), buffer, source);
    }
}
