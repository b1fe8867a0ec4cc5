// The one harness of the image readers' fuzz targets: the header alone,
// then, for pictures of a bounded size, a whole decode whose progress must
// stay between 0 and 1, then the decoded block written back into memory.
#pragma once

#include "image/formats/image_format.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using FuzzWriter = bool (*)(HDIB dib, std::FILE* stream, std::string& error);

// A few bytes may rightly claim a picture of gigabytes (a blank G4 page);
// bigger pictures decode the same way, only slower, and the fuzzer's memory
// limit is not a finding.
inline int FuzzImageReader(const ImageReader& reader, FuzzWriter write, const std::uint8_t* data,
                           std::size_t size, std::uint64_t maxPixels) {
    if (size == 0)
        return 0; // fmemopen refuses an empty buffer
    std::FILE* in = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!in)
        return 0;
    ImageHeaderInfo info;
    std::string error;
    const DecodeFailure header = reader.ReadHeader(in, info, error);
    if (header == DecodeFailure::None && info.width * info.height > maxPixels) {
        std::fclose(in);
        return 0;
    }
    std::rewind(in);
    DecodeResult result = reader.Decode(in, [](double done) {
        if (!(done >= 0 && done <= 1))
            __builtin_trap();
        return true;
    });
    std::fclose(in);
    if (!result.block)
        return 0;
    // Saving what was read, into memory, must not fail for want of a file.
    if (write) {
        char* saved = nullptr;
        std::size_t savedSize = 0;
        if (std::FILE* out = open_memstream(&saved, &savedSize)) {
            write(result.block, out, error);
            std::fclose(out);
        }
        std::free(saved);
    }
    GlobalFree(result.block);
    return 0;
}
