// A device context that records every call, for tests and benchmarks.
#pragma once

#include "platform/device_context.h"

#include <string>
#include <vector>

struct DrawOp {
    enum Kind { SelectPen, SelectBrush, MoveTo, LineTo, Ellipse, StretchMode, SelectPalette,
                RealizePalette, SetDIBits, StretchDIBits, FillRect, Polygon };
    Kind kind;
    Pen pen;      // current pen when drawn (or the pen selected)
    Brush brush;  // current brush when drawn (or the brush selected)
    int a = 0, b = 0, c = 0, d = 0;         // coordinates, or destination x, y, w, h of a blit
    int sx = 0, sy = 0, sw = 0, sh = 0;     // source of a blit
    bool flag = false;                      // SelectPalette: force background
    std::vector<CPoint> points{};           // the corners of a polygon
};

class RecordingDC : public CDC {
  public:
    Pen SelectPen(const Pen& pen) override;
    Brush SelectBrush(const Brush& brush) override;
    CPoint MoveTo(int x, int y) override;
    bool LineTo(int x, int y) override;
    bool Ellipse(int left, int top, int right, int bottom) override;
    // Recorded with its corners and, in a to d, their bounding box.
    bool Polygon(std::span<const CPoint> points) override;
    void FillSolidRect(const CRect& rect, COLORREF color) override;
    int SetStretchBltMode(int mode) override;
    CPalette* SelectPalette(CPalette* palette, bool forceBackground) override;
    UINT RealizePalette() override;
    int GetDeviceCaps(int index) const override;
    bool IsPrinting() const override { return m_printing; }
    CRect GetClipBox() const override { return clipBox; }
    int SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                          UINT startScan, UINT numScans, const void* bits,
                          const BITMAPINFO* info, UINT usage, std::size_t bitsBytes) override;
    int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                      int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                      UINT usage, DWORD rop, std::size_t bitsBytes) override;

    // Printer settings for print tests.
    void SetPrinting(int horzRes, int logPixelsX, int logPixelsY);

    std::vector<DrawOp> ops;
    Pen pen;
    Brush brush;
    CPoint current;
    int stretchMode = 0;
    CPalette* palette = nullptr;
    CRect clipBox{-1000000, -1000000, 1000000, 1000000};

    // Only the lines, ellipses and blits, without selections.
    std::vector<DrawOp> Drawn() const;

  private:
    bool m_printing = false;
    int m_horzRes = 1024;
    int m_logPixelsX = 96;
    int m_logPixelsY = 96;
};
