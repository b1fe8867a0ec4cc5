// Painting the other side through its transform, and the x-ray, checked
// against pictures worked out here pixel by pixel.
#include "board/registration.h"
#include "image/other_side_paint.h"
#include "image/scan_paint.h"
#include "image/scan_pyramid.h"
#include "platform/scripted/recording_dc.h"
#include "support/side_scans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

using registration::Mirror;
using registration::Transform;

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

struct Scan {
    HDIB dib;
    explicit Scan(HDIB h) : dib(h) {}
    ~Scan() { GlobalFree(dib); }
};

std::vector<std::uint32_t> Render(const SideLayer& base, const SideLayer* over, int opacity,
                                  int zoomExponent, const CRect& rect) {
    std::vector<std::uint32_t> out(std::size_t(rect.Width()) * rect.Height(), 0x12345678u);
    RenderSides(base, over, opacity, zoomExponent, rect, 0xFFFFFFFFu, out.data(), rect.Width());
    return out;
}

int Channel(std::uint32_t c, int shift) { return int((c >> shift) & 0xFF); }

// The blend as a person would work it out: each channel a weighted mean.
std::uint32_t Blend(std::uint32_t base, std::uint32_t over, int opacity) {
    std::uint32_t out = 0xFF000000u;
    for (const int shift : {0, 8, 16}) {
        const double v = Channel(base, shift) * (100 - opacity) / 100.0 + Channel(over, shift) * opacity / 100.0;
        out |= std::uint32_t(std::lround(v)) << shift;
    }
    return out;
}

bool Near(std::uint32_t a, std::uint32_t b) {
    for (const int shift : {0, 8, 16})
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > 1)
            return false;
    return true;
}

std::uint32_t Opaque(std::uint32_t rgb) { return 0xFF000000u | rgb; }

// A back scan that is the front mirrored left to right, pixel for pixel.
std::uint32_t MirroredFront(int x, int y) { return sides::Front(kWidth - 1 - x, y); }

Transform FrontToBack(Mirror mirror) {
    return *registration::InitialTransform(mirror, kWidth, kHeight, 200, 200, kWidth, kHeight, 200, 200)
                .Inverse();
}

} // namespace

TEST(OtherSidePaint, TheFrontThroughNoTransformIsTheScanAtEveryZoom) {
    Scan front(sides::MakeScan(kWidth, kHeight, sides::Front));
    const SidePixels pixels(front.dib);
    ASSERT_TRUE(pixels.IsValid());
    const SideLayer layer{&pixels, Transform()};
    for (const int zoom : {0, 1, 2}) {
        const int scale = 1 << zoom;
        const CRect rect(10, 7, 10 + 120, 7 + 90);
        const auto out = Render(layer, nullptr, 0, zoom, rect);
        for (int j = 0; j < rect.Height(); ++j)
            for (int i = 0; i < rect.Width(); ++i)
                ASSERT_EQ(out[std::size_t(j) * rect.Width() + i],
                          Opaque(sides::Front((rect.left + i) / scale, (rect.top + j) / scale)))
                    << "zoom " << zoom << " at " << i << ", " << j;
    }
    // At half size each pixel is the mean of the four it stands for.
    const CRect half(0, 0, kWidth / 2 - 1, kHeight / 2 - 1);
    const auto out = Render(layer, nullptr, 0, -1, half);
    for (int j = 0; j < half.Height(); ++j)
        for (int i = 0; i < half.Width(); ++i) {
            const auto mean = Blend(Blend(Opaque(sides::Front(2 * i, 2 * j)), Opaque(sides::Front(2 * i + 1, 2 * j)), 50),
                                    Blend(Opaque(sides::Front(2 * i, 2 * j + 1)), Opaque(sides::Front(2 * i + 1, 2 * j + 1)), 50),
                                    50);
            ASSERT_TRUE(Near(out[std::size_t(j) * half.Width() + i], mean)) << i << ", " << j;
        }
}

