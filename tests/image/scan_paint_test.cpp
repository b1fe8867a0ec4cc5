// Painting the picture at every zoom, as recorded: at 1 and above the scan
// enlarged, below 1 the level of that zoom pixel for pixel (the first level
// of a 24-bit scan reduced band by band where the context shows it), and
// past the levels (or without them) the nearest picture shrunk.
#include "dib_test_util.h"
#include "image/scan_paint.h"
#include "platform/parallel_parts.h"
#include "image/scan_pyramid.h"
#include "platform/scripted/recording_dc.h"
#include "platform/scripted/scripted_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A 24-bit picture of width x height, bottom-up.
HDIB Picture(int width, int height) {
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    BITMAPINFOHEADER header{40, width, height, 1, 24, BI_RGB, DWORD(stride * height), 0, 0, 0, 0};
    std::vector<BYTE> dib(sizeof header + stride * height, 0x80);
    std::memcpy(dib.data(), &header, sizeof header);
    return testutil::BlockOf(dib);
}

struct Blit {
    DrawOp::Kind kind;
    CRect dest;
    CSize source;
    bool operator==(const Blit&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Blit& b) {
    return out << (b.kind == DrawOp::SetDIBits ? "unscaled " : "stretched ") << b.dest.left << ","
               << b.dest.top << " " << b.dest.Width() << "x" << b.dest.Height() << " from "
               << b.source.cx << "x" << b.source.cy;
}

class ScanPaintTest : public ::testing::Test {
  protected:
    // The one blit that painting at the zoom made, and the rectangle it
    // reported.
    Blit PaintAt(int exponent, CRect* painted = nullptr) {
        RecordingDC dc;
        CRect covered(-1, -1, -1, -1);
        EXPECT_TRUE(PaintScan(dc, doc, exponent, &covered));
        const std::vector<DrawOp> drawn = dc.Drawn();
        EXPECT_EQ(drawn.size(), 1u);
        if (drawn.empty())
            return {};
        const DrawOp& op = drawn.front();
        const Blit blit{op.kind, CRect(op.a, op.b, op.a + op.c, op.b + op.d), CSize(op.sw, op.sh)};
        EXPECT_EQ(covered, blit.dest) << "the rectangle reported is the one painted";
        if (painted)
            *painted = covered;
        return blit;
    }

    ScriptedServices services;
    CDibDoc doc;
};

constexpr DrawOp::Kind kUnscaled = DrawOp::SetDIBits;
constexpr DrawOp::Kind kStretched = DrawOp::StretchDIBits;

} // namespace

TEST_F(ScanPaintTest, AtOneAndAboveTheScanIsEnlarged) {
    ASSERT_TRUE(doc.AcceptDibBlock(Picture(1001, 333)));
    EXPECT_EQ(PaintAt(0), (Blit{kUnscaled, CRect(0, 0, 1001, 333), CSize(1001, 333)}));
    EXPECT_EQ(PaintAt(1), (Blit{kStretched, CRect(0, 0, 2002, 666), CSize(1001, 333)}));
    EXPECT_EQ(PaintAt(8), (Blit{kStretched, CRect(0, 0, 256256, 85248), CSize(1001, 333)}));
    // Far beyond the int range the picture ends where the coordinates do.
    EXPECT_EQ(PaintAt(40).dest, CRect(0, 0, INT_MAX, INT_MAX));
}

TEST_F(ScanPaintTest, BelowOneEachLevelIsPaintedPixelForPixel) {
    ASSERT_TRUE(doc.AcceptDibBlock(Picture(1001, 333)));
    ASSERT_NE(doc.GetPyramid(), nullptr);
    ASSERT_EQ(doc.GetPyramid()->LevelCount(), 4); // down to 63 x 21
    EXPECT_EQ(PaintAt(-2), (Blit{kUnscaled, CRect(0, 0, 251, 84), CSize(251, 84)}));
    EXPECT_EQ(PaintAt(-3), (Blit{kUnscaled, CRect(0, 0, 126, 42), CSize(126, 42)}));
    EXPECT_EQ(PaintAt(-4), (Blit{kUnscaled, CRect(0, 0, 63, 21), CSize(63, 21)}));
    // Finer than the smallest level: that level, shrunk.
    EXPECT_EQ(PaintAt(-5), (Blit{kStretched, CRect(0, 0, 32, 11), CSize(63, 21)}));
    EXPECT_EQ(PaintAt(-7), (Blit{kStretched, CRect(0, 0, 8, 3), CSize(63, 21)}));
    EXPECT_EQ(PaintAt(-40), (Blit{kStretched, CRect(0, 0, 1, 1), CSize(63, 21)}));
}

