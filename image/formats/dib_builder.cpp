#include "image/formats/dib_builder.h"

#include "platform/dib_types.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {
constexpr std::uint64_t kMaxSide = 0x7FFFFFFFu;
constexpr std::uint64_t kMaxBlock = 0xFFFFFFFFu;

std::uint64_t RowBytesFor(std::uint64_t width, int bits) {
    return (width * static_cast<std::uint64_t>(bits) + 31) / 32 * 4;
}
} // namespace

DibBuilder::~DibBuilder() {
    if (m_block) {
        GlobalUnlock(m_block);
        GlobalFree(m_block);
    }
}

DecodeFailure DibBuilder::CheckSize(std::uint64_t width, std::uint64_t height, int bits) {
    if (width == 0 || height == 0)
        return DecodeFailure::Corrupt;
    if (width > kMaxSide || height > kMaxSide)
        return DecodeFailure::TooLarge;
    const std::uint64_t row = RowBytesFor(width, bits);
    const std::uint64_t header = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD) +
                                 sizeof(BITMAPFILEHEADER);
    if (row > (kMaxBlock - header) / height)
        return DecodeFailure::TooLarge;
    return DecodeFailure::None;
}

DecodeFailure DibBuilder::Create(std::uint64_t width, std::uint64_t height, int bits,
                                 int colors) {
    if (bits != 1 && bits != 8 && bits != 24)
        return DecodeFailure::Corrupt;
    if (colors < 0 || colors > 256 || (bits < 24 && colors > (1 << bits)))
        return DecodeFailure::Corrupt;
    if (const DecodeFailure size = CheckSize(width, height, bits); size != DecodeFailure::None)
        return size;
    const std::size_t rowBytes = static_cast<std::size_t>(RowBytesFor(width, bits));
    const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(height);
    const std::size_t tableBytes = static_cast<std::size_t>(colors) * sizeof(RGBQUAD);
    HDIB block = GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + tableBytes + imageBytes);
    if (!block)
        return DecodeFailure::NoMemory;
    auto* base = static_cast<BYTE*>(GlobalLock(block));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(base);
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = static_cast<LONG>(width);
    header->biHeight = static_cast<LONG>(height);
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(imageBytes);
    header->biClrUsed = static_cast<DWORD>(colors);
    if (m_block) {
        GlobalUnlock(m_block);
        GlobalFree(m_block);
    }
    m_block = block;
    m_colors = reinterpret_cast<RGBQUAD*>(base + sizeof(BITMAPINFOHEADER));
    m_bits = base + sizeof(BITMAPINFOHEADER) + tableBytes;
    m_colorCount = colors;
    m_bitCount = bits;
    m_width = width;
    m_height = height;
    m_rowBytes = rowBytes;
    return DecodeFailure::None;
}

void DibBuilder::SetGreyPalette(bool minIsWhite) {
    const int last = m_colorCount - 1;
    for (int i = 0; i < m_colorCount; ++i) {
        const int level = last > 0 ? (i * 255 + last / 2) / last : 0;
        const BYTE v = static_cast<BYTE>(minIsWhite ? 255 - level : level);
        SetColor(i, v, v, v);
    }
}

void DibBuilder::SetColor(int index, BYTE red, BYTE green, BYTE blue) {
    if (index < 0 || index >= m_colorCount)
        return;
    m_colors[index] = RGBQUAD{blue, green, red, 0};
}

BYTE* DibBuilder::Row(std::uint64_t y) {
    if (!m_bits || y >= m_height)
        return nullptr;
    return m_bits + static_cast<std::size_t>(m_height - 1 - y) * m_rowBytes;
}

bool DibBuilder::ReportProgress(double done) {
    if (m_stopped || !m_progress || !*m_progress)
        return !m_stopped;
    const int percent = static_cast<int>(std::fmin(std::fmax(done, 0.0), 1.0) * 100.0);
    if (percent == m_lastPercent)
        return true;
    m_lastPercent = percent;
    m_stopped = !(*m_progress)(percent / 100.0);
    return !m_stopped;
}

