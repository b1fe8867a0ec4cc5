// Feeds arbitrary bytes to the JPEG reader: the header alone, then the whole
// decode.
#include "fuzz/image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzImageReader(JpegImageReader(), nullptr, data, size, 1u << 22);
}
