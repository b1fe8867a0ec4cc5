// A device context drawing with a QPainter: on a QImage (off-screen
// pictures, the command line's render, benchmarks), on a view's back buffer,
// or on a printer for print preview. Drawing is aliased and follows the
// pixel rules of the Windows device contexts the view code was written for:
// thin pens leave out the last pixel of a line, wide pens have round caps
// and joins, and an ellipse stays inside its bounding box.
//
// Wide lines and copied ellipses go straight into the pixels when the
// painter draws plainly on a 32-bit picture (the window's back buffer, an
// off-screen picture): whole-pixel translation, ratio 1, opaque colours,
// SourceOver or Source. Those are the painter's pixels, save a few whose
// centres lie within a tenth of a pixel of a line's outline, where the
// painter's flattened round ends and fixed-point edges fall the other way
// (pixel_raster.h).
// The painter's clip is taken when the context is made; while the context
// draws, the clip may be switched off but not changed otherwise.
#pragma once

#include "platform/device_context.h"
#include "platform/qt/pixel_raster.h"

#include <QPainter>
#include <QRect>
#include <QTransform>

#include <cstdint>
#include <memory>
#include <vector>

class QImage;
class QPaintDevice;
class QPrinter;

class QtPainterDC : public CDC {
  public:
    // Draws on an image; its top-left pixel is (0, 0) and the clip box is the
    // whole image. The image must outlive the context.
    explicit QtPainterDC(QImage& image);
    // Draws with a painter that is already active. `transform` maps this
    // context's coordinates to the painter's logical coordinates (for a
    // scrolled view, a translation by minus the scroll position); it is put
    // on the painter before each drawing call, so several contexts may share
    // one painter. `clipBox` is the visible area in this context's
    // coordinates; clipping itself is the painter's.
    QtPainterDC(QPainter& painter, const QTransform& transform, const QRect& clipBox);
    ~QtPainterDC() override;
    QtPainterDC(const QtPainterDC&) = delete;
    QtPainterDC& operator=(const QtPainterDC&) = delete;

