// Feeds arbitrary bytes to the WebP reader: the header alone, then the whole
// decode.
#include "image/formats/image_format.h"


#include <cstdint>
#include <cstdio>
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
    const ImageReader& reader = WebPImageReader();
    ImageHeaderInfo info;
    std::string error;
    const DecodeFailure header = reader.ReadHeader(stream, info, error);
    if (header == DecodeFailure::None && info.width * info.height <= kMaxPixels) {
        std::rewind(stream);
        const DecodeResult result = reader.Decode(stream, [](double) {});
        if (result.block) {

            GlobalFree(result.block);
        }
    }
    std::fclose(stream);
    return 0;
}