TEST(OtherSidePaint, AMirroredBackThroughItsMirrorLiesOnTheFront) {
    Scan back(sides::MakeScan(kWidth, kHeight, MirroredFront));
    const SidePixels pixels(back.dib);
    const SideLayer layer{&pixels, FrontToBack(Mirror::LeftRight)};
    for (const int zoom : {0, 1}) {
        const CRect rect(0, 0, kWidth << zoom, kHeight << zoom);
        const auto out = Render(layer, nullptr, 0, zoom, rect);
        int wrong = 0;
        for (int j = 0; j < rect.Height(); ++j)
            for (int i = 0; i < rect.Width(); ++i)
                wrong += out[std::size_t(j) * rect.Width() + i] != Opaque(sides::Front(i >> zoom, j >> zoom));
        EXPECT_EQ(wrong, 0) << "zoom " << zoom;
    }
    // Not mirrored, the track shows on the wrong side.
    const SideLayer unmirrored{&pixels, FrontToBack(Mirror::None)};
    const auto out = Render(unmirrored, nullptr, 0, 0, CRect(0, 0, kWidth, kHeight));
    EXPECT_EQ(out[100 * kWidth + 100], Opaque(sides::kBoard));
    EXPECT_EQ(out[100 * kWidth + kWidth - 1 - 100], Opaque(sides::kPad));
}

TEST(OtherSidePaint, XRayBlendsTheOtherSideAtItsOpacity) {
    // Two sides of plain colour patterns that differ everywhere.
    auto frontPaint = [](int x, int y) { return std::uint32_t((x * 7) & 0xFF) << 16 | std::uint32_t((y * 5) & 0xFF) << 8 | 0x40; };
    auto backPaint = [](int x, int y) { return std::uint32_t((y * 3) & 0xFF) << 16 | 0xC000 | std::uint32_t((x * 11) & 0xFF); };
    Scan front(sides::MakeScan(kWidth, kHeight, frontPaint));
    Scan back(sides::MakeScan(kWidth, kHeight, backPaint));
    const SidePixels f(front.dib), b(back.dib);
    const SideLayer frontLayer{&f, Transform()};
    const SideLayer backLayer{&b, FrontToBack(Mirror::LeftRight)};
    for (const int opacity : {10, 50, 90}) {
        const CRect rect(0, 0, kWidth * 2, kHeight * 2);
        const auto onFront = Render(frontLayer, &backLayer, opacity, 1, rect);
        const auto onBack = Render(backLayer, &frontLayer, opacity, 1, rect);
        int wrong = 0;
        for (int j = 0; j < rect.Height(); ++j)
            for (int i = 0; i < rect.Width(); ++i) {
                const int x = i / 2, y = j / 2;
                const std::uint32_t fc = Opaque(frontPaint(x, y)), bc = Opaque(backPaint(kWidth - 1 - x, y));
                const std::size_t at = std::size_t(j) * rect.Width() + i;
                wrong += !Near(onFront[at], Blend(fc, bc, opacity)) + !Near(onBack[at], Blend(bc, fc, opacity));
            }
        EXPECT_EQ(wrong, 0) << opacity << "%";
    }
}

TEST(OtherSidePaint, WhereASideHasNoPixelTheBaseShowsTheBackgroundAndTheOverSideNothing) {
    Scan small(sides::MakeScan(50, 40, [](int, int) { return 0x0000FFu; }));
    Scan front(sides::MakeScan(kWidth, kHeight, [](int, int) { return 0x00FF00u; }));
    const SidePixels s(small.dib), f(front.dib);
    const SideLayer smallLayer{&s, Transform()};
    const SideLayer frontLayer{&f, Transform()};
    const auto base = Render(smallLayer, nullptr, 0, 0, CRect(45, 0, 55, 1));
    EXPECT_EQ(base[4], Opaque(0x0000FF));
    EXPECT_EQ(base[5], 0xFFFFFFFFu);
    const auto over = Render(frontLayer, &smallLayer, 50, 0, CRect(45, 0, 55, 1));
    EXPECT_TRUE(Near(over[4], Blend(Opaque(0x00FF00), Opaque(0x0000FF), 50)));
    EXPECT_EQ(over[5], Opaque(0x00FF00));
}

TEST(OtherSidePaint, PalettePicturesAndDecodedOnesReadAsTheirColours) {
    // An 8-bit grey scan read in place, against a 24-bit one of the same greys.
    Scan grey24(sides::MakeScan(64, 8, [](int x, int) { return std::uint32_t(x * 4) * 0x010101u; }));
    const int rowBytes = 64;
    const std::size_t bytes = sizeof(BITMAPINFOHEADER) + 256 * 4 + rowBytes * 8;
    Scan grey8(GlobalAlloc(GHND, bytes));
    {
        GlobalLockGuard lock(grey8.dib);
        auto* h = static_cast<BITMAPINFOHEADER*>(lock.get());
        *h = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 64, 8, 1, 8, BI_RGB, 0, 0, 0, 256, 0};
        auto* table = reinterpret_cast<RGBQUAD*>(h + 1);
        for (int i = 0; i < 256; ++i)
            table[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        BYTE* bits = reinterpret_cast<BYTE*>(table + 256);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 64; ++x)
                bits[y * rowBytes + x] = BYTE(x * 4);
    }
    const SidePixels a(grey24.dib), b(grey8.dib);
    ASSERT_TRUE(a.IsValid() && b.IsValid());
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(a.At(x, 3), b.At(x, 3)) << x;
    EXPECT_EQ(b.At(10, 0), 0xFF282828u);
    // A broken block is no picture.
    Scan broken(GlobalAlloc(GHND, 20));
    EXPECT_FALSE(SidePixels(broken.dib).IsValid());
    EXPECT_FALSE(SidePixels(nullptr).IsValid());
}

