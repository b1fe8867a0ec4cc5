#include "image/other_side_paint.h"

#include "image/scan_paint.h"
#include "image/scan_pyramid.h"
#include "platform/dib_raster.h"
#include "platform/pixel_rows.h"
#include "platform/pixel_samples.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

using registration::Transform;

SidePixels::SidePixels(HDIB dib) : m_dib(dib), m_locked(GlobalLock(dib)) {
    if (!m_locked)
        return;
    const std::size_t bytes = GlobalSize(dib);
    if (DibCheckBlock(m_locked, bytes) != DibCheck::Ok || !AttachInPlace(m_locked, bytes))
        if (!Decode(m_locked, bytes))
            m_width = m_height = 0;
}

SidePixels::~SidePixels() {
    if (m_locked)
        GlobalUnlock(m_dib);
}

bool SidePixels::AttachInPlace(const void* block, std::size_t bytes) {
    const auto* header = static_cast<const BITMAPINFOHEADER*>(block);
    if (bytes < sizeof(BITMAPINFOHEADER) || header->biSize != sizeof(BITMAPINFOHEADER) ||
        header->biCompression != BI_RGB || header->biHeight <= 0 || header->biWidth <= 0)
        return false;
    const int bits = header->biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return false;
    const std::int64_t width = header->biWidth, height = header->biHeight;
    const std::int64_t rowBytes = ((width * bits + 31) / 32) * 4;
    const BYTE* pixels = DibPixelData(block);
    const std::size_t offset = static_cast<std::size_t>(pixels - static_cast<const BYTE*>(block));
    if (offset > bytes || static_cast<std::uint64_t>(rowBytes * height) > bytes - offset)
        return false;
    if (bits <= 8) {
        const WORD colors = DibColorCount(block);
        const auto* table = reinterpret_cast<const RGBQUAD*>(static_cast<const BYTE*>(block) +
                                                               header->biSize + DibMaskBytes(block));
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD q = i < colors ? table[i] : RGBQUAD{0, 0, 0, 0};
            m_palette[i] = 0xFF000000u | (std::uint32_t{q.rgbRed} << 16) |
                           (std::uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
        }
    }
    m_kind = bits == 1   ? Kind::Bits1
             : bits == 4 ? Kind::Bits4
             : bits == 8 ? Kind::Index8
             : bits == 24 ? Kind::Bgr24
                          : Kind::Bgrx32;
    // Rows are stored bottom-up.
    m_top = pixels + (height - 1) * rowBytes;
    m_stride = -rowBytes;
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    return true;
}

std::uint32_t SidePixels::At(int x, int y) const {
    const BYTE* row = Row(y);
    switch (m_kind) {
    case Kind::Bits1: return Read<Kind::Bits1>(row, x, m_palette);
    case Kind::Bits4: return Read<Kind::Bits4>(row, x, m_palette);
    case Kind::Index8: return Read<Kind::Index8>(row, x, m_palette);
    case Kind::Bgr24: return Read<Kind::Bgr24>(row, x, m_palette);
    case Kind::Bgrx32: return Read<Kind::Bgrx32>(row, x, m_palette);
    }
    return 0;
}

bool SidePixels::Decode(const void* block, std::size_t bytes) {
    const auto* info = static_cast<const BITMAPINFO*>(block);
    const std::size_t infoBytes = std::min(bytes, DibInfoBytes(info));
    if (bytes < sizeof(BITMAPINFOHEADER) || infoBytes == 0)
        return false;
    const BYTE* bits = DibPixelData(block);
    const std::size_t offset = static_cast<std::size_t>(bits - static_cast<const BYTE*>(block));
    if (offset > bytes)
        return false;
    const DibPixels dib{info, infoBytes, bits, bytes - offset};
    int width = 0, height = 0;
    if (!DescribeDibPixels(dib, &width, &height) || width <= 0 || height <= 0)
        return false;
    try {
        m_decoded.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!DecodeDibRect(dib, 0, 0, width, height, m_decoded.data(), width))
        return false;
    m_kind = Kind::Bgrx32;
    m_top = reinterpret_cast<const BYTE*>(m_decoded.data());
    m_stride = static_cast<std::ptrdiff_t>(width) * 4;
    m_width = width;
    m_height = height;
    return true;
}

