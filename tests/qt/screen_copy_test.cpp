// Showing a back buffer: copied straight into a plain image of 32-bit
// pixels, drawn by the painter anywhere else, with the same pixels.
#include "platform/parallel_parts.h"
#include "platform/qt/screen_copy.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <gtest/gtest.h>

#include <random>

namespace {

QImage Buffer(int w, int h) {
    QImage buffer(w, h, QImage::Format_RGB32);
    std::mt19937 random(5);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            buffer.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
    return buffer;
}

// The target after showing `region` of the buffer, through the painter's
// translation, either way.
QImage Shown(const QImage& buffer, QImage::Format format, QPoint shift, const QRegion& region,
             bool direct, const QRegion& systemClip = {}) {
    QImage target(400, 300, format);
    target.fill(0xFF808080u);
    // The window system's clip, as a backing store's painter has it.
    if (!systemClip.isEmpty())
        target.paintEngine()->setSystemClip(systemClip);
    QPainter painter(&target);
    painter.translate(shift);
    if (direct) {
        ShowBuffer(painter, buffer, region);
    } else {
        for (const QRect& r : region)
            painter.drawImage(QRectF(r), buffer, QRectF(r));
    }
    painter.end();
    return target.convertToFormat(QImage::Format_RGB32);
}

TEST(ShowBuffer, GivesThePixelsDrawingTheBufferGives) {
    const QImage buffer = Buffer(350, 260);
    // One rect partly beyond the buffer, one beyond the target.
    const QRegion region = QRegion(5, 6, 300, 200) + QRegion(340, 250, 40, 40) + QRegion(-20, 0, 30, 30);
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32}) {
        for (const QPoint shift : {QPoint(0, 0), QPoint(13, 7), QPoint(-9, 80)}) {
            for (const int cores : {1, 0}) {
                parallel::LimitPartsAtOnce(cores);
                const QImage direct = Shown(buffer, format, shift, region, true);
                parallel::LimitPartsAtOnce(0);
                SCOPED_TRACE(testing::Message() << "format " << format << " shift " << shift.x()
                                                << "," << shift.y() << " cores " << cores);
                EXPECT_EQ(direct, Shown(buffer, format, shift, region, false));
                EXPECT_EQ(direct.pixel(20 + shift.x(), 20 + shift.y()), buffer.pixel(20, 20));
            }
        }
    }
}

TEST(ShowBuffer, StaysInsideTheSystemClip) {
    const QImage buffer = Buffer(350, 260);
    const QRegion region(0, 0, 350, 260);
    const QRegion systemClip = QRegion(0, 0, 100, 300) + QRegion(200, 50, 100, 100);
    const QImage direct = Shown(buffer, QImage::Format_RGB32, {4, 4}, region, true, systemClip);
    EXPECT_EQ(direct, Shown(buffer, QImage::Format_RGB32, {4, 4}, region, false, systemClip));
    EXPECT_EQ(direct.pixel(150, 20), 0xFF808080u) << "outside the clip";
    EXPECT_EQ(direct.pixel(50, 20), buffer.pixel(46, 16));
}

TEST(ShowBuffer, AScaledOrSemiTransparentPainterDrawsTheBuffer) {
    const QImage buffer = Buffer(100, 100);
    QImage scaled(400, 300, QImage::Format_RGB32), drawn(400, 300, QImage::Format_RGB32);
    for (QImage* target : {&scaled, &drawn}) {
        target->fill(0xFF000000u);
        QPainter painter(target);
        painter.scale(2, 2);
        painter.setOpacity(0.5);
        if (target == &scaled)
            ShowBuffer(painter, buffer, QRegion(0, 0, 100, 100));
        else
            painter.drawImage(QRectF(0, 0, 100, 100), buffer, QRectF(0, 0, 100, 100));
    }
    EXPECT_EQ(scaled, drawn);
    EXPECT_NE(scaled.pixel(150, 150), buffer.pixel(75, 75)) << "blended, not copied";
}

} // namespace
