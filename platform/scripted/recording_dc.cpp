#include "platform/scripted/recording_dc.h"

#include <algorithm>

Pen RecordingDC::SelectPen(const Pen& p) {
    const Pen old = pen;
    pen = p;
    ops.push_back({DrawOp::SelectPen, pen, brush});
    return old;
}

Brush RecordingDC::SelectBrush(const Brush& b) {
    const Brush old = brush;
    brush = b;
    ops.push_back({DrawOp::SelectBrush, pen, brush});
    return old;
}

CPoint RecordingDC::MoveTo(int x, int y) {
    const CPoint old = current;
    current = {x, y};
    DrawOp op{DrawOp::MoveTo, pen, brush};
    op.a = x;
    op.b = y;
    ops.push_back(op);
    return old;
}

bool RecordingDC::LineTo(int x, int y) {
    DrawOp op{DrawOp::LineTo, pen, brush};
    op.a = current.x;
    op.b = current.y;
    op.c = x;
    op.d = y;
    ops.push_back(op);
    current = {x, y};
    return true;
}

bool RecordingDC::Ellipse(int left, int top, int right, int bottom) {
    DrawOp op{DrawOp::Ellipse, pen, brush};
    op.a = left;
    op.b = top;
    op.c = right;
    op.d = bottom;
    ops.push_back(op);
    return true;
}

bool RecordingDC::Polygon(std::span<const CPoint> points) {
    if (points.empty())
        return false;
    DrawOp op{DrawOp::Polygon, pen, brush};
    op.points.assign(points.begin(), points.end());
    op.a = op.c = points.front().x;
    op.b = op.d = points.front().y;
    for (const CPoint& p : points) {
        op.a = std::min(op.a, p.x);
        op.b = std::min(op.b, p.y);
        op.c = std::max(op.c, p.x);
        op.d = std::max(op.d, p.y);
    }
    ops.push_back(op);
    return true;
}

void RecordingDC::FillSolidRect(const CRect& rect, COLORREF color) {
    DrawOp op{DrawOp::FillRect, pen, brush};
    op.a = rect.left;
    op.b = rect.top;
    op.c = rect.right;
    op.d = rect.bottom;
    op.brush = Brush{color};
    ops.push_back(op);
}

int RecordingDC::SetStretchBltMode(int mode) {
    const int old = stretchMode;
    stretchMode = mode;
    DrawOp op{DrawOp::StretchMode, pen, brush};
    op.a = mode;
    ops.push_back(op);
    return old;
}

CPalette* RecordingDC::SelectPalette(CPalette* p, bool forceBackground) {
    CPalette* old = palette;
    palette = p;
    DrawOp op{DrawOp::SelectPalette, pen, brush};
    op.flag = forceBackground;
    ops.push_back(op);
    return old;
}

UINT RecordingDC::RealizePalette() {
    ops.push_back({DrawOp::RealizePalette, pen, brush});
    return 0;
}

int RecordingDC::GetDeviceCaps(int index) const {
    switch (index) {
    case HORZRES:
        return m_horzRes;
    case LOGPIXELSX:
        return m_logPixelsX;
    case LOGPIXELSY:
        return m_logPixelsY;
    default:
        return 0;
    }
}

int RecordingDC::SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc,
                                   int ySrc, UINT, UINT numScans, const void*, const BITMAPINFO*,
                                   UINT, std::size_t) {
    DrawOp op{DrawOp::SetDIBits, pen, brush};
    op.a = xDest;
    op.b = yDest;
    op.c = static_cast<int>(width);
    op.d = static_cast<int>(height);
    op.sx = xSrc;
    op.sy = ySrc;
    op.sw = static_cast<int>(width);
    op.sh = static_cast<int>(height);
    ops.push_back(op);
    return static_cast<int>(numScans);
}

int RecordingDC::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                               int ySrc, int srcWidth, int srcHeight, const void*,
                               const BITMAPINFO*, UINT, DWORD, std::size_t) {
    DrawOp op{DrawOp::StretchDIBits, pen, brush};
    op.a = xDest;
    op.b = yDest;
    op.c = destWidth;
    op.d = destHeight;
    op.sx = xSrc;
    op.sy = ySrc;
    op.sw = srcWidth;
    op.sh = srcHeight;
    ops.push_back(op);
    return srcHeight;
}

void RecordingDC::SetPrinting(int horzRes, int logPixelsX, int logPixelsY) {
    m_printing = true;
    m_horzRes = horzRes;
    m_logPixelsX = logPixelsX;
    m_logPixelsY = logPixelsY;
}

std::vector<DrawOp> RecordingDC::Drawn() const {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::LineTo || op.kind == DrawOp::Ellipse || op.kind == DrawOp::Polygon ||
            op.kind == DrawOp::SetDIBits || op.kind == DrawOp::StretchDIBits)
            out.push_back(op);
    return out;
}
