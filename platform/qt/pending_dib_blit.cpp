// Placeholder until DIB painting lands; this file is removed then.
#include "platform/qt/dib_blit.h"

int QtSetDIBitsToDevice(QPainter&, const QRect&, int, int, DWORD, DWORD, int, int, UINT, UINT,
                        const void*, const BITMAPINFO*, UINT, std::size_t) {
    return 0;
}

int QtStretchDIBits(QPainter&, const QRect&, int, int, int, int, int, int, int, int, const void*,
                    const BITMAPINFO*, UINT, DWORD, std::size_t) {
    return 0;
}
