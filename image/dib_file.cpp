// Reading and writing .bmp files: a 14-byte file header and a packed DIB.
#include "image/dib.h"
#include "image/dib_layout.h"
#include "platform/dib_types.h"

#include <cerrno>
#include <functional>
#include <optional>

namespace {

// Large files are moved in pieces that fit the file layer's byte counts.
constexpr std::size_t kChunk = std::size_t{1} << 30;

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

HDIB DibReadFile(CFile& file) {
    const unsigned long long length = file.GetLength();
    BITMAPFILEHEADER header{};
    if (file.Read(&header, sizeof header) < sizeof header || header.bfType != DIB_FILE_TYPE)
        return nullptr;
    if (length < sizeof header)
        return nullptr;
    // The block holds exactly the DIB the file carries, so that a file cut
    // short is seen as such.
    const auto bytes = static_cast<std::size_t>(length - sizeof header);
    HDIB dib = GlobalAlloc(GHND, bytes);
    if (!dib)
        return nullptr;
    {
        GlobalLockGuard lock(dib);
        auto* p = static_cast<BYTE*>(lock.get());
        try {
            for (std::size_t done = 0; done < bytes;) {
                const auto n = static_cast<UINT>(std::min(kChunk, bytes - done));
                const UINT got = file.Read(p + done, n);
                if (got < n) {
                    GlobalUnlock(dib);
                    GlobalFree(dib);
                    return nullptr;
                }
                done += got;
            }
        } catch (...) {
            GlobalUnlock(dib);
            GlobalFree(dib);
            throw;
        }
    }
    const std::size_t bitsOffset =
        header.bfOffBits > sizeof header ? header.bfOffBits - sizeof header : 0;
    DibNormalizeBlock(dib, bitsOffset);
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
