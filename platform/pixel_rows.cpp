// Compiled with the vectoriser's full cost model (see CMakeLists.txt): the
// loops below are written so that it turns them into vector code, and the
// 24-bit one, which needs a byte shuffle the baseline instruction set lacks,
// has a hand-written version for processors that have it.
#include "platform/pixel_rows.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TRACEVU_PIXEL_ROWS_X86 1
#endif

namespace pixel_rows {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t Bgr(const BYTE* p) {
    return kOpaque | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

// Pixels from `from` on, one at a time, reading only their own three bytes
// except for a fourth that still lies inside the run.
void Bgr24Portable(const BYTE* src, int from, int count, std::uint32_t* out) {
    int i = from;
    for (; i + 1 < count; ++i) {
        std::uint32_t v;
        std::memcpy(&v, src + 3 * std::size_t(i), 4);
        out[i] = v | kOpaque;
    }
    for (; i < count; ++i)
        out[i] = Bgr(src + 3 * std::size_t(i));
}

#ifdef TRACEVU_PIXEL_ROWS_X86
// Four pixels per shuffle. Each load takes 16 bytes for 12, so the loop
// stops while the 4 extra bytes still belong to the run; returns the
// pixels done.
__attribute__((target("ssse3"))) int Bgr24Ssse3(const BYTE* src, int count, std::uint32_t* out) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    int i = 0;
    for (; i + 6 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * std::size_t(i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_or_si128(_mm_shuffle_epi8(v, spread), opaque));
    }
    return i;
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

} // namespace

void Bgr24(const BYTE* src, int count, std::uint32_t* out) {
    int done = 0;
#ifdef TRACEVU_PIXEL_ROWS_X86
    if (HasSsse3())
        done = Bgr24Ssse3(src, count, out);
#endif
    Bgr24Portable(src, done, count, out);
}

void Bgrx32(const BYTE* src, int count, std::uint32_t* out) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t v;
        std::memcpy(&v, src + 4 * std::size_t(i), 4);
        out[i] = v | kOpaque;
    }
}

void Index8(const BYTE* src, int count, const std::uint32_t* palette, std::uint32_t* out) {
    // Four indexes per load keep the loop on the look-ups.
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint32_t v;
        std::memcpy(&v, src + i, 4);
        out[i] = palette[v & 0xFF];
        out[i + 1] = palette[(v >> 8) & 0xFF];
        out[i + 2] = palette[(v >> 16) & 0xFF];
        out[i + 3] = palette[v >> 24];
    }
    for (; i < count; ++i)
        out[i] = palette[src[i]];
}

void Grey8(const BYTE* src, int count, std::uint32_t* out) {
    for (int i = 0; i < count; ++i)
        out[i] = kOpaque | (std::uint32_t{src[i]} * 0x010101u);
}

void Bits1(const BYTE* row, int x0, int count, const std::uint32_t palette[2],
           std::uint32_t* out) {
    const std::uint32_t zero = palette[0], one = palette[1];
    const auto pixel = [&](int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1 ? one : zero; };
    const int end = x0 + count;
    int x = x0;
    for (; x < end && (x & 7); ++x)
        *out++ = pixel(x);
    // Whole bytes: eight pixels each, chosen without a branch.
    for (; x + 8 <= end; x += 8, out += 8) {
        const unsigned b = row[x >> 3];
        for (int k = 0; k < 8; ++k)
            out[k] = (b & (0x80u >> k)) ? one : zero;
    }
    for (; x < end; ++x)
        *out++ = pixel(x);
}

void Bits4(const BYTE* row, int x0, int count, const std::uint32_t* palette,
           std::uint32_t* out) {
    const int end = x0 + count;
    int x = x0;
    if (x < end && (x & 1))
        *out++ = palette[row[x++ >> 1] & 0x0F];
    for (; x + 2 <= end; x += 2, out += 2) {
        const BYTE b = row[x >> 1];
        out[0] = palette[b >> 4];
        out[1] = palette[b & 0x0F];
    }
    if (x < end)
        *out = palette[row[x >> 1] >> 4];
}

bool IsGreyRamp(const std::uint32_t* palette) {
    for (std::uint32_t i = 0; i < 256; ++i)
        if (palette[i] != (kOpaque | (i * 0x010101u)))
            return false;
    return true;
}

} // namespace pixel_rows
