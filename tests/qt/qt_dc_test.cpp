// The Qt device context on a QImage: the pixels of lines and ellipses, and
// what it reports about the device.
#include "platform/qt/qt_dc.h"
#include "platform/parallel_parts.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegion>

#include <limits>
#include <random>
#include <vector>

namespace {
constexpr QRgb kWhite = 0xFFFFFFFF;

QImage WhiteImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

bool Painted(const QImage& image, int x, int y) {
    return image.pixel(x, y) != kWhite;
}

// Painted pixels of one row between x0 and x1 inclusive.
int CountRow(const QImage& image, int y, int x0, int x1) {
    int n = 0;
    for (int x = x0; x <= x1; ++x)
        n += Painted(image, x, y) ? 1 : 0;
    return n;
}

// Bounding box of everything painted, right and bottom exclusive.
QRect PaintedBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Painted(image, x, y))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}
} // namespace

TEST(QtPainterDC, ThinLineLeavesOutItsLastPixel) {
    QImage image = WhiteImage(40, 20);
    {
        QtPainterDC dc(image);
        dc.SelectPen(Pen{1, RGB(255, 0, 0)});
        dc.MoveTo(5, 5);
        dc.LineTo(15, 5);
        dc.SelectPen(Pen{0, RGB(0, 0, 255)});
        dc.MoveTo(20, 2);
        dc.LineTo(20, 12);
    }
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(14, 5), qRgb(255, 0, 0));
    EXPECT_FALSE(Painted(image, 15, 5));
    EXPECT_FALSE(Painted(image, 4, 5));
    EXPECT_EQ(CountRow(image, 4, 0, 39) + CountRow(image, 6, 0, 39), 2); // only the vertical line
    EXPECT_EQ(image.pixel(20, 2), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(20, 11), qRgb(0, 0, 255));
    EXPECT_FALSE(Painted(image, 20, 12));
}

TEST(QtPainterDC, WidePenIsCentredWithRoundEnds) {
    QImage image = WhiteImage(40, 20);
    {
        QtPainterDC dc(image);
        dc.SelectPen(Pen{3, RGB(0, 128, 0)});
        dc.MoveTo(10, 10);
        dc.LineTo(30, 10);
    }
    // Three rows centred on the line, in the middle of the segment.
    EXPECT_TRUE(Painted(image, 20, 9));
    EXPECT_TRUE(Painted(image, 20, 10));
    EXPECT_TRUE(Painted(image, 20, 11));
    EXPECT_FALSE(Painted(image, 20, 8));
    EXPECT_FALSE(Painted(image, 20, 12));
    EXPECT_EQ(image.pixel(20, 10), qRgb(0, 128, 0));
    // Round caps reach past both ends, but not a full pen width.
    EXPECT_TRUE(Painted(image, 30, 10));
    EXPECT_TRUE(Painted(image, 9, 10));
    EXPECT_FALSE(Painted(image, 7, 10));
    EXPECT_FALSE(Painted(image, 33, 10));
}

TEST(QtPainterDC, LineToMovesTheCurrentPosition) {
    QImage image = WhiteImage(30, 30);
    QtPainterDC dc(image);
    EXPECT_EQ(dc.MoveTo(3, 4), CPoint(0, 0));
    dc.LineTo(10, 4);
    dc.LineTo(10, 20); // continues from (10, 4)
    EXPECT_EQ(dc.MoveTo(0, 0), CPoint(10, 20));
    dc.Painter().end();
    EXPECT_TRUE(Painted(image, 10, 4));
    EXPECT_TRUE(Painted(image, 10, 19));
    EXPECT_FALSE(Painted(image, 11, 12));
}