// The blits one paint made.
std::vector<Blit> Blits(const RecordingDC& dc) {
    std::vector<Blit> blits;
    for (const DrawOp& op : dc.Drawn())
        blits.push_back({op.kind, CRect(op.a, op.b, op.a + op.c, op.b + op.d), CSize(op.sw, op.sh)});
    return blits;
}

TEST_F(ScanPaintTest, AFirstLevelNotKeptIsReducedInBandsWhereTheContextShowsIt) {
    ASSERT_TRUE(doc.AcceptDibBlock(Picture(1001, 333)));
    ASSERT_TRUE(doc.GetPyramid()->IsReducedWhenPainted(1));
    RecordingDC dc;
    CRect painted;
    ASSERT_TRUE(PaintScan(dc, doc, -1, &painted));
    EXPECT_EQ(painted, CRect(0, 0, 501, 167)) << "the whole level is the picture";
    // Bands of 32 rows for each core that shares the work.
    const int bandRows = 32 * parallel::PartsAtOnce();
    std::vector<Blit> expected;
    for (int top = 0; top < 167; top += bandRows) {
        const int rows = std::min(bandRows, 167 - top);
        expected.push_back({kUnscaled, CRect(0, top, 501, top + rows), CSize(501, rows)});
    }
    EXPECT_EQ(Blits(dc), expected);
    // Only what the context shows is reduced.
    RecordingDC clipped;
    clipped.clipBox = CRect(100, 150, 700, 900);
    ASSERT_TRUE(PaintScan(clipped, doc, -1, &painted));
    EXPECT_EQ(painted, CRect(0, 0, 501, 167));
    EXPECT_EQ(Blits(clipped), (std::vector<Blit>{{kUnscaled, CRect(100, 150, 501, 167), CSize(401, 17)}}));
    RecordingDC beside;
    beside.clipBox = CRect(600, 0, 700, 100);
    ASSERT_TRUE(PaintScan(beside, doc, -1, &painted));
    EXPECT_TRUE(beside.Drawn().empty());
}

TEST_F(ScanPaintTest, WithoutLevelsTheScanItselfIsShrunk) {
    ASSERT_TRUE(doc.AcceptDibBlock(Picture(1001, 333)));
    doc.SetPyramid(nullptr); // not built yet, or no memory for it
    EXPECT_EQ(PaintAt(-2), (Blit{kStretched, CRect(0, 0, 251, 84), CSize(1001, 333)}));
    // A picture small enough has no levels at all.
    ASSERT_TRUE(doc.AcceptDibBlock(Picture(40, 20)));
    ASSERT_NE(doc.GetPyramid(), nullptr);
    EXPECT_EQ(doc.GetPyramid()->LevelCount(), 0);
    EXPECT_EQ(PaintAt(-1), (Blit{kStretched, CRect(0, 0, 20, 10), CSize(40, 20)}));
}

TEST_F(ScanPaintTest, WithoutAPictureNothingIsPainted) {
    RecordingDC dc;
    CRect painted(1, 2, 3, 4);
    EXPECT_FALSE(PaintScan(dc, doc, 0, &painted));
    EXPECT_FALSE(PaintScan(dc, doc, -2, nullptr));
    EXPECT_TRUE(dc.Drawn().empty());
    EXPECT_EQ(painted, CRect(1, 2, 3, 4));
}

TEST(ScanExtentAtZoom, RoundsUpBelowOneAndStaysInTheIntRange) {
    EXPECT_EQ(ScanExtentAtZoom(16000, -4), 1000);
    EXPECT_EQ(ScanExtentAtZoom(16001, -4), 1001);
    EXPECT_EQ(ScanExtentAtZoom(1, -30), 1);
    EXPECT_EQ(ScanExtentAtZoom(INT_MAX, -30), 2);
    // Beyond the smallest zoom a view can have, the smallest it can have.
    EXPECT_EQ(ScanExtentAtZoom(INT_MAX, -40), 2);
    EXPECT_EQ(ScanExtentAtZoom(INT_MAX, -1), 1 << 30);
    EXPECT_EQ(ScanExtentAtZoom(3, 2), 12);
    EXPECT_EQ(ScanExtentAtZoom(1 << 20, 12), INT_MAX);
    EXPECT_EQ(ScanExtentAtZoom(0, 3), 0);
}
