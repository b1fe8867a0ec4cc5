// Feeds arbitrary bytes to everything that reads a bitmap: the file reader
// and the document's checks, the palette, painting into a recorder, the pixel
// decoder, the first reduced level made where it is painted, saving, and
// the clipboard path (bytes taken as a packed DIB).
#include "image/dib_doc.h"
#include "image/scan_pyramid.h"
#include "platform/dib_raster.h"
#include "platform/scripted/recording_dc.h"
#include "platform/scripted/scripted_services.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// An in-memory file with a path the file layer can open.
struct MemoryFile {
    int fd = memfd_create("fuzz-dib", 0);
    std::string path = "/proc/self/fd/" + std::to_string(fd);

    void Fill(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(fd, 0) != 0 || (size && pwrite(fd, data, size, 0) != ssize_t(size)))
            __builtin_trap();
    }
};

// Decodes a bounded part of the picture: the corners and the middle.
void DecodeSome(const DibPixels& pixels) {
    int width = 0, height = 0;
    if (!DescribeDibPixels(pixels, &width, &height))
        return;
    static std::vector<std::uint32_t> out(64 * 64);
    const int w = std::min(width, 64), h = std::min(height, 64);
    DecodeDibRect(pixels, 0, 0, w, h, out.data(), 64);
    DecodeDibRect(pixels, width - w, height - h, w, h, out.data(), 64);
    DecodeDibRect(pixels, width / 2 - 3, height / 2 - 3, 7, 7, out.data(), 64);
    DecodeDibRect(pixels, -5, -5, 10, 10, out.data(), 64);
}

void Paint(HDIB dib, CPalette* palette) {
    RecordingDC dc;
    GlobalLockGuard lock(dib);
    const std::size_t size = lock.size();
    int w = 1, h = 1;
    if (size >= 12) {
        w = static_cast<int>(std::min<DWORD>(DibGetWidth(lock.get()), 100000));
        h = static_cast<int>(std::min<DWORD>(DibGetHeight(lock.get()), 100000));
    }
    DibRender(&dc, CRect(0, 0, w, h), dib, CRect(0, 0, w, h), palette);
    DibRender(&dc, CRect(0, 0, 2 * w, 2 * h), dib, CRect(0, 0, w, h), palette);
    // What a device context would decode for that paint.
    if (DibCheckBlock(lock.get(), size) == DibCheck::Ok) {
        const auto* p = static_cast<const BYTE*>(lock.get());
        const BYTE* bits = DibPixelData(p);
        const auto infoBytes = static_cast<std::size_t>(bits - p);
        DecodeSome(DibPixels{reinterpret_cast<const BITMAPINFO*>(p), infoBytes, bits,
                             size - infoBytes});
        // Parts of the first level, at the corners and beyond the edges.
        FirstLevelPart part;
        const int halfW = (w + 1) / 2, halfH = (h + 1) / 2;
        part.Reduce(p, size, CRect(0, 0, std::min(halfW, 64), std::min(halfH, 64)));
        part.Reduce(p, size, CRect(std::max(0, halfW - 5), std::max(0, halfH - 5), halfW, halfH));
        part.Reduce(p, size, CRect(halfW - 1, halfH - 1, halfW + 1, halfH + 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScriptedServices services;
    static MemoryFile input;
    // Saving goes through a temporary file beside the target, so the target
    // is a real path, in memory where the system has one.
    static const std::string output =
        (access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/") + std::string("fuzz-dib-") +
        std::to_string(getpid()) + ".bmp";
    services.messages.clear();

    input.Fill(data, size);
    {
        CDibDoc doc;
        if (doc.OnOpenDocument(input.path)) {
            Paint(doc.GetDibBlock(), doc.GetDibPalette());
            CPalette palette;
            DibMakePalette(doc.GetDibBlock(), &palette);
            doc.OnSaveDocument(output);
        }
    }

    // The same bytes as a clipboard DIB: normalised, then checked.
    HDIB block = GlobalAlloc(GHND, size);
    if (block && size) {
        GlobalLockGuard lock(block);
        std::memcpy(lock.get(), data, size);
    }
    if (block) {
        DibNormalizeBlock(block, 0);
        CPalette palette;
        DibMakePalette(block, &palette);
        Paint(block, &palette);
        CDibDoc doc;
        doc.AcceptDibBlock(block);
    }

    // The decoder on its own, trusting nothing: header and bits are the
    // input split at a point the input chooses.
    if (size >= 2) {
        const std::size_t split = std::min<std::size_t>(data[0] * 8u, size - 1);
        DecodeSome(DibPixels{reinterpret_cast<const BITMAPINFO*>(data + 1), split, data + 1 + split,
                             size - 1 - split});
    }
    return 0;
}