namespace {
// A context that keeps the pixels handed to it, as a screen would show them.
class CanvasDC : public RecordingDC {
  public:
    CanvasDC(int width, int height) : width(width), height(height), pixels(std::size_t(width) * height, 0) {}
    int SetDIBitsToDevice(int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan,
                          UINT numScans, const void* bits, const BITMAPINFO* info, UINT usage,
                          std::size_t bitsBytes) override {
        const auto* src = static_cast<const std::uint32_t*>(bits);
        EXPECT_EQ(info->bmiHeader.biBitCount, 32);
        EXPECT_GE(bitsBytes, std::size_t(w) * h * 4);
        for (DWORD j = 0; j < h; ++j)
            for (DWORD i = 0; i < w; ++i) {
                const int x = xDest + int(i), y = yDest + int(j);
                if (x >= 0 && y >= 0 && x < width && y < height)
                    pixels[std::size_t(y) * width + x] = src[std::size_t(h - 1 - j) * w + i];
            }
        return RecordingDC::SetDIBitsToDevice(xDest, yDest, w, h, xSrc, ySrc, startScan, numScans, bits, info,
                                              usage, bitsBytes);
    }
    int width, height;
    std::vector<std::uint32_t> pixels;
};
} // namespace

TEST(OtherSidePaint, TheDocumentPaintsTheShownSideOnlyWhileTheOtherSideIsSeen) {
    CDibDoc doc;
    ASSERT_TRUE(doc.AcceptDibBlock(sides::MakeScan(kWidth, kHeight, sides::Front)));
    SidesShown shown;
    CanvasDC dc(kWidth, kHeight);
    CRect painted;
    EXPECT_FALSE(PaintSides(dc, doc, shown, ScanLines{200, 200}, 0, &painted));
    auto side = std::make_unique<OtherSide>();
    side->scan = std::make_unique<CDibDoc>();
    ASSERT_TRUE(side->scan->AcceptDibBlock(sides::MakeScan(kWidth, kHeight, MirroredFront)));
    side->lines = {200, 200};
    doc.SetOtherSide(std::move(side));
    EXPECT_FALSE(PaintSides(dc, doc, shown, ScanLines{200, 200}, 0, &painted));
    EXPECT_TRUE(dc.ops.empty());

    shown.back = true;
    dc.clipBox = CRect(0, 0, kWidth, kHeight);
    ASSERT_TRUE(PaintSides(dc, doc, shown, ScanLines{200, 200}, 0, &painted));
    EXPECT_EQ(painted, CRect(0, 0, kWidth, kHeight));
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            wrong += dc.pixels[std::size_t(y) * kWidth + x] != Opaque(sides::Front(x, y));
    EXPECT_EQ(wrong, 0);
    // Only the clip box is painted, in bands.
    dc.ops.clear();
    dc.clipBox = CRect(20, 30, 60, 200);
    ASSERT_TRUE(PaintSides(dc, doc, shown, ScanLines{200, 200}, 0, &painted));
    int rows = 0;
    for (const DrawOp& op : dc.ops) {
        ASSERT_EQ(op.kind, DrawOp::SetDIBits);
        EXPECT_EQ(op.a, 20);
        EXPECT_EQ(op.c, 40);
        rows += op.d;
    }
    EXPECT_EQ(rows, 170);
}