namespace {

using Kind = SidePixels::Kind;

using pixel_samples::Mix;

// Positions on a side's scan in 1/65536 pixel, pixel k's centre at k.
using Fixed = std::int64_t;
constexpr int kFractionBits = pixel_samples::kFractionBits;
constexpr Fixed kOne = Fixed{1} << kFractionBits;
constexpr Fixed kHalf = kOne / 2;
// Far beyond any scan, and well inside the range of Fixed.
constexpr double kFarOff = 1e12;

Fixed ToFixed(double v) {
    if (!(v > -kFarOff))
        v = -kFarOff;
    else if (!(v < kFarOff))
        v = kFarOff;
    // Rounded half away from zero, without a library call.
    const double scaled = v * static_cast<double>(kOne);
    return static_cast<Fixed>(scaled + (scaled < 0 ? -0.5 : 0.5));
}

int Whole(Fixed v) { return static_cast<int>(v >> kFractionBits); }
std::uint32_t Fraction8(Fixed v) { return static_cast<std::uint32_t>((v >> (kFractionBits - 8)) & 0xFF); }

// The blend of a pixel, the one right of it and the two below them, at
// (u, v) among them.
std::uint32_t BlendOfFour(std::uint32_t topLeft, std::uint32_t topRight, std::uint32_t bottomLeft,
                          std::uint32_t bottomRight, Fixed u, Fixed v) {
    return Mix(Mix(topLeft, topRight, Fraction8(u)), Mix(bottomLeft, bottomRight, Fraction8(u)), Fraction8(v));
}

// The side's colour at (u, v), or false where it has none; for the pixels
// near the scan's edges, where each must be checked.
template <bool Bilinear>
bool SampleAtEdge(const SidePixels& side, Fixed u, Fixed v, std::uint32_t* colour) {
    const Fixed w = side.Width(), h = side.Height();
    if (Bilinear && u >= 0 && v >= 0 && u <= (w - 1) * kOne && v <= (h - 1) * kOne) {
        const int x0 = Whole(u), y0 = Whole(v);
        const int x1 = std::min(x0 + 1, side.Width() - 1), y1 = std::min(y0 + 1, side.Height() - 1);
        *colour = BlendOfFour(side.At(x0, y0), side.At(x1, y0), side.At(x0, y1), side.At(x1, y1), u, v);
        return true;
    }
    const Fixed x = (u + kHalf) >> kFractionBits, y = (v + kHalf) >> kFractionBits;
    if (x < 0 || y < 0 || x >= w || y >= h)
        return false;
    *colour = side.At(static_cast<int>(x), static_cast<int>(y));
    return true;
}

// Whether every sample from (u, v) to (uEnd, vEnd) reads pixels of the
// scan, with no check needed.
template <bool Bilinear>
bool WithinScan(const SidePixels& side, Fixed u, Fixed v, Fixed uEnd, Fixed vEnd) {
    const auto inside = [](Fixed a, Fixed low, Fixed high) { return a >= low && a < high; };
    const Fixed w = side.Width(), h = side.Height();
    if constexpr (Bilinear)
        return inside(u, 0, (w - 1) * kOne) && inside(uEnd, 0, (w - 1) * kOne) &&
               inside(v, 0, (h - 1) * kOne) && inside(vEnd, 0, (h - 1) * kOne);
    else
        return inside(u, -kHalf, w * kOne - kHalf) && inside(uEnd, -kHalf, w * kOne - kHalf) &&
               inside(v, -kHalf, h * kOne - kHalf) && inside(vEnd, -kHalf, h * kOne - kHalf);
}

template <Kind K, bool Bilinear>
std::uint32_t SampleWithin(const SidePixels& side, Fixed u, Fixed v) {
    const std::uint32_t* palette = side.Palette();
    if constexpr (Bilinear) {
        const int x = Whole(u), y = Whole(v);
        const BYTE* row0 = side.Row(y);
        const BYTE* row1 = side.Row(y + 1);
        return BlendOfFour(SidePixels::Read<K>(row0, x, palette), SidePixels::Read<K>(row0, x + 1, palette),
                           SidePixels::Read<K>(row1, x, palette), SidePixels::Read<K>(row1, x + 1, palette), u, v);
    } else {
        return SidePixels::Read<K>(side.Row(Whole(v + kHalf)), Whole(u + kHalf), palette);
    }
}

// The homogeneous coordinates of the side pixel under a row's pixels,
// stepped along the row.
struct RowWalk {
    double x, y, w, dx, dy, dw;
    double U() const { return x / w; }
    double V() const { return y / w; }
    void Step(int n) {
        x += n * dx;
        y += n * dy;
        w += n * dw;
    }
    // Whether the row reads the side's pixels one for one, from a whole pixel.
    bool IsCopy() const {
        return dw == 0 && w == 1 && dx == 1 && dy == 0 && x == std::floor(x) && y == std::floor(y) &&
               std::abs(x) < kFarOff && std::abs(y) < kFarOff;
    }
};

RowWalk StartRow(const Transform& t, double fx, double fy, double step) {
    return {t[0] * fx + t[1] * fy + t[2], t[3] * fx + t[4] * fy + t[5], t[6] * fx + t[7] * fy + t[8],
            t[0] * step, t[3] * step, t[6] * step};
}

// Samples made at a time.
constexpr int kRun = pixel_samples::kLongestRun;

// What becomes of a row's sampled colours: stored, or blended over what the
// row holds.
struct Store {
    std::uint32_t* out;
    void operator()(int i, std::uint32_t c) const { out[i] = c; }
};
struct BlendOver {
    std::uint32_t* out;
    std::uint32_t share;
    void operator()(int i, std::uint32_t c) const { out[i] = Mix(out[i], c, share); }
};

// Samples n (at most kRun) pixels of a row from i on, at (u, v) stepped by
// (du, dv).
template <Kind K, bool Bilinear, typename Put>
void SampleRun(const SidePixels& side, Fixed u, Fixed v, Fixed du, Fixed dv, int n, Put put, int i) {
    if (WithinScan<Bilinear>(side, u, v, u + (n - 1) * du, v + (n - 1) * dv)) {
        if constexpr (K == Kind::Bgr24 || K == Kind::Bgrx32) {
            const pixel_samples::Picture picture{side.Row(0), side.Stride(), K == Kind::Bgr24 ? 3 : 4};
            std::uint32_t made[kRun];
            std::uint32_t* colours = std::is_same_v<Put, Store> ? put.out + i : made;
            if constexpr (Bilinear)
                pixel_samples::Bilinear(picture, {u, v, du, dv, n}, colours);
            else
                pixel_samples::Nearest(picture, {u, v, du, dv, n}, colours);
            if constexpr (!std::is_same_v<Put, Store>)
                pixel_samples::MixInto(put.out + i, colours, n, put.share);
        } else {
            for (int k = 0; k < n; ++k, u += du, v += dv)
                put(i + k, SampleWithin<K, Bilinear>(side, u, v));
        }
        return;
    }
    for (int k = 0; k < n; ++k, u += du, v += dv) {
        std::uint32_t c;
        if (SampleAtEdge<Bilinear>(side, u, v, &c))
            put(i + k, c);
    }
}

// Samples are placed exactly at the ends of spans of 2^spanBits pixels and
// linearly in between.
template <Kind K, bool Bilinear, typename Put>
void WalkRow(const SidePixels& side, RowWalk walk, int count, int spanBits, Put put) {
    const int span = 1 << spanBits;
    for (int i = 0; i < count; i += span) {
        const int n = std::min(span, count - i);
        Fixed u = ToFixed(walk.U()), v = ToFixed(walk.V());
        walk.Step(n);
        // A whole span's steps are shifted rather than divided; rounded down
        // either way, each lies between the span's ends.
        const Fixed du = n == span ? (ToFixed(walk.U()) - u) >> spanBits : (ToFixed(walk.U()) - u) / n;
        const Fixed dv = n == span ? (ToFixed(walk.V()) - v) >> spanBits : (ToFixed(walk.V()) - v) / n;
        for (int k = 0; k < n; k += kRun) {
            const int m = std::min(kRun, n - k);
            SampleRun<K, Bilinear>(side, u, v, du, dv, m, put, i + k);
            u += m * du;
            v += m * dv;
        }
    }
}

// How long a row's spans may be: a perspective bends the row's path over
// the scan, and a span's samples may stray from it by a hundredth of a
// pixel at most. An affine transform does not bend it at all.
int SpanBits(const RowWalk& walk, int count) {
    constexpr int kShortest = 4, kLongest = 8;
    constexpr double kStray = 0.01;
    const double w = std::min(std::abs(walk.w), std::abs(walk.w + count * walk.dw));
    if (walk.dw == 0)
        return kLongest;
    if (!(w > 0))
        return kShortest;
    const double slope = std::max(std::abs(walk.dx * walk.w - walk.x * walk.dw),
                                  std::abs(walk.dy * walk.w - walk.y * walk.dw)) / (w * w);
    const double bend = 2 * std::abs(walk.dw) / w * slope; // the path's second derivative
    // A span of length L strays by bend L^2 / 8 from the path.
    const double longest = std::sqrt(8 * kStray / bend);
    if (!(longest >= 1 << kShortest))
        return kShortest;
    return std::min(kLongest, static_cast<int>(std::floor(std::log2(std::min(longest, 1e6)))));
}

// Pixels x .. x + count - 1 of row y, which all lie on the scan.
void ConvertRow(const SidePixels& side, int y, int x, int count, std::uint32_t* out) {
    const BYTE* row = side.Row(y);
    const std::size_t at = static_cast<std::size_t>(x);
    switch (side.GetKind()) {
    case Kind::Bits1: pixel_rows::Bits1(row, x, count, side.Palette(), out); break;
    case Kind::Bits4: pixel_rows::Bits4(row, x, count, side.Palette(), out); break;
    case Kind::Index8: pixel_rows::Index8(row + at, count, side.Palette(), out); break;
    case Kind::Bgr24: pixel_rows::Bgr24(row + 3 * at, count, out); break;
    case Kind::Bgrx32: pixel_rows::Bgrx32(row + 4 * at, count, out); break;
    }
}

// A row that reads the side one for one: its part on the scan converted as
// a whole, into the row or into `spare` to be blended over it.
template <typename Put>
void CopyRow(const SidePixels& side, const RowWalk& walk, int count, Put put, std::uint32_t* spare) {
    const double y = walk.y;
    if (y < 0 || y >= side.Height())
        return;
    const double from = std::max(0.0, -walk.x), to = std::min<double>(count, side.Width() - walk.x);
    if (from >= to)
        return;
    const int first = static_cast<int>(from), n = static_cast<int>(to) - first;
    const int x = static_cast<int>(walk.x + from);
    if constexpr (std::is_same_v<Put, Store>) {
        ConvertRow(side, static_cast<int>(y), x, n, put.out + first);
    } else {
        ConvertRow(side, static_cast<int>(y), x, n, spare);
        pixel_samples::MixInto(put.out + first, spare, n, put.share);
    }
}

template <bool Bilinear, typename Put>
void LayerRow(const SideLayer& layer, double fx, double fy, double step, int count, Put put,
              std::uint32_t* spare) {
    const SidePixels& side = *layer.pixels;
    const RowWalk walk = StartRow(layer.frontToSide, fx, fy, step);
    if (walk.IsCopy()) {
        CopyRow(side, walk, count, put, spare);
        return;
    }
    const int spanBits = SpanBits(walk, count);
    switch (side.GetKind()) {
    case Kind::Bits1: WalkRow<Kind::Bits1, Bilinear>(side, walk, count, spanBits, put); break;
    case Kind::Bits4: WalkRow<Kind::Bits4, Bilinear>(side, walk, count, spanBits, put); break;
    case Kind::Index8: WalkRow<Kind::Index8, Bilinear>(side, walk, count, spanBits, put); break;
    case Kind::Bgr24: WalkRow<Kind::Bgr24, Bilinear>(side, walk, count, spanBits, put); break;
    case Kind::Bgrx32: WalkRow<Kind::Bgrx32, Bilinear>(side, walk, count, spanBits, put); break;
    }
}

// Whether the layer has a pixel for each one of the row: a row is a straight
// line on the side's scan, so it lies within the scan when its ends do.
template <bool Bilinear>
bool CoversRow(const SideLayer& layer, double fx, double fy, double step, int count) {
    const RowWalk first = StartRow(layer.frontToSide, fx, fy, step);
    RowWalk last = first;
    last.Step(count - 1);
    return WithinScan<Bilinear>(*layer.pixels, ToFixed(first.U()), ToFixed(first.V()), ToFixed(last.U()),
                                ToFixed(last.V()));
}

template <bool Bilinear>
void RenderRows(const SideLayer& base, const SideLayer* over, int opacity, int zoomExponent,
                const CRect& rect, std::uint32_t background, std::uint32_t* out,
                std::ptrdiff_t stride) {
    // Zoomed pixel i covers front pixels [i, i + 1) / zoom; its centre, with
    // front pixel k's centre at k, lies at (i + 0.5) / zoom - 0.5.
    const double step = std::ldexp(1.0, -zoomExponent);
    const double fx = (rect.left + 0.5) * step - 0.5;
    const auto share = static_cast<std::uint32_t>((std::clamp(opacity, 0, 100) * 256 + 50) / 100);
    const int count = rect.Width();
    std::vector<std::uint32_t> spare(over ? static_cast<std::size_t>(count) : 0);
    for (int j = 0; j < rect.Height(); ++j) {
        const double fy = (rect.top + j + 0.5) * step - 0.5;
        std::uint32_t* row = out + j * stride;
        if (!CoversRow<Bilinear>(base, fx, fy, step, count))
            std::fill(row, row + count, background);
        LayerRow<Bilinear>(base, fx, fy, step, count, Store{row}, nullptr);
        if (over)
            LayerRow<Bilinear>(*over, fx, fy, step, count, BlendOver{row, share}, spare.data());
    }
}

constexpr std::uint32_t kBackground = 0xFFFFFFFFu;

// Side pixels per front pixel about a front point: the square root of the
// transform's local change of area.
double LocalScale(const Transform& t, registration::Point p) {
    const double w = t[6] * p.x + t[7] * p.y + t[8];
    if (!(std::abs(w) > 1e-12))
        return 1;
    const double u = (t[0] * p.x + t[1] * p.y + t[2]) / w, v = (t[3] * p.x + t[4] * p.y + t[5]) / w;
    const double j00 = (t[0] - u * t[6]) / w, j01 = (t[1] - u * t[7]) / w;
    const double j10 = (t[3] - v * t[6]) / w, j11 = (t[4] - v * t[7]) / w;
    const double scale = std::sqrt(std::abs(j00 * j11 - j01 * j10));
    return std::isfinite(scale) ? scale : 1;
}

// A side's scan or one of its reduced levels, with where the front's pixels
// lie on it.
struct SideLevel {
    HDIB block;
    Transform frontToLevel;
    // Whether the level wanted is a first level made as it is painted: then
    // `block` is the scan, and the level lies under the front as given here.
    bool firstMadeWhenPainted = false;
    Transform frontToFirst;
};

// Scan pixels to those of level k: level pixel j covers scan pixels
// [j, j + 1) * 2^k.
Transform ScanToLevel(int k) {
    const double s = std::ldexp(1.0, -k), shift = 0.5 * s - 0.5;
    return Transform({s, 0, shift, 0, s, shift, 0, 0, 1});
}

// The reduced level of the side whose pixels are nearest in size to a
// zoomed pixel's footprint on the side's scan; the scan itself at zoom 1
// and above, or where no level is that fine.
SideLevel LevelOf(const CDibDoc& scan, const Transform& frontToSide, int zoomExponent,
                  registration::Point frontCentre) {
    SideLevel whole{scan.GetDibBlock(), frontToSide, false, Transform()};
    const ScanPyramid* pyramid = scan.GetPyramid();
    if (zoomExponent >= 0 || !pyramid || pyramid->LevelCount() == 0)
        return whole;
    const double footprint = std::ldexp(LocalScale(frontToSide, frontCentre), -zoomExponent);
    const double halvings = std::clamp(std::round(std::log2(footprint)), 0.0, 64.0);
    int level = std::min(static_cast<int>(halvings), pyramid->LevelCount());
    if (level == 1 && pyramid->IsReducedWhenPainted(1)) {
        whole.firstMadeWhenPainted = true;
        whole.frontToFirst = ScanToLevel(1).After(frontToSide);
        return whole;
    }
    while (level > 0 && !pyramid->Level(level))
        --level;
    if (level == 0)
        return whole;
    return {pyramid->Level(level), ScanToLevel(level).After(frontToSide), false, Transform()};
}

// A first level made as it is painted: each part of the window reduces the
// piece of the level under it, and samples that.
class FirstLevelPieces {
  public:
    FirstLevelPieces(const CDibDoc& scan, const SideLevel& level, bool wanted)
        : m_scan(wanted && level.firstMadeWhenPainted ? scan.GetDibBlock() : nullptr),
          m_frontToFirst(level.frontToFirst),
          m_levelSize(scan.GetPyramid() ? scan.GetPyramid()->LevelSize(1) : CSize(0, 0)) {}

