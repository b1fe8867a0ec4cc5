// A device context: what the view draws with. The screen, the print preview,
// an off-screen picture and the test recorder all implement this.
#pragma once

#include "platform/dib_types.h"
#include "platform/palette.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

struct Pen {
    int width = 1;
    COLORREF color = RGB(0, 0, 0);
    bool operator==(const Pen&) const = default;
};

// One line of a batch: its ends and the colour of its pen.
struct ColoredLine {
    CPoint from;
    CPoint to;
    COLORREF color;
};

struct Brush {
    COLORREF color = RGB(255, 255, 255);
    bool hollow = false;
    bool operator==(const Brush&) const = default;
};

// Makes the w x h pixels (0xFFRRGGBB, rows of `stride` colours from `out`)
// whose top-left is point (x, y). It may be called for several parts at
// once on different threads, so it must write nothing but `out`.
using PixelMaker = std::function<void(int x, int y, int w, int h, std::uint32_t* out,
                                      std::ptrdiff_t stride)>;

// GetDeviceCaps indexes.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

class CDC {
  public:
    virtual ~CDC() = default;

    // Solid pens and brushes; each returns the one selected before.
    virtual Pen SelectPen(const Pen& pen) = 0;
    virtual Brush SelectBrush(const Brush& brush) = 0;

    virtual CPoint MoveTo(int x, int y) = 0;
    virtual bool LineTo(int x, int y) = 0;
    // Filled with the brush, outlined with the pen, inside the bounding box.
    virtual bool Ellipse(int left, int top, int right, int bottom) = 0;
    // Batches, for the many objects of a board: the same as drawing each
    // item on its own, as written below, which is what they do here; a
    // context that can do better draws them in one go.
    // Each line with a pen of `width` in its colour; the pen selected before
    // stays selected and the current position is the last line's end.
    virtual void DrawLines(std::span<const ColoredLine> lines, int width) {
        for (const ColoredLine& line : lines) {
            const Pen previous = SelectPen(Pen{width, line.color});
            MoveTo(line.from.x, line.from.y);
            LineTo(line.to.x, line.to.y);
            SelectPen(previous);
        }
    }
    // An ellipse in each box with the pen and brush selected.
    virtual void DrawEllipses(std::span<const CRect> boxes) {
        for (const CRect& box : boxes)
            Ellipse(box.left, box.top, box.right, box.bottom);
    }
    // A closed polygon filled with the brush and outlined with the pen. A
    // context that cannot fill draws the outline alone.
    virtual bool Polygon(std::span<const CPoint> points) {
        if (points.size() < 2)
            return false;
        MoveTo(points.back().x, points.back().y);
        for (const CPoint& p : points)
            LineTo(p.x, p.y);
        return true;
    }
    // Fills the rectangle with one colour; no pen, no brush.
    virtual void FillSolidRect(const CRect& rect, COLORREF color) = 0;

    virtual int SetStretchBltMode(int mode) = 0;
    // Returns the palette selected before (null if none).
    virtual CPalette* SelectPalette(CPalette* palette, bool forceBackground) = 0;
    // Number of system palette entries changed: always 0 on a true-colour display.
    virtual UINT RealizePalette() = 0;

    virtual int GetDeviceCaps(int index) const = 0;
    virtual bool IsPrinting() const = 0;
    // Bounding box of what can be drawn, in this context's coordinates:
    // during a paint, the area being repainted. Drawing outside it is
    // clipped, so callers may skip what lies wholly outside.
    virtual CRect GetClipBox() const = 0;

    // Unscaled copy of DIB pixels. Scan lines are bottom-up, as in Windows:
    // ySrc counts from the bottom scan line. bitsBytes bounds every read of
    // bits (Windows trusts the header; we do not). Returns scan lines drawn.
    virtual int SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc,
                                  int ySrc, UINT startScan, UINT numScans, const void* bits,
                                  const BITMAPINFO* info, UINT usage, std::size_t bitsBytes) = 0;
    // Scaled copy. ySrc counts from the bottom scan line as well.
    virtual int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                              int ySrc, int srcWidth, int srcHeight, const void* bits,
                              const BITMAPINFO* info, UINT usage, DWORD rop,
                              std::size_t bitsBytes) = 0;
    // Pixels made for the part of `rect` inside the clip box, as opaque as
    // a copy of DIB pixels. Here they are made in bands, on every core, and
    // handed to SetDIBitsToDevice; a context that owns its pixels has them
    // made in place.
    virtual void PaintPixels(const CRect& rect, const PixelMaker& make);
};
