// Compiled with the vectoriser's full cost model, as the row conversions
// are (see CMakeLists.txt).
#include "platform/pixel_samples.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TRACEVU_PIXEL_SAMPLES_X86 1
#endif

namespace pixel_samples {
namespace {

constexpr std::int64_t kHalf = std::int64_t{1} << (kFractionBits - 1);

std::uint32_t PixelAt(const Picture& p, std::int64_t x, std::int64_t y) {
    const BYTE* b = p.top + y * p.stride + x * p.bytesPerPixel;
    return 0xFF000000u | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[1]} << 8) | b[0];
}

std::uint32_t Fraction8(std::int64_t v) { return static_cast<std::uint32_t>((v >> (kFractionBits - 8)) & 0xFF); }

void NearestPlain(const Picture& p, Run r, int from, std::uint32_t* out) {
    for (int k = from; k < r.count; ++k)
        out[k] = PixelAt(p, (r.u + k * r.du + kHalf) >> kFractionBits, (r.v + k * r.dv + kHalf) >> kFractionBits);
}

void BilinearPlain(const Picture& p, Run r, int from, std::uint32_t* out) {
    for (int k = from; k < r.count; ++k) {
        const std::int64_t u = r.u + k * r.du, v = r.v + k * r.dv;
        const std::int64_t x = u >> kFractionBits, y = v >> kFractionBits;
        const std::uint32_t fx = Fraction8(u);
        const std::uint32_t top = Mix(PixelAt(p, x, y), PixelAt(p, x + 1, y), fx);
        const std::uint32_t bottom = Mix(PixelAt(p, x, y + 1), PixelAt(p, x + 1, y + 1), fx);
        out[k] = Mix(top, bottom, Fraction8(v));
    }
}

#ifdef TRACEVU_PIXEL_SAMPLES_X86

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Whether the run's offsets from its first pixel fit the 32-bit lanes.
bool FitsLanes(const Picture& p, const Run& r) {
    constexpr std::int64_t kStep = std::int64_t{1} << 20; // 16 pixels a sample
    constexpr std::int64_t kStride = std::int64_t{1} << 22;
    return r.du > -kStep && r.du < kStep && r.dv > -kStep && r.dv < kStep && p.stride > -kStride &&
           p.stride < kStride;
}

// The positions of eight samples from sample `first`, relative to the
// pixel the run starts on; `bias` moves them by half a pixel for the
// nearest one.
struct Lanes {
    __m256i x, y, fx, fy;
};

__attribute__((target("avx2"))) Lanes LanesOf(const Run& r, std::int64_t bias, std::int64_t x0,
                                              std::int64_t y0, int first) {
    const __m256i k = _mm256_add_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(first));
    const auto u0 = static_cast<int>(r.u + bias - (x0 << kFractionBits));
    const auto v0 = static_cast<int>(r.v + bias - (y0 << kFractionBits));
    const __m256i u = _mm256_add_epi32(_mm256_set1_epi32(u0), _mm256_mullo_epi32(k, _mm256_set1_epi32(static_cast<int>(r.du))));
    const __m256i v = _mm256_add_epi32(_mm256_set1_epi32(v0), _mm256_mullo_epi32(k, _mm256_set1_epi32(static_cast<int>(r.dv))));
    const __m256i byte = _mm256_set1_epi32(0xFF);
    return {_mm256_srai_epi32(u, kFractionBits), _mm256_srai_epi32(v, kFractionBits),
            _mm256_and_si256(_mm256_srli_epi32(u, kFractionBits - 8), byte),
            _mm256_and_si256(_mm256_srli_epi32(v, kFractionBits - 8), byte)};
}

// Byte offsets of the lanes' pixels from `base`.
__attribute__((target("avx2"))) __m256i OffsetsOf(const Lanes& l, const Picture& p) {
    return _mm256_add_epi32(_mm256_mullo_epi32(l.y, _mm256_set1_epi32(static_cast<int>(p.stride))),
                            _mm256_mullo_epi32(l.x, _mm256_set1_epi32(p.bytesPerPixel)));
}

// Four bytes ending with each pixel's three, or a 32-bit pixel: its blue,
// green and red in the low three bytes.
__attribute__((target("avx2"))) __m256i Gather(const BYTE* base, __m256i offsets, int bytesPerPixel) {
    const __m256i words = _mm256_i32gather_epi32(reinterpret_cast<const int*>(base), offsets, 1);
    return bytesPerPixel == 3 ? _mm256_srli_epi32(words, 8) : words;
}