    Pen SelectPen(const Pen& pen) override;
    Brush SelectBrush(const Brush& brush) override;
    CPoint MoveTo(int x, int y) override;
    bool LineTo(int x, int y) override;
    bool Ellipse(int left, int top, int right, int bottom) override;
    bool Polygon(std::span<const CPoint> points) override;
    // The painter's state is looked at once for the whole batch.
    void DrawLines(std::span<const ColoredLine> lines, int width) override;
    void DrawEllipses(std::span<const CRect> boxes) override;
    void FillSolidRect(const CRect& rect, COLORREF color) override;
    int SetStretchBltMode(int mode) override;
    CPalette* SelectPalette(CPalette* palette, bool forceBackground) override;
    UINT RealizePalette() override;
    int GetDeviceCaps(int index) const override;
    bool IsPrinting() const override { return m_printing; }
    CRect GetClipBox() const override;
    void PaintPixels(const CRect& rect, const PixelMaker& make) override;
    int SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                          UINT startScan, UINT numScans, const void* bits, const BITMAPINFO* info,
                          UINT usage, std::size_t bitsBytes) override;
    int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                      int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                      UINT usage, DWORD rop, std::size_t bitsBytes) override;

    QPainter& Painter() { return *m_painter; }
    // Area drawn so far, in the painter's logical coordinates (pen width
    // included); a window uses it to show what a client context drew.
    QRect TouchedRect() const { return m_touched; }

  protected:
    void SetPrinting(bool printing) { m_printing = printing; }

  private:
    struct Bounds;

    void PrepareTransform();
    // Grows the touched area by the box with corners (x0, y0) and (x1, y1),
    // both included, and penWidth more on every side.
    void Touch(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int penWidth);
    // The same for width by height pixels from (x, y); a negative size
    // extends to the left or up.
    void TouchSized(int x, int y, std::int64_t width, std::int64_t height);
    // Paints the ellipse's ring and fill into the box with the painter.
    void PaintEllipse(QPainter& painter, const QRectF& box) const;
    // True when a picture of the ellipse copied onto the device gives the
    // same pixels as painting it there: the painter only moves by whole
    // pixels and draws plainly.
    bool CanCopyEllipse() const;
    // Takes the translation to device pixels and the painter's clip, when
    // both are in whole pixels; only then may the context draw directly.
    void PrepareDirectDrawing();
    // The picture to draw into directly, when the painter's present state
    // allows it.
    bool DirectSurface(pixel_raster::Surface* surface) const;
    bool LineDirect(CPoint from, CPoint to);
    // The line's pixels on the surface, or false when it is too far out or
    // too wide to be drawn there.
    bool FillLineOn(const pixel_raster::Surface& surface, CPoint from, CPoint to, int width,
                    COLORREF color, const pixel_raster::Box& band) const;
    bool LineFitsDirect(const ColoredLine& line, int width) const;
    // Lines that all fit, band by band; `drawn` gets their ends.
    void FillLinesInBands(const pixel_raster::Surface& surface, std::span<const ColoredLine> lines,
                          int width, Bounds* drawn);
    // Ellipses of one size whose picture is made of runs, band by band.
    void CopyEllipsesInBands(const pixel_raster::Surface& surface, std::span<const CRect> boxes,
                             Bounds* drawn);
    // Calls draw(i, band) for every shape i of the batch and each band its
    // device rows tops[i] .. bottoms[i] - 1 reach: band after band, or, for
    // a batch worth it, the bands spread over the processor's cores (draw
    // must then write only inside its band).
    template <typename Draw>
    void InBands(const pixel_raster::Surface& surface, Draw draw);
    bool EllipseDirect(int x, int y, const QSize& size);
    // The ellipse's picture copied onto the surface, or false when it has
    // none made of opaque runs.
    bool CopyEllipseOn(const pixel_raster::Surface& surface, int x, int y, const QSize& size,
                       const pixel_raster::Box& band);
    // The current ellipse picture's runs copied within the band.
    void CopyEllipseRuns(const pixel_raster::Surface& surface, int x, int y,
                         const pixel_raster::Box& band) const;
    // Brings the picture of the ellipse up to date for this size, pen and brush.
    void UpdateEllipsePicture(const QSize& size);

    // The last ellipse drawn as a picture, reused while size and colours
    // stay the same (every pad of a board looks alike).
    struct EllipsePicture {
        QSize size;
        Pen pen;
        Brush brush;
        QImage image;
        pixel_raster::OpaquePicture pixels; // of the image, when it is all opaque or clear
        bool hasRuns = false;
    };

    std::unique_ptr<QPainter> m_ownPainter; // set when drawing on an image
    QPainter* m_painter;
    QTransform m_transform;
    QRect m_clipBox;
    QRect m_touched;
    Pen m_pen;
    Brush m_brush;
    CPoint m_current;
    int m_stretchMode = 1; // BLACKONWHITE, the Windows default
    CPalette* m_palette = nullptr;
    bool m_printing = false;
    EllipsePicture m_ellipse;
    bool m_wholeShift = false; // m_transform moves by m_deviceShift only
    bool m_directPossible = false;
    bool m_clipped = false;
    std::vector<pixel_raster::Box> m_deviceClip;
    std::int64_t m_deviceShiftX = 0;
    std::int64_t m_deviceShiftY = 0;
    // The picture last found fit for direct drawing, and its pixels then.
    mutable const QImage* m_directImage = nullptr;
    mutable const uchar* m_directBits = nullptr;
    mutable pixel_raster::Surface m_directSurface;
    // Scratch of the batches drawn in bands.
    std::vector<int> m_tops, m_bottoms;
    pixel_raster::Bands m_bands;
};

// The context of a printout or of print preview: IsPrinting is true and the
// device capabilities are the printer's (page width in printer pixels and
// the printer's resolution).
class QtPrintDC : public QtPainterDC {
  public:
    // The painter must be active on the printer (or on the preview's
    // printer); the clip box is the page.
    QtPrintDC(QPainter& painter, QPrinter& printer);
    int GetDeviceCaps(int index) const override;

  private:
    QPrinter& m_printer;
};

// Device capability of a paint device in logical pixels (HORZRES, VERTRES)
// or dots per inch (LOGPIXELSX, LOGPIXELSY); 0 for other indexes.
int QtDeviceCaps(const QPaintDevice& device, int index);
