// Reading and writing .bmp files: a 14-byte file header and a packed DIB.
#include "image/dib.h"
#include "image/dib_layout.h"
#include "platform/dib_types.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>

namespace {

// Large files are moved in pieces that fit the file layer's byte counts.
constexpr std::size_t kChunk = std::size_t{1} << 30;
constexpr std::size_t kProgressChunk = std::size_t{1} << 20;

using WriteBytes = std::function<void(const void*, std::size_t)>;

struct WritePlan {
    BITMAPFILEHEADER fileHeader{};
    std::size_t dibBytes = 0;
    DWORD imageSize = 0;
};

// What DibWriteFile writes for this block, or nothing when it refuses it.
std::optional<WritePlan> PlanWrite(const void* header, std::size_t bytes) {
    if (!header || bytes < sizeof(BITMAPINFOHEADER) ||
        DibHeaderSize(header) != sizeof(BITMAPINFOHEADER))
        return std::nullopt;
    const auto& info = *static_cast<const BITMAPINFOHEADER*>(header);
    const std::uint64_t bitsOffset =
        sizeof(BITMAPINFOHEADER) + DibMaskBytes(header) + DibColorTableBytes(header);
    std::uint64_t imageSize;
    if (info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4) {
        imageSize = info.biSizeImage;
    } else {
        const std::uint64_t width = static_cast<DWORD>(info.biWidth);
        const std::uint64_t height = static_cast<DWORD>(info.biHeight);
        imageSize = (width * info.biBitCount + 31) / 32 * height * 4;
    }
    const std::uint64_t dibBytes = bitsOffset + imageSize;
    // Only what lies inside the block is ever written, and the sizes must fit
    // the file header's fields.
    if (imageSize > 0xFFFFFFFFu || dibBytes > bytes || dibBytes + 14 > 0xFFFFFFFFu)
        return std::nullopt;
    WritePlan plan;
    plan.fileHeader.bfType = DIB_FILE_TYPE;
    plan.fileHeader.bfSize = static_cast<DWORD>(dibBytes + sizeof(BITMAPFILEHEADER));
    plan.fileHeader.bfOffBits = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + bitsOffset);
    plan.dibBytes = static_cast<std::size_t>(dibBytes);
    plan.imageSize = static_cast<DWORD>(imageSize);
    return plan;
}

bool WriteDib(HDIB dib, const WriteBytes& write) {
    if (!dib)
        return false;
    GlobalLockGuard lock(dib);
    const std::optional<WritePlan> plan = PlanWrite(lock.get(), lock.size());
    if (!plan)
        return false;
    // The document's own header carries the image size it was saved with.
    static_cast<BITMAPINFOHEADER*>(lock.get())->biSizeImage = plan->imageSize;
    write(&plan->fileHeader, sizeof plan->fileHeader);
    const auto* p = static_cast<const BYTE*>(lock.get());
    for (std::size_t done = 0; done < plan->dibBytes;) {
        const std::size_t n = std::min(kChunk, plan->dibBytes - done);
        write(p + done, n);
        done += n;
    }
    return true;
}

} // namespace