bool DibBuilder::PollStop() {
    if (m_stopped || !m_progress || !*m_progress)
        return m_stopped;
    m_stopped = !(*m_progress)(std::max(m_lastPercent, 0) / 100.0);
    return m_stopped;
}

HDIB DibBuilder::Release() {
    HDIB block = m_block;
    if (block)
        GlobalUnlock(block);
    m_block = nullptr;
    m_bits = nullptr;
    m_colors = nullptr;
    return block;
}

namespace pixels {

#if defined(__x86_64__)
// Five pixels per shuffle; the sixteenth byte is the next pixel's red,
// which the next step (or the caller's last pixels) writes over. Returns
// the pixels done.
__attribute__((target("ssse3"))) static std::uint64_t RgbToBgrShuffled(const BYTE* rgb, BYTE* bgr,
                                                                        std::uint64_t width) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    std::uint64_t x = 0;
    for (; x + 6 <= width; x += 5, rgb += 15, bgr += 15) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), _mm_shuffle_epi8(in, order));
    }
    return x;
}
#endif

void RgbToBgr(const BYTE* rgb, BYTE* bgr, std::uint64_t width) {
    static_assert(std::endian::native == std::endian::little);
    std::uint64_t x = 0;
#if defined(__x86_64__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles) {
        x = RgbToBgrShuffled(rgb, bgr, width);
        rgb += 3 * x;
        bgr += 3 * x;
    }
#endif
    // Four pixels at a time as three little-endian words: a third faster
    // than byte by byte, and this runs over every pixel of a colour scan.
    //   in  r0 g0 b0 r1 | g1 b1 r2 g2 | b2 r3 g3 b3
    //   out b0 g0 r0 b1 | g1 r1 b2 g2 | r2 b3 g3 r3
    for (; x + 4 <= width; x += 4, rgb += 12, bgr += 12) {
        std::uint32_t w0, w1, w2;
        std::memcpy(&w0, rgb, 4);
        std::memcpy(&w1, rgb + 4, 4);
        std::memcpy(&w2, rgb + 8, 4);
        const std::uint32_t o0 =
            (w0 >> 16 & 0xFFu) | (w0 & 0xFF00u) | (w0 & 0xFFu) << 16 | (w1 >> 8 & 0xFFu) << 24;
        const std::uint32_t o1 =
            (w1 & 0xFFu) | (w0 >> 24) << 8 | (w2 & 0xFFu) << 16 | (w1 & 0xFF000000u);
        const std::uint32_t o2 =
            (w1 >> 16 & 0xFFu) | (w2 >> 24) << 8 | (w2 & 0xFF0000u) | (w2 >> 8 & 0xFFu) << 24;
        std::memcpy(bgr, &o0, 4);
        std::memcpy(bgr + 4, &o1, 4);
        std::memcpy(bgr + 8, &o2, 4);
    }
    for (; x < width; ++x, rgb += 3, bgr += 3) {
        bgr[0] = rgb[2];
        bgr[1] = rgb[1];
        bgr[2] = rgb[0];
    }
}

BYTE OverWhite(BYTE value, BYTE alpha) {
    return static_cast<BYTE>((value * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

void RgbaOverWhiteToBgr(const BYTE* rgba, BYTE* bgr, std::uint64_t width) {
    for (std::uint64_t x = 0; x < width; ++x, rgba += 4, bgr += 3) {
        bgr[0] = OverWhite(rgba[2], rgba[3]);
        bgr[1] = OverWhite(rgba[1], rgba[3]);
        bgr[2] = OverWhite(rgba[0], rgba[3]);
    }
}

void GreyAlphaOverWhite(const BYTE* ga, BYTE* grey, std::uint64_t width) {
    for (std::uint64_t x = 0; x < width; ++x, ga += 2)
        grey[x] = OverWhite(ga[0], ga[1]);
}

} // namespace pixels
