// Arithmetic the board view's drawing, hit testing and editing share: the
// stored-to-client mapping and rectangle growth, kept free of overflow for
// any coordinate or parameter the user or a file can bring in.
#pragma once

#include "board/board_types.h"
#include "platform/types.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace board {

// Client positions are kept within this distance of the origin, far outside
// any window, so that sums and squares of them never overflow.
constexpr int kFarAway = 1 << 30;

constexpr int SaturateToInt(std::int64_t v) {
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

constexpr int ClampFar(std::int64_t v) {
    return v > kFarAway ? kFarAway : (v < -kFarAway ? -kFarAway : static_cast<int>(v));
}

// A stored coordinate truncated toward zero, minus the scroll position. False
// for a value that is not a number; values beyond the int range saturate.
inline bool ToClient(float stored, int scroll, int* client) {
    if (std::isnan(stored))
        return false;
    std::int64_t whole;
    if (stored >= 2.0e9f)
        whole = 2000000000;
    else if (stored <= -2.0e9f)
        whole = -2000000000;
    else
        whole = static_cast<std::int64_t>(stored); // truncates toward zero
    *client = ClampFar(whole - scroll);
    return true;
}

inline bool ToClient(float x, float y, CPoint scroll, CPoint* client) {
    return ToClient(x, scroll.x, &client->x) && ToClient(y, scroll.y, &client->y);
}

// The integer layer number of a track when it is one of the twelve layers, else 0.
inline int TrackLayer(const Track& t) {
    if (!(t.layer >= 1.0f && t.layer < 13.0f))
        return 0;
    return static_cast<int>(t.layer);
}

// Doubles narrowed to float, saturating instead of leaving the float range.
inline float NarrowToFloat(double v) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (v > kMax)
        return std::numeric_limits<float>::infinity();
    if (v < -kMax)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

// Moves each side outward as far as needed for p to lie inside.
inline void GrowRect(CRect* r, CPoint p) {
    if (p.x < r->left)
        r->left = p.x;
    if (p.x > r->right)
        r->right = p.x;
    if (p.y < r->top)
        r->top = p.y;
    if (p.y > r->bottom)
        r->bottom = p.y;
}

// InflateRect that stops at the int range.
inline void InflateSaturated(CRect* r, int d) {
    r->left = SaturateToInt(std::int64_t{r->left} - d);
    r->top = SaturateToInt(std::int64_t{r->top} - d);
    r->right = SaturateToInt(std::int64_t{r->right} + d);
    r->bottom = SaturateToInt(std::int64_t{r->bottom} + d);
}

// The rectangle (c.x - rx, c.y - ry, c.x + rx, c.y + ry), saturated.
inline CRect BoxAround(CPoint c, int rx, int ry) {
    return {SaturateToInt(std::int64_t{c.x} - rx), SaturateToInt(std::int64_t{c.y} - ry),
            SaturateToInt(std::int64_t{c.x} + rx), SaturateToInt(std::int64_t{c.y} + ry)};
}

// Grows (GrowRect) into the box of the points it is grown by, and stays
// inverted (IsNoBox) while it has none.
constexpr CRect kNoBox{std::numeric_limits<int>::max(), std::numeric_limits<int>::max(),
                       std::numeric_limits<int>::min(), std::numeric_limits<int>::min()};
constexpr bool IsNoBox(const CRect& r) { return r.left > r.right || r.top > r.bottom; }

// The smallest rectangle holding both, edges included.
inline CRect UnionOf(const CRect& a, const CRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

inline CRect BoxOf(CPoint a, CPoint b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// True when the two rectangles share a point, edges included.
inline bool Touches(const CRect& a, const CRect& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

inline int AbsSaturated(int v) { return v == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : (v < 0 ? -v : v); }

} // namespace board