namespace {
constexpr std::size_t kLongestHeader = 124;

DWORD U32(const BYTE* p, std::size_t at) {
    return DWORD{p[at]} | DWORD{p[at + 1]} << 8 | DWORD{p[at + 2]} << 16 | DWORD{p[at + 3]} << 24;
}
WORD U16(const BYTE* p, std::size_t at) {
    return static_cast<WORD>(p[at] | p[at + 1] << 8);
}

// The bytes of the headers, masks and colour table the first bytes after
// the file header describe; 0 for an unknown header.
std::uint64_t DibHeadersBytes(const BYTE* p, std::size_t have) {
    if (have < 4)
        return 0;
    const DWORD size = U32(p, 0);
    const bool core = size == sizeof(BITMAPCOREHEADER);
    const bool info = size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
    if ((!core && !info) || have < size)
        return 0;
    const WORD bitCount = core ? U16(p, 10) : U16(p, 14);
    DWORD compression = core ? DWORD{BI_RGB} : U32(p, 16);
    if (compression == 6) // alpha bit fields
        compression = BI_BITFIELDS;
    const DWORD used = core ? 0 : U32(p, 32) & 0xFFFFu;
    const std::uint64_t count = used ? used : (bitCount <= 8 ? std::uint64_t{1} << bitCount : 0);
    const std::uint64_t masks = size == 40 && compression == BI_BITFIELDS ? 12 : 0;
    return size + masks + count * (core ? 3 : 4);
}

// The bytes after the file header that the picture its headers describe
// takes up: header, masks, colour table, any gap and the pixels. 0 when the
// headers do not tell (an unknown header, run-length data of no stated
// size); just the headers when the picture will be refused anyway.
std::uint64_t DibBytesNeeded(const BYTE* p, std::size_t have, std::size_t bitsOffset) {
    const std::uint64_t natural = DibHeadersBytes(p, have);
    if (natural == 0)
        return 0;
    const bool core = U32(p, 0) == sizeof(BITMAPCOREHEADER);
    const std::uint64_t width = core ? U16(p, 4) : U32(p, 4);
    const std::uint64_t height = core ? U16(p, 6) : U32(p, 8);
    const WORD bitCount = core ? U16(p, 10) : U16(p, 14);
    const DWORD compression = core ? DWORD{BI_RGB} : U32(p, 16);
    const std::uint64_t bits = bitsOffset > natural ? bitsOffset : natural;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        const DWORD imageSize = U32(p, 20);
        return imageSize ? bits + imageSize : 0;
    }
    const bool knownDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                            bitCount == 24 || bitCount == 32;
    if (!knownDepth || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return bits;
    return bits + (width * bitCount + 31) / 32 * 4 * height;
}

// Reads `count` bytes, or fewer only at the end of the file (or when
// `goOn` says to stop).
std::size_t ReadUpTo(CFile& file, BYTE* p, std::size_t count,
                     const std::function<bool(double)>& goOn = {}) {
    // Parts small enough that a stop is heard within a fraction of a second.
    const std::size_t chunk = goOn ? kProgressChunk : kChunk;
    std::size_t done = 0;
    while (done < count) {
        const auto n = static_cast<UINT>(std::min(chunk, count - done));
        const UINT got = file.Read(p + done, n);
        done += got;
        if (got < n || (goOn && !goOn(static_cast<double>(done) / static_cast<double>(count))))
            break;
    }
    return done;
}
} // namespace

HDIB DibReadFile(CFile& file) { return DibReadFile(file, {}); }

HDIB DibReadFile(CFile& file, const std::function<bool(double)>& goOn) {
    BITMAPFILEHEADER header{};
    if (file.Read(&header, sizeof header) < sizeof header || header.bfType != DIB_FILE_TYPE)
        return nullptr;
    // A pipe has no length: its picture is as long as its headers say.
    const unsigned long long length = file.GetLength();
    const std::uint64_t rest = length > sizeof header ? length - sizeof header : 0;
    BYTE head[kLongestHeader];
    const std::size_t headBytes =
        ReadUpTo(file, head, rest ? std::min<std::uint64_t>(rest, sizeof head) : sizeof head);
    const std::size_t bitsOffset =
        header.bfOffBits > sizeof header ? header.bfOffBits - sizeof header : 0;
    // The block is sized by what the headers need, never by the file alone:
    // bytes past the picture are left unread. A file shorter than its
    // picture is read as it is, and the check that follows refuses it.
    std::uint64_t bytes = DibBytesNeeded(head, headBytes, bitsOffset);
    if (rest > 0)
        bytes = bytes ? std::min(bytes, rest) : rest;
    else if (bytes == 0)
        bytes = headBytes;
    if (bytes > SIZE_MAX)
        return nullptr;
    HDIB dib = GlobalAlloc(GHND, static_cast<std::size_t>(bytes));
    if (!dib)
        return nullptr;
    bool complete = false;
    try {
        // The lock ends before a short read frees the block.
        GlobalLockGuard lock(dib);
        auto* p = static_cast<BYTE*>(lock.get());
        const auto total = static_cast<std::size_t>(bytes);
        const std::size_t fromHead = std::min(total, headBytes);
        std::memcpy(p, head, fromHead);
        complete = fromHead + ReadUpTo(file, p + fromHead, total - fromHead, goOn) == total;
    } catch (...) {
        GlobalFree(dib);
        throw;
    }
    if (!complete) {
        GlobalFree(dib);
        return nullptr;
    }
    DibNormalizeBlock(dib, bitsOffset);
    return dib;
}

