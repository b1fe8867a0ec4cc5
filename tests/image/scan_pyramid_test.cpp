// The reduced levels of a scan: their sizes and layout, each level the box
// average of the one before (checked against the decoded colours, so every
// kind of scan is held to the same definition), what each kind of scan
// keeps its levels in, the first level that is reduced when painted rather
// than kept, progress and stopping, and the document keeping the levels of
// its current picture.
#include "dib_test_util.h"
#include "image/dib_doc.h"
#include "image/scan_pyramid.h"
#include "platform/scripted/scripted_services.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

namespace {

// A bottom-up picture with a 40-byte header; pixel(x, y) (y from the top)
// gives the index, or the 0xRRGGBB colour for 24 bits.
std::vector<BYTE> Scan(int width, int height, int bitCount, const std::vector<std::uint32_t>& table,
                       const std::function<std::uint32_t(int, int)>& pixel,
                       DWORD compression = BI_RGB) {
    const std::size_t stride = (std::size_t(width) * bitCount + 31) / 32 * 4;
    BITMAPINFOHEADER header{40, width, height, 1, WORD(bitCount), compression,
                            DWORD(stride * height), 0, 0, DWORD(table.size()), 0};
    std::vector<BYTE> dib(sizeof header);
    std::memcpy(dib.data(), &header, sizeof header);
    for (std::uint32_t c : table)
        dib.insert(dib.end(), {BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0});
    const std::size_t bitsAt = dib.size();
    dib.resize(bitsAt + stride * height);
    for (int y = 0; y < height; ++y) {
        BYTE* row = dib.data() + bitsAt + std::size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixel(x, y);
            if (bitCount == 24) {
                row[3 * x] = BYTE(v);
                row[3 * x + 1] = BYTE(v >> 8);
                row[3 * x + 2] = BYTE(v >> 16);
            } else if (bitCount == 8) {
                row[x] = BYTE(v);
            } else if (bitCount == 4) {
                row[x / 2] |= BYTE((v & 15) << ((x & 1) ? 0 : 4));
            } else {
                row[x / 8] |= BYTE((v & 1) << (7 - x % 8));
            }
        }
    }
    return dib;
}

std::vector<std::uint32_t> Greys(int count, bool inverted = false) {
    std::vector<std::uint32_t> table;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t g = std::uint32_t(inverted ? count - 1 - i : i) * 255 / (count - 1);
        table.push_back(g * 0x010101u);
    }
    return table;
}

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

Image Decoded(HDIB dib) {
    GlobalLockGuard lock(dib);
    Image image;
    image.width = int(DibGetWidth(lock.get()));
    image.height = int(DibGetHeight(lock.get()));
    image.pixels = testutil::Decode(dib, 0, 0, image.width, image.height);
    return image;
}

// Half of the image each way, rounded up; each channel the rounded average
// of the pixels that exist in the 2 x 2 it covers.
Image BoxHalf(const Image& from) {
    Image half;
    half.width = (from.width + 1) / 2;
    half.height = (from.height + 1) / 2;
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x) {
            unsigned sum[3] = {0, 0, 0}, n = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const int sx = 2 * x + dx, sy = 2 * y + dy;
                    if (sx >= from.width || sy >= from.height)
                        continue;
                    ++n;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += (from.At(sx, sy) >> (8 * c)) & 0xFF;
                }
            std::uint32_t colour = 0xFF000000u;
            for (int c = 0; c < 3; ++c)
                colour |= ((sum[c] + n / 2) / n) << (8 * c);
            half.pixels.push_back(colour);
        }
    return half;
}

WORD BitCountOf(HDIB dib) {
    GlobalLockGuard lock(dib);
    return static_cast<const BITMAPINFOHEADER*>(lock.get())->biBitCount;
}

// The whole of level k: its block, or the first level reduced from the scan
// into `part`.
HDIB LevelBlock(HDIB scan, const ScanPyramid& pyramid, int k, FirstLevelPart& part) {
    if (!pyramid.IsReducedWhenPainted(k))
        return pyramid.Level(k);
    const CSize size = pyramid.LevelSize(k);
    GlobalLockGuard lock(scan);
    EXPECT_TRUE(part.Reduce(lock.get(), lock.size(), CRect(0, 0, size.cx, size.cy)));
    return part.Block();
}

