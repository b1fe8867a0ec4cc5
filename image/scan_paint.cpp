#include "image/scan_paint.h"

#include "board/zoom_factor.h"
#include "image/scan_pyramid.h"

#include <algorithm>
#include <cstdint>
#include <limits>

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
