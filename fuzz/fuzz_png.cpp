// Feeds arbitrary bytes to the PNG reader: the header alone, then the whole
// decode, and writes what decodes back as PNG (the writer gets every
// kind of block the reader makes).
#include "image/formats/image_format.h"
#include "image/formats/image_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// Bigger pictures decode the same way, only slower.
constexpr std::uint64_t kMaxPixels = 1u << 22;

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    while (n--) {
        crc ^= *p++;
        for (int k = 0; k < 8; ++k)
            crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// Mutated chunks would nearly all stop at their CRC: give every whole chunk
// a right one, so that the fuzzer reaches what lies behind.
void FixChunkCrcs(std::vector<std::uint8_t>& png) {
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = std::size_t(png[at]) << 24 | png[at + 1] << 16 |
                                   png[at + 2] << 8 | png[at + 3];
        if (length > png.size() - at - 12)
            return;
        const std::uint32_t crc = Crc32(&png[at + 4], length + 4);
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
    if (png.empty())
        return 0;
    std::FILE* stream = fmemopen(png.data(), png.size(), "rb");
    if (!stream)
        return 0;
    const ImageReader& reader = PngImageReader();
    ImageHeaderInfo info;
    std::string error;
    const DecodeFailure header = reader.ReadHeader(stream, info, error);
    if (header == DecodeFailure::None && info.width * info.height <= kMaxPixels) {
        std::rewind(stream);
        const DecodeResult result = reader.Decode(stream, [](double) {});
        if (result.block) {
            char* out = nullptr;
            std::size_t outSize = 0;
            if (std::FILE* sink = open_memstream(&out, &outSize)) {
                WritePngFile(result.block, sink, error);
                std::fclose(sink);
            }
            std::free(out);
            GlobalFree(result.block);
        }
    }
    std::fclose(stream);
    return 0;
}
