// Checking and normalising DIB blocks that come from files and from the
// clipboard, so that painting, palettes and saving only ever read inside the
// block.
#include "image/dib.h"
#include "image/dib_layout.h"
#include "platform/dib_types.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr DWORD kCoreSize = sizeof(BITMAPCOREHEADER);
constexpr DWORD kInfoSize = sizeof(BITMAPINFOHEADER);
constexpr DWORD kBiAlphaBitfields = 6;

DWORD ReadU32(const BYTE* p, std::size_t at) {
    DWORD v;
    std::memcpy(&v, p + at, sizeof v);
    return v;
}

void WriteU32(BYTE* p, std::size_t at, DWORD v) {
    std::memcpy(p + at, &v, sizeof v);
}

bool IsKnownFormat(WORD bitCount, DWORD compression) {
    switch (compression) {
    case BI_RGB:
        return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
               bitCount == 24 || bitCount == 32;
    case BI_RLE8:
        return bitCount == 8;
    case BI_RLE4:
        return bitCount == 4;
    case BI_BITFIELDS:
        return bitCount == 16 || bitCount == 32;
    default:
        return false;
    }
}

// Headers longer than 40 bytes that start with the 40-byte layout and keep
// their colour masks at offset 40.
bool IsLongInfoHeader(DWORD size) {
    return size == 52 || size == 56 || size == 108 || size == 124;
}

// Whether run-length data stop at a code boundary: at the end-of-picture
// escape, or where the data end. A code cut in the middle means the data
// were cut short, whatever the header says of their size.
bool RleStreamIsWhole(const BYTE* p, std::size_t size, bool four) {
    std::size_t i = 0;
    while (i < size) {
        if (i + 2 > size)
            return false;
        const BYTE count = p[i];
        const BYTE value = p[i + 1];
        i += 2;
        if (count > 0 || value == 0)
            continue;
        if (value == 1)
            return true;
        const std::size_t operand =
            value == 2 ? 2 : ((four ? (value + 1u) / 2u : value) + 1u) & ~std::size_t{1};
        if (operand > size - i)
            return false;
        i += operand;
    }
    return true;
}

} // namespace

bool DibHeaderFits(const void* header, std::size_t bytes) {
    if (!header || bytes < sizeof(DWORD))
        return false;
    return bytes >= (DibHeaderSize(header) == kInfoSize ? kInfoSize : kCoreSize);
}

namespace {

// pixelBytes: how many bytes of pixels follow the colour table when they
// are not in the block (a file's headers read alone); nothing when they are.
DibCheck CheckLayout(const void* block, std::size_t bytes, std::optional<std::uint64_t> pixelBytes) {
    if (!DibHeaderFits(block, bytes))
        return DibCheck::Invalid;
    const DWORD size = DibHeaderSize(block);
    if (size != kCoreSize && size != kInfoSize)
        return DibCheck::Invalid;
    const DWORD width = DibGetWidth(block);
    const DWORD height = DibGetHeight(block);
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return DibCheck::TooLarge;
    if (width == 0 || height == 0)
        return DibCheck::Invalid;

    const auto* p = static_cast<const BYTE*>(block);
    WORD bitCount;
    DWORD compression = BI_RGB;
    DWORD imageSize = 0;
    if (size == kInfoSize) {
        const auto& info = *static_cast<const BITMAPINFOHEADER*>(block);
        bitCount = info.biBitCount;
        compression = info.biCompression;
        imageSize = info.biSizeImage;
    } else {
        bitCount = static_cast<const BITMAPCOREHEADER*>(block)->bcBitCount;
    }
    if (!IsKnownFormat(bitCount, compression))
        return DibCheck::Invalid;
    if (bitCount <= 8 && DibColorCount(block) == 0)
        return DibCheck::Invalid;
    // A table of 16384 entries or more has a 16-bit size that wraps, so its
    // bits would be looked for inside it.
    const std::size_t entry = size == kInfoSize ? sizeof(RGBQUAD) : sizeof(RGBTRIPLE);
    if (std::size_t{DibColorCount(block)} * entry != DibColorTableBytes(block))
        return DibCheck::Invalid;

    const std::size_t bitsOffset = static_cast<std::size_t>(DibPixelData(block) - p);
    if (bitsOffset > bytes)
        return DibCheck::Invalid;
    const std::uint64_t available = pixelBytes ? *pixelBytes : bytes - bitsOffset;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        if (pixelBytes) // the stream itself must be read to tell
            return DibCheck::Invalid;
        if (imageSize > available)
            return DibCheck::Invalid;
        return RleStreamIsWhole(p + bitsOffset, imageSize, compression == BI_RLE4)
                   ? DibCheck::Ok
                   : DibCheck::Invalid;
    }
    // Colour masks without a single bit set leave nothing to show.
    if (compression == BI_BITFIELDS && ReadU32(p, kInfoSize) == 0 &&
        ReadU32(p, kInfoSize + 4) == 0 && ReadU32(p, kInfoSize + 8) == 0)
        return DibCheck::Invalid;
    const std::uint64_t stride = (std::uint64_t{width} * bitCount + 31) / 32 * 4;
    return height <= available / stride ? DibCheck::Ok : DibCheck::Invalid;
}

} // namespace

