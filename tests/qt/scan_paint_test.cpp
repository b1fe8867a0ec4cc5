// The pixels of a reduced paint: a one-pixel black line on white stays in
// sight as grey at 1/2, 1/4 and 1/8, nothing is painted beyond the reduced
// picture, and a first level reduced where it is painted gives the same
// pixels through any clip.
#include "image/dib_doc.h"
#include "image/scan_paint.h"
#include "image/scan_pyramid.h"
#include "platform/qt/qt_dc.h"
#include "platform/scripted/scripted_services.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1024, kHeight = 512; // levels down to 1/16
constexpr int kLineX = 100, kLineY = 50;
constexpr QRgb kBackground = 0xFFFF00FF;

// White, with a black column kLineX and a black row kLineY, at 1 or 24 bits.
HDIB LinePicture(int bitCount) {
    const std::size_t stride = (std::size_t(kWidth) * bitCount + 31) / 32 * 4;
    const std::size_t table = bitCount == 1 ? 8 : 0;
    BITMAPINFOHEADER header{40, kWidth, kHeight, 1, WORD(bitCount), BI_RGB,
                            DWORD(stride * kHeight), 0, 0, 0, 0};
    HDIB dib = GlobalAlloc(GHND, sizeof header + table + stride * kHeight);
    auto* p = static_cast<BYTE*>(GlobalLock(dib));
    std::memcpy(p, &header, sizeof header);
    if (bitCount == 1)
        std::memset(p + sizeof header + 4, 0xFF, 3); // colour 1 is white
    BYTE* bits = p + sizeof header + table;
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = bits + std::size_t(kHeight - 1 - y) * stride;
        for (int x = 0; x < kWidth; ++x) {
            if (x == kLineX || y == kLineY)
                continue;
            if (bitCount == 1)
                row[x / 8] |= BYTE(0x80 >> (x % 8));
            else
                std::memset(row + 3 * x, 0xFF, 3);
        }
    }
    GlobalUnlock(dib);
    return dib;
}

QImage PaintAt(const CDibDoc& doc, int exponent) {
    QImage image(kWidth + 10, kHeight + 10, QImage::Format_RGB32);
    image.fill(kBackground);
    QtPainterDC dc(image);
    CRect painted;
    EXPECT_TRUE(PaintScan(dc, doc, exponent, &painted));
    EXPECT_EQ(painted, CRect(0, 0, ScanExtentAtZoom(kWidth, exponent),
                             ScanExtentAtZoom(kHeight, exponent)));
    return image;
}

QRgb Grey(int level) { return qRgb(level, level, level); }

} // namespace

TEST(ScanPaintPixels, AThinLineStaysVisibleAsGreyAtEveryReduction) {
    ScriptedServices services;
    for (int bitCount : {1, 24}) {
        CDibDoc doc;
        ASSERT_TRUE(doc.AcceptDibBlock(LinePicture(bitCount)));
        // Each halving averages the line's grey with white.
        const struct {
            int exponent;
            int grey;
        } reductions[] = {{-1, 128}, {-2, 192}, {-3, 224}};
        for (const auto& r : reductions) {
            const QImage image = PaintAt(doc, r.exponent);
            const int factor = 1 << -r.exponent;
            const int w = kWidth / factor, h = kHeight / factor;
            const int column = kLineX / factor, row = kLineY / factor;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    QRgb expected = kBackground;
                    if (x < w && y < h) {
                        const bool onColumn = x == column, onRow = y == row;
                        expected = onColumn == onRow ? (onColumn ? image.pixel(x, y) : Grey(255))
                                                     : Grey(r.grey);
                    }
                    ASSERT_EQ(image.pixel(x, y), expected)
                        << bitCount << "-bit at 1/" << factor << ", pixel " << x << "," << y;
                }
            const int crossing = qGray(image.pixel(column, row));
            EXPECT_LT(crossing, r.grey) << "where the lines cross it is darker still";
        }
    }
}

TEST(ScanPaintPixels, AtTwoEachPixelBecomesASquare) {
    ScriptedServices services;
    CDibDoc doc;
    ASSERT_TRUE(doc.AcceptDibBlock(LinePicture(24)));
    QImage image(2 * kWidth + 4, 2 * kHeight + 4, QImage::Format_RGB32);
    image.fill(kBackground);
    {
        QtPainterDC dc(image);
        ASSERT_TRUE(PaintScan(dc, doc, 1, nullptr));
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool inside = x < 2 * kWidth && y < 2 * kHeight;
            const bool line = x / 2 == kLineX || y / 2 == kLineY;
            ASSERT_EQ(image.pixel(x, y), !inside ? kBackground : line ? Grey(0) : Grey(255))
                << x << "," << y;
        }
}

TEST(ScanPaintPixels, AClippedPaintAtAHalfHasTheWholePaintsPixelsWithinTheClip) {
    ScriptedServices services;
    CDibDoc doc;
    ASSERT_TRUE(doc.AcceptDibBlock(LinePicture(24)));
    ASSERT_TRUE(doc.GetPyramid()->IsReducedWhenPainted(1));
    const QImage whole = PaintAt(doc, -1);
    QImage part(whole.size(), QImage::Format_RGB32);
    part.fill(kBackground);
    // At an odd place, of an odd size, across the lines' crossing at 50, 25.
    const QRect clip(37, 21, 151, 77);
    {
        QPainter painter(&part);
        painter.setClipRect(clip);
        QtPainterDC dc(painter, QTransform(), clip);
        ASSERT_TRUE(PaintScan(dc, doc, -1, nullptr));
    }
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            ASSERT_EQ(part.pixel(x, y), clip.contains(x, y) ? whole.pixel(x, y) : kBackground)
                << x << "," << y;
    EXPECT_EQ(part.pixel(kLineX / 2, kLineY / 2), whole.pixel(kLineX / 2, kLineY / 2));
}
