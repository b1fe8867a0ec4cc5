// Painting DIB pixels with QPainter: every kind of bitmap, at 1:1 and
// zoomed, only inside the visible rectangle.
#include "image/bmp_corpus.h"
#include "image/dib.h"
#include "platform/qt/dib_blit.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr QRgb kBackground = 0xFFFF00FF;

// A bitmap read the way the document reads it, with its parts located.
struct Loaded {
    corpus::Bitmap bmp;
    HDIB dib = nullptr;
    const BITMAPINFO* info = nullptr;
    const void* bits = nullptr;
    std::size_t bitsBytes = 0;

    explicit Loaded(const corpus::Recipe& recipe) : bmp(corpus::Make(recipe)) {
        const std::string path = "blit-" + std::to_string(std::rand()) + ".bmp";
        corpus::WriteFile(path, bmp.file);
        CFile file;
        if (file.Open(path, CFile::modeRead))
            dib = DibReadFile(file);
        if (!dib)
            return;
        auto* p = static_cast<const BYTE*>(GlobalLock(dib));
        info = reinterpret_cast<const BITMAPINFO*>(p);
        bits = DibPixelData(p);
        bitsBytes = GlobalSize(dib) - static_cast<std::size_t>(static_cast<const BYTE*>(bits) - p);
    }
    ~Loaded() {
        if (dib) {
            GlobalUnlock(dib);
            GlobalFree(dib);
        }
    }
    int Width() const { return bmp.recipe.width; }
    int Height() const { return bmp.recipe.height; }
};

QImage Canvas(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBackground);
    return image;
}

// Saves the picture for a look when the environment asks for it.
void MaybeSave(const QImage& image, const std::string& name) {
    if (const char* dir = std::getenv("TRACEVU_PICTURE_DIR"))
        image.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

std::string SafeName(std::string name) {
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

} // namespace

class BlitCorpusTest : public ::testing::TestWithParam<corpus::Recipe> {};

TEST_P(BlitCorpusTest, UnscaledPaintShowsEveryPixel) {
    Loaded l(GetParam());
    ASSERT_NE(l.dib, nullptr);
    QImage image = Canvas(l.Width() + 4, l.Height() + 4);
    {
        QPainter painter(&image);
        const int lines = QtSetDIBitsToDevice(painter, image.rect(), 2, 2, DWORD(l.Width()),
                                              DWORD(l.Height()), 0, 0, 0, UINT(l.Height()),
                                              l.bits, l.info, DIB_RGB_COLORS, l.bitsBytes);
        EXPECT_EQ(lines, l.Height());
    }
    for (int y = 0; y < l.Height(); ++y)
        for (int x = 0; x < l.Width(); ++x)
            ASSERT_EQ(image.pixel(x + 2, y + 2), l.bmp.At(x, y)) << x << "," << y;
    EXPECT_EQ(image.pixel(0, 0), kBackground) << "nothing outside the destination";
    EXPECT_EQ(image.pixel(l.Width() + 2, l.Height() + 2), kBackground);
}

TEST_P(BlitCorpusTest, ZoomedPaintRepeatsEachPixel) {
    Loaded l(GetParam());
    ASSERT_NE(l.dib, nullptr);
    constexpr int kZoom = 8;
    QImage image = Canvas(l.Width() * kZoom, l.Height() * kZoom);
    {
        QPainter painter(&image);
        EXPECT_EQ(QtStretchDIBits(painter, image.rect(), 0, 0, image.width(), image.height(), 0, 0,
                                  l.Width(), l.Height(), l.bits, l.info, DIB_RGB_COLORS, SRCCOPY,
                                  l.bitsBytes),
                  l.Height());
    }
    MaybeSave(image, SafeName(GetParam().name));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y), l.bmp.At(x / kZoom, y / kZoom)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(AllKinds, BlitCorpusTest, ::testing::ValuesIn(corpus::AllKinds()),
                         [](const auto& info) { return SafeName(info.param.name); });

TEST(DibBlit, OnlyTheVisibleRectangleIsPainted) {
    Loaded l(corpus::Of("24", 24));
    QImage image = Canvas(100, 60);
    const QRect visible(20, 10, 30, 15);
    {
        QPainter painter(&image);
        QtStretchDIBits(painter, visible, 0, 0, 13 * 4, 7 * 4, 0, 0, 13, 7, l.bits, l.info,
                        DIB_RGB_COLORS, SRCCOPY, l.bitsBytes);
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool inside = visible.contains(x, y) && x < 52 && y < 28;
            ASSERT_EQ(image.pixel(x, y), inside ? l.bmp.At(x / 4, y / 4) : kBackground)
                << x << "," << y;
        }
}

// Pixels are written straight into an image of 32-bit pixels that the
// painter only moves; they must land where drawing a picture would have put
// them, inside the painter's clip alone, and the same on images of other
// formats, which get a drawn picture.
TEST(DibBlit, PaintsThroughThePaintersOffsetAndClipOnEveryImageFormat) {
    Loaded l(corpus::Of("24", 24));
    const QPoint scroll(5, 3);
    const QRegion clip = QRegion(0, 0, 20, 10) + QRegion(30, 14, 12, 20); // device pixels
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
                                  QImage::Format_RGB888})
        for (int zoom : {1, 4}) {
            QImage image = Canvas(60, 40).convertToFormat(format);
            {
                QPainter painter(&image);
                painter.setClipRegion(clip);
                painter.translate(-scroll);
                const QRect visible(scroll, image.size());
                if (zoom == 1)
                    QtSetDIBitsToDevice(painter, visible, 0, 0, 13, 7, 0, 0, 0, 7, l.bits, l.info,
                                        DIB_RGB_COLORS, l.bitsBytes);
                else
                    QtStretchDIBits(painter, visible, 0, 0, 13 * zoom, 7 * zoom, 0, 0, 13, 7,
                                    l.bits, l.info, DIB_RGB_COLORS, SRCCOPY, l.bitsBytes);
            }
            const QImage shown = image.convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x) {
                    const int px = (x + scroll.x()) / zoom, py = (y + scroll.y()) / zoom;
                    const bool inside = clip.contains(QPoint(x, y)) && px < 13 && py < 7;
                    ASSERT_EQ(shown.pixel(x, y), inside ? l.bmp.At(px, py) : kBackground)
                        << "format " << format << " zoom " << zoom << " at " << x << "," << y;
                }
        }
}

