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

// Both pixels of each of four pairs of a row (24 bytes), gathered by
// shuffles and summed as 16-bit values: the low and the high eight bytes.
__attribute__((target("ssse3"))) inline void PairSums(const BYTE* row, __m128i* low,
                                                        __m128i* high) {
    const __m128i firstLow = _mm_setr_epi8(0, 1, 2, 6, 7, 8, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1);
    const __m128i firstHigh = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, 10, 11, 12, -1, -1, -1, -1);
    const __m128i secondLow = _mm_setr_epi8(3, 4, 5, 9, 10, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i secondHigh = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, 8, 9, 13, 14, 15, -1, -1, -1, -1);
    const __m128i zero = _mm_setzero_si128();
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 8));
    const __m128i first = _mm_or_si128(_mm_shuffle_epi8(v0, firstLow), _mm_shuffle_epi8(v1, firstHigh));
    const __m128i second = _mm_or_si128(_mm_shuffle_epi8(v0, secondLow), _mm_shuffle_epi8(v1, secondHigh));
    *low = _mm_add_epi16(_mm_unpacklo_epi8(first, zero), _mm_unpacklo_epi8(second, zero));
    *high = _mm_add_epi16(_mm_unpackhi_epi8(first, zero), _mm_unpackhi_epi8(second, zero));
}

// Four pixels of out per step. Each store writes 16 bytes for 12, so the
// loop stops while the 4 extra bytes still belong to pixels done after it;
// returns the pairs done.
__attribute__((target("ssse3"))) int HalveBgr24Ssse3(const BYTE* a, const BYTE* b, int pairs,
                                                       BYTE* out) {
    const __m128i two = _mm_set1_epi16(2);
    int x = 0;
    for (; x + 6 <= pairs; x += 4) {
        __m128i aLow, aHigh, bLow, bHigh;
        PairSums(a + 6 * std::size_t(x), &aLow, &aHigh);
        PairSums(b + 6 * std::size_t(x), &bLow, &bHigh);
        const __m128i low = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(aLow, bLow), two), 2);
        const __m128i high = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(aHigh, bHigh), two), 2);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * std::size_t(x)),
                         _mm_packus_epi16(low, high));
    }
    return x;
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

void HalveBgr24(const BYTE* a, const BYTE* b, int pairs, BYTE* out) {
    int x = 0;
#ifdef TRACEVU_PIXEL_ROWS_X86
    if (HasSsse3())
        x = HalveBgr24Ssse3(a, b, pairs, out);
#endif
    for (; x < pairs; ++x)
        for (int c = 0; c < 3; ++c) {
            const std::size_t i = 6 * std::size_t(x) + c;
            out[3 * std::size_t(x) + c] = BYTE((a[i] + a[i + 3] + b[i] + b[i + 3] + 2) >> 2);
        }
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
