// Moving a back buffer's pixels in place gives what drawing a copy of it
// moved gave, for every direction, and leaves alone an image it may not
// write.
#include "platform/qt/image_shift.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <random>

namespace {

QImage Noise(int w, int h, QImage::Format format) {
    QImage image(w, h, format);
    std::mt19937 random(5);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
    return image;
}

QImage DrawnShifted(const QImage& image, int dx, int dy) {
    QImage out = image.copy();
    const QImage before = image.copy();
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(dx, dy), before);
    return out;
}

} // namespace

TEST(ImageShift, MovesLikeDrawingAMovedCopy) {
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied})
        for (int dx : {-37, -1, 0, 1, 5, 36})
            for (int dy : {-24, -3, 0, 1, 23}) {
                const QImage original = Noise(37, 24, format);
                QImage moved = original.copy();
                ASSERT_TRUE(ShiftImagePixels(moved, dx, dy));
                EXPECT_TRUE(moved == DrawnShifted(original, dx, dy))
                    << "format " << format << " by " << dx << "," << dy;
            }
}

TEST(ImageShift, LeavesAloneImagesItMayNotWrite) {
    QImage shared = Noise(20, 10, QImage::Format_RGB32);
    const QImage other = shared; // the pixels are shared with another image
    EXPECT_FALSE(ShiftImagePixels(shared, 3, 2));
    EXPECT_TRUE(shared.constBits() == other.constBits()) << "no copy was made";
    QImage narrow = Noise(20, 10, QImage::Format_RGB16);
    const QImage before = narrow.copy();
    EXPECT_FALSE(ShiftImagePixels(narrow, 3, 2));
    EXPECT_TRUE(narrow == before);
    QImage none;
    EXPECT_FALSE(ShiftImagePixels(none, 1, 1));
}
