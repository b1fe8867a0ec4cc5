#include "exchange/protel.h"

#include "exchange/text_lines.h"

namespace {
constexpr std::size_t kBytesPerRecord = 48;

// The board's float values are widened to double before any arithmetic.
struct MilConverter {
    double scale;
    double fx;
    double fy;
    double top; // image height in mils

    bool X(float x, int& out) const { return TruncateToInt(x / scale * fx, out); }
    bool Y(float y, int& out) const { return TruncateToInt(top - y / scale * fy, out); }
};
} // namespace

std::optional<std::string> FormatProtel(BoardSpan board, const ProtelExportSettings& settings) {
    const MilConverter mil{settings.scale.Factor(), settings.milPerPixelX,
                           settings.milPerPixelY,
                           settings.imageHeight * static_cast<double>(settings.milPerPixelY)};
    std::string out;
    out.reserve((board.pads.size() + board.tracks.size() + 1) * kBytesPerRecord);
    AppendLine(out, "PCB FILE 4");
    for (std::size_t i = 0; i < board.pads.size(); ++i) {
        const Pad& pad = board.pads[i];
        const PadSize size = board.PadSizeAt(i);
        int v[8] = {0, 0, size.x, size.y, static_cast<int>(size.shape), size.hole, 1, 13};
        if (!mil.X(pad.x, v[0]) || !mil.Y(pad.y, v[1]))
            return std::nullopt;
        AppendLine(out, "FP");
        AppendIntegerLine(out, v, 8);
        AppendLine(out, "0");
    }
    for (std::size_t i = 0; i < board.tracks.size(); ++i) {
        const Track& track = board.tracks[i];
        int v[7] = {0, 0, 0, 0, board.TrackSizeAt(i).width, 0, 1};
        if (!mil.X(track.x1, v[0]) || !mil.Y(track.y1, v[1]) || !mil.X(track.x2, v[2]) ||
            !mil.Y(track.y2, v[3]) || !TruncateToInt(track.layer, v[5]))
            return std::nullopt;
        AppendLine(out, "FT");
        AppendIntegerLine(out, v, 7);
    }
    AppendLine(out, "ENDPCB");
    return out;
}
