// Builds a DIB block of a known size and depth row by row, in the order
// decoders produce rows (top first), into the bottom-up layout of a DIB.
#pragma once

#include "image/formats/image_format.h"

#include <cstdint>

class DibBuilder {
  public:
    DibBuilder() = default;
    ~DibBuilder();
    DibBuilder(const DibBuilder&) = delete;
    DibBuilder& operator=(const DibBuilder&) = delete;

    // The limits every decoded block keeps: width and height from 1 to
    // 2^31 - 1, and pixel data that a BMP file's 32-bit size fields can
    // still describe.
    static DecodeFailure CheckSize(std::uint64_t width, std::uint64_t height, int bits);

    // Allocates a zero-filled block of 1, 8 or 24 bits per pixel, with
    // `colors` colour-table entries (0 to 256; 0 for 24 bits) that start
    // black. TooLarge or NoMemory leave nothing allocated.
    DecodeFailure Create(std::uint64_t width, std::uint64_t height, int bits, int colors);
    // A 256-entry grey ramp (8 bits) or black and white (1 bit);
    // minIsWhite reverses it.
    void SetGreyPalette(bool minIsWhite = false);
    void SetColor(int index, BYTE red, BYTE green, BYTE blue);

    std::uint64_t Width() const { return m_width; }
    std::uint64_t Height() const { return m_height; }
    std::size_t RowBytes() const { return m_rowBytes; }
    // Row y counted from the top: RowBytes() bytes, BGR for 24 bits, the
    // most significant bit leftmost for 1 bit. Null outside the picture.
    BYTE* Row(std::uint64_t y);

    // Reports progress through `progress`, at most once per percent.
    // False once the callback has asked to stop: the reader then gives up
    // (the block is freed with the builder).
    void SetProgress(const DecodeProgress* progress) { m_progress = progress; }
    bool ReportProgress(double done);
    // Asks the callback again, with the share last reported, whether to
    // stop: for long stretches that report no rows. True to stop.
    bool PollStop();
    bool Stopped() const { return m_stopped; }

    // Hands the finished block over to the caller.
    HDIB Release();

  private:
    HDIB m_block = nullptr;
    BYTE* m_bits = nullptr;
    RGBQUAD* m_colors = nullptr;
    int m_colorCount = 0;
    int m_bitCount = 0;
    std::uint64_t m_width = 0;
    std::uint64_t m_height = 0;
    std::size_t m_rowBytes = 0;
    const DecodeProgress* m_progress = nullptr;
    int m_lastPercent = -1;
    bool m_stopped = false;
};

// Pixel conversions the readers share. Each converts one row of `width`
// pixels.
namespace pixels {
// 16-bit samples, most significant byte first, to 8 bits, v / 257 rounded
// down: what the PNG reader and image programs' 8-bit exports give, so that
// one 16-bit picture comes out alike from every format.
inline BYTE From16(unsigned high, unsigned low) {
    return static_cast<BYTE>((high << 8 | low) / 257u);
}
// RGB to the DIB's BGR.
void RgbToBgr(const BYTE* rgb, BYTE* bgr, std::uint64_t width);
// RGBA or grey-alpha over a white background (alpha 255 is opaque).
BYTE OverWhite(BYTE value, BYTE alpha);
void RgbaOverWhiteToBgr(const BYTE* rgba, BYTE* bgr, std::uint64_t width);
void GreyAlphaOverWhite(const BYTE* ga, BYTE* grey, std::uint64_t width);
} // namespace pixels