namespace {

// A back photographed turned, enlarged and in perspective.
Transform TurnedFrontToBack() {
    const double a = 3.0 * M_PI / 180.0, scale = 1.02, p = 4e-5;
    const Transform affine({scale * std::cos(a), -scale * std::sin(a), 12.5, scale * std::sin(a),
                            scale * std::cos(a), -7.25, 0, 0, 1});
    return Transform({1, 0, 0, 0, 1, 0, p, -p, 1}).After(affine);
}

// The colour at a point of the scan worked out in floating point: the
// nearest pixel, or the 2 x 2 pixels weighted by the point's place among
// them in 1/256 steps; nothing off the scan.
std::optional<std::uint32_t> ByHand(const sides::Paint& paint, double u, double v, bool bilinear) {
    if (!bilinear) {
        const int x = int(std::floor(u + 0.5)), y = int(std::floor(v + 0.5));
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight)
            return std::nullopt;
        return Opaque(paint(x, y));
    }
    if (u < 0 || v < 0 || u >= kWidth - 1 || v >= kHeight - 1)
        return std::nullopt;
    const int x = int(u), y = int(v);
    const int fx = int((u - x) * 256), fy = int((v - y) * 256);
    std::uint32_t out = 0xFF000000u;
    for (const int shift : {0, 8, 16}) {
        const auto c = [&](int dx, int dy) { return Channel(Opaque(paint(x + dx, y + dy)), shift); };
        const double top = c(0, 0) + (c(1, 0) - c(0, 0)) * fx / 256.0;
        const double bottom = c(0, 1) + (c(1, 1) - c(0, 1)) * fx / 256.0;
        out |= std::uint32_t(std::lround(top + (bottom - top) * fy / 256.0)) << shift;
    }
    return out;
}

} // namespace

TEST(OtherSidePaint, ATurnedBackInPerspectiveShowsThePixelsItsTransformPutsThere) {
    // Smooth enough that a sample a hair's breadth away changes a channel by
    // a level at most, sharp enough that a wrong pixel shows.
    const sides::Paint paint = [](int x, int y) {
        return std::uint32_t((x * 5 + y) & 0xFF) << 16 | std::uint32_t((y * 3) & 0xFF) << 8 | std::uint32_t((x + y * 2) & 0xFF);
    };
    Scan back(sides::MakeScan(kWidth, kHeight, paint));
    const SidePixels pixels(back.dib);
    const Transform frontToBack = TurnedFrontToBack();
    const SideLayer layer{&pixels, frontToBack};
    for (const int zoom : {-1, 0, 1, 2}) {
        const double step = std::ldexp(1.0, -zoom);
        const CRect rect(3, 5, 3 + 150, 5 + 100);
        const auto out = Render(layer, nullptr, 0, zoom, rect);
        int far = 0, checked = 0;
        for (int j = 0; j < rect.Height(); ++j)
            for (int i = 0; i < rect.Width(); ++i) {
                const registration::Point front{(rect.left + i + 0.5) * step - 0.5, (rect.top + j + 0.5) * step - 0.5};
                const auto at = frontToBack.Apply(front);
                ASSERT_TRUE(at);
                const std::uint32_t got = out[std::size_t(j) * rect.Width() + i];
                // Samples are placed exactly every few pixels and linearly in
                // between, in this strong perspective a few hundredths of a
                // pixel off.
                if (!ByHand(paint, at->x, at->y, zoom < 1))
                    continue; // off the scan, or on its edge
                bool near = false;
                for (const double du : {0.0, -0.03, -0.015, 0.015, 0.03})
                    for (const double dv : {0.0, -0.03, -0.015, 0.015, 0.03}) {
                        const auto expected = ByHand(paint, at->x + du, at->y + dv, zoom < 1);
                        bool close = expected ? true : got == 0xFFFFFFFFu;
                        for (const int shift : {0, 8, 16})
                            close = close && (!expected || std::abs(Channel(got, shift) - Channel(*expected, shift)) <= 2);
                        near = near || close;
                    }
                ++checked;
                far += !near;
            }
        EXPECT_GT(checked, rect.Width() * rect.Height() / 2) << "zoom " << zoom;
        EXPECT_EQ(far, 0) << "zoom " << zoom;
    }
}

TEST(OtherSidePaint, BelowZoomOneEachSideIsPaintedFromItsReducedLevel) {
    // A back that is the front itself, registered without a turn: painted
    // from its levels, it must look like the front painted from its own.
    CDibDoc doc;
    ASSERT_TRUE(doc.AcceptDibBlock(sides::MakeScan(kWidth, kHeight, sides::Front)));
    auto side = std::make_unique<OtherSide>();
    side->scan = std::make_unique<CDibDoc>();
    ASSERT_TRUE(side->scan->AcceptDibBlock(sides::MakeScan(kWidth, kHeight, sides::Front)));
    ASSERT_NE(side->scan->GetPyramid(), nullptr);
    side->registered = Transform();
    doc.SetOtherSide(std::move(side));
    for (const int zoom : {-2, -3}) {
        const int w = ScanExtentAtZoom(kWidth, zoom), h = ScanExtentAtZoom(kHeight, zoom);
        const SidePixels level(doc.GetOtherSide()->scan->GetPyramid()->Level(-zoom));
        ASSERT_EQ(level.Width(), w);
        CanvasDC back(w, h);
        back.clipBox = CRect(0, 0, w, h);
        SidesShown shown;
        shown.back = true;
        ASSERT_TRUE(PaintSides(back, doc, shown, ScanLines{200, 200}, zoom, nullptr));
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                wrong += back.pixels[std::size_t(y) * w + x] != level.At(x, y);
        EXPECT_EQ(wrong, 0) << "zoom " << zoom;
    }
}


