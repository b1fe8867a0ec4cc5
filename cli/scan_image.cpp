#include "cli/scan_image.h"

#include "image/dib.h"
#include "image/formats/dib_builder.h"
#include "image/formats/image_open.h"
#include "platform/dib_types.h"

#include <climits>
#include <cstring>

namespace {
constexpr const char* kCannotLoad = "Cannot load DIB";
constexpr const char* kTooLarge = "DIB is too large\nCannot load DIB";

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
        if (header.biXPelsPerMeter > 0 && header.biYPelsPerMeter > 0) {
            info.xDpi = header.biXPelsPerMeter * 0.0254;
            info.yDpi = header.biYPelsPerMeter * 0.0254;
        }
    } else {
        BITMAPCOREHEADER header;
        std::memcpy(&header, bytes, sizeof header);
        info.bits = header.bcBitCount;
    }
    return true;
}

// The fields of a block the program would take, or the program's refusal.
std::optional<ScanInfo> DescribeBlock(HDIB dib, DibCheck check, std::string& error) {
    if (check != DibCheck::Ok) {
        if (dib)
            GlobalFree(dib);
        error = check == DibCheck::TooLarge ? kTooLarge : kCannotLoad;
        return std::nullopt;
    }
    ScanInfo info;
    const bool ok = ReadHeader(dib, info);
    if (ok) {
        CPalette palette;
        info.palette = DibMakePalette(dib, &palette);
    }
    GlobalFree(dib);
    if (!ok) {
        error = kCannotLoad;
        return std::nullopt;
    }
    return info;
}

// A BMP: its headers alone where they tell, the whole file otherwise.
std::optional<ScanInfo> ReadBmpInfo(CFile& file, std::string& error) {
    std::uint64_t pixelBytes = 0;
    if (HDIB headers = DibReadFileHeaders(file, &pixelBytes)) {
        DibCheck check;
        {
            GlobalLockGuard lock(headers);
            check = DibCheckHeaders(lock.get(), lock.size(), pixelBytes);
        }
        return DescribeBlock(headers, check, error);
    }
    std::fseek(file.Stream(), 0, SEEK_SET);
    HDIB dib = DibReadFile(file);
    return DescribeBlock(dib, dib ? DibCheckBlock(dib) : DibCheck::Invalid, error);
}

std::optional<ScanInfo> FromHeader(const ImageHeaderInfo& header, std::string& error) {
    const DecodeFailure size = DibBuilder::CheckSize(header.width, header.height, header.dibBits);
    if (size != DecodeFailure::None) {
        error = size == DecodeFailure::TooLarge ? kTooLarge : kCannotLoad;
        return std::nullopt;
    }
    ScanInfo info;
    info.format = header.format;
    info.width = static_cast<DWORD>(header.width);
    info.height = static_cast<DWORD>(header.height);
    info.bits = static_cast<WORD>(header.dibBits);
    info.palette = header.dibBits <= 8;
    info.colors = info.palette ? static_cast<WORD>(1u << header.dibBits) : 0;
    info.infoHeader = true;
    info.xDpi = header.xDpi;
    info.yDpi = header.yDpi;
    info.pages = header.pages;
    info.storage = std::to_string(header.bitsPerSample) + "-bit, " +
                   std::to_string(header.channels) + " channel" +
                   (header.channels == 1 ? "" : "s") + (header.palette ? ", palette" : "") +
                   (header.compression.empty() ? "" : ", " + header.compression);
    return info;
}

std::string FailureMessage(DecodeFailure failure, ImageFormat format, const std::string& reason) {
    if (failure == DecodeFailure::TooLarge)
        return kTooLarge;
    if (failure == DecodeFailure::ReadError || (format != ImageFormat::Bmp &&
                                                format != ImageFormat::Unknown && !reason.empty()))
        return reason;
    return kCannotLoad;
}

std::optional<ScanInfo> ReadWholeStream(std::FILE* stream, std::string& error) {
    DecodeResult result = DecodeImageStream(stream);
    if (result.failure != DecodeFailure::None) {
        error = FailureMessage(result.failure, result.info.format, result.error);
        return std::nullopt;
    }
    auto info = DescribeBlock(result.block, DibCheckBlock(result.block), error);
    if (info && result.info.format != ImageFormat::Bmp) {
        const ScanInfo header = *FromHeader(result.info, error);
        info->format = header.format;
        info->xDpi = header.xDpi;
        info->yDpi = header.yDpi;
        info->pages = header.pages;
        info->storage = header.storage;
    }
    return info;
}

bool IsSeekable(std::FILE* stream) {
    return std::ftell(stream) >= 0 && std::fseek(stream, 0, SEEK_SET) == 0;
}
} // namespace

std::optional<ScanInfo> ReadScanInfo(const std::string& path, std::string& error) {
    CFile file;
    CFileException openError;
    if (!file.Open(path, CFile::modeRead | CFile::modeReadSpecial | CFile::typeBinary, &openError)) {
        error = openError.Describe();
        return std::nullopt;
    }
    try {
        std::FILE* stream = file.Stream();
        const bool seekable = IsSeekable(stream);
        // A pipe is read whole, as the program reads it.
        if (!seekable)
            return ReadWholeStream(stream, error);
        const ImageFormat format = DetectImageFormat(stream);
        if (format == ImageFormat::Bmp || format == ImageFormat::Unknown)
            return ReadBmpInfo(file, error);
        ImageHeaderInfo header;
        std::string reason;
        const DecodeFailure failure = ReadImageStreamHeader(stream, header, reason);
        if (failure != DecodeFailure::None) {
            error = FailureMessage(failure, format, reason);
            return std::nullopt;
        }
        return FromHeader(header, error);
    } catch (const CFileException& e) {
        error = e.Describe();
        return std::nullopt;
    }
}

std::optional<std::pair<int, int>> ScanSizeForBoard(const ScanInfo& info, std::string& error) {
    if (info.width > INT_MAX || info.height > INT_MAX) {
        error = kTooLarge;
        return std::nullopt;
    }
    return std::make_pair(static_cast<int>(info.width), static_cast<int>(info.height));
}