TEST(QtPainterDC, EllipseStaysInsideItsBoxWithOutlineAndFill) {
    QImage image = WhiteImage(40, 40);
    {
        QtPainterDC dc(image);
        dc.SelectPen(Pen{2, RGB(255, 0, 0)});
        dc.SelectBrush(Brush{RGB(0, 0, 0)});
        dc.Ellipse(10, 10, 21, 21); // 11 pixels across, centred on (15, 15)
    }
    EXPECT_EQ(PaintedBounds(image), QRect(10, 10, 11, 11));
    EXPECT_EQ(image.pixel(15, 15), qRgb(0, 0, 0));   // brush inside
    EXPECT_EQ(image.pixel(10, 15), qRgb(255, 0, 0)); // outline at the edges
    EXPECT_EQ(image.pixel(20, 15), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(15, 10), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(15, 20), qRgb(255, 0, 0));
    EXPECT_FALSE(Painted(image, 10, 10)); // corners of the box stay clear
    EXPECT_FALSE(Painted(image, 20, 20));
    // The outline is two pixels thick at the sides.
    EXPECT_EQ(image.pixel(11, 15), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(12, 15), qRgb(0, 0, 0));
    // Symmetric left to right and top to bottom.
    for (int y = 10; y < 21; ++y)
        for (int x = 10; x < 21; ++x) {
            EXPECT_EQ(image.pixel(x, y), image.pixel(30 - x, y)) << x << "," << y;
            EXPECT_EQ(image.pixel(x, y), image.pixel(x, 30 - y)) << x << "," << y;
        }
}

TEST(QtPainterDC, EllipseBoxIsNormalisedAndHollowBrushKeepsTheInside) {
    QImage image = WhiteImage(40, 40);
    {
        QtPainterDC dc(image);
        dc.SelectPen(Pen{1, RGB(0, 0, 255)});
        dc.SelectBrush(Brush{RGB(0, 0, 0), true});
        dc.Ellipse(30, 30, 5, 15); // corners given the other way round
    }
    EXPECT_EQ(PaintedBounds(image), QRect(5, 15, 25, 15));
    EXPECT_FALSE(Painted(image, 17, 22)); // hollow: the inside stays white
    EXPECT_EQ(image.pixel(5, 22), qRgb(0, 0, 255));
}

// Equal ellipses are copied from a picture of the first; the copies must
// match ellipses painted one by one (as on a painter that replaces pixels,
// where no copy is made), overlapping, on a moved painter, in any order.
TEST(QtPainterDC, CopiedEllipsesMatchPaintedOnes) {
    QImage copied = WhiteImage(120, 120);
    QImage painted = WhiteImage(120, 120);
    const QTransform moved = QTransform::fromTranslate(-7, 13);
    QPainter copyPainter(&copied);
    QPainter paintPainter(&painted);
    paintPainter.setCompositionMode(QPainter::CompositionMode_Source);
    QtPainterDC copyDc(copyPainter, moved, QRect(0, 0, 120, 120));
    QtPainterDC paintDc(paintPainter, moved, QRect(0, 0, 120, 120));
    const Pen pens[] = {{2, RGB(255, 0, 0)}, {1, RGB(0, 0, 255)}, {5, RGB(0, 128, 0)}};
    const Brush brushes[] = {{RGB(0, 0, 0)}, {RGB(0, 0, 0), true}};
    int step = 0;
    for (const Pen& pen : pens)
        for (const Brush& brush : brushes)
            for (int size : {10, 11, 4, 10, 23}) {
                for (QtPainterDC* dc : {&copyDc, &paintDc}) {
                    dc->SelectPen(pen);
                    dc->SelectBrush(brush);
                    for (int k = 0; k < 3; ++k) {
                        const int x = (step * 17 + k * 9) % 100, y = (step * 29 + k * 5) % 100;
                        dc->Ellipse(x, y, x + size, y + size * (k + 1) / 2);
                    }
                }
                ++step;
            }
    copyPainter.end();
    paintPainter.end();
    EXPECT_EQ(copied, painted);
    EXPECT_FALSE(PaintedBounds(copied).isEmpty());
}

