// The inner loops of painting a picture through a transform: runs of
// colours sampled at evenly stepped positions of a 24- or 32-bit picture,
// by nearest neighbour or bilinearly. The vector version, where the
// processor has one, gives the same colours as the plain one.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <cstdint>

namespace pixel_samples {

// Positions are in 1/65536 pixel, pixel k's centre at k.
constexpr int kFractionBits = 16;
constexpr int kLongestRun = 16;

// A picture of blue, green, red (and, at 4 bytes, an unused byte) pixels:
// row y starts at top + y * stride. At 3 bytes per pixel the byte before
// each pixel must be readable too (a DIB block's header lies before its
// pixels).
struct Picture {
    const BYTE* top;
    std::ptrdiff_t stride;
    int bytesPerPixel;
};

// Sample k of count (at most kLongestRun) lies at (u + k du, v + k dv).
struct Run {
    std::int64_t u, v, du, dv;
    int count;
};

// The colour (0xFFRRGGBB) of the pixel nearest each sample; every one must
// lie on the picture.
void Nearest(const Picture& picture, const Run& run, std::uint32_t* out);
// The bilinear blend of the 2 x 2 pixels around each sample, weighted in
// 1/256 steps: each sample's pixel and the ones right of and below it must
// lie on the picture.
void Bilinear(const Picture& picture, const Run& run, std::uint32_t* out);

// 0 to 256: the share of b. Channel by channel (a (256 - share) + b share +
// 128) / 256, rounded down.
inline std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t share) {
    const std::uint32_t keep = 256 - share;
    const std::uint32_t rb = ((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * share + 0x800080u) >> 8;
    const std::uint32_t g = ((a & 0x00FF00u) * keep + (b & 0x00FF00u) * share + 0x008000u) >> 8;
    return 0xFF000000u | (rb & 0xFF00FFu) | (g & 0x00FF00u);
}

// out[i] = Mix(out[i], over[i], share) for count colours.
void MixInto(std::uint32_t* out, const std::uint32_t* over, int count, std::uint32_t share);

} // namespace pixel_samples
