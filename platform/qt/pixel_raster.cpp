#include "platform/qt/pixel_raster.h"

#include <algorithm>
#include <cmath>

namespace pixel_raster {
namespace {
__extension__ typedef __int128 Wide;

Wide Square(Wide v) { return v * v; }

// Span ends closer than this to a whole number are checked pixel by pixel.
// Within kMaxLineCoord and kMaxLineWidth every product that goes into an
// end is a whole or half number below 2^53, hence exact; the rounding of
// the square root of the length, the one sum and the one division leave an
// error below 2^-13 for any end that lies on the picture.
constexpr double kNearWhole = 1.0 / 1024;

Box Intersect(Box a, Box b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

Box SurfaceBox(const Surface& s) { return {0, 0, s.width, s.height}; }

// floor(v) for v within the int range.
int FloorToInt(double v) {
    const int i = static_cast<int>(v);
    return i - (v < i ? 1 : 0);
}

bool NearWhole(double v) {
    const double f = v - std::floor(v);
    return f < kNearWhole || f > 1 - kNearWhole;
}

void FillSpan(const Surface& s, int y, int x0, int x1, std::uint32_t color) {
    if (x0 >= x1)
        return;
    std::uint32_t* row = s.bits + s.stride * y;
    std::fill(row + x0, row + x1, color);
}

// An interval of one row, [lo, hi] in real x; empty when lo > hi.
struct Interval {
    double lo = 1;
    double hi = 0;
    bool Empty() const { return lo > hi; }
    void Join(double l, double h) {
        if (l > h)
            return;
        if (Empty()) {
            lo = l;
            hi = h;
        } else {
            lo = std::min(lo, l);
            hi = std::max(hi, h);
        }
    }
};

// A line from a to b in the shape of its rows: the two end discs and the
// band between them.
class LineRows {
  public:
    LineRows(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by, int width)
        : m_ax(double(ax)), m_ay(double(ay)), m_bx(double(bx)), m_by(double(by)),
          m_dx(double(bx - ax)), m_dy(double(by - ay)), m_r(width / 2.0),
          m_rr(m_r * m_r), m_length2(m_dx * m_dx + m_dy * m_dy),
          m_bandHalf(m_r * std::sqrt(m_length2)) {}

    // Where the row through y + 1/2 meets the line.
    Interval Row(int y) const {
        const double ky = y + 0.5 - m_ay;
        Interval row;
        JoinDisc(&row, m_ax, ky);
        JoinDisc(&row, m_bx, y + 0.5 - m_by);
        JoinBand(&row, ky);
        return row;
    }

  private:
    void JoinDisc(Interval* row, double cx, double ky) const {
        const double rest = m_rr - ky * ky;
        if (rest <= 0)
            return;
        const double h = std::sqrt(rest);
        row->Join(cx - h, cx + h);
    }

    // The points of the row whose foot on the line's axis lies between the
    // ends and whose distance from it is at most the radius.
    void JoinBand(Interval* row, double ky) const {
        if (m_dy == 0) {
            // On the band's upper edge the point up and left is outside,
            // on its lower edge inside.
            if (ky > -m_r && ky <= m_r)
                row->Join(std::min(m_ax, m_bx), std::max(m_ax, m_bx));
            return;
        }
        double lo = m_ax + (ky * m_dx - m_bandHalf) / m_dy;
        double hi = m_ax + (ky * m_dx + m_bandHalf) / m_dy;
        if (lo > hi)
            std::swap(lo, hi);
        if (m_dx == 0) {
            const double along = ky * m_dy;
            if (along < 0 || along > m_length2)
                return;
        } else {
            double from = m_ax - ky * m_dy / m_dx;
            double to = m_ax + (m_length2 - ky * m_dy) / m_dx;
            if (from > to)
                std::swap(from, to);
            lo = std::max(lo, from);
            hi = std::min(hi, to);
        }
        row->Join(lo, hi);
    }

    double m_ax, m_ay, m_bx, m_by, m_dx, m_dy, m_r, m_rr, m_length2, m_bandHalf;
};
} // namespace

bool LineCovers(std::int64_t x, std::int64_t y, std::int64_t ax, std::int64_t ay, std::int64_t bx,
                std::int64_t by, int width) {
    if ((ax == bx && ay == by) || width <= 0)
        return false;
    // In doubled units the centre is (2x + 1, 2y + 1) and the radius is the width.
    const Wide ux = 2 * Wide{x} + 1 - 2 * Wide{ax}, uy = 2 * Wide{y} + 1 - 2 * Wide{ay};
    const Wide dx = 2 * (Wide{bx} - ax), dy = 2 * (Wide{by} - ay);
    const Wide w2 = Square(width);
    const Wide along = ux * dx + uy * dy;
    const Wide length2 = dx * dx + dy * dy;
    // Centres are never exactly on an end's circle: the squared distance
    // of an odd point is 2 modulo 4, the squared width never is.
    if (along <= 0)
        return ux * ux + uy * uy < w2;
    if (along >= length2)
        return Square(ux - dx) + Square(uy - dy) < w2;
    const Wide cross = ux * dy - uy * dx;
    // |cross| / length is the distance from the axis; beyond width times
    // (|dx| + |dy|) it is surely too far, and below it the squares fit.
    const Wide bound = Wide{width} * ((dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy));
    if (cross > bound || -cross > bound)
        return false;
    const Wide lhs = Square(cross), rhs = w2 * length2;
    if (lhs != rhs)
        return lhs < rhs;
    // On the edge: the point up and left is inside when going up and left
    // brings it nearer the axis, or keeps it on the edge.
    const Wide drift = dx - dy;
    return drift == 0 || (cross > 0 ? drift < 0 : drift > 0);
}

void FillLine(const Surface& surface, Box clip, std::int64_t ax, std::int64_t ay, std::int64_t bx,
              std::int64_t by, int width, std::uint32_t color) {
    if (ax == bx && ay == by)
        return;
    clip = Intersect(clip, SurfaceBox(surface));
    const std::int64_t reach = width / 2 + 1;
    clip = Intersect(clip, Box{int(std::clamp(std::min(ax, bx) - reach, std::int64_t{clip.left},
                                              std::int64_t{clip.right})),
                               int(std::clamp(std::min(ay, by) - reach, std::int64_t{clip.top},
                                              std::int64_t{clip.bottom})),
                               int(std::clamp(std::max(ax, bx) + reach + 1,
                                              std::int64_t{clip.left}, std::int64_t{clip.right})),
                               int(std::clamp(std::max(ay, by) + reach + 1,
                                              std::int64_t{clip.top}, std::int64_t{clip.bottom}))});
    if (clip.IsEmpty())
        return;
    const LineRows rows(ax, ay, bx, by, width);
    const bool exact = ax == bx; // the band's ends are then whole or half numbers
    const auto covers = [&](int x, int y) { return LineCovers(x, y, ax, ay, bx, by, width); };
    for (int y = clip.top; y < clip.bottom; ++y) {
        const Interval row = rows.Row(y);
        if (row.Empty())
            continue;
        // Pixel x is covered when lo <= x + 1/2 - e <= hi.
        const double lo = std::clamp(row.lo - 0.5, clip.left - 2.0, clip.right + 1.0);
        const double hi = std::clamp(row.hi - 0.5, clip.left - 2.0, clip.right + 1.0);
        int first = FloorToInt(lo) + 1;
        int last = FloorToInt(hi);
        if (!exact && NearWhole(lo)) {
            for (int step = 0; step < 2 && covers(first - 1, y); ++step)
                --first;
            for (int step = 0; step < 2 && first <= last + 1 && !covers(first, y); ++step)
                ++first;
        }
        if (!exact && NearWhole(hi)) {
            for (int step = 0; step < 2 && covers(last + 1, y); ++step)
                ++last;
            for (int step = 0; step < 2 && last >= first - 1 && !covers(last, y); ++step)
                --last;
        }
        FillSpan(surface, y, std::max(first, clip.left), std::min(last + 1, clip.right), color);
    }
}

bool RunsOfOpaquePixels(const std::uint32_t* pixels, std::ptrdiff_t stride, int width, int height,
                        std::vector<Run>* runs) {
    runs->clear();
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels + stride * y;
        for (int x = 0; x < width;) {
            const std::uint32_t p = row[x];
            const std::uint32_t alpha = p >> 24;
            if (alpha == 0) {
                ++x;
                continue;
            }
            if (alpha != 0xFF)
                return false;
            int end = x + 1;
            while (end < width && row[end] == p)
                ++end;
            runs->push_back(Run{x, y, end - x, p});
            x = end;
        }
    }
    return true;
}

void CopyRuns(const Surface& surface, Box clip, std::int64_t x, std::int64_t y, int width,
              int height, std::span<const Run> runs) {
    clip = Intersect(clip, SurfaceBox(surface));
    if (clip.IsEmpty() || x >= clip.right || y >= clip.bottom || x + width <= clip.left ||
        y + height <= clip.top)
        return;
    // Within the clip now, so the picture's corner is within the int range
    // give or take its size.
    const int ox = static_cast<int>(x), oy = static_cast<int>(y);
    for (const Run& run : runs) {
        const int row = oy + run.y;
        if (row < clip.top)
            continue;
        if (row >= clip.bottom)
            break;
        FillSpan(surface, row, std::max(ox + run.x, clip.left),
                 std::min(ox + run.x + run.length, clip.right), run.color);
    }
}

} // namespace pixel_raster