__attribute__((target("avx2"))) __m256i MixLanes(__m256i a, __m256i b, __m256i share) {
    const __m256i keep = _mm256_sub_epi32(_mm256_set1_epi32(256), share);
    const __m256i rbMask = _mm256_set1_epi32(0xFF00FF), gMask = _mm256_set1_epi32(0x00FF00);
    const __m256i rb = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(_mm256_and_si256(a, rbMask), keep),
                                          _mm256_mullo_epi32(_mm256_and_si256(b, rbMask), share)),
                         _mm256_set1_epi32(0x800080)),
        8);
    const __m256i g = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(_mm256_and_si256(a, gMask), keep),
                                          _mm256_mullo_epi32(_mm256_and_si256(b, gMask), share)),
                         _mm256_set1_epi32(0x008000)),
        8);
    return _mm256_or_si256(_mm256_set1_epi32(static_cast<int>(0xFF000000u)),
                           _mm256_or_si256(_mm256_and_si256(rb, rbMask), _mm256_and_si256(g, gMask)));
}

// The first pixel of the run, less the byte before it at 3 bytes a pixel.
const BYTE* BaseOf(const Picture& p, std::int64_t x0, std::int64_t y0) {
    return p.top + y0 * p.stride + x0 * p.bytesPerPixel - (p.bytesPerPixel == 3 ? 1 : 0);
}

// Samples done: a multiple of eight.
__attribute__((target("avx2"))) int NearestAvx2(const Picture& p, const Run& r, std::uint32_t* out) {
    const std::int64_t x0 = (r.u + kHalf) >> kFractionBits, y0 = (r.v + kHalf) >> kFractionBits;
    const BYTE* base = BaseOf(p, x0, y0);
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    int k = 0;
    for (; k + 8 <= r.count; k += 8) {
        const Lanes l = LanesOf(r, kHalf, x0, y0, k);
        const __m256i c = _mm256_or_si256(Gather(base, OffsetsOf(l, p), p.bytesPerPixel), opaque);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), c);
    }
    return k;
}

__attribute__((target("avx2"))) int BilinearAvx2(const Picture& p, const Run& r, std::uint32_t* out) {
    const std::int64_t x0 = r.u >> kFractionBits, y0 = r.v >> kFractionBits;
    const BYTE* base = BaseOf(p, x0, y0);
    const __m256i right = _mm256_set1_epi32(p.bytesPerPixel);
    const __m256i down = _mm256_set1_epi32(static_cast<int>(p.stride));
    int k = 0;
    for (; k + 8 <= r.count; k += 8) {
        const Lanes l = LanesOf(r, 0, x0, y0, k);
        const __m256i at = OffsetsOf(l, p);
        const __m256i below = _mm256_add_epi32(at, down);
        const __m256i top = MixLanes(Gather(base, at, p.bytesPerPixel),
                                     Gather(base, _mm256_add_epi32(at, right), p.bytesPerPixel), l.fx);
        const __m256i bottom = MixLanes(Gather(base, below, p.bytesPerPixel),
                                        Gather(base, _mm256_add_epi32(below, right), p.bytesPerPixel), l.fx);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), MixLanes(top, bottom, l.fy));
    }
    return k;
}

#endif

// The samples the vector version made (0 without one): a multiple of eight.
int InVectors([[maybe_unused]] bool bilinear, [[maybe_unused]] const Picture& picture,
              [[maybe_unused]] const Run& run, [[maybe_unused]] std::uint32_t* out) {
#ifdef TRACEVU_PIXEL_SAMPLES_X86
    if (HasAvx2() && FitsLanes(picture, run))
        return bilinear ? BilinearAvx2(picture, run, out) : NearestAvx2(picture, run, out);
#endif
    return 0;
}

} // namespace

void MixInto(std::uint32_t* out, const std::uint32_t* over, int count, std::uint32_t share) {
    for (int i = 0; i < count; ++i)
        out[i] = Mix(out[i], over[i], share);
}

void Nearest(const Picture& picture, const Run& run, std::uint32_t* out) {
    NearestPlain(picture, run, InVectors(false, picture, run, out), out);
}

void Bilinear(const Picture& picture, const Run& run, std::uint32_t* out) {
    BilinearPlain(picture, run, InVectors(true, picture, run, out), out);
}

} // namespace pixel_samples