HDIB DibReadFileHeaders(CFile& file, std::uint64_t* pixelBytes) {
    BITMAPFILEHEADER header{};
    if (file.Read(&header, sizeof header) < sizeof header || header.bfType != DIB_FILE_TYPE)
        return nullptr;
    const unsigned long long length = file.GetLength();
    if (length <= sizeof header)
        return nullptr;
    const std::uint64_t rest = length - sizeof header;
    BYTE head[kLongestHeader];
    const std::size_t headBytes = ReadUpTo(file, head, std::min<std::uint64_t>(rest, sizeof head));
    const std::uint64_t headers = DibHeadersBytes(head, headBytes);
    const DWORD size = headBytes >= 4 ? U32(head, 0) : 0;
    const DWORD compression =
        size > sizeof(BITMAPCOREHEADER) && headBytes >= 20 ? U32(head, 16) : 0;
    // Run-length data must be read to be checked; a table past the file's
    // end is the whole reader's to refuse.
    if (headers == 0 || headers > rest || compression == BI_RLE8 || compression == BI_RLE4)
        return nullptr;
    const std::uint64_t bitsOffset =
        header.bfOffBits > sizeof header ? header.bfOffBits - sizeof header : 0;
    const std::uint64_t bitsStart = std::max(bitsOffset, headers);
    *pixelBytes = rest > bitsStart ? rest - bitsStart : 0;
    HDIB dib = GlobalAlloc(GHND, static_cast<std::size_t>(headers));
    if (!dib)
        return nullptr;
    bool complete = false;
    {
        GlobalLockGuard lock(dib);
        auto* p = static_cast<BYTE*>(lock.get());
        const std::size_t fromHead = std::min<std::size_t>(static_cast<std::size_t>(headers), headBytes);
        std::memcpy(p, head, fromHead);
        const auto total = static_cast<std::size_t>(headers);
        complete = fromHead + ReadUpTo(file, p + fromHead, total - fromHead) == total;
    }
    if (!complete) {
        GlobalFree(dib);
        return nullptr;
    }
    DibNormalizeBlock(dib, 0);
    return dib;
}

bool DibWriteFile(HDIB dib, CFile& file) {
    return WriteDib(dib, [&file](const void* data, std::size_t n) {
        file.Write(data, static_cast<UINT>(n));
    });
}

bool DibWriteFile(HDIB dib, std::FILE* stream, const std::string& fileName) {
    if (!stream)
        return false;
    return WriteDib(dib, [&](const void* data, std::size_t n) {
        if (std::fwrite(data, 1, n, stream) != n)
            throw CFileException(CFileException::CauseFromErrno(errno), errno, fileName);
    });
}

bool DibCanWrite(HDIB dib) {
    if (!dib)
        return false;
    GlobalLockGuard lock(dib);
    return PlanWrite(lock.get(), lock.size()).has_value();
}

DibInfoResult DibReadFileInfo(const std::string& path, DibFileInfo* info,
                              CFileException* error) {
    CFile file;
    CFileException openError;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &openError)) {
        if (error)
            *error = openError;
        return DibInfoResult::CannotOpen;
    }
    BITMAPFILEHEADER header{};
    DWORD storedHeaderSize = 0;
    HDIB dib = nullptr;
    try {
        if (file.Read(&header, sizeof header) == sizeof header && header.bfType == DIB_FILE_TYPE)
            file.Read(&storedHeaderSize, sizeof storedHeaderSize);
        file.Abort();
        file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &openError);
        dib = DibReadFile(file);
    } catch (const CFileException& e) {
        if (error)
            *error = e;
        return DibInfoResult::CannotOpen;
    }
    if (!dib)
        return DibInfoResult::NotBmp;
    DibFileInfo result;
    result.fileHeaderSize = storedHeaderSize;
    {
        GlobalLockGuard lock(dib);
        const void* p = lock.get();
        result.check = DibCheckBlock(p, lock.size());
        if (DibHeaderFits(p, lock.size())) {
            result.coreHeader = DibHeaderSize(p) != sizeof(BITMAPINFOHEADER);
            result.width = DibGetWidth(p);
            result.height = DibGetHeight(p);
            if (result.coreHeader) {
                result.bitCount = static_cast<const BITMAPCOREHEADER*>(p)->bcBitCount;
            } else {
                result.bitCount = static_cast<const BITMAPINFOHEADER*>(p)->biBitCount;
                result.compression = static_cast<const BITMAPINFOHEADER*>(p)->biCompression;
            }
            result.colors = DibColorCount(p);
        }
    }
    CPalette palette;
    result.hasPalette = result.check == DibCheck::Ok && DibMakePalette(dib, &palette);
    GlobalFree(dib);
    if (info)
        *info = result;
    return DibInfoResult::Ok;
}
