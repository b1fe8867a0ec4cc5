#include "cli/scan_image.h"

#include "image/dib.h"
#include "platform/dib_types.h"

#include <climits>
#include <cstring>

namespace {
constexpr const char* kCannotLoad = "Cannot load DIB";

// Reads the header fields, never past the end of the block.
bool ReadHeader(HDIB dib, ScanInfo& info) {
    GlobalLockGuard lock(dib);
    const auto* bytes = static_cast<const BYTE*>(lock.get());
    if (!bytes || lock.size() < sizeof(DWORD))
        return false;
    DWORD size = 0;
    std::memcpy(&size, bytes, sizeof size);
    info.infoHeader = size == sizeof(BITMAPINFOHEADER);
    if (lock.size() < (info.infoHeader ? sizeof(BITMAPINFOHEADER) : sizeof(BITMAPCOREHEADER)))
        return false;
    info.width = DibGetWidth(bytes);
    info.height = DibGetHeight(bytes);
    info.colors = DibColorCount(bytes);
    if (info.infoHeader) {
        BITMAPINFOHEADER header;
        std::memcpy(&header, bytes, sizeof header);
        info.bits = header.biBitCount;
        info.compression = header.biCompression;
    } else {
        BITMAPCOREHEADER header;
        std::memcpy(&header, bytes, sizeof header);
        info.bits = header.bcBitCount;
    }
    return true;
}
} // namespace

std::optional<ScanInfo> ReadScanInfo(const std::string& path, std::string& error) {
    CFile file;
    CFileException openError;
    if (!file.Open(path, CFile::modeRead | CFile::modeReadSpecial | CFile::typeBinary, &openError)) {
        error = openError.Describe();
        return std::nullopt;
    }
    HDIB dib = nullptr;
    try {
        dib = DibReadFile(file);
    } catch (const CFileException& e) {
        error = e.Describe();
        return std::nullopt;
    }
    // The program refuses a picture whose pixels are cut short or whose
    // header it cannot draw from; so does every command here.
    const DibCheck check = dib ? DibCheckBlock(dib) : DibCheck::Invalid;
    if (check != DibCheck::Ok) {
        if (dib)
            GlobalFree(dib);
        error = check == DibCheck::TooLarge ? std::string("DIB is too large\n") + kCannotLoad
                                            : kCannotLoad;
        return std::nullopt;
    }
    ScanInfo info;
    const bool ok = ReadHeader(dib, info);
    if (ok) {
        CPalette palette;
        info.palette = DibMakePalette(dib, &palette);
    }
    if (dib)
        GlobalFree(dib);
    if (!ok) {
        error = kCannotLoad;
        return std::nullopt;
    }
    return info;
}

std::optional<std::pair<int, int>> ScanSizeForBoard(const ScanInfo& info, std::string& error) {
    if (info.width > INT_MAX || info.height > INT_MAX) {
        error = std::string("DIB is too large\n") + kCannotLoad;
        return std::nullopt;
    }
    return std::make_pair(static_cast<int>(info.width), static_cast<int>(info.height));
}
