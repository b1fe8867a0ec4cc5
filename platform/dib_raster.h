// Turns DIB pixels into 32-bit colours (0xFFRRGGBB), for the device contexts
// that show them. Every bit depth and compression a scanner or image program
// writes is understood; every read stays inside the bytes given.
#pragma once

#include "platform/dib_types.h"

#include <cstddef>
#include <cstdint>

struct DibPixels {
    const BITMAPINFO* info = nullptr; // header with the colour table after it
    std::size_t infoBytes = 0;        // bytes readable from info (header + table)
    const void* bits = nullptr;
    std::size_t bitsBytes = 0;
};

// Decodes the rectangle (x, y, width, height) of the picture, with y counted
// from the top row of the picture as shown, into out (width * height
// colours, rows of outStride colours). Parts of the rectangle outside the
// picture, or pixels the data do not cover, come out black. False when the
// header cannot be decoded at all.
bool DecodeDibRect(const DibPixels& dib, int x, int y, int width, int height, std::uint32_t* out,
                   std::ptrdiff_t outStride);

// Decodes a grid of single pixels: out row j, column i gets the pixel at
// (columns[i], rows[j]), y counted from the top row as shown. Both lists
// must be in ascending order (repeats allowed); coordinates outside the
// picture come out black. Only the rows and columns named are decoded, and
// run-length data before a named row are stepped over without being
// expanded. False when the header cannot be decoded at all.
bool DecodeDibSamples(const DibPixels& dib, const std::int64_t* columns, int columnCount,
                      const std::int64_t* rows, int rowCount, std::uint32_t* out,
                      std::ptrdiff_t outStride);

// Width and height of a picture the decoder understands; false otherwise.
bool DescribeDibPixels(const DibPixels& dib, int* width, int* height);

// Bytes that the header, its colour masks and its colour table take, as the
// header itself states them (for callers that were handed a header whose
// table the caller has already checked). 0 when the size field is unknown.
std::size_t DibInfoBytes(const BITMAPINFO* info);
