// Wide lines and pads drawn straight into the pixels: the same pixels as the
// exact rule of pixel_raster.h, and as QPainter's wherever the two agree.
#include "platform/qt/pixel_raster.h"
#include "platform/qt/qt_dc.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRegion>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {
using pixel_raster::Box;

constexpr int kSide = 64;
constexpr std::uint32_t kBlank = 0xFFFFFFFF;
constexpr std::uint32_t kInk = 0xFF102030;

struct Line {
    std::int64_t ax, ay, bx, by;
    int width;
};

// Lines of every octant, axis-parallel and diagonal ones, zero length,
// partly or wholly outside the picture, and very long ones through it.
std::vector<Line> SampleLines() {
    std::vector<Line> lines;
    const int ends[][4] = {{10, 10, 50, 20}, {10, 10, 20, 50}, {50, 10, 10, 20}, {20, 10, 10, 50},
                           {10, 50, 50, 40}, {10, 50, 20, 10}, {50, 50, 10, 40}, {40, 50, 50, 10},
                           {10, 30, 50, 30}, {50, 30, 10, 30}, {30, 10, 30, 50}, {30, 50, 30, 10},
                           {10, 10, 50, 50}, {50, 10, 10, 50}, {50, 50, 10, 10}, {10, 50, 50, 10},
                           {30, 30, 30, 30}, {30, 30, 31, 30}, {30, 30, 30, 31}, {30, 30, 31, 31},
                           {-20, 5, 80, 60}, {-5, -5, 3, 70}, {60, -10, 70, 80}, {-30, -30, -2, 8},
                           // whole lengths (28-21-35, 21-20-29, 55-48-73) put band edges on pixel
                           // centres at irrational-looking slopes
                           {41, 48, 13, 27}, {71, 60, 50, 40}, {-4, -6, 51, 42}, {13, 27, 41, 48}};
    for (int w = 2; w <= 9; ++w) {
        for (const auto& e : ends)
            lines.push_back({e[0], e[1], e[2], e[3], w});
        constexpr std::int64_t far = pixel_raster::kMaxLineCoord;
        lines.push_back({-far, 20, far, 40, w});
        lines.push_back({-far, -far + 7, far - 3, far, w});
        lines.push_back({33, -far, 31, far, w});
        lines.push_back({far, 17, -far, 17, w});
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-8, kSide + 8), width(2, 9);
    for (int i = 0; i < 400; ++i)
        lines.push_back({coord(rng), coord(rng), coord(rng), coord(rng), width(rng)});
    // Long lines through a point of the picture at random slopes, with ends
    // millions of pixels away.
    std::uniform_int_distribution<int> step(-1024, 1024), reach(1, 8000);
    for (int i = 0; i < 200; ++i) {
        const std::int64_t px = coord(rng), py = coord(rng), dx = step(rng), dy = step(rng);
        const std::int64_t back = reach(rng), on = reach(rng);
        lines.push_back({px - back * dx, py - back * dy, px + on * dx, py + on * dy, width(rng)});
    }
    return lines;
}

QImage Blank() {
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(kBlank);
    return image;
}

pixel_raster::Surface SurfaceOf(QImage& image) {
    return {reinterpret_cast<std::uint32_t*>(image.bits()), image.bytesPerLine() / 4,
            image.width(), image.height()};
}

bool Inked(const QImage& image, int x, int y) { return image.pixel(x, y) != kBlank; }

// Distance of the pixel's centre from the segment, minus the pen's half width.
double EdgeDistance(const Line& l, int x, int y) {
    const double px = x + 0.5 - double(l.ax), py = y + 0.5 - double(l.ay);
    const double dx = double(l.bx - l.ax), dy = double(l.by - l.ay);
    const double t = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - t * dx, py - t * dy) - l.width / 2.0;
}
} // namespace

// The spans worked out row by row cover exactly the pixels of the rule,
// inside any clip box, for every sample line.
TEST(PixelRaster, LineSpansFollowTheExactRule) {
    const Box clips[] = {{0, 0, kSide, kSide}, {17, 9, 41, 45}, {30, 30, 31, 31}, {-5, -5, 0, 99}};
    for (const Line& l : SampleLines())
        for (const Box& clip : clips) {
            QImage image = Blank();
            pixel_raster::FillLine(SurfaceOf(image), clip, l.ax, l.ay, l.bx, l.by, l.width, kInk);
            int wrong = 0;
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x) {
                    const bool inClip = x >= clip.left && x < clip.right && y >= clip.top &&
                                        y < clip.bottom;
                    const bool want =
                        inClip && pixel_raster::LineCovers(x, y, l.ax, l.ay, l.bx, l.by, l.width);
                    wrong += want != Inked(image, x, y) ? 1 : 0;
                }
            EXPECT_EQ(wrong, 0) << l.ax << "," << l.ay << " - " << l.bx << "," << l.by << " w "
                                << l.width << " clip " << clip.left << "," << clip.top;
        }
}

