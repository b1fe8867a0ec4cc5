// Small helpers the image tests share: files in the scratch directory, and
// decoding a block's pixels the way the painter does.
#pragma once

#include "image/dib.h"
#include "image/dib_layout.h"
#include "image/bmp_corpus.h"
#include "platform/dib_raster.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace testutil {

inline std::string WriteTemp(const std::string& name, const std::vector<BYTE>& bytes) {
    const std::string path = name + ".bmp";
    corpus::WriteFile(path, bytes);
    return path;
}

// Reads a file through DibReadFile; null when refused.
inline HDIB ReadDib(const std::string& path) {
    CFile file;
    if (!file.Open(path, CFile::modeRead))
        return nullptr;
    return DibReadFile(file);
}

// Frees a block when the test is done with it, whatever the test's outcome.
struct OwnedDib {
    HDIB dib;
    explicit OwnedDib(HDIB h) : dib(h) {}
    OwnedDib(const OwnedDib&) = delete;
    OwnedDib& operator=(const OwnedDib&) = delete;
    ~OwnedDib() {
        if (dib)
            GlobalFree(dib);
    }
};

inline HDIB ReadDibBytes(const std::string& name, const std::vector<BYTE>& bytes) {
    return ReadDib(WriteTemp(name, bytes));
}

// The block's pixels in the rectangle, decoded as the painter decodes them;
// empty when the decoder refuses the block.
inline std::vector<std::uint32_t> Decode(HDIB dib, int x, int y, int w, int h) {
    GlobalLockGuard lock(dib);
    const auto* p = static_cast<const BYTE*>(lock.get());
    // Only bytes inside the block are handed over, however the header lies.
    const std::size_t size = lock.size();
    const std::size_t natural =
        DibHeaderFits(p, size) ? static_cast<std::size_t>(DibPixelData(p) - p) : size;
    const std::size_t infoBytes = std::min(natural, size);
    const BYTE* bits = p + infoBytes;
    const DibPixels pixels{reinterpret_cast<const BITMAPINFO*>(p), infoBytes, bits,
                           size - infoBytes};
    std::vector<std::uint32_t> out(std::size_t(w) * h, 0x12345678u);
    if (!DecodeDibRect(pixels, x, y, w, h, out.data(), w))
        return {};
    return out;
}

// A block holding exactly the given DIB bytes (header onwards).
inline HDIB BlockOf(const std::vector<BYTE>& dib) {
    HDIB h = GlobalAlloc(GHND, dib.size());
    if (h && !dib.empty()) {
        GlobalLockGuard lock(h);
        std::memcpy(lock.get(), dib.data(), dib.size());
    }
    return h;
}

// The DIB part of a .bmp file (everything after the 14-byte file header).
inline std::vector<BYTE> DibPart(const std::vector<BYTE>& file) {
    return std::vector<BYTE>(file.begin() + 14, file.end());
}

} // namespace testutil
