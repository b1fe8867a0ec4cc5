// Pictures in huge pages behave as any other: size, format, rows of four
// bytes a pixel, painting, and copies that keep their own pixels.
#include "platform/qt/huge_page_image.h"

#include <gtest/gtest.h>

#include <QPainter>

TEST(HugePageImage, BigAndSmallPicturesAreOrdinaryWritablePictures) {
    for (const QSize& size : {QSize(3840, 2160), QSize(1025, 1024), QSize(64, 32)}) {
        QImage image = NewHugePageImage(size, QImage::Format_RGB32);
        ASSERT_FALSE(image.isNull()) << size.width();
        EXPECT_EQ(image.size(), size);
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(image.bytesPerLine(), 4 * size.width());
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.fillRect(QRect(10, 10, 5, 5), Qt::red);
        }
        EXPECT_TRUE(image.isDetached()) << "painting writes into its own pixels";
        EXPECT_EQ(image.pixel(12, 12), 0xFFFF0000u);
        EXPECT_EQ(image.pixel(size.width() - 1, size.height() - 1), 0xFFFFFFFFu);
        const QImage copy = image;
        image.setPixel(0, 0, 0xFF0000FFu);
        EXPECT_EQ(copy.pixel(0, 0), 0xFFFFFFFFu) << "a copy keeps the pixels it had";
        EXPECT_EQ(image.pixel(0, 0), 0xFF0000FFu);
    }
    EXPECT_TRUE(NewHugePageImage(QSize(0, 10), QImage::Format_RGB32).isNull());
}