DibCheck DibCheckBlock(const void* block, std::size_t bytes) {
    return CheckLayout(block, bytes, std::nullopt);
}

DibCheck DibCheckHeaders(const void* headers, std::size_t bytes, std::uint64_t pixelBytes) {
    return CheckLayout(headers, bytes, pixelBytes);
}

DibCheck DibCheckBlock(HDIB dib) {
    if (!dib)
        return DibCheck::Invalid;
    GlobalLockGuard lock(dib);
    return DibCheckBlock(lock.get(), lock.size());
}

namespace {

// Returns the bytes in use afterwards.
std::size_t NormalizeLocked(BYTE* p, std::size_t bytes, std::size_t bitsOffset) {
    if (!p || bytes < kCoreSize)
        return bytes;
    const DWORD size = ReadU32(p, 0);
    if (size != kCoreSize && size != kInfoSize && !IsLongInfoHeader(size))
        return bytes;
    if (bytes < size)
        return bytes;

    // Where the parts lie now, and where they go.
    std::size_t tableFrom = size;
    std::size_t tableTo = size;
    std::size_t tableBytes = 3 * std::size_t{DibColorCount(p)};
    DWORD compression = BI_RGB;
    if (size != kCoreSize) {
        compression = ReadU32(p, 16);
        if (compression == kBiAlphaBitfields)
            compression = BI_BITFIELDS;
        const std::size_t masks = compression == BI_BITFIELDS ? 12 : 0;
        if (size == kInfoSize)
            tableFrom += masks;
        tableTo = kInfoSize + masks;
        // Colour counts follow the 40-byte reading once the header is one.
        const DWORD used = ReadU32(p, 32);
        const WORD bitCount = static_cast<WORD>(p[14] | (p[15] << 8));
        const std::size_t count = used ? (used & 0xFFFFu)
                                       : (bitCount == 1   ? 2
                                          : bitCount == 4 ? 16
                                          : bitCount == 8 ? 256
                                                          : 0);
        tableBytes = 4 * count;
    }
    const std::size_t naturalBits = tableFrom + tableBytes;
    if (naturalBits > bytes)
        return bytes;
    const std::size_t bitsFrom =
        (bitsOffset > naturalBits && bitsOffset < bytes) ? bitsOffset : naturalBits;

    const std::size_t bitsBytes = bytes - bitsFrom;

    if (size != kCoreSize) {
        WriteU32(p, 0, kInfoSize);
        WriteU32(p, 16, compression);
    }
    if (tableTo != tableFrom)
        std::memmove(p + tableTo, p + tableFrom, tableBytes);
    const std::size_t bitsTo = tableTo + tableBytes;
    if (bitsTo != bitsFrom)
        std::memmove(p + bitsTo, p + bitsFrom, bitsBytes);
    if (size != kCoreSize && (compression == BI_RLE8 || compression == BI_RLE4) &&
        ReadU32(p, 20) == 0)
        WriteU32(p, 20, static_cast<DWORD>(std::min<std::size_t>(bitsBytes, 0xFFFFFFFFu)));
    return bitsTo + bitsBytes;
}

} // namespace

void DibNormalizeBlock(HDIB dib, std::size_t bitsOffset) {
    std::size_t used;
    {
        GlobalLockGuard lock(dib);
        used = NormalizeLocked(static_cast<BYTE*>(lock.get()), lock.size(), bitsOffset);
    }
    // The block ends where its data end, so that what was moved up never
    // leaves bytes behind that could pass for pixels.
    if (used < GlobalSize(dib))
        GlobalReAlloc(dib, used, GMEM_MOVEABLE);
}
