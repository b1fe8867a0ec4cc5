// Feeds arbitrary bytes to the PNM reader: the header alone, then a whole
// decode, then the decoded picture saved again as PNM.
#include "fuzz/image_fuzz.h"
#include "image/formats/image_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzImageReader(PnmImageReader(), WritePnmFile, data, size, 1u << 24);
}
