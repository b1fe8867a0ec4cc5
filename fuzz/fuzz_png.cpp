// Feeds arbitrary bytes to the PNG reader: the header alone, then the whole
// decode, and writes what decodes back as PNG (the writer gets every
// kind of block the reader makes).
#include "image/formats/image_format.h"
#include "image/formats/image_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
// Bigger pictures decode the same way, only slower.
constexpr std::uint64_t kMaxPixels = 1u << 22;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
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