    // The piece under the zoomed pixels of `rect` at a zoom of 2^-1, as a
    // layer whose pixels are `pixels`; nothing when it cannot be made.
    std::optional<SideLayer> Piece(FirstLevelPart& part, const CRect& rect,
                                   std::optional<SidePixels>& pixels) const {
        const std::optional<CRect> area = AreaUnder(rect);
        if (!m_scan.get() || !area || !part.Reduce(m_scan.get(), m_scan.size(), *area))
            return std::nullopt;
        pixels.emplace(part.Block());
        if (!pixels->IsValid())
            return std::nullopt;
        const Transform toPiece({1, 0, -static_cast<double>(area->left), 0, 1,
                                 -static_cast<double>(area->top), 0, 0, 1});
        return SideLayer{&*pixels, toPiece.After(m_frontToFirst)};
    }

  private:
    // The level's pixels a bilinear sample of the rect may read: a
    // projective map takes the rect to the four-sided figure its corners
    // span, which does not reach the horizon here.
    std::optional<CRect> AreaUnder(const CRect& rect) const {
        double left = HUGE_VAL, top = HUGE_VAL, right = -HUGE_VAL, bottom = -HUGE_VAL;
        for (const int x : {rect.left, rect.right})
            for (const int y : {rect.top, rect.bottom}) {
                // Zoomed pixel i's centre lies at front 2i + 0.5.
                const auto at = m_frontToFirst.Apply({2.0 * x - 0.5, 2.0 * y - 0.5});
                if (!at)
                    return std::nullopt;
                left = std::min(left, at->x), right = std::max(right, at->x);
                top = std::min(top, at->y), bottom = std::max(bottom, at->y);
            }
        const auto clampTo = [](double v, int high) {
            return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(high)));
        };
        const CRect area(clampTo(std::floor(left) - 1, m_levelSize.cx), clampTo(std::floor(top) - 1, m_levelSize.cy),
                         clampTo(std::ceil(right) + 2, m_levelSize.cx), clampTo(std::ceil(bottom) + 2, m_levelSize.cy));
        if (area.IsRectEmpty())
            return std::nullopt;
        return area;
    }

    GlobalLockGuard m_scan;
    Transform m_frontToFirst;
    CSize m_levelSize;
};

} // namespace

