#include "image/other_side_paint.h"

#include "image/scan_paint.h"
#include "platform/dib_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

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
    if (bits != 8 && bits != 24 && bits != 32)
        return false;
    const std::int64_t width = header->biWidth, height = header->biHeight;
    const std::int64_t rowBytes = ((width * bits + 31) / 32) * 4;
    const BYTE* pixels = DibPixelData(block);
    const std::size_t offset = static_cast<std::size_t>(pixels - static_cast<const BYTE*>(block));
    if (offset > bytes || static_cast<std::uint64_t>(rowBytes * height) > bytes - offset)
        return false;
    if (bits == 8) {
        const WORD colors = DibColorCount(block);
        const auto* table = reinterpret_cast<const RGBQUAD*>(static_cast<const BYTE*>(block) +
                                                               header->biSize + DibMaskBytes(block));
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD q = i < colors ? table[i] : RGBQUAD{0, 0, 0, 0};
            m_palette[i] = 0xFF000000u | (std::uint32_t{q.rgbRed} << 16) |
                           (std::uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
        }
    }
    m_kind = bits == 8 ? Kind::Index8 : bits == 24 ? Kind::Bgr24 : Kind::Bgrx32;
    // Rows are stored bottom-up.
    m_top = pixels + (height - 1) * rowBytes;
    m_stride = -rowBytes;
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    return true;
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

