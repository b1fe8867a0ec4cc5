// The colour file on arbitrary bytes: reading takes exactly the whole
// entries the file holds (at most 14) and keeps the rest; writing gives the
// 56 bytes of the table; a file that is gone reads as missing.
#include "board/params.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
void Check(bool condition) {
    if (!condition)
        std::abort();
}

std::string TempPath(const char* what) {
    return "/tmp/fuzz_colors." + std::to_string(getpid()) + "." + what;
}

bool PutFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    const bool ok = std::fwrite(data, 1, size, fp) == size;
    return std::fclose(fp) == 0 && ok;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string in = TempPath("in"), out = TempPath("out");
    if (!PutFile(in, data, size))
        return 0;
    COLORREF before[kLayerColorCount];
    for (int i = 0; i < kLayerColorCount; ++i)
        g_crLayerColor[i] = before[i] = 0x00ABCDEFu + static_cast<COLORREF>(i);
    Check(LoadLayerColors(in) == ColorFileRead::Read);
    const std::size_t whole = std::min<std::size_t>(size, sizeof g_crLayerColor) / 4;
    for (std::size_t i = 0; i < kLayerColorCount; ++i) {
        COLORREF expected = before[i];
        if (i < whole)
            std::memcpy(&expected, data + 4 * i, 4);
        Check(g_crLayerColor[i] == expected);
    }
    Check(WriteLayerColors(out) == ColorFileWrite::Written);
    std::FILE* fp = std::fopen(out.c_str(), "rb");
    Check(fp != nullptr);
    unsigned char bytes[64];
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, fp);
    std::fclose(fp);
    Check(got == sizeof g_crLayerColor);
    Check(std::memcmp(bytes, g_crLayerColor, got) == 0);
    // Once the file is gone it is only missing, and the table stays.
    Check(std::remove(in.c_str()) == 0);
    Check(LoadLayerColors(in) == ColorFileRead::Missing);
    Check(std::memcmp(bytes, g_crLayerColor, got) == 0);
    return 0;
}