void RenderSides(const SideLayer& base, const SideLayer* over, int opacity, int zoomExponent,
                 const CRect& rect, std::uint32_t background, std::uint32_t* out,
                 std::ptrdiff_t stride) {
    if (!base.pixels || !base.pixels->IsValid() || rect.IsRectEmpty())
        return;
    if (over && (!over->pixels || !over->pixels->IsValid()))
        over = nullptr;
    if (zoomExponent >= 1)
        RenderRows<false>(base, over, opacity, zoomExponent, rect, background, out, stride);
    else
        RenderRows<true>(base, over, opacity, zoomExponent, rect, background, out, stride);
}

bool PaintSides(CDC& dc, const CDibDoc& doc, const SidesShown& shown, ScanLines frontLines,
                int zoomExponent, CRect* painted) {
    const OtherSide* side = doc.GetOtherSide();
    if (!side || !side->scan || !side->scan->GetDibBlock() || !doc.GetDibBlock() ||
        (!shown.back && !shown.xray))
        return false;
    const std::optional<Transform> frontToBack =
        side->BackToFront(doc.GetImageSize(), frontLines).Inverse();
    if (!frontToBack)
        return false;
    const CSize size = doc.GetImageSize();
    const CRect dest(0, 0, ScanExtentAtZoom(size.cx, zoomExponent), ScanExtentAtZoom(size.cy, zoomExponent));
    CRect shownPart;
    if (shownPart.IntersectRect(dc.GetClipBox(), dest)) {
        const double step = std::ldexp(1.0, -zoomExponent);
        const registration::Point centre{(shownPart.left + shownPart.Width() / 2.0) * step - 0.5,
                                         (shownPart.top + shownPart.Height() / 2.0) * step - 0.5};
        const SideLevel frontLevel = LevelOf(doc, Transform(), zoomExponent, centre);
        const SideLevel backLevel = LevelOf(*side->scan, *frontToBack, zoomExponent, centre);
        const bool frontSeen = !shown.back || shown.xray, backSeen = shown.back || shown.xray;
        const SidePixels front(frontSeen ? frontLevel.block : nullptr);
        const SidePixels back(backSeen ? backLevel.block : nullptr);
        const SideLayer frontLayer{&front, frontLevel.frontToLevel}, backLayer{&back, backLevel.frontToLevel};
        const FirstLevelPieces frontPieces(doc, frontLevel, frontSeen);
        const FirstLevelPieces backPieces(*side->scan, backLevel, backSeen);
        dc.PaintPixels(shownPart, [&](int x, int y, int w, int h, std::uint32_t* out, std::ptrdiff_t stride) {
            const CRect rect(x, y, x + w, y + h);
            FirstLevelPart frontPart, backPart;
            std::optional<SidePixels> frontPixels, backPixels;
            const std::optional<SideLayer> frontPiece = frontPieces.Piece(frontPart, rect, frontPixels);
            const std::optional<SideLayer> backPiece = backPieces.Piece(backPart, rect, backPixels);
            const SideLayer& frontShown = frontPiece ? *frontPiece : frontLayer;
            const SideLayer& backShown = backPiece ? *backPiece : backLayer;
            const SideLayer& base = shown.back ? backShown : frontShown;
            const SideLayer* over = !shown.xray ? nullptr : shown.back ? &frontShown : &backShown;
            RenderSides(base, over, shown.opacity, zoomExponent, rect, kBackground, out, stride);
        });
    }
    if (painted)
        *painted = dest;
    return true;
}
