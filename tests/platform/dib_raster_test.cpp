// The row decoder against a plain pixel-by-pixel reading of the same bytes:
// every uncompressed depth, widths around the byte and vector boundaries,
// rectangles starting inside a byte, reaching past the picture, and data
// cut short in the middle of a row.
#include "platform/dib_raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kUntouched = 0x12345678u;

enum class Palette { None, Grey, Colour };

struct Picture {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    bool topDown = false;
    std::vector<BYTE> info; // header and colour table
    std::vector<std::uint32_t> colours;
    std::vector<BYTE> bits;
    std::size_t stride = 0;

    DibPixels Pixels(std::size_t bitsBytes) const {
        return DibPixels{reinterpret_cast<const BITMAPINFO*>(info.data()), info.size(),
                         bits.data(), bitsBytes};
    }
};

Picture Make(int width, int height, int bitCount, Palette palette, bool topDown,
             std::mt19937& random) {
    Picture pic;
    pic.width = width;
    pic.height = height;
    pic.bitCount = bitCount;
    pic.topDown = topDown;
    pic.stride = (std::size_t(width) * bitCount + 31) / 32 * 4;
    BITMAPINFOHEADER header{40, width, topDown ? -height : height, 1, WORD(bitCount), BI_RGB,
                            DWORD(pic.stride * height), 0, 0, 0, 0};
    pic.info.resize(sizeof header);
    std::memcpy(pic.info.data(), &header, sizeof header);
    if (bitCount <= 8) {
        const int count = 1 << bitCount;
        for (int i = 0; i < count; ++i) {
            // A grey table of 256 entries is the ramp the decoder shows
            // without a look-up; smaller ones are greys too.
            const BYTE grey = BYTE(bitCount == 8 ? i : i * 255 / (count - 1));
            const BYTE b = palette == Palette::Grey ? grey : BYTE(random());
            const BYTE g = palette == Palette::Grey ? grey : BYTE(random());
            const BYTE r = palette == Palette::Grey ? grey : BYTE(random());
            pic.info.insert(pic.info.end(), {b, g, r, 0});
            pic.colours.push_back(kBlack | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b);
        }
    }
    pic.bits.resize(pic.stride * height);
    for (BYTE& byte : pic.bits)
        byte = BYTE(random());
    return pic;
}

// The colour of pixel (x, y), y from the top, read bit by bit; black outside
// the picture and where the pixel's bytes are not all in the data.
std::uint32_t Reference(const Picture& pic, std::size_t bitsBytes, std::int64_t x, std::int64_t y) {
    if (x < 0 || y < 0 || x >= pic.width || y >= pic.height)
        return kBlack;
    const std::size_t row = std::size_t(pic.topDown ? y : pic.height - 1 - y);
    const std::size_t firstBit = row * pic.stride * 8 + std::size_t(x) * pic.bitCount;
    if (firstBit + pic.bitCount > bitsBytes * 8)
        return kBlack;
    const BYTE* p = pic.bits.data() + firstBit / 8;
    switch (pic.bitCount) {
    case 1:
    case 4: {
        const int shift = 8 - pic.bitCount - int(firstBit % 8);
        return pic.colours[(p[0] >> shift) & ((1 << pic.bitCount) - 1)];
    }
    case 8:
        return pic.colours[p[0]];
    case 16: {
        const unsigned v = p[0] | (p[1] << 8);
        const auto five = [](unsigned c) { return (c * 255 + 15) / 31; };
        return kBlack | (five((v >> 10) & 31) << 16) | (five((v >> 5) & 31) << 8) | five(v & 31);
    }
    default: // 24 and 32: blue, green, red
        return kBlack | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
}

// Decodes every rectangle from the list of starts and sizes and compares it
// pixel for pixel; the output's stride is wider than the rectangle, and
// what lies beyond the rectangle must stay as it was.
void ExpectRectanglesMatch(const Picture& pic, std::size_t bitsBytes, const std::string& name) {
    const DibPixels pixels = pic.Pixels(bitsBytes);
    const std::vector<int> xs = {-9, -1, 0, 1, 3, 5, 7, 8, 9, pic.width / 2, pic.width - 1,
                                 pic.width, pic.width + 2};
    const std::vector<int> widths = {1, 2, 3, 5, 6, 7, 8, 9, 15, 16, 17, 33, pic.width,
                                     pic.width + 20};
    for (int x : xs)
        for (int w : widths)
            for (int y : {-2, 0, 1}) {
                const int h = pic.height + 1;
                const std::ptrdiff_t stride = w + 3;
                std::vector<std::uint32_t> out(std::size_t(stride) * h, kUntouched);
                ASSERT_TRUE(DecodeDibRect(pixels, x, y, w, h, out.data(), stride));
                for (int j = 0; j < h; ++j) {
                    for (int i = 0; i < w; ++i)
                        ASSERT_EQ(out[std::size_t(j * stride + i)], Reference(pic, bitsBytes, x + i, y + j))
                            << name << " rect " << x << "," << y << " " << w << "x" << h
                            << " pixel " << i << "," << j;
                    for (int i = w; i < stride; ++i)
                        ASSERT_EQ(out[std::size_t(j * stride + i)], kUntouched) << name;
                }
            }
}

} // namespace

TEST(DibRaster, EveryDepthMatchesAPixelByPixelReading) {
    std::mt19937 random(12);
    const struct {
        int bitCount;
        Palette palette;
        const char* name;
    } kinds[] = {{1, Palette::Colour, "1-bit"},     {1, Palette::Grey, "1-bit grey"},
                 {4, Palette::Colour, "4-bit"},     {8, Palette::Colour, "8-bit"},
                 {8, Palette::Grey, "8-bit grey"}, {16, Palette::None, "16-bit"},
                 {24, Palette::None, "24-bit"},     {32, Palette::None, "32-bit"}};
    for (const auto& kind : kinds)
        for (int width : {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 33, 47, 70})
            for (bool topDown : {false, true}) {
                const Picture pic = Make(width, 3, kind.bitCount, kind.palette, topDown, random);
                const std::string name = std::string(kind.name) + " width " + std::to_string(width) +
                                         (topDown ? " top-down" : "");
                ExpectRectanglesMatch(pic, pic.bits.size(), name);
            }
}

TEST(DibRaster, DataCutShortLeaveTheMissingPixelsBlack) {
    std::mt19937 random(34);
    for (int bitCount : {1, 4, 8, 24, 32})
        for (int width : {9, 33, 70}) {
            const Picture pic = Make(width, 3, bitCount, Palette::Colour, false, random);
            const std::size_t full = pic.bits.size();
            // Cut in the middle of the stored first row (the bottom one), of
            // the last row, and inside a pixel of 24 bits.
            for (std::size_t bytes : {std::size_t{0}, std::size_t{1}, pic.stride / 2 + 1,
                                      pic.stride + 2, full - pic.stride / 2, full - 1}) {
                const std::string name = std::to_string(bitCount) + "-bit width " +
                                         std::to_string(width) + " cut to " + std::to_string(bytes);
                ExpectRectanglesMatch(pic, bytes, name);
            }
        }
}