// The rule is QPainter's: axis-parallel edges and their ties (the point
// just up and left of the centre decides) come out the same. QPainter
// flattens round ends into polygons and places edges in fixed point, so a
// pixel may differ, but only one whose centre lies within a tenth of a
// pixel of the true outline, and on axis-parallel lines only at the ends.
TEST(PixelRaster, LineRuleMatchesQPainterUpToItsFlattenedEnds) {
    long covered = 0, differing = 0;
    for (const Line& l : SampleLines()) {
        if (!pixel_raster::LineFits(l.ax, l.ay, l.bx, l.by, l.width) ||
            std::abs(l.ax) > 1000 || std::abs(l.bx) > 1000 || std::abs(l.ay) > 1000 ||
            std::abs(l.by) > 1000)
            continue;
        QImage image = Blank();
        {
            QPainter painter(&image);
            QPen pen(QColor(0, 0, 0));
            pen.setWidth(l.width);
            pen.setCapStyle(Qt::RoundCap);
            painter.setPen(pen);
            painter.drawLine(QPoint(int(l.ax), int(l.ay)), QPoint(int(l.bx), int(l.by)));
        }
        const bool straight = l.ax == l.bx || l.ay == l.by;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const bool rule = pixel_raster::LineCovers(x, y, l.ax, l.ay, l.bx, l.by, l.width);
                covered += rule ? 1 : 0;
                if (rule == Inked(image, x, y))
                    continue;
                ++differing;
                const double off = EdgeDistance(l, x, y);
                EXPECT_LT(std::abs(off), 0.1) << l.ax << "," << l.ay << " - " << l.bx << ","
                                              << l.by << " w " << l.width << " at " << x << ","
                                              << y;
                // A straight line differs only near its ends' curves.
                if (straight) {
                    EXPECT_TRUE(std::min(std::hypot(x + 0.5 - l.ax, y + 0.5 - l.ay),
                                         std::hypot(x + 0.5 - l.bx, y + 0.5 - l.by)) <=
                                l.width / 2.0 + 0.1);
                }
            }
    }
    EXPECT_GT(covered, 100000);
    EXPECT_LT(differing * 200, covered) << differing << " of " << covered; // well under half a percent
}

TEST(PixelRaster, LineRuleAtTheEdgesOfTheIntRange) {
    constexpr std::int64_t kMax = std::int64_t{1} << 32;
    // A line across the whole range still covers the pixels near its axis.
    EXPECT_TRUE(pixel_raster::LineCovers(0, 0, -kMax, 0, kMax, 0, 3));
    EXPECT_TRUE(pixel_raster::LineCovers(0, 1, -kMax, 0, kMax, 0, 3)); // lower edge row
    EXPECT_FALSE(pixel_raster::LineCovers(0, -2, -kMax, 0, kMax, 0, 3)); // upper edge row
    EXPECT_TRUE(pixel_raster::LineCovers(5, 5, -kMax, -kMax, kMax, kMax, 2));
    EXPECT_FALSE(pixel_raster::LineCovers(5, 8, -kMax, -kMax, kMax, kMax, 2));
    EXPECT_FALSE(pixel_raster::LineCovers(0, 0, kMax, kMax, kMax, kMax, 32767)); // no length
    EXPECT_FALSE(pixel_raster::LineCovers(-kMax, -kMax, kMax, kMax, kMax - 1, kMax, 32767));
    EXPECT_TRUE(pixel_raster::LineCovers(kMax - 16000, kMax, kMax, kMax, kMax - 1, kMax, 32767));
}

