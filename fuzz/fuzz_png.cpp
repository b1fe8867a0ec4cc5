// Feeds arbitrary bytes to the PNG reader: the header alone, then the whole
// decode, and writes what decodes back as PNG (the writer gets every
// kind of block the reader makes).
#include "fuzz/image_fuzz.h"
#include "image/formats/image_writer.h"

#include <zlib.h>

#include <vector>

namespace {

// Mutated chunks would nearly all stop at their CRC: give every whole chunk
// a right one, so that the fuzzer reaches what lies behind.
void FixChunkCrcs(std::vector<std::uint8_t>& png) {
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = std::size_t(png[at]) << 24 | png[at + 1] << 16 |
                                   png[at + 2] << 8 | png[at + 3];
        if (length > png.size() - at - 12)
            return;
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, &png[at + 4], static_cast<uInt>(length + 4)));
        for (int i = 0; i < 4; ++i)
            png[at + 8 + length + i] = std::uint8_t(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses between the bytes as they are and with their
    // chunks' CRCs made right.
    std::vector<std::uint8_t> png(data + 1, data + size);
    if (data[0] & 1)
        FixChunkCrcs(png);
    return FuzzImageReader(PngImageReader(), WritePngFile, png.data(), png.size(), 1u << 22);
}
