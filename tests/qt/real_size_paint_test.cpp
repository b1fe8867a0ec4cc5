// The board at real sizes, painted by the Qt context, against a reference
// picture worked out from the geometry: pixel centres well inside a shape
// must take its colour and those well outside must not. Pixels within a
// pixel of an outline are left out; where a rounded edge falls is the
// rasteriser's business.
#include "board/board_painter.h"
#include "platform/qt/qt_dc.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <functional>

namespace {
constexpr QRgb kBackground = 0xFFFFFFFF;
const QRgb kCopper = qRgb(255, 0, 0);
const QRgb kHole = qRgb(0, 0, 0);

// What a pixel centre should show, with the distance to the nearest outline.
struct Expected {
    QRgb color;
    double margin;
};
using Reference = std::function<Expected(double x, double y)>;

// Pixels whose centre lies more than a pixel from every outline and differ.
int Mismatches(const QImage& image, const Reference& reference) {
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Expected e = reference(x + 0.5, y + 0.5);
            if (e.margin > 1.0 && (image.pixel(x, y) | 0xFF000000) != e.color)
                ++wrong;
        }
    return wrong;
}

QImage Paint(const BoardScene& scene, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBackground);
    QtPainterDC dc(image);
    PaintBoard(dc, scene);
    return image;
}

class RealSizePaint : public ::testing::TestWithParam<int> {
  protected:
    RealSizePaint() : saved(g_crLayerColor[1]) { g_crLayerColor[1] = RGB(0, 0, 255); }
    ~RealSizePaint() override { g_crLayerColor[1] = saved; }
    // 200 dpi: five mils per scan pixel, so a mil takes zoom / 5 pixels.
    BoardScene Scene(std::span<const Pad> pads, std::span<const PadSize> sizes,
                     std::span<const Track> tracks, std::span<const TrackSize> widths) {
        scale = {GetParam() / 5.0, GetParam() / 5.0};
        BoardScene scene;
        scene.pads = pads;
        scene.padSizes = sizes;
        scene.tracks = tracks;
        scene.trackSizes = widths;
        scene.client = CRect(0, 0, 400, 300);
        scene.realScale = &scale;
        return scene;
    }
    double PerMil() const { return GetParam() / 5.0; }

    BoardScene::RealScale scale{};
    COLORREF saved;
};
} // namespace

TEST_P(RealSizePaint, RoundAndRectanglePadsWithTheirHoles) {
    const float z = static_cast<float>(GetParam());
    const Pad pads[] = {{30 * z, 30 * z}, {75 * z, 30 * z}};
    const PadSize sizes[] = {{60, 60, 28, PadShape::Round}, {80, 40, 0, PadShape::Rectangle}};
    const QImage image = Paint(Scene(pads, sizes, {}, {}), 400, 300);
    const double k = PerMil();
    const Reference reference = [&](double x, double y) -> Expected {
        const double round = std::hypot(x - 30 * z, y - 30 * z);
        const double body = 30 * k, hole = 14 * k;
        if (round < body) {
            if (round < hole)
                return {kHole, hole - round};
            return {kCopper, std::min(std::abs(round - hole), std::abs(body - round))};
        }
        const double dx = std::abs(x - 75 * z) - 40 * k, dy = std::abs(y - 30 * z) - 20 * k;
        if (dx < 0 && dy < 0)
            return {kCopper, std::min(-dx, -dy)};
        return {kBackground, std::min({std::hypot(std::max(dx, 0.0), std::max(dy, 0.0)),
                                       round - body})};
    };
    EXPECT_EQ(Mismatches(image, reference), 0);
    EXPECT_EQ(image.pixel(static_cast<int>(30 * z), static_cast<int>(30 * z)), kHole);
}

TEST_P(RealSizePaint, TracksAtTheirOwnWidths) {
    const float z = static_cast<float>(GetParam());
    const Track tracks[] = {{10 * z, 20 * z, 70 * z, 20 * z, 1}, {10 * z, 50 * z, 70 * z, 50 * z, 1}};
    const TrackSize widths[] = {{40}, {10}};
    const QImage image = Paint(Scene({}, {}, tracks, widths), 400, 300);
    const double k = PerMil();
    const Reference reference = [&](double x, double y) -> Expected {
        // Distance to each segment; round ends.
        const auto away = [&](double cy, double half) {
            const double ex = std::clamp(x, 10.0 * z, 70.0 * z);
            return std::hypot(x - ex, y - cy) - half;
        };
        const double a = away(20 * z, std::round(40 * k) / 2), b = away(50 * z, std::round(10 * k) / 2);
        if (a < 0 || b < 0)
            return {qRgb(0, 0, 255), -std::min(a, b)};
        return {kBackground, std::min(a, b)};
    };
    EXPECT_EQ(Mismatches(image, reference), 0);
}

TEST_P(RealSizePaint, AnOctagonCutsTheCornersOfItsBox) {
    const float z = static_cast<float>(GetParam());
    const Pad pad{50 * z, 50 * z};
    const PadSize size{100, 100, 0, PadShape::Octagon};
    const QImage image = Paint(Scene({&pad, 1}, {&size, 1}, {}, {}), 400, 300);
    const int half = static_cast<int>(50 * PerMil());
    const int c = static_cast<int>(50 * z);
    EXPECT_EQ(image.pixel(c, c), kCopper);
    EXPECT_EQ(image.pixel(c + half - 2, c), kCopper) << "the flat side reaches the box";
    EXPECT_EQ(image.pixel(c, c - half + 2), kCopper);
    EXPECT_EQ(image.pixel(c + half - 2, c - half + 2), kBackground) << "the corner is cut";
    EXPECT_EQ(image.pixel(c - half + 2, c + half - 2), kBackground);
    EXPECT_EQ(image.pixel(c + half / 2, c - half / 2), kCopper);
}

INSTANTIATE_TEST_SUITE_P(AtZoom, RealSizePaint, ::testing::Values(1, 4));
