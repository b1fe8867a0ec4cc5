#include "platform/qt/image_shift.h"

#include <QImage>

#include <cstdlib>
#include <cstring>

bool ShiftImagePixels(QImage& image, int dx, int dy) {
    if (image.isNull() || image.depth() != 32 || !image.isDetached())
        return false;
    const int w = image.width(), h = image.height();
    if (std::abs(dx) >= w || std::abs(dy) >= h)
        return true; // nothing of the image stays in it
    const std::size_t bytes = std::size_t(w - std::abs(dx)) * 4;
    const int toX = dx > 0 ? dx : 0, fromX = dx > 0 ? 0 : -dx;
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const auto move = [&](int y) {
        std::memmove(bits + y * stride + toX * 4, bits + (y - dy) * stride + fromX * 4, bytes);
    };
    // Rows are taken before they are written over: moving down, from the
    // bottom up; moving up, from the top down.
    if (dy > 0)
        for (int y = h - 1; y >= dy; --y)
            move(y);
    else
        for (int y = 0; y < h + dy; ++y)
            move(y);
    return true;
}