TEST(QtPainterDC, EmptyEllipseDrawsNothing) {
    QImage image = WhiteImage(20, 20);
    {
        QtPainterDC dc(image);
        EXPECT_TRUE(dc.Ellipse(5, 5, 5, 12));
        EXPECT_TRUE(dc.Ellipse(5, 5, 12, 5));
    }
    EXPECT_TRUE(PaintedBounds(image).isEmpty());
    {
        QtPainterDC dc(image);
        dc.Ellipse(8, 8, 10, 10);
    }
    EXPECT_TRUE(QRect(8, 8, 2, 2).contains(PaintedBounds(image)));
}

TEST(QtPainterDC, SelectionsReturnThePreviousObjects) {
    QImage image = WhiteImage(10, 10);
    QtPainterDC dc(image);
    const Pen red{3, RGB(255, 0, 0)};
    EXPECT_EQ(dc.SelectPen(red), Pen{});
    EXPECT_EQ(dc.SelectPen(Pen{}), red);
    const Brush black{RGB(0, 0, 0)};
    EXPECT_EQ(dc.SelectBrush(black), Brush{});
    EXPECT_EQ(dc.SelectBrush(Brush{}), black);
    EXPECT_EQ(dc.SetStretchBltMode(COLORONCOLOR), 1);
    EXPECT_EQ(dc.SetStretchBltMode(1), COLORONCOLOR);
    CPalette palette;
    EXPECT_EQ(dc.SelectPalette(&palette, true), nullptr);
    EXPECT_EQ(dc.RealizePalette(), 0u);
    EXPECT_EQ(dc.SelectPalette(nullptr, true), &palette);
}

TEST(QtPainterDC, DeviceCapsAndClipBoxOfAnImage) {
    QImage image = WhiteImage(320, 200);
    image.setDotsPerMeterX(11811); // 300 dpi
    image.setDotsPerMeterY(23622); // 600 dpi
    QtPainterDC dc(image);
    EXPECT_FALSE(dc.IsPrinting());
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 320);
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 200);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 300);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 600);
    EXPECT_EQ(dc.GetDeviceCaps(12345), 0);
    EXPECT_EQ(dc.GetClipBox(), CRect(0, 0, 320, 200));
}

TEST(QtPainterDC, HighDpiImageMeasuresInLogicalPixels) {
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDevicePixelRatio(2.0);
    {
        QtPainterDC dc(image);
        EXPECT_EQ(dc.GetClipBox(), CRect(0, 0, 100, 50));
        EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 100);
        dc.SelectPen(Pen{1, RGB(0, 0, 0)});
        dc.MoveTo(10, 10);
        dc.LineTo(20, 10);
    }
    // A one-pixel pen is one logical pixel thick: both device rows of
    // logical row 10, and it runs from logical x 10 to 19 give or take a
    // device pixel at the ends.
    for (int x = 22; x < 40; ++x) {
        EXPECT_TRUE(Painted(image, x, 20)) << x;
        EXPECT_TRUE(Painted(image, x, 21)) << x;
        EXPECT_FALSE(Painted(image, x, 19)) << x;
        EXPECT_FALSE(Painted(image, x, 22)) << x;
    }
    EXPECT_FALSE(Painted(image, 18, 20));
    EXPECT_FALSE(Painted(image, 42, 20));
}

TEST(QtPainterDC, ContextsSharingAPainterKeepTheirOwnOrigins) {
    QImage image = WhiteImage(60, 60);
    QPainter painter(&image);
    QtPainterDC scrolled(painter, QTransform::fromTranslate(-100, -50), QRect(100, 50, 60, 60));
    QtPainterDC client(painter, QTransform(), QRect(0, 0, 60, 60));
    EXPECT_EQ(scrolled.GetClipBox(), CRect(100, 50, 160, 110));
    scrolled.MoveTo(110, 60);
    scrolled.LineTo(120, 60); // client (10, 10)..(19, 10)
    client.MoveTo(30, 30);
    client.LineTo(40, 30);
    scrolled.MoveTo(130, 90);
    scrolled.LineTo(131, 90); // client (30, 40)
    painter.end();
    EXPECT_TRUE(Painted(image, 10, 10));
    EXPECT_TRUE(Painted(image, 19, 10));
    EXPECT_TRUE(Painted(image, 30, 30));
    EXPECT_TRUE(Painted(image, 30, 40));
    EXPECT_EQ(PaintedBounds(image), QRect(10, 10, 30, 31));
}

