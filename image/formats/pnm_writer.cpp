// Netpbm files: black-and-white pictures as bitmaps (P4), grey ones as
// grey maps (P5), everything else as pixel maps (P6), raw, maxval 255.
#include "image/formats/dib_rows.h"
#include "image/formats/image_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;

void PackBitmapRow(const std::uint32_t* colours, int width, BYTE* out) {
    std::fill(out, out + (width + 7) / 8, BYTE(0));
    for (int x = 0; x < width; ++x)
        if (colours[x] == kBlack)
            out[x / 8] |= BYTE(0x80u >> (x % 8));
}

} // namespace

bool WritePnmFile(HDIB dib, std::FILE* stream, std::string& error) {
    DibRows rows(dib);
    if (!rows.Ok(error))
        return false;
    const int width = rows.Width();
    const DibKind kind = rows.Kind();
    const char* magic = kind == DibKind::Bilevel ? "P4" : kind == DibKind::Grey ? "P5" : "P6";
    std::string header = std::string(magic) + "\n" + std::to_string(width) + " " +
                         std::to_string(rows.Height()) + "\n";
    if (kind != DibKind::Bilevel)
        header += "255\n";
    if (!WriteAll(stream, header.data(), header.size(), error))
        return false;
    const std::size_t rowBytes = kind == DibKind::Bilevel ? (std::size_t(width) + 7) / 8
                                 : kind == DibKind::Grey  ? std::size_t(width)
                                                          : std::size_t(width) * 3;
    std::vector<BYTE> out(rowBytes);
    for (int y = 0; y < rows.Height(); ++y) {
        const std::uint32_t* colours = rows.Row(y);
        if (kind == DibKind::Bilevel) {
            PackBitmapRow(colours, width, out.data());
        } else if (kind == DibKind::Grey) {
            for (int x = 0; x < width; ++x)
                out[x] = static_cast<BYTE>(colours[x]);
        } else {
            for (int x = 0; x < width; ++x) {
                out[3 * x] = static_cast<BYTE>(colours[x] >> 16);
                out[3 * x + 1] = static_cast<BYTE>(colours[x] >> 8);
                out[3 * x + 2] = static_cast<BYTE>(colours[x]);
            }
        }
        if (!WriteAll(stream, out.data(), out.size(), error))
            return false;
    }
    if (std::fflush(stream) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}
