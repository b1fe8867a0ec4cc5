#include "image/dib.h"

#include "image/dib_layout.h"
#include "platform/dib_types.h"

#include <cstring>
#include <limits>

namespace {

bool IsInfoHeader(const void* header) { return DibHeaderSize(header) == sizeof(BITMAPINFOHEADER); }

const BITMAPINFOHEADER& Info(const void* header) {
    return *static_cast<const BITMAPINFOHEADER*>(header);
}

const BITMAPCOREHEADER& Core(const void* header) {
    return *static_cast<const BITMAPCOREHEADER*>(header);
}

WORD ColorsForBitCount(WORD bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

} // namespace

DWORD DibHeaderSize(const void* header) {
    DWORD size;
    std::memcpy(&size, header, sizeof size);
    return size;
}

WORD DibColorCount(const void* header) {
    if (IsInfoHeader(header)) {
        if (Info(header).biClrUsed != 0)
            return static_cast<WORD>(Info(header).biClrUsed);
        return ColorsForBitCount(Info(header).biBitCount);
    }
    return ColorsForBitCount(Core(header).bcBitCount);
}

WORD DibColorTableBytes(const void* header) {
    const unsigned entry = IsInfoHeader(header) ? sizeof(RGBQUAD) : sizeof(RGBTRIPLE);
    return static_cast<WORD>(DibColorCount(header) * entry);
}

WORD DibMaskBytes(const void* header) {
    return IsInfoHeader(header) && Info(header).biCompression == BI_BITFIELDS ? 12 : 0;
}

BYTE* DibPixelData(const void* header) {
    auto* p = static_cast<BYTE*>(const_cast<void*>(header));
    return p + DibHeaderSize(header) + DibMaskBytes(header) + DibColorTableBytes(header);
}

DWORD DibGetWidth(const void* header) {
    if (IsInfoHeader(header))
        return static_cast<DWORD>(Info(header).biWidth);
    return Core(header).bcWidth;
}

DWORD DibGetHeight(const void* header) {
    if (IsInfoHeader(header))
        return static_cast<DWORD>(Info(header).biHeight);
    return Core(header).bcHeight;
}

bool DibMakePalette(HDIB dib, CPalette* palette) {
    if (!dib || !palette)
        return false;
    GlobalLockGuard lock(dib);
    const std::size_t bytes = lock.size();
    if (!lock.get() || !DibHeaderFits(lock.get(), bytes))
        return false;
    const void* header = lock.get();
    const WORD count = DibColorCount(header);
    if (count == 0)
        return false;
    // The entries themselves are counted here, not the 16-bit table size,
    // which wraps for counts of 16384 and more.
    const std::size_t entry = IsInfoHeader(header) ? sizeof(RGBQUAD) : sizeof(RGBTRIPLE);
    const std::size_t tableOffset = DibHeaderSize(header) + DibMaskBytes(header);
    if (tableOffset + count * entry > bytes)
        return false;

    HGLOBAL record = GlobalAlloc(GHND, sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    if (!record)
        return false;
    auto* log = static_cast<LOGPALETTE*>(GlobalLock(record));
    log->palVersion = 0x300;
    log->palNumEntries = count;
    const auto* table = static_cast<const BYTE*>(header) + tableOffset;
    // The record's first entry is part of LOGPALETTE; the rest follow it.
    PALETTEENTRY* entries = log->palPalEntry;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* e = table + i * entry;
        entries[i] = PALETTEENTRY{e[2], e[1], e[0], 0};
    }
    palette->DeleteObject();
    const bool created = palette->CreatePalette(log);
    GlobalUnlock(record);
    GlobalFree(record);
    return created;
}

HGLOBAL DuplicateGlobalBlock(HGLOBAL block) {
    if (!block)
        return nullptr;
    const std::size_t size = GlobalSize(block);
    HGLOBAL copy = GlobalAlloc(GHND, size);
    if (!copy)
        return nullptr;
    const void* from = GlobalLock(block);
    void* to = GlobalLock(copy);
    if (from && to && size)
        std::memcpy(to, from, size);
    GlobalUnlock(copy);
    GlobalUnlock(block);
    return copy;
}

int DibRender(CDC* dc, const CRect& dest, HDIB dib, const CRect& src, CPalette* palette) {
    if (!dib || !dc)
        return 0;
    GlobalLockGuard lock(dib);
    const std::size_t bytes = lock.size();
    // A block that does not hold what its header describes is not painted.
    if (!lock.get() || DibCheckBlock(lock.get(), bytes) != DibCheck::Ok)
        return 0;
    const auto* info = static_cast<const BITMAPINFO*>(lock.get());
    const BYTE* bits = DibPixelData(info);
    const std::size_t bitsBytes = bytes - static_cast<std::size_t>(bits - static_cast<const BYTE*>(lock.get()));

    CPalette* previous = nullptr;
    if (palette)
        previous = dc->SelectPalette(palette, true);
    dc->SetStretchBltMode(COLORONCOLOR);

    int result;
    const int height = static_cast<int>(DibGetHeight(info));
    if (dest.Width() == src.Width() && dest.Height() == src.Height()) {
        // All scan lines are in the block, so all are handed over, however
        // many there are.
        result = dc->SetDIBitsToDevice(dest.left, dest.top, static_cast<DWORD>(dest.Width()),
                                       static_cast<DWORD>(dest.Height()), src.left,
                                       height - src.bottom, 0, static_cast<UINT>(height), bits,
                                       info, DIB_RGB_COLORS, bitsBytes);
    } else {
        result = dc->StretchDIBits(dest.left, dest.top, dest.Width(), dest.Height(), src.left,
                                   src.top, src.Width(), src.Height(), bits, info, DIB_RGB_COLORS,
                                   SRCCOPY, bitsBytes);
    }
    if (palette)
        dc->SelectPalette(previous, true);
    return result;
}