TEST(DibBlit, SourceRowsCountFromTheBottomScanLine) {
    Loaded l(corpus::Of("8", 8));
    QImage image = Canvas(4, 2);
    {
        QPainter painter(&image);
        // Columns 3..6 of the rows 1 and 2 from the top: bottom at 7 - 3 = 4.
        QtSetDIBitsToDevice(painter, image.rect(), 0, 0, 4, 2, 3, 4, 0, 7, l.bits, l.info,
                            DIB_RGB_COLORS, l.bitsBytes);
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(image.pixel(x, y), l.bmp.At(x + 3, y + 1)) << x << "," << y;
}

TEST(DibBlit, ShrinkingSamplesTheNearestPixel) {
    corpus::Recipe recipe = corpus::Of("24", 24);
    recipe.width = 40;
    recipe.height = 30;
    Loaded l(recipe);
    QImage image = Canvas(10, 15);
    {
        QPainter painter(&image);
        QtStretchDIBits(painter, image.rect(), 0, 0, 10, 15, 0, 0, 40, 30, l.bits, l.info,
                        DIB_RGB_COLORS, SRCCOPY, l.bitsBytes);
    }
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(image.pixel(x, y), l.bmp.At(x * 4, y * 2)) << x << "," << y;
}

TEST(DibBlit, MissingBitsShowBlackAndBadHeadersPaintNothing) {
    Loaded l(corpus::Of("24", 24));
    QImage image = Canvas(13, 7);
    {
        QPainter painter(&image);
        // Only the two bottom rows of bits are handed over.
        QtSetDIBitsToDevice(painter, image.rect(), 0, 0, 13, 7, 0, 0, 0, 7, l.bits, l.info,
                            DIB_RGB_COLORS, 2 * 40);
    }
    EXPECT_EQ(image.pixel(0, 6), l.bmp.At(0, 6));
    EXPECT_EQ(image.pixel(12, 5), l.bmp.At(12, 5));
    EXPECT_EQ(image.pixel(0, 4), 0xFF000000u);

    std::vector<BYTE> header(40, 0);
    header[0] = 40;
    header[4] = 13;
    header[8] = 7;
    header[14] = 13; // no such depth
    QImage untouched = Canvas(13, 7);
    QPainter painter(&untouched);
    EXPECT_EQ(QtSetDIBitsToDevice(painter, untouched.rect(), 0, 0, 13, 7, 0, 0, 0, 7, l.bits,
                                  reinterpret_cast<const BITMAPINFO*>(header.data()),
                                  DIB_RGB_COLORS, l.bitsBytes),
              0);
    painter.end();
    EXPECT_EQ(untouched.pixel(3, 3), kBackground);
}

namespace {
// A run-length bitmap of a few hundred bytes that declares a huge picture,
// as a print preview would be asked to show it.
struct HugeRle {
    std::vector<BYTE> block;
    int height;
    HugeRle(int h, const std::vector<BYTE>& stream) : height(h) {
        BITMAPINFOHEADER header{40, 0x7FFFFFFF, h, 1, 8, BI_RLE8, DWORD(stream.size()), 0, 0, 0, 0};
        block.assign(sizeof header + 1024 + stream.size(), 0);
        std::memcpy(block.data(), &header, sizeof header);
        for (int i = 0; i < 256; ++i)
            corpus::PaletteEntry(i, block.data() + sizeof header + 4 * i);
        std::copy(stream.begin(), stream.end(), block.begin() + sizeof header + 1024);
    }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(block.data()); }
    const void* Bits() const { return block.data() + 40 + 1024; }
    std::size_t BitsBytes() const { return block.size() - 40 - 1024; }
};

QRgb PaletteColour(int i) {
    BYTE rgb[4];
    corpus::PaletteEntry(i, rgb);
    return qRgb(rgb[2], rgb[1], rgb[0]);
}
} // namespace

