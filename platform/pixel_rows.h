// The inner loops of turning stored DIB pixels into 0xFFRRGGBB colours, one
// run of a row at a time. They carry the time of every painted frame, so
// each is written for the vector units (and compiled for them); results
// are the same on every processor.
#pragma once

#include "platform/types.h"

#include <cstdint>

namespace pixel_rows {

// count pixels of blue, green, red bytes.
void Bgr24(const BYTE* src, int count, std::uint32_t* out);
// count pixels of blue, green, red and an unused byte.
void Bgrx32(const BYTE* src, int count, std::uint32_t* out);
// count palette indexes, one byte each.
void Index8(const BYTE* src, int count, const std::uint32_t* palette, std::uint32_t* out);
// count grey levels, one byte each (a palette whose entry i is grey i).
void Grey8(const BYTE* src, int count, std::uint32_t* out);
// Pixels x0 .. x0 + count - 1 of a row of one bit per pixel, the first
// pixel in the top bit of each byte.
void Bits1(const BYTE* row, int x0, int count, const std::uint32_t palette[2],
           std::uint32_t* out);
// The same for four bits per pixel, the first pixel in the high half.
void Bits4(const BYTE* row, int x0, int count, const std::uint32_t* palette,
           std::uint32_t* out);

// The 2 x 2 box averages of `pairs` pairs of pixels of blue, green, red
// bytes on two rows, a and b: channel c of pixel x of out is
// (a[6x + c] + a[6x + 3 + c] + b[6x + c] + b[6x + 3 + c] + 2) / 4.
void HalveBgr24(const BYTE* a, const BYTE* b, int pairs, BYTE* out);

// Whether entries 0 .. 255 of the palette are the grey ramp (entry i is
// grey level i), which Grey8 shows without a look-up.
bool IsGreyRamp(const std::uint32_t* palette);

} // namespace pixel_rows