namespace {

// Gives the document a back of this picture, registered through the
// transform; the back's document.
CDibDoc* GiveBack(CDibDoc& doc, const sides::Paint& paint, const Transform& backToFront) {
    auto side = std::make_unique<OtherSide>();
    side->scan = std::make_unique<CDibDoc>();
    if (!side->scan->AcceptDibBlock(sides::MakeScan(kWidth, kHeight, paint)))
        return nullptr;
    side->registered = backToFront;
    CDibDoc* back = side->scan.get();
    doc.SetOtherSide(std::move(side));
    return back;
}

// The first level of a scan of kWidth x kHeight, reduced whole.
bool ReduceWhole(HDIB scan, FirstLevelPart& level) {
    GlobalLockGuard lock(scan);
    return level.Reduce(lock.get(), lock.size(), CRect(0, 0, kWidth / 2, kHeight / 2));
}

// The document's picture as PaintSides paints it at half size.
std::optional<std::vector<std::uint32_t>> PaintedAtHalf(const CDibDoc& doc, const SidesShown& shown) {
    CanvasDC canvas(kWidth / 2, kHeight / 2);
    canvas.clipBox = CRect(0, 0, kWidth / 2, kHeight / 2);
    if (!PaintSides(canvas, doc, shown, ScanLines{200, 200}, -1, nullptr))
        return std::nullopt;
    return canvas.pixels;
}

} // namespace

TEST(OtherSidePaint, AtHalfSizeTheXRayShowsTheFrontReducedAsTheScanIs) {
    // Both sides the same picture, registered without a turn: the x-ray
    // over the front is the front's first level, which a 24-bit scan
    // reduces as it is painted.
    CDibDoc doc;
    ASSERT_TRUE(doc.AcceptDibBlock(sides::MakeScan(kWidth, kHeight, sides::Front)));
    ASSERT_TRUE(doc.GetPyramid() && doc.GetPyramid()->IsReducedWhenPainted(1));
    ASSERT_TRUE(GiveBack(doc, sides::Front, Transform()));
    FirstLevelPart level;
    ASSERT_TRUE(ReduceWhole(doc.GetDibBlock(), level));
    const SidePixels expected(level.Block());
    SidesShown shown;
    shown.xray = true;
    const auto painted = PaintedAtHalf(doc, shown);
    ASSERT_TRUE(painted);
    const int w = kWidth / 2, h = kHeight / 2;
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            wrong += !Near((*painted)[std::size_t(y) * w + x], expected.At(x, y));
    EXPECT_EQ(wrong, 0);
}

TEST(OtherSidePaint, AtHalfSizeATurnedBackIsSampledFromItsFirstLevel) {
    // A 24-bit back makes its first level as it is painted, piece by piece;
    // the pieces must give what the whole level gives.
    CDibDoc doc;
    ASSERT_TRUE(doc.AcceptDibBlock(sides::MakeScan(kWidth, kHeight, sides::Front)));
    const Transform frontToBack = TurnedFrontToBack();
    const CDibDoc* back = GiveBack(doc, MirroredFront, *frontToBack.Inverse());
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->GetPyramid()->IsReducedWhenPainted(1));
    FirstLevelPart level;
    ASSERT_TRUE(ReduceWhole(back->GetDibBlock(), level));
    const SidePixels levelPixels(level.Block());
    const SideLayer wholeLevel{&levelPixels, Transform({0.5, 0, -0.25, 0, 0.5, -0.25, 0, 0, 1}).After(frontToBack)};
    const auto expected = Render(wholeLevel, nullptr, 0, -1, CRect(0, 0, kWidth / 2, kHeight / 2));
    SidesShown shown;
    shown.back = true;
    const auto painted = PaintedAtHalf(doc, shown);
    ASSERT_TRUE(painted);
    int wrong = 0;
    for (std::size_t i = 0; i < expected.size(); ++i)
        wrong += !Near((*painted)[i], expected[i]);
    EXPECT_EQ(wrong, 0);
}
