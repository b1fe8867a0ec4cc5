#include "platform/qt/pixel_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace pixel_raster {
namespace {
__extension__ typedef __int128 Wide;

Wide Square(Wide v) { return v * v; }

// Span ends closer than this to a whole number are checked pixel by pixel.
// Within kMaxLineCoord and kMaxLineWidth the inputs of every bound are
// exact; the bound is a sum of at most three terms, each at most 2^26 for
// a bound that lies on the picture, rounded a few times, so its error stays
// far below 2^-20. Disc bounds come from a table of whole
// pixels.
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

// For the fraction f of a number, in [0, 1).
bool NearWhole(double f) {
    return f < kNearWhole || f > 1 - kNearWhole;
}

// Four pixels per store: a plain loop of single pixels is what the
// compiler makes of std::fill here, and pads and halos are mostly spans of
// ten to twenty pixels.
[[gnu::always_inline]] inline void FillSpan(const Surface& s, int y, int x0, int x1,
                                            std::uint32_t color) {
    if (x0 >= x1)
        return;
    std::uint32_t* row = s.bits + s.stride * y;
    const int n = x1 - x0;
    if (n < 4) {
        for (int x = x0; x < x1; ++x)
            row[x] = color;
        return;
    }
    const std::uint32_t four[4] = {color, color, color, color};
    std::uint32_t* p = row + x0;
    for (int i = 0; i + 4 <= n; i += 4)
        std::memcpy(p + i, four, sizeof four);
    std::memcpy(row + x1 - 4, four, sizeof four); // the last, overlapping, four
}

// Pixels x0 to before x1 of row y from `from`, four at a time as FillSpan
// stores them.
[[gnu::always_inline]] inline void CopySpan(const Surface& s, int y, int x0, int x1,
                                            const std::uint32_t* from) {
    std::uint32_t* p = s.bits + s.stride * y + x0;
    const int n = x1 - x0;
    if (n < 4) {
        for (int i = 0; i < n; ++i)
            p[i] = from[i];
        return;
    }
    for (int i = 0; i + 4 <= n; i += 4)
        std::memcpy(p + i, from + i, 16);
    std::memcpy(p + n - 4, from + n - 4, 16);
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// For the rows k = -n .. n - 1 around an end's centre (index k + n), the
// half width of the real interval that holds the disc's pixels on that row:
// m + 3/4 for offsets -m - 1 to m, where m is the largest with (2m + 1)^2 +
// (2k + 1)^2 < width^2; minus infinity for a row the disc misses. Kept for
// the last width asked for (a board draws all lines of a pass with one pen).
const std::vector<double>& DiscHalfWidths(int width) {
    thread_local int tableWidth = 0;
    thread_local std::vector<double> table;
    if (width == tableWidth)
        return table;
    const int n = width / 2 + 1;
    const std::int64_t w2 = std::int64_t{width} * width;
    table.assign(2 * n, -kInfinity);
    for (int k = -n; k < n; ++k) {
        const std::int64_t dk = 2 * k + 1;
        const auto covered = [&](std::int64_t m) { return (2 * m + 1) * (2 * m + 1) + dk * dk < w2; };
        const double rest = double(w2 - dk * dk);
        std::int64_t m = rest > 0 ? std::int64_t((std::sqrt(rest) - 1) / 2) : -1;
        while (m >= 0 && !covered(m))
            --m;
        while (covered(m + 1))
            ++m;
        if (m >= 0)
            table[k + n] = double(m) + 0.75;
    }
    tableWidth = width;
    return table;
}

// A line from a to b in the shape of its rows: the two end discs and the
// band between them. The band's bounds move along a row by a fixed slope
// from one row to the next.
class LineRows {
  public:
    LineRows(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by, int width)
        : m_ax(double(ax)), m_ay(double(ay)), m_bx(double(bx)), m_by(double(by)), m_iay(ay),
          m_iby(by), m_r(width / 2.0) {
        const std::vector<double>& disc = DiscHalfWidths(width);
        m_disc = disc.data();
        m_discRows = std::int64_t(disc.size());
        const double dx = double(bx - ax), dy = double(by - ay);
        const double length2 = dx * dx + dy * dy;
        m_flat = dy == 0;
        m_flatFrom = std::min(m_ax, m_bx);
        m_flatTo = std::max(m_ax, m_bx);
        if (m_flat)
            return;
        // Across the axis: |(x - ax) dy - ky dx| <= r * length.
        const double half = m_r * std::sqrt(length2) / std::abs(dy);
        m_bandSlope = dx / dy;
        m_bandLo = m_ax - half;
        m_bandHi = m_ax + half;
        // Along the axis: 0 <= (x - ax) dx + ky dy <= length2.
        m_upright = dx == 0;
        if (m_upright) {
            m_kyFrom = std::min(0.0, dy);
            m_kyTo = std::max(0.0, dy);
            return;
        }
        // The perpendiculars through the ends, each measured from its own
        // end so that nothing large cancels.
        m_endSlope = dy / dx;
    }

    // Where the row through y + 1/2 meets the line: [*lo, *hi], empty when
    // *lo > *hi.
    void Row(int y, double* lo, double* hi) const {
        *lo = kInfinity;
        *hi = -kInfinity;
        JoinDisc(m_ax, y - m_iay, lo, hi);
        JoinDisc(m_bx, y - m_iby, lo, hi);
        JoinBand(y + 0.5 - m_ay, y + 0.5 - m_by, lo, hi);
    }

    // Rows from `top` to before `bottom` lie farther than the radius from
    // both ends, vertically: no disc reaches them, and there the band's
    // bounds across the axis are within those along it (a row's band
    // points have their foot on the axis between the ends).
    void Middle(std::int64_t* top, std::int64_t* bottom) const {
        const std::int64_t n = m_discRows / 2;
        *top = std::min(m_iay, m_iby) + n;
        *bottom = m_flat ? *top : std::max(m_iay, m_iby) - n;
    }

    // Where the row through y + 1/2 meets the line, for a middle row.
    void MiddleRow(int y, double* lo, double* hi) const {
        const double shift = (y + 0.5 - m_ay) * m_bandSlope;
        *lo = m_bandLo + shift;
        *hi = m_bandHi + shift;
    }

  private:
    void JoinDisc(double cx, std::int64_t k, double* lo, double* hi) const {
        const std::int64_t index = k + m_discRows / 2;
        if (static_cast<std::uint64_t>(index) >= static_cast<std::uint64_t>(m_discRows))
            return;
        const double h = m_disc[index]; // minus infinity leaves lo and hi alone
        *lo = std::min(*lo, cx - h);
        *hi = std::max(*hi, cx + h);
    }

    // The points of the row whose foot on the line's axis lies between the
    // ends and whose distance from it is at most the radius.
    void JoinBand(double ky, double kyEnd, double* lo, double* hi) const {
        double from, to;
        bool on;
        if (m_flat) {
            // On the band's upper edge the point up and left is outside,
            // on its lower edge inside.
            from = m_flatFrom;
            to = m_flatTo;
            on = ky > -m_r && ky <= m_r;
        } else {
            const double shift = ky * m_bandSlope;
            from = m_bandLo + shift;
            to = m_bandHi + shift;
            if (m_upright) {
                on = ky >= m_kyFrom && ky <= m_kyTo;
            } else {
                const double atA = m_ax - ky * m_endSlope, atB = m_bx - kyEnd * m_endSlope;
                from = std::max(from, std::min(atA, atB));
                to = std::min(to, std::max(atA, atB));
                on = from <= to;
            }
        }
        *lo = std::min(*lo, on ? from : kInfinity);
        *hi = std::max(*hi, on ? to : -kInfinity);
    }

    double m_ax, m_ay, m_bx, m_by;
    std::int64_t m_iay, m_iby;
    double m_r;
    const double* m_disc = nullptr;
    std::int64_t m_discRows = 0;
    bool m_flat = false, m_upright = false;
    double m_flatFrom = 0, m_flatTo = 0;
    double m_bandSlope = 0, m_bandLo = 0, m_bandHi = 0;
    double m_kyFrom = 0, m_kyTo = 0;
    double m_endSlope = 0;
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

namespace {
// The spans of the line's pixels within the clip, row by row: emit(y, x0,
// x1) for pixels x0 to before x1 of row y.
template <typename Emit>
void LineSpans(Box clip, std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by,
               int width, Emit emit) {
    // The pixels whose point up and left lies within width / 2 of the box
    // of the ends, in each direction: offsets from `before` to `after`.
    const std::int64_t before = FloorToInt(-width / 2.0 - 0.5) + 1;
    const std::int64_t after = FloorToInt(width / 2.0 - 0.5);
    const auto within = [](std::int64_t v, int lo, int hi) {
        return static_cast<int>(std::clamp(v, std::int64_t{lo}, std::int64_t{hi}));
    };
    clip = Intersect(clip, Box{within(std::min(ax, bx) + before, clip.left, clip.right),
                               within(std::min(ay, by) + before, clip.top, clip.bottom),
                               within(std::max(ax, bx) + after + 1, clip.left, clip.right),
                               within(std::max(ay, by) + after + 1, clip.top, clip.bottom)});
    if (clip.IsEmpty())
        return;
    const LineRows rows(ax, ay, bx, by, width);
    const bool exact = ax == bx; // the band's ends are then whole or half numbers
    const auto covers = [&](int x, int y) { return LineCovers(x, y, ax, ay, bx, by, width); };
    const double left = clip.left - 2.0, right = clip.right + 1.0;
    std::int64_t middleTop, middleBottom;
    rows.Middle(&middleTop, &middleBottom);
    for (int y = clip.top; y < clip.bottom; ++y) {
        double rowLo, rowHi;
        if (y >= middleTop && y < middleBottom)
            rows.MiddleRow(y, &rowLo, &rowHi);
        else
            rows.Row(y, &rowLo, &rowHi);
        if (!(rowLo <= rowHi))
            continue;
        // Pixel x is covered when lo <= x + 1/2 - e <= hi.
        const double lo = std::min(std::max(rowLo - 0.5, left), right);
        const double hi = std::min(std::max(rowHi - 0.5, left), right);
        const int floorLo = FloorToInt(lo), floorHi = FloorToInt(hi);
        int first = floorLo + 1;
        int last = floorHi;
        if (!exact && NearWhole(lo - floorLo)) {
            for (int step = 0; step < 2 && covers(first - 1, y); ++step)
                --first;
            for (int step = 0; step < 2 && first <= last + 1 && !covers(first, y); ++step)
                ++first;
        }
        if (!exact && NearWhole(hi - floorHi)) {
            for (int step = 0; step < 2 && covers(last + 1, y); ++step)
                ++last;
            for (int step = 0; step < 2 && last >= first - 1 && !covers(last, y); ++step)
                --last;
        }
        const int x0 = std::max(first, clip.left), x1 = std::min(last + 1, clip.right);
        if (x0 < x1)
            emit(y, x0, x1);
    }
}

// A horizontal run of pixels of one shape, at (x, y) from its box's corner.
struct Run {
    int x;
    int y;
    int length;
};

// For each run (any type with x, y and length, rows in order) of a box of
// the given size with its corner at (x, y): visit(run, row, from, to, skip)
// with the run's pixels from to before to within the clip and the surface,
// when it has any, the first `skip` of its pixels being left of the clip.
template <typename Runs, typename Visit>
void ForEachClippedRun(const Surface& surface, Box clip, std::int64_t x, std::int64_t y, int width,
                       int height, const Runs& runs, Visit visit) {
    clip = Intersect(clip, SurfaceBox(surface));
    if (clip.IsEmpty() || x >= clip.right || y >= clip.bottom || x + width <= clip.left ||
        y + height <= clip.top)
        return;
    // Within the clip now, so the box's corner is within the int range
    // give or take its size.
    const int ox = static_cast<int>(x), oy = static_cast<int>(y);
    for (const auto& run : runs) {
        const int row = oy + run.y;
        if (row < clip.top)
            continue;
        if (row >= clip.bottom)
            break;
        const int from = std::max(ox + run.x, clip.left);
        const int to = std::min(ox + run.x + run.length, clip.right);
        if (from < to)
            visit(run, row, from, to, from - (ox + run.x));
    }
}

// Runs at (x, y) in `color`, clipped; they lie within a box of the given size.
void FillRuns(const Surface& surface, Box clip, std::int64_t x, std::int64_t y, int width,
              int height, std::span<const Run> runs, std::uint32_t color) {
    ForEachClippedRun(surface, clip, x, y, width, height, runs,
                      [&](const Run&, int row, int from, int to, int) {
                          FillSpan(surface, row, from, to, color);
                      });
}

// A short line's pixels depend only on the distance between its ends and
// its width, so at low zoom, where every line of a board is short, each
// shape is worked out once and then copied. The runs are relative to the
// shape's box, whose corner lies at (left, top) from the line's start.
struct Stamp {
    bool made = false;
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<Run> runs;
};

constexpr int kStampReach = 32;    // ends at most this far apart on each axis
constexpr int kStampMaxWidth = 16; // pens at most this wide
constexpr int kStampSide = 2 * kStampReach + 1;

// The stamps of the few widths drawn lately (the select-all passes use three).
const Stamp& StampOf(std::int64_t dx, std::int64_t dy, int width) {
    struct Table {
        int width = 0;
        std::vector<Stamp> stamps;
    };
    thread_local Table tables[4];
    thread_local int nextTable = 0;
    Table* table = nullptr;
    for (Table& t : tables)
        if (t.width == width)
            table = &t;
    if (!table) {
        table = &tables[nextTable];
        nextTable = (nextTable + 1) % 4;
        table->width = width;
        table->stamps.assign(std::size_t{kStampSide} * kStampSide, Stamp{});
    }
    Stamp& stamp = table->stamps[std::size_t(dx + kStampReach) * kStampSide + (dy + kStampReach)];
    if (stamp.made)
        return stamp;
    const int before = FloorToInt(-width / 2.0 - 0.5) + 1;
    const int after = FloorToInt(width / 2.0 - 0.5);
    const int left = std::min<int>(0, int(dx)) + before, top = std::min<int>(0, int(dy)) + before;
    const int right = std::max<int>(0, int(dx)) + after + 1;
    const int bottom = std::max<int>(0, int(dy)) + after + 1;
    stamp.left = left;
    stamp.top = top;
    stamp.width = right - left;
    stamp.height = bottom - top;
    LineSpans(Box{left, top, right, bottom}, 0, 0, dx, dy, width, [&](int y, int x0, int x1) {
        stamp.runs.push_back(Run{x0 - left, y - top, x1 - x0});
    });
    stamp.made = true;
    return stamp;
}
} // namespace

void FillLine(const Surface& surface, Box clip, std::int64_t ax, std::int64_t ay, std::int64_t bx,
              std::int64_t by, int width, std::uint32_t color) {
    if (ax == bx && ay == by)
        return;
    clip = Intersect(clip, SurfaceBox(surface));
    if (clip.IsEmpty())
        return;
    const std::int64_t dx = bx - ax, dy = by - ay;
    if (width <= kStampMaxWidth && dx >= -kStampReach && dx <= kStampReach && dy >= -kStampReach &&
        dy <= kStampReach) {
        const Stamp& stamp = StampOf(dx, dy, width);
        FillRuns(surface, clip, ax + stamp.left, ay + stamp.top, stamp.width, stamp.height,
                 stamp.runs, color);
        return;
    }
    LineSpans(clip, ax, ay, bx, by, width,
              [&](int y, int x0, int x1) { FillSpan(surface, y, x0, x1, color); });
}

bool OpaquePicture::Make(const std::uint32_t* pixels, std::ptrdiff_t stride, int width,
                         int height) {
    m_stretches.clear();
    m_pixels.clear();
    m_width = m_height = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels + stride * y;
        for (int x = 0; x < width;) {
            const std::uint32_t alpha = row[x] >> 24;
            if (alpha == 0) {
                ++x;
                continue;
            }
            int end = x;
            while (end < width && (row[end] >> 24) == 0xFF)
                ++end;
            if (end == x) {
                m_stretches.clear();
                m_pixels.clear();
                return false;
            }
            m_stretches.push_back(Stretch{x, y, end - x, m_pixels.size()});
            m_pixels.insert(m_pixels.end(), row + x, row + end);
            x = end;
        }
    }
    m_width = width;
    m_height = height;
    return true;
}

void OpaquePicture::CopyTo(const Surface& surface, Box clip, std::int64_t x, std::int64_t y) const {
    ForEachClippedRun(surface, clip, x, y, m_width, m_height, m_stretches,
                      [&](const Stretch& stretch, int row, int from, int to, int skip) {
                          CopySpan(surface, row, from, to, m_pixels.data() + stretch.first + skip);
                      });
}

void Bands::Sort(std::span<const int> tops, std::span<const int> bottoms, int height, int rows) {
    m_rows = std::max(rows, 1);
    const int count = height > 0 ? static_cast<int>((std::int64_t{height} + m_rows - 1) / m_rows) : 0;
    const auto bandsOf = [&](std::size_t i, int* first, int* last) {
        const int top = std::clamp(tops[i], 0, std::max(height, 0));
        const int bottom = std::clamp(bottoms[i], top, std::max(height, 0));
        *first = top / m_rows;
        *last = bottom > top ? (bottom - 1) / m_rows : *first - 1;
    };
    m_starts.assign(std::size_t(count) + 1, 0);
    for (std::size_t i = 0; i < tops.size(); ++i) {
        int first, last;
        bandsOf(i, &first, &last);
        for (int b = first; b <= last; ++b)
            ++m_starts[std::size_t(b) + 1];
    }
    for (int b = 0; b < count; ++b)
        m_starts[std::size_t(b) + 1] += m_starts[std::size_t(b)];
    m_shapes.resize(std::size_t(m_starts.back()));
    std::vector<int> next(m_starts.begin(), m_starts.end() - 1);
    for (std::size_t i = 0; i < tops.size(); ++i) {
        int first, last;
        bandsOf(i, &first, &last);
        for (int b = first; b <= last; ++b)
            m_shapes[std::size_t(next[std::size_t(b)]++)] = static_cast<int>(i);
    }
}

} // namespace pixel_raster