TEST(QtPainterDC, TouchedRectCoversWhatWasDrawn) {
    QImage image = WhiteImage(100, 100);
    QtPainterDC dc(image);
    EXPECT_TRUE(dc.TouchedRect().isEmpty());
    dc.SelectPen(Pen{3, 0});
    dc.MoveTo(10, 20);
    dc.LineTo(40, 20);
    dc.Ellipse(50, 50, 60, 70);
    dc.Painter().end();
    const QRect touched = dc.TouchedRect();
    EXPECT_TRUE(touched.contains(PaintedBounds(image))) << touched.x() << "," << touched.y();
    EXPECT_LE(touched.width(), 60);
}

// The parameters dialog takes any int for the pad radius and the line width.
TEST(QtPainterDC, HugeEllipsesAndPensCoverTheDevice) {
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    QImage image = WhiteImage(100, 100);
    {
        QtPainterDC dc(image);
        dc.SelectPen(Pen{2, RGB(255, 0, 0)});
        dc.SelectBrush(Brush{RGB(0, 0, 0)});
        EXPECT_TRUE(dc.Ellipse(kMin, kMin, kMax, kMax)); // the picture lies inside the disc
        dc.Painter().end();
        EXPECT_TRUE(dc.TouchedRect().contains(image.rect()));
    }
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(99, 99), qRgb(0, 0, 0));
    {
        QtPainterDC dc(image);
        dc.SelectPen(Pen{kMax, RGB(0, 0, 255)});
        dc.MoveTo(-5, 50);
        EXPECT_TRUE(dc.LineTo(-5, 60)); // the stroke reaches across the picture
        dc.Painter().end();
        EXPECT_TRUE(dc.TouchedRect().contains(image.rect()));
    }
    EXPECT_EQ(image.pixel(99, 0), qRgb(0, 0, 255));
}

TEST(QtPrintDC, ReportsPrintingAndThePrintersCapabilities) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("preview.pdf"));
    printer.setResolution(600);
    QPainter painter(&printer);
    ASSERT_TRUE(painter.isActive());
    QtPrintDC dc(painter, printer);
    EXPECT_TRUE(dc.IsPrinting());
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 600);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), printer.width());
    EXPECT_GT(dc.GetDeviceCaps(HORZRES), 3000); // a page is several inches wide
    EXPECT_EQ(dc.GetClipBox(), CRect(0, 0, printer.width(), printer.height()));
    dc.SelectPen(Pen{4, RGB(0, 0, 0)});
    dc.MoveTo(100, 100);
    EXPECT_TRUE(dc.LineTo(1000, 100));
}