// Every level is a block the document could hold, of the depth given, and
// the box average of the level before (the scan itself for level 1).
void ExpectBoxAverages(const std::vector<BYTE>& dib, WORD levelBits, const std::string& name) {
    testutil::OwnedDib scan(testutil::BlockOf(dib));
    const auto pyramid = BuildScanPyramid(scan.dib);
    ASSERT_NE(pyramid, nullptr) << name;
    ASSERT_GT(pyramid->LevelCount(), 0) << name;
    Image previous = Decoded(scan.dib);
    FirstLevelPart part;
    for (int k = 1; k <= pyramid->LevelCount(); ++k) {
        HDIB level = LevelBlock(scan.dib, *pyramid, k, part);
        ASSERT_EQ(DibCheckBlock(level), DibCheck::Ok) << name << " level " << k;
        EXPECT_EQ(BitCountOf(level), levelBits) << name << " level " << k;
        const Image expected = BoxHalf(previous);
        const Image got = Decoded(level);
        ASSERT_EQ(got.width, expected.width) << name;
        ASSERT_EQ(got.height, expected.height) << name;
        for (int y = 0; y < got.height; ++y)
            for (int x = 0; x < got.width; ++x)
                ASSERT_EQ(got.At(x, y), expected.At(x, y))
                    << name << " level " << k << " at " << x << "," << y;
        previous = got;
    }
}

} // namespace

TEST(ScanPyramid, LevelsHalveRoundingUpUntilOneFitsTheSmallestSize) {
    const auto sizes = [](int w, int h) {
        testutil::OwnedDib scan(testutil::BlockOf(Scan(w, h, 24, {}, [](int, int) { return 0u; })));
        const auto pyramid = BuildScanPyramid(scan.dib);
        std::vector<CSize> out;
        for (int k = 1; pyramid && k <= pyramid->LevelCount(); ++k)
            out.push_back(pyramid->LevelSize(k));
        return out;
    };
    EXPECT_EQ(sizes(300, 131), (std::vector<CSize>{{150, 66}, {75, 33}, {38, 17}}));
    EXPECT_EQ(sizes(65, 1), (std::vector<CSize>{{33, 1}}));
    EXPECT_EQ(sizes(1, 200), (std::vector<CSize>{{1, 100}, {1, 50}}));
    EXPECT_TRUE(sizes(64, 64).empty()) << "a scan that fits needs no level";
}

TEST(ScanPyramid, ColourScansGetTwentyFourBitBoxAverages) {
    std::mt19937 random(7);
    const auto noise = [&](int, int) { return std::uint32_t(random()) & 0xFFFFFFu; };
    ExpectBoxAverages(Scan(261, 133, 24, {}, noise), 24, "24-bit odd sizes");
    ExpectBoxAverages(Scan(130, 66, 24, {}, noise), 24, "24-bit even sizes");
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back(std::uint32_t(random()) & 0xFFFFFFu);
    const auto index = [&](int x, int y) { return std::uint32_t(x * 7 + y * 3) & 0xFF; };
    ExpectBoxAverages(Scan(197, 71, 8, colours, index), 24, "8-bit colour");
    colours.resize(16);
    ExpectBoxAverages(Scan(197, 71, 4, colours, index), 24, "4-bit colour");
}

TEST(ScanPyramid, GreyScansGetEightBitGreyLevels) {
    const auto index = [](int x, int y) { return std::uint32_t(x * 5 + y * y) & 0xFF; };
    ExpectBoxAverages(Scan(199, 101, 8, Greys(256), index), 8, "grey ramp");
    ExpectBoxAverages(Scan(199, 101, 8, Greys(256, true), index), 8, "inverted greys");
    ExpectBoxAverages(Scan(199, 101, 8, Greys(16), [&](int x, int y) { return index(x, y) & 15; }),
                      8, "16 greys");
    const auto dots = [](int x, int y) { return std::uint32_t((x * 3 + y) % 7 == 0); };
    ExpectBoxAverages(Scan(203, 67, 1, {0x000000, 0xFFFFFF}, dots), 8, "black and white");
    ExpectBoxAverages(Scan(203, 67, 1, {0xFFFFFF, 0x000000}, dots), 8, "white and black");
}

