#include "platform/device_context.h"

#include "platform/parallel_parts.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Rows made and handed over at a time, so that the band's buffer stays small.
constexpr int kBandRows = 64;

BITMAPINFO BandInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Makes the rows of a band, bottom-up as a DIB stores them, in one part per core.
void MakeBand(const PixelMaker& make, const CRect& band, std::uint32_t* bits) {
    const int width = band.Width(), height = band.Height();
    const int parts = std::min(parallel::PartsAtOnce(), height);
    std::uint32_t* lastRow = bits + static_cast<std::ptrdiff_t>(height - 1) * width;
    parallel::RunParts(parts, [&](int part) {
        const int top = height * part / parts, bottom = height * (part + 1) / parts;
        make(band.left, band.top + top, width, bottom - top,
             lastRow - static_cast<std::ptrdiff_t>(top) * width, -static_cast<std::ptrdiff_t>(width));
    });
}

} // namespace

void CDC::PaintPixels(const CRect& rect, const PixelMaker& make) {
    CRect shown;
    if (!shown.IntersectRect(GetClipBox(), rect))
        return;
    const int width = shown.Width();
    std::vector<std::uint32_t> band(static_cast<std::size_t>(width) * kBandRows);
    for (int top = shown.top; top < shown.bottom; top += kBandRows) {
        const CRect rows(shown.left, top, shown.right, std::min(top + kBandRows, shown.bottom));
        const int height = rows.Height();
        MakeBand(make, rows, band.data());
        BITMAPINFO info = BandInfo(width, height);
        SetDIBitsToDevice(rows.left, rows.top, static_cast<DWORD>(width), static_cast<DWORD>(height), 0,
                          0, 0, static_cast<UINT>(height), band.data(), &info, DIB_RGB_COLORS,
                          static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    }
}