// Shrunk onto a page, only the pixels shown are decoded: the first column
// of each line holds that line's run, everything else is black.
TEST(DibBlit, AHugeRunLengthPictureShrinksToTheRightPixels) {
    constexpr int kLines = 300;
    std::vector<BYTE> stream;
    for (int line = 0; line < kLines; ++line)
        stream.insert(stream.end(), {255, BYTE(line % 200 + 1), 0, 0});
    stream.insert(stream.end(), {0, 1});
    const HugeRle tall(kLines, stream);
    QImage image = Canvas(400, kLines);
    {
        QPainter painter(&image);
        EXPECT_EQ(QtStretchDIBits(painter, image.rect(), 0, 0, 400, kLines, 0, 0, 0x7FFFFFFF, kLines,
                                  tall.Bits(), tall.Info(), DIB_RGB_COLORS, SRCCOPY,
                                  tall.BitsBytes()),
                  kLines);
    }
    for (int y = 0; y < kLines; ++y) {
        const int line = kLines - 1 - y;
        ASSERT_EQ(image.pixel(0, y), PaletteColour(line % 200 + 1)) << y;
        for (int x = 1; x < 400; ++x)
            ASSERT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    }

    // 2147483647 lines whose data end early: a black page, quickly.
    const HugeRle square(0x7FFFFFFF, {2, 5, 0, 1});
    QImage page = Canvas(1000, 1000);
    {
        QPainter painter(&page);
        EXPECT_EQ(QtStretchDIBits(painter, page.rect(), 0, 0, 1000, 1000, 0, 0, 0x7FFFFFFF,
                                  0x7FFFFFFF, square.Bits(), square.Info(), DIB_RGB_COLORS,
                                  SRCCOPY, square.BitsBytes()),
                  0x7FFFFFFF);
    }
    for (int y = 0; y < 1000; y += 7)
        for (int x = 0; x < 1000; x += 3)
            ASSERT_EQ(page.pixel(x, y), qRgb(0, 0, 0));
}