TEST(ScanPyramid, FirstLevelsOfScansStoredAsLevelsAreReducedWhenPaintedPartForPart) {
    std::mt19937 random(11);
    const auto noise = [&](int, int) { return std::uint32_t(random()) & 0xFFFFFFu; };
    const auto index = [](int x, int y) { return std::uint32_t(x * 5 + y * y) & 0xFF; };
    const std::vector<BYTE> scans[] = {Scan(261, 133, 24, {}, noise),
                                       Scan(261, 133, 8, Greys(256), index)};
    for (const std::vector<BYTE>& dib : scans) {
        testutil::OwnedDib scan(testutil::BlockOf(dib));
        const auto pyramid = BuildScanPyramid(scan.dib);
        ASSERT_NE(pyramid, nullptr);
        ASSERT_TRUE(pyramid->IsReducedWhenPainted(1));
        EXPECT_FALSE(pyramid->IsReducedWhenPainted(2));
        EXPECT_EQ(pyramid->Level(1), nullptr);
        EXPECT_EQ(pyramid->LevelSize(1), CSize(131, 67));
        EXPECT_LT(pyramid->Bytes(), dib.size() / 4) << "a kept first level alone takes a quarter";
        const Image whole = BoxHalf(Decoded(scan.dib));
        GlobalLockGuard lock(scan.dib);
        FirstLevelPart part;
        // Parts at odd places and of odd sizes, up to the odd right and
        // bottom edges where a pixel covers one column or row of the scan.
        for (const CRect& area : {CRect(0, 0, 131, 67), CRect(3, 5, 4, 6), CRect(57, 20, 131, 67),
                                  CRect(130, 66, 131, 67), CRect(1, 1, 100, 2)}) {
            ASSERT_TRUE(part.Reduce(lock.get(), lock.size(), area));
            ASSERT_EQ(DibCheckBlock(part.Block()), DibCheck::Ok);
            const Image got = Decoded(part.Block());
            ASSERT_EQ(got.width, area.Width());
            ASSERT_EQ(got.height, area.Height());
            for (int y = 0; y < got.height; ++y)
                for (int x = 0; x < got.width; ++x)
                    ASSERT_EQ(got.At(x, y), whole.At(area.left + x, area.top + y))
                        << "part from " << area.left << "," << area.top << " at " << x << "," << y;
        }
        for (const CRect& outside : {CRect(0, 0, 132, 67), CRect(0, 0, 131, 68), CRect(-1, 0, 9, 9),
                                     CRect(0, -1, 9, 9), CRect(5, 5, 5, 9)})
            EXPECT_FALSE(part.Reduce(lock.get(), lock.size(), outside))
                << outside.left << "," << outside.top << " to " << outside.right << ","
                << outside.bottom;
    }
    // Scans whose rows need turning into a level's keep their first level.
    const std::vector<BYTE> kept = Scan(261, 133, 8, Greys(256, true), index);
    testutil::OwnedDib scan(testutil::BlockOf(kept));
    const auto pyramid = BuildScanPyramid(scan.dib);
    ASSERT_NE(pyramid, nullptr);
    EXPECT_FALSE(pyramid->IsReducedWhenPainted(1));
    EXPECT_NE(pyramid->Level(1), nullptr);
    GlobalLockGuard lock(scan.dib);
    FirstLevelPart part;
    EXPECT_FALSE(part.Reduce(lock.get(), lock.size(), CRect(0, 0, 10, 10)));
}

TEST(ScanPyramid, AThinBlackLineOnWhiteTurnsGreyInsteadOfVanishing) {
    // One bit per pixel, the line in column 10 (of 256), as a scanner of
    // line art would give it.
    const auto line = [](int x, int) { return std::uint32_t(x != 10); };
    testutil::OwnedDib scan(testutil::BlockOf(Scan(256, 8, 1, {0x000000, 0xFFFFFF}, line)));
    const auto pyramid = BuildScanPyramid(scan.dib);
    ASSERT_NE(pyramid, nullptr);
    ASSERT_EQ(pyramid->LevelCount(), 2);
    // Half of 1/2, a quarter of 1/4 is black.
    EXPECT_EQ(Decoded(pyramid->Level(1)).At(5, 0), 0xFF808080u);
    EXPECT_EQ(Decoded(pyramid->Level(2)).At(2, 0), 0xFFC0C0C0u);
    EXPECT_EQ(Decoded(pyramid->Level(2)).At(3, 0), 0xFFFFFFFFu);
}

TEST(ScanPyramid, TwoColourScansBlendTheirOwnColours) {
    const std::uint32_t blue = 0x2040C0, yellow = 0xF0E010;
    const auto halves = [](int x, int y) { return std::uint32_t(x >= 128 ? 1 : (x + y) & 1); };
    testutil::OwnedDib scan(testutil::BlockOf(Scan(256, 4, 1, {blue, yellow}, halves)));
    const auto pyramid = BuildScanPyramid(scan.dib);
    ASSERT_NE(pyramid, nullptr);
    const Image level = Decoded(pyramid->Level(1));
    EXPECT_EQ(level.At(100, 0), 0xFF000000u | yellow) << "all colour 1";
    // A checkerboard of both: halfway, give or take the rounding.
    const std::uint32_t mixed = level.At(10, 0);
    for (int c = 0; c < 3; ++c) {
        const int a = (blue >> (8 * c)) & 0xFF, b = (yellow >> (8 * c)) & 0xFF;
        EXPECT_NEAR(int((mixed >> (8 * c)) & 0xFF), (a + b) / 2, 1) << "channel " << c;
    }
}