// 0 to 256: the share of the second value.
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t share) {
    const std::uint32_t keep = 256 - share;
    const std::uint32_t rb = ((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * share + 0x800080u) >> 8;
    const std::uint32_t g = ((a & 0x00FF00u) * keep + (b & 0x00FF00u) * share + 0x008000u) >> 8;
    return 0xFF000000u | (rb & 0xFF00FFu) | (g & 0x00FF00u);
}

// Positions on a side's scan in 1/65536 pixel, pixel k's centre at k.
using Fixed = std::int64_t;
constexpr int kFractionBits = 16;
constexpr Fixed kOne = Fixed{1} << kFractionBits;
constexpr Fixed kHalf = kOne / 2;
// Far beyond any scan, and well inside the range of Fixed.
constexpr double kFarOff = 1e12;

Fixed ToFixed(double v) {
    if (!(v > -kFarOff))
        v = -kFarOff;
    else if (!(v < kFarOff))
        v = kFarOff;
    return static_cast<Fixed>(std::llround(v * static_cast<double>(kOne)));
}

// The side's colour at (u, v), or false where it has none.
template <bool Bilinear>
bool Sample(const SidePixels& side, Fixed u, Fixed v, std::uint32_t* colour) {
    const Fixed w = side.Width(), h = side.Height();
    if (Bilinear && u >= 0 && v >= 0 && u <= (w - 1) * kOne && v <= (h - 1) * kOne) {
        const int x0 = static_cast<int>(u >> kFractionBits), y0 = static_cast<int>(v >> kFractionBits);
        const int x1 = std::min(x0 + 1, side.Width() - 1), y1 = std::min(y0 + 1, side.Height() - 1);
        const auto fx = static_cast<std::uint32_t>((u >> (kFractionBits - 8)) & 0xFF);
        const auto fy = static_cast<std::uint32_t>((v >> (kFractionBits - 8)) & 0xFF);
        const std::uint32_t top = Mix(side.At(x0, y0), side.At(x1, y0), fx);
        const std::uint32_t bottom = Mix(side.At(x0, y1), side.At(x1, y1), fx);
        *colour = Mix(top, bottom, fy);
        return true;
    }
    const Fixed x = (u + kHalf) >> kFractionBits, y = (v + kHalf) >> kFractionBits;
    if (x < 0 || y < 0 || x >= w || y >= h)
        return false;
    *colour = side.At(static_cast<int>(x), static_cast<int>(y));
    return true;
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
};

RowWalk StartRow(const Transform& t, double fx, double fy, double step) {
    return {t[0] * fx + t[1] * fy + t[2], t[3] * fx + t[4] * fy + t[5], t[6] * fx + t[7] * fy + t[8],
            t[0] * step, t[3] * step, t[6] * step};
}

// Pixels are placed exactly at the ends of runs this long and linearly in
// between; a board photo's perspective bends a run by far less than a
// pixel's hundredth.
constexpr int kRun = 16;

// Calls each(i, colour) for the pixels of the row that the side covers.
template <bool Bilinear, typename Each>
void WalkRow(const SidePixels& side, RowWalk walk, int count, Each each) {
    for (int i = 0; i < count; i += kRun) {
        const int n = std::min(kRun, count - i);
        Fixed u = ToFixed(walk.U()), v = ToFixed(walk.V());
        walk.Step(n);
        const Fixed du = (ToFixed(walk.U()) - u) / n, dv = (ToFixed(walk.V()) - v) / n;
        for (int k = 0; k < n; ++k, u += du, v += dv) {
            std::uint32_t c;
            if (Sample<Bilinear>(side, u, v, &c))
                each(i + k, c);
        }
    }
}

// The base side into one row.
template <bool Bilinear>
void RenderBaseRow(const SideLayer& layer, RowWalk walk, int count, std::uint32_t background,
                   std::uint32_t* out) {
    std::fill(out, out + count, background);
    WalkRow<Bilinear>(*layer.pixels, walk, count, [out](int i, std::uint32_t c) { out[i] = c; });
}

template <bool Bilinear>
void BlendOverRow(const SideLayer& layer, RowWalk walk, int count, std::uint32_t share,
                  std::uint32_t* out) {
    WalkRow<Bilinear>(*layer.pixels, walk, count,
                      [out, share](int i, std::uint32_t c) { out[i] = Mix(out[i], c, share); });
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
    for (int j = 0; j < rect.Height(); ++j) {
        const double fy = (rect.top + j + 0.5) * step - 0.5;
        std::uint32_t* row = out + j * stride;
        RenderBaseRow<Bilinear>(base, StartRow(base.frontToSide, fx, fy, step), count, background, row);
        if (over && over->pixels)
            BlendOverRow<Bilinear>(*over, StartRow(over->frontToSide, fx, fy, step), count, share, row);
    }
}

constexpr std::uint32_t kBackground = 0xFFFFFFFFu;
// Rows painted at a time, so that the band's buffer stays small.
constexpr int kBandRows = 64;

std::vector<BYTE> BandInfo(int width, int height) {
    std::vector<BYTE> info(sizeof(BITMAPINFO));
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::memcpy(info.data(), &header, sizeof header);
    return info;
}

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
    const SidePixels front(doc.GetDibBlock()), back(side->scan->GetDibBlock());
    const SideLayer frontLayer{&front, Transform()}, backLayer{&back, *frontToBack};
    const SideLayer& base = shown.back ? backLayer : frontLayer;
    const SideLayer& over = shown.back ? frontLayer : backLayer;
    const CSize size = doc.GetImageSize();
    const CRect dest(0, 0, ScanExtentAtZoom(size.cx, zoomExponent), ScanExtentAtZoom(size.cy, zoomExponent));
    CRect shownPart;
    if (shownPart.IntersectRect(dc.GetClipBox(), dest)) {
        const int width = shownPart.Width();
        std::vector<std::uint32_t> band(static_cast<std::size_t>(width) * kBandRows);
        for (int top = shownPart.top; top < shownPart.bottom; top += kBandRows) {
            const CRect rows(shownPart.left, top, shownPart.right, std::min(top + kBandRows, shownPart.bottom));
            const int height = rows.Height();
            // Bottom-up, as a device-independent bitmap is stored.
            std::uint32_t* lastRow = band.data() + static_cast<std::ptrdiff_t>(height - 1) * width;
            RenderSides(base, shown.xray ? &over : nullptr, shown.opacity, zoomExponent, rows,
                        kBackground, lastRow, -static_cast<std::ptrdiff_t>(width));
            const std::vector<BYTE> info = BandInfo(width, height);
            dc.SetDIBitsToDevice(rows.left, rows.top, static_cast<DWORD>(width), static_cast<DWORD>(height),
                                 0, 0, 0, static_cast<UINT>(height), band.data(),
                                 reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                 static_cast<std::size_t>(width) * height * 4);
        }
    }
    if (painted)
        *painted = dest;
    return true;
}
