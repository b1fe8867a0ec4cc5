// The Protel reader on arbitrary bytes, over scans of varying size and
// resolution: the board it gives stays within range, the scroll area covers
// the image, and the result can be written as a work file and exported.
#include "board/params.h"
#include "exchange/protel.h"
#include "exchange/work_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {
bool InRange(float v, ZoomFactor scale = 1) {
    return WithinBoardLimit(v, scale);
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The first bytes choose the scan; the rest is the file.
ProtelImportSettings TakeSettings(const std::uint8_t*& data, std::size_t& size) {
    ProtelImportSettings s;
    if (size < 8)
        return s;
    std::uint16_t v[4];
    std::memcpy(v, data, sizeof v);
    data += 8;
    size -= 8;
    s.scanLinesX = 1 + v[0] % 2400;
    s.scanLinesY = 1 + v[1] % 2400;
    s.imageWidth = v[2];
    s.imageHeight = v[3];
    s.scale = ZoomFactor::FromExponent((v[0] >> 13) - 4); // 1/16 to 8
    return s;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ProtelImportSettings settings = TakeSettings(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ReadReport report;
    const auto imported = ImportProtel(text, settings, report);
    if (!imported)
        return 0;
    Check(imported->width >= settings.imageWidth && imported->height >= settings.imageHeight);
    Check(imported->width <= kMaxCoordinate && imported->height <= kMaxCoordinate);
    // Text refused as not a Protel file holds nothing the import would take
    // (its report may still name what it stepped over, such as a net list).
    if (!LooksLikeProtelFile(text))
        Check(imported->board.pads.empty() && imported->board.tracks.empty());
    for (const Pad& p : imported->board.pads)
        Check(InRange(p.x, settings.scale) && InRange(p.y, settings.scale));
    for (const Track& t : imported->board.tracks)
        Check(InRange(t.x1, settings.scale) && InRange(t.y1, settings.scale) &&
              InRange(t.x2, settings.scale) && InRange(t.y2, settings.scale) && InRange(t.layer));
    const BoardSpan board = SpanOf(imported->board);
    Check(FormatWorkFile(board, settings.scale).has_value());
    FormatProtel(board, {MilPerPixel(settings.scanLinesX), MilPerPixel(settings.scanLinesY),
                         settings.imageHeight, settings.scale});
    return 0;
}