// Runs of a picture copy like drawing the picture over the surface.
TEST(PixelRaster, PicturesCopyOnlyOpaquePixelsWithinTheClip) {
    QImage picture(7, 5, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    for (int x = 1; x < 6; ++x)
        picture.setPixel(x, 2, x < 3 ? 0xFFFF0000 : 0xFF000000);
    picture.setPixel(3, 0, 0xFF00FF00);
    picture.setPixel(5, 4, 0xFF0000FF);
    picture.setPixel(6, 4, 0xFF00FFFF);
    pixel_raster::OpaquePicture opaque;
    ASSERT_TRUE(opaque.Make(reinterpret_cast<const std::uint32_t*>(picture.constBits()),
                            picture.bytesPerLine() / 4, picture.width(), picture.height()));
    EXPECT_EQ(opaque.StretchCount(), 3u) << "neighbouring opaque pixels of any colours: one stretch";
    for (const Box clip : {Box{0, 0, kSide, kSide}, Box{12, 0, 14, 13}, Box{13, 12, 16, 15}}) {
        QImage copied = Blank(), drawn = Blank();
        opaque.CopyTo(SurfaceOf(copied), clip, 10, 10);
        QPainter painter(&drawn);
        painter.setClipRect(QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
        painter.drawImage(10, 10, picture);
        painter.end();
        EXPECT_EQ(copied, drawn) << clip.left << "," << clip.top;
    }
    QImage corner = Blank();
    opaque.CopyTo(SurfaceOf(corner), {0, 0, kSide, kSide}, -(std::int64_t{1} << 40),
                  std::int64_t{1} << 40);
    EXPECT_EQ(corner, Blank());
    picture.setPixel(0, 4, 0x80800000); // half covered: not a plain copy
    EXPECT_FALSE(opaque.Make(reinterpret_cast<const std::uint32_t*>(picture.constBits()),
                             picture.bytesPerLine() / 4, picture.width(), picture.height()));
    EXPECT_EQ(opaque.StretchCount(), 0u);
}

// A board's drawing through the device context: lines of widths 2 to 9 and
// pads, in a picture the context draws into directly and in one it leaves
// to QPainter (24-bit pixels), under a clip of two rectangles and a
// scrolled origin. Both come out the same except, at most, for pixels
// within a tenth of a pixel of a line's outline (see above), which are not
// compared here.
TEST(PixelRaster, DeviceContextDrawsDirectlyWhatThePainterWould) {
    QImage direct = Blank();
    QImage painted(kSide, kSide, QImage::Format_RGB888);
    painted.fill(Qt::white);
    const QRegion clip = QRegion(4, 4, 30, 50) + QRegion(40, 10, 20, 20);
    const QTransform scroll = QTransform::fromTranslate(-100, -50);
    std::vector<Line> drawn;
    for (QImage* image : {&direct, &painted}) {
        QPainter painter(image);
        painter.setClipRegion(clip);
        QtPainterDC dc(painter, scroll, QRect(100, 50, kSide, kSide));
        std::mt19937 rng(3);
        std::uniform_int_distribution<int> x(90, 170), y(40, 120), width(2, 9);
        for (int i = 0; i < 60; ++i) {
            const Line l{x(rng), y(rng), x(rng), y(rng), width(rng)};
            dc.SelectPen(Pen{l.width, RGB(200, 10 * l.width, 0)});
            dc.MoveTo(int(l.ax), int(l.ay));
            dc.LineTo(int(l.bx), int(l.by));
            if (image == &direct)
                drawn.push_back({l.ax - 100, l.ay - 50, l.bx - 100, l.by - 50, l.width});
        }
        dc.SelectPen(Pen{2, RGB(255, 0, 0)});
        dc.SelectBrush(Brush{RGB(0, 0, 0)});
        for (int i = 0; i < 40; ++i) {
            const int cx = x(rng), cy = y(rng);
            dc.Ellipse(cx - 5, cy - 5, cx + 5, cy + 5);
        }
    }
    const QImage paintedRgb = painted.convertToFormat(QImage::Format_RGB32);
    int compared = 0;
    for (int py = 0; py < kSide; ++py)
        for (int px = 0; px < kSide; ++px) {
            const bool nearEnd = std::any_of(drawn.begin(), drawn.end(), [&](const Line& l) {
                return std::abs(EdgeDistance(l, px, py)) < 0.1;
            });
            if (nearEnd)
                continue;
            ++compared;
            EXPECT_EQ(direct.pixel(px, py), paintedRgb.pixel(px, py)) << px << "," << py;
            if (!clip.contains(QPoint(px, py))) {
                EXPECT_EQ(direct.pixel(px, py), kBlank);
            }
        }
    EXPECT_GT(compared, kSide * kSide * 3 / 4);
    EXPECT_NE(direct, Blank());
}

TEST(PixelRaster, BandsListEachShapeUnderEveryBandItReachesInBatchOrder) {
    using pixel_raster::kBandRows;
    pixel_raster::Bands bands;
    // Rows [top, bottom) of five shapes over a picture of 3.5 bands.
    const int height = 3 * kBandRows + kBandRows / 2;
    const std::vector<int> tops = {0, kBandRows - 1, -50, 2 * kBandRows, height + 3};
    const std::vector<int> bottoms = {1, kBandRows + 1, height + 50, 2 * kBandRows, height + 9};
    bands.Sort(tops, bottoms, height);
    ASSERT_EQ(bands.Count(), 4);
    const auto list = [&](int b) {
        const std::span<const int> shapes = bands.Shapes(b);
        return std::vector<int>(shapes.begin(), shapes.end());
    };
    EXPECT_EQ(list(0), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list(1), (std::vector<int>{1, 2}));
    EXPECT_EQ(list(2), (std::vector<int>{2})) << "an empty shape is in no band";
    EXPECT_EQ(list(3), (std::vector<int>{2})) << "nor one below the picture";
    bands.Sort(tops, bottoms, 0);
    EXPECT_EQ(bands.Count(), 0);
    // Bands of another height: one for each half of the picture.
    bands.Sort(tops, bottoms, height, height / 2);
    ASSERT_EQ(bands.Count(), 2);
    EXPECT_EQ(bands.Rows(), height / 2);
    EXPECT_EQ(list(0), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list(1), (std::vector<int>{2})) << "shape 1 ends in the first half";
}
