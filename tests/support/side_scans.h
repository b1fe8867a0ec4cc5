// Scans of both sides of a made-up board for the tests of the other side:
// 24-bit pictures drawn by a function of the pixel, as blocks and as files.
#pragma once

#include "board/registration.h"
#include "image/dib.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace sides {

using Paint = std::function<std::uint32_t(int x, int y)>; // 0xRRGGBB

inline HDIB MakeScan(int width, int height, const Paint& paint, int dpi = 200) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::size_t bytes = sizeof(BITMAPINFOHEADER) + std::size_t(rowBytes) * height;
    HDIB dib = GlobalAlloc(GHND, bytes);
    GlobalLockGuard lock(dib);
    auto* header = static_cast<BITMAPINFOHEADER*>(lock.get());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = 24;
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(rowBytes * height);
    header->biXPelsPerMeter = header->biYPelsPerMeter = static_cast<LONG>(std::lround(dpi / 0.0254));
    BYTE* bits = static_cast<BYTE*>(lock.get()) + sizeof(BITMAPINFOHEADER);
    for (int y = 0; y < height; ++y) {
        BYTE* row = bits + std::size_t(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = paint(x, y);
            row[3 * x] = static_cast<BYTE>(c);
            row[3 * x + 1] = static_cast<BYTE>(c >> 8);
            row[3 * x + 2] = static_cast<BYTE>(c >> 16);
        }
    }
    return dib;
}

inline bool WriteScan(const std::string& path, HDIB dib) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = DibWriteFile(dib, f, path);
    return std::fclose(f) == 0 && ok;
}

inline std::string WriteScanFile(const std::string& path, int width, int height, const Paint& paint,
                                 int dpi = 200) {
    HDIB dib = MakeScan(width, height, paint, dpi);
    const bool ok = WriteScan(path, dib);
    GlobalFree(dib);
    return ok ? path : std::string();
}

// The front of the made-up board: a light board with dark pads (squares of
// 9 pixels) on a grid, and the same pads seen from the back as the back
// scan shows them, after a transform of back pixels to front pixels.
constexpr std::uint32_t kBoard = 0xE0D0A0;
constexpr std::uint32_t kPad = 0x202020;
inline bool IsPad(double x, double y) {
    // Centred on 20, 60, 100, ...
    const double gx = std::fmod(x, 40.0) - 20, gy = std::fmod(y, 40.0) - 20;
    return x >= 15 && y >= 15 && gx >= -4.5 && gx < 4.5 && gy >= -4.5 && gy < 4.5;
}
// A track along the left part only, so that a mirror shows.
inline bool IsTrack(int x, int y) { return y >= 98 && y < 102 && x >= 20 && x < 180; }
inline std::uint32_t Front(int x, int y) { return IsPad(x, y) || IsTrack(x, y) ? kPad : kBoard; }

// A back scan whose pixel b shows the board at backToFront(b), nearest.
inline Paint BackOf(const registration::Transform& backToFront, const Paint& front, int frontWidth,
                    int frontHeight, std::uint32_t outside = 0x000000) {
    return [=](int x, int y) -> std::uint32_t {
        const auto f = backToFront.Apply({double(x), double(y)});
        if (!f)
            return outside;
        const double fx = std::floor(f->x + 0.5), fy = std::floor(f->y + 0.5);
        if (!(fx >= 0 && fy >= 0 && fx < frontWidth && fy < frontHeight))
            return outside;
        return front(int(fx), int(fy));
    };
}

// Mirrored left to right, turned by 3 degrees, 1.02 times as large and in
// perspective, centred on a front of the given size; back and front of the
// same size.
inline registration::Transform PhotoOfBack(int width, int height) {
    const double a = 3.0 * M_PI / 180.0, s = 1.02;
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    // About the centre: f = c + R S M (b - c), then a slight perspective.
    const double m00 = -s * std::cos(a), m01 = -s * std::sin(a);
    const double m10 = -s * std::sin(a), m11 = s * std::cos(a);
    const registration::Transform affine(
        {m00, m01, cx - m00 * cx - m01 * cy, m10, m11, cy - m10 * cx - m11 * cy, 0, 0, 1});
    const double p = 1e-5;
    const registration::Transform perspective({1, 0, 0, 0, 1, 0, p, -p, 1 - p * cx + p * cy});
    return perspective.After(affine);
}

} // namespace sides