namespace {
struct BatchResult {
    QImage image;
    QRect touched;
    CPoint current;
    Pen pen;
};

// Lines and ellipses on a moved painter clipped to two boxes, either in
// batches or one by one.
// The lines at each width, then the pads as red-outlined black ellipses,
// either in batches or item by item as a context without batches would.
void DrawLinesAndPads(QtPainterDC& dc, const std::vector<ColoredLine>& lines,
                      std::initializer_list<int> widths, const std::vector<CRect>& boxes,
                      bool batched) {
    for (const int width : widths) {
        if (batched) {
            dc.DrawLines(lines, width);
            continue;
        }
        for (const ColoredLine& line : lines) {
            const Pen previous = dc.SelectPen(Pen{width, line.color});
            dc.MoveTo(line.from.x, line.from.y);
            dc.LineTo(line.to.x, line.to.y);
            dc.SelectPen(previous);
        }
    }
    dc.SelectPen(Pen{2, RGB(255, 0, 0)});
    dc.SelectBrush(Brush{RGB(0, 0, 0)});
    if (batched) {
        dc.DrawEllipses(boxes);
    } else {
        for (const CRect& box : boxes)
            dc.Ellipse(box.left, box.top, box.right, box.bottom);
    }
}

BatchResult DrawBoardLike(bool batched) {
    BatchResult result{WhiteImage(120, 120), {}, {}, {}};
    QPainter painter(&result.image);
    painter.setClipRegion(QRegion(5, 5, 60, 100) + QRegion(70, 20, 40, 40));
    QtPainterDC dc(painter, QTransform::fromTranslate(-7, 13), QRect(0, 0, 120, 120));
    const std::vector<ColoredLine> lines = {
        {{10, 10}, {40, 17}, RGB(255, 0, 0)},   {{50, 60}, {52, 100}, RGB(0, 0, 255)},
        {{60, 40}, {1 << 30, 40}, RGB(0, 255, 255)}, {{20, 90}, {20, 90}, RGB(0, 0, 0)},
        {{-3, 30}, {150, 30}, RGB(255, 0, 255)}, {{70, 0}, {110, 40}, RGB(0, 128, 0)},
    };
    const std::vector<CRect> boxes = {{30, 30, 41, 41}, {95, 25, 84, 40}, {5, 5, 5, 20},
                                      {60, 60, 70, 90}, {-3000, -3000, 3100, 10}};
    dc.SelectPen(Pen{1, RGB(9, 9, 9)});
    DrawLinesAndPads(dc, lines, {1, 2, 5, 12}, boxes, batched);
    result.touched = dc.TouchedRect();
    result.current = dc.MoveTo(0, 0);
    result.pen = dc.SelectPen(Pen{});
    painter.end();
    return result;
}
} // namespace

// A board hands its tracks and pads over in batches, which the context
// draws straight into the pixels where it can and item by item where it
// cannot (thin pens, lines far out, huge ellipses): the outcome is the
// same as drawing each item on its own.
TEST(QtPainterDC, BatchesDrawWhatTheirItemsDrawOneByOne) {
    const BatchResult one = DrawBoardLike(false);
    const BatchResult batch = DrawBoardLike(true);
    EXPECT_EQ(batch.image, one.image);
    EXPECT_EQ(batch.touched, one.touched);
    EXPECT_EQ(batch.current, one.current);
    EXPECT_EQ(batch.pen, one.pen);
    EXPECT_EQ(batch.pen, (Pen{2, RGB(255, 0, 0)}));
    EXPECT_FALSE(PaintedBounds(one.image).isEmpty());
    EXPECT_FALSE(Painted(one.image, 67, 50)); // between the clip boxes
}

namespace {
// Many overlapping lines and pads of a few colours over a picture of many
// bands, on a moved painter clipped to two boxes; a line far out, a pad of
// another size and a huge one among them.
BatchResult DrawManyOverBands(bool batched, int side = 2100) {
    // 2100: 4 bytes a pixel make it large enough to be drawn in bands on
    // one core too.
    BatchResult result{WhiteImage(side, side), {}, {}, {}};
    QPainter painter(&result.image);
    painter.setClipRegion(QRegion(3, 7, 200, 2000) + QRegion(210, 40, 1800, 300));
    QtPainterDC dc(painter, QTransform::fromTranslate(5, -9), QRect(0, 0, 2100, 2100));
    std::mt19937 random(3);
    const auto coordinate = [&] { return int(random() % 2140) - 20; };
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 160, 0)};
    std::vector<ColoredLine> lines;
    for (int i = 0; i < 3000; ++i) {
        const CPoint from(coordinate(), coordinate() + 40);
        const CPoint to(from.x + int(random() % 120) - 60, from.y + int(random() % 160) - 80);
        lines.push_back({from, to, colours[random() % 3]});
    }
    lines[77].to = CPoint(1 << 30, lines[77].from.y);
    std::vector<CRect> boxes;
    for (int i = 0; i < 2000; ++i) {
        const int x = coordinate(), y = coordinate() + 40;
        boxes.push_back(i == 50 ? CRect(x, y, x + 21, y + 15) : CRect(x, y, x + 11, y + 11));
    }
    boxes[120] = CRect(-3000, -3000, 3100, 10);
    DrawLinesAndPads(dc, lines, {3, 7}, boxes, batched);
    result.touched = dc.TouchedRect();
    result.current = dc.MoveTo(0, 0);
    painter.end();
    return result;
}
} // namespace

