#include "image/scan_paint.h"

#include "board/zoom_factor.h"
#include "image/scan_pyramid.h"
#include "platform/parallel_parts.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// Rows of a first level reduced per band: a band of a wide window stays in
// the processor's cache between its reduction and its painting.
constexpr int kBandRows = 32;

// The first level where the context can show it, reduced from the scan band
// by band; `dest` is the whole level's place.
bool PaintReducedFirstLevel(CDC& dc, const CDibDoc& doc, const CRect& dest) {
    CRect shown;
    if (!shown.IntersectRect(dc.GetClipBox(), dest))
        return true;
    GlobalLockGuard scan(doc.GetDibBlock());
    if (!scan.get())
        return false;
    FirstLevelPart part;
    // Each core reduces and paints its share of a band.
    const int bandRows = kBandRows * parallel::PartsAtOnce();
    for (int top = shown.top; top < shown.bottom; top += bandRows) {
        const CRect band(shown.left, top, shown.right, std::min(top + bandRows, shown.bottom));
        CRect area = band;
        area.OffsetRect(-dest.left, -dest.top);
        if (!part.Reduce(scan.get(), scan.size(), area))
            return false;
        const CRect size(0, 0, band.Width(), band.Height());
        if (!DibRender(&dc, band, part.Block(), size, doc.GetDibPalette()))
            return false;
    }
    return true;
}

} // namespace

int ScanExtentAtZoom(int value, int zoomExponent) {
    const std::int64_t v = ZoomFactor::FromExponent(zoomExponent).ZoomedExtent(std::max(value, 0));
    return static_cast<int>(std::min<std::int64_t>(v, std::numeric_limits<int>::max()));
}

bool PaintScan(CDC& dc, const CDibDoc& doc, int zoomExponent, CRect* painted) {
    HDIB block = doc.GetDibBlock();
    if (!block)
        return false;
    const CSize size = doc.GetImageSize();
    const CRect dest(0, 0, ScanExtentAtZoom(size.cx, zoomExponent),
                     ScanExtentAtZoom(size.cy, zoomExponent));
    CRect src(0, 0, size.cx, size.cy);
    const ScanPyramid* pyramid = doc.GetPyramid();
    if (zoomExponent < 0 && pyramid) {
        // The level of this zoom, or the smallest there is when the zoom is
        // finer still.
        const int level = std::min(-zoomExponent, pyramid->LevelCount());
        if (pyramid->IsReducedWhenPainted(level)) {
            if (!PaintReducedFirstLevel(dc, doc, dest))
                return false;
            if (painted)
                *painted = dest;
            return true;
        }
        if (level > 0) {
            block = pyramid->Level(level);
            const CSize levelSize = pyramid->LevelSize(level);
            src = CRect(0, 0, levelSize.cx, levelSize.cy);
        }
    }
    if (!DibRender(&dc, dest, block, src, doc.GetDibPalette()))
        return false;
    if (painted)
        *painted = dest;
    return true;
}