TEST(ScanPyramid, RunLengthScansAreReducedFromTheirDecodedColours) {
    // RLE8: per row, a run of 100 of colour 3 and a run of 99 of colour 200.
    std::vector<BYTE> stream;
    for (int y = 0; y < 90; ++y)
        stream.insert(stream.end(), {100, BYTE(3 + y % 2), 99, 200, 0, 0});
    stream.insert(stream.end(), {0, 1});
    std::vector<std::uint32_t> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[i] = std::uint32_t(i * 0x030507) & 0xFFFFFF;
    std::vector<BYTE> dib = Scan(199, 90, 8, colours, [](int, int) { return 0u; });
    dib.resize(40 + 1024);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
    header->biCompression = BI_RLE8;
    header->biSizeImage = DWORD(stream.size());
    dib.insert(dib.end(), stream.begin(), stream.end());
    ExpectBoxAverages(dib, 24, "RLE8");
}

TEST(ScanPyramid, ProgressRisesToTheEndAndCanStopTheBuild) {
    testutil::OwnedDib scan(testutil::BlockOf(Scan(400, 300, 24, {}, [](int x, int y) {
        return std::uint32_t(x * y);
    })));
    std::vector<double> seen;
    ASSERT_NE(BuildScanPyramid(scan.dib, [&](double done) {
                  seen.push_back(done);
                  return true;
              }),
              nullptr);
    ASSERT_GT(seen.size(), 10u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GE(seen.front(), 0.0);
    EXPECT_EQ(seen.back(), 1.0);
    for (std::size_t stopAt : {std::size_t{0}, seen.size() / 2, seen.size() - 1}) {
        std::size_t calls = 0;
        EXPECT_EQ(BuildScanPyramid(scan.dib, [&](double) { return calls++ < stopAt; }), nullptr)
            << "stopped at call " << stopAt;
        EXPECT_EQ(calls, stopAt + 1) << "no call after the one that stopped it";
    }
}

TEST(ScanPyramid, BlocksThatCannotBeShownGetNone) {
    std::vector<BYTE> dib = Scan(100, 100, 24, {}, [](int, int) { return 0u; });
    dib.resize(dib.size() - 1);
    testutil::OwnedDib cut(testutil::BlockOf(dib));
    EXPECT_EQ(BuildScanPyramid(cut.dib), nullptr);
    EXPECT_EQ(BuildScanPyramid(HDIB{nullptr}), nullptr);
    // A few bytes of run-length data may declare billions of pixels; their
    // levels would take gigabytes the scan itself does not.
    for (int height : {2, 0x7FFFFFFF}) {
        std::vector<BYTE> huge = Scan(1, 1, 8, std::vector<std::uint32_t>(256, 0x808080), [](int, int) {
            return 0u;
        });
        huge.resize(40 + 1024);
        auto* header = reinterpret_cast<BITMAPINFOHEADER*>(huge.data());
        header->biWidth = 0x7FFFFFFF;
        header->biHeight = height;
        header->biCompression = BI_RLE8;
        header->biSizeImage = 4;
        huge.insert(huge.end(), {2, 5, 0, 1});
        testutil::OwnedDib rle(testutil::BlockOf(huge));
        ASSERT_EQ(DibCheckBlock(rle.dib), DibCheck::Ok);
        EXPECT_EQ(BuildScanPyramid(rle.dib), nullptr) << "height " << height;
    }
}

TEST(ScanPyramid, TheDocumentKeepsTheLevelsOfItsCurrentPicture) {
    ScriptedServices services;
    CDibDoc doc;
    EXPECT_EQ(doc.GetPyramid(), nullptr);
    ASSERT_TRUE(doc.AcceptDibBlock(testutil::BlockOf(Scan(300, 100, 24, {}, [](int, int) {
        return 0x123456u;
    }))));
    ASSERT_NE(doc.GetPyramid(), nullptr);
    EXPECT_EQ(doc.GetPyramid()->LevelSize(1), CSize(150, 50));
    // A pasted picture brings its own.
    ASSERT_TRUE(doc.AcceptDibBlock(testutil::BlockOf(Scan(140, 60, 8, Greys(256), [](int, int) {
        return 9u;
    }))));
    ASSERT_NE(doc.GetPyramid(), nullptr);
    EXPECT_EQ(doc.GetPyramid()->LevelSize(1), CSize(70, 30));
    // Levels of a picture the document no longer has are dropped with it.
    doc.ReplaceDibBlock(testutil::BlockOf(Scan(300, 100, 24, {}, [](int, int) { return 0u; })));
    EXPECT_EQ(doc.GetPyramid(), nullptr);
    doc.BuildPyramid();
    ASSERT_NE(doc.GetPyramid(), nullptr);
    EXPECT_EQ(doc.GetPyramid()->LevelSize(1), CSize(150, 50));
}
