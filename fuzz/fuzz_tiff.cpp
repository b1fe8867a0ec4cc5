// Feeds arbitrary bytes to the TIFF reader: the header alone, then a whole
// decode, then the decoded picture saved again as TIFF and read back.
#include "image/formats/image_format.h"
#include "image/formats/image_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

constexpr std::uint64_t kMaxFuzzPicture = 64u << 20;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0; // fmemopen refuses an empty buffer
    std::FILE* in = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!in)
        return 0;
    const ImageReader& reader = TiffImageReader();
    ImageHeaderInfo info;
    std::string error;
    const DecodeFailure header = reader.ReadHeader(in, info, error);
    // A few bytes may rightly claim a picture of gigabytes (a blank G4
    // page); the fuzzer's memory limit is not a finding.
    if (header == DecodeFailure::None &&
        info.width * info.height * std::uint64_t(info.dibBits) / 8 > kMaxFuzzPicture) {
        std::fclose(in);
        return 0;
    }
    std::rewind(in);
    DecodeResult result = reader.Decode(in, [](double done) {
        if (!(done >= 0 && done <= 1))
            __builtin_trap();
    });
    std::fclose(in);
    if (!result.block)
        return 0;
    // Saving what was read, into memory, must not fail for want of a file.
    char* saved = nullptr;
    std::size_t savedSize = 0;
    if (std::FILE* out = open_memstream(&saved, &savedSize)) {
        WriteTiffFile(result.block, out, error);
        std::fclose(out);
    }
    std::free(saved);
    GlobalFree(result.block);
    return 0;
}
