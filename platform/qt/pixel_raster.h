// Drawing straight into the pixels of a 32-bit picture, for the shapes a
// board has by the ten thousand: wide lines with round ends and copies of a
// small picture made of opaque pixels. A pixel is covered when the point
// just up and left of its centre, (x + 1/2 - e, y + 1/2 - e) for a
// vanishing e, lies in the exact shape: the rule an aliased QPainter
// follows, which only approximates the shape (a pixel within a tenth of a
// pixel of the outline may come out the other way there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pixel_raster {

// Rows of 32-bit pixels; `stride` counts pixels.
struct Surface {
    std::uint32_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

// Pixels x in [left, right) and y in [top, bottom).
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool IsEmpty() const { return left >= right || top >= bottom; }
};

// Lines are drawn here when every end lies within this distance of the
// origin and the pen is at most kMaxLineWidth wide; the floating-point span
// bounds are then good to better than kNearWhole (see pixel_raster.cpp).
constexpr std::int64_t kMaxLineCoord = std::int64_t{1} << 24;
constexpr int kMaxLineWidth = 4096;

inline bool LineFits(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by,
                     int width) {
    const auto fits = [](std::int64_t v) { return v >= -kMaxLineCoord && v <= kMaxLineCoord; };
    return width >= 1 && width <= kMaxLineWidth && fits(ax) && fits(ay) && fits(bx) && fits(by);
}

// True when pixel (x, y) belongs to the line from a to b drawn `width`
// wide with round ends: its centre is within width / 2 of the segment (on
// the edge: as the point just up and left of the centre). A line of zero
// length covers nothing, as with QPainter. Exact for pixels and ends within
// 2^32 of the origin and widths up to 32767.
bool LineCovers(std::int64_t x, std::int64_t y, std::int64_t ax, std::int64_t ay, std::int64_t bx,
                std::int64_t by, int width);

// Paints the pixels LineCovers gives, within `clip` and the surface, in
// `color`. The ends and the width must satisfy LineFits.
void FillLine(const Surface& surface, Box clip, std::int64_t ax, std::int64_t ay, std::int64_t bx,
              std::int64_t by, int width, std::uint32_t color);

// The fully opaque pixels of a small premultiplied ARGB picture, kept as
// stretches of neighbouring opaque pixels, row by row, to be copied as they
// are; transparent pixels are left out.
class OpaquePicture {
  public:
    // False, leaving the picture empty, when it has a pixel that is neither
    // opaque nor transparent (copying it would need blending).
    bool Make(const std::uint32_t* pixels, std::ptrdiff_t stride, int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::size_t StretchCount() const { return m_stretches.size(); }

    // Copies the picture with its top-left corner at (x, y), within `clip`
    // and the surface.
    void CopyTo(const Surface& surface, Box clip, std::int64_t x, std::int64_t y) const;

  private:
    struct Stretch {
        int x;
        int y;
        int length;
        std::size_t first; // of its pixels in m_pixels
    };
    std::vector<Stretch> m_stretches;
    std::vector<std::uint32_t> m_pixels;
    int m_width = 0;
    int m_height = 0;
};

// A batch of shapes sorted into bands of rows of the surface: each shape
// listed under every band its rows reach, in batch order. Drawn band by
// band, a batch spread over a big picture works on a band that stays in the
// processor's cache instead of on rows all over the picture, and every
// pixel still gets the shapes in batch order. Bands can also be drawn at
// once on several cores.
constexpr int kBandRows = 32;

class Bands {
  public:
    // Shape i covers rows tops[i] to before bottoms[i] (clamped to the
    // surface's `height` rows); bands of `rows` rows (at least 1).
    void Sort(std::span<const int> tops, std::span<const int> bottoms, int height,
              int rows = kBandRows);
    int Count() const { return static_cast<int>(m_starts.size()) - 1; }
    // Rows of band b: [b * Rows(), min(height, (b + 1) * Rows())).
    int Rows() const { return m_rows; }
    std::span<const int> Shapes(int band) const {
        return {m_shapes.data() + m_starts[band], m_shapes.data() + m_starts[band + 1]};
    }

  private:
    std::vector<int> m_starts{0};
    std::vector<int> m_shapes;
    int m_rows = kBandRows;
};

} // namespace pixel_raster