// Big batches are drawn band by band of the picture, on one core or with
// the bands shared out over all of them: every pixel still gets the items
// in batch order.
TEST(QtPainterDC, BatchesOverManyBandsDrawWhatTheirItemsDrawOneByOne) {
    for (const int side : {2100, 900}) {
        const BatchResult one = DrawManyOverBands(false, side);
        for (const int cores : {1, 0}) {
            parallel::LimitPartsAtOnce(cores);
            const BatchResult batch = DrawManyOverBands(true, side);
            parallel::LimitPartsAtOnce(0);
            SCOPED_TRACE(testing::Message() << side << " px, cores limited to " << cores);
            EXPECT_EQ(batch.touched, one.touched);
            EXPECT_EQ(batch.current, one.current);
            ASSERT_EQ(batch.image.size(), one.image.size());
            int painted = 0;
            for (int y = 0; y < one.image.height(); ++y)
                for (int x = 0; x < one.image.width(); ++x) {
                    ASSERT_EQ(batch.image.pixel(x, y), one.image.pixel(x, y)) << x << "," << y;
                    painted += one.image.pixel(x, y) != 0xFFFFFFFFu;
                }
            EXPECT_GT(painted, 50000) << "much of the clip is covered, many times over";
        }
    }
}

TEST(QtPainterDC, EmptyBatchesDrawNothing) {
    QImage image = WhiteImage(20, 20);
    QtPainterDC dc(image);
    dc.MoveTo(3, 4);
    dc.DrawLines({}, 5);
    dc.DrawEllipses({});
    EXPECT_EQ(dc.MoveTo(0, 0), CPoint(3, 4));
    EXPECT_TRUE(dc.TouchedRect().isEmpty());
    dc.Painter().end();
    EXPECT_TRUE(PaintedBounds(image).isEmpty());
}

namespace {
// A colour for each point, so that a pixel made for the wrong place shows.
std::uint32_t MadeColour(int x, int y) {
    return 0xFF000000u | std::uint32_t(x & 0xFF) << 16 | std::uint32_t(y & 0xFF) << 8 | std::uint32_t((x ^ y) & 0xFF);
}

void MakeColours(int x, int y, int w, int h, std::uint32_t* out, std::ptrdiff_t stride) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            out[j * stride + i] = MadeColour(x + i, y + j);
}

// Paints made pixels over a rectangle, scrolled and clipped, and counts the
// device pixels that are not what they should be.
int WrongMadePixels(QImage::Format format) {
    // Big enough to be made on every core.
    QImage image(400, 300, format);
    image.fill(Qt::white);
    const QPoint scroll(1000, 37);
    const QRect clip(20, 10, 350, 280);
    {
        QPainter painter(&image);
        painter.setClipRect(clip);
        QtPainterDC dc(painter, QTransform::fromTranslate(-scroll.x(), -scroll.y()), image.rect().translated(scroll));
        dc.PaintPixels(CRect(1050, 0, 1350, 2000), MakeColours);
    }
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool inside = clip.contains(x, y) && x + scroll.x() >= 1050 && x + scroll.x() < 1350;
            const QRgb expected = inside ? MadeColour(x + scroll.x(), y + scroll.y()) : kWhite;
            wrong += image.pixel(x, y) != expected;
        }
    return wrong;
}
} // namespace

TEST(QtPainterDC, MadePixelsLandInTheirPlaceWithinTheClipOnEveryPath) {
    for (const int cores : {1, 0}) {
        parallel::LimitPartsAtOnce(cores);
        // Made in place in a 32-bit image; drawn in bands on any other.
        EXPECT_EQ(WrongMadePixels(QImage::Format_RGB32), 0) << cores;
        EXPECT_EQ(WrongMadePixels(QImage::Format_RGB888), 0) << cores;
    }
    parallel::LimitPartsAtOnce(0);
}
