#include "exchange/work_file.h"

#include "board/params.h"
#include "exchange/text_lines.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
constexpr std::size_t kBytesPerRecord = 40;
} // namespace

bool WorkFileValue(float stored, ZoomFactor scale, int& out) {
    return TruncateToInt(static_cast<double>(stored / scale.FloatFactor()), out);
}

bool StoredFromWorkFile(int value, ZoomFactor scale, float& out) {
    if (std::llabs(static_cast<std::int64_t>(value)) > kMaxCoordinate)
        return false;
    // Exact in double, then rounded once, at every zoom.
    out = static_cast<float>(std::ldexp(static_cast<double>(value), scale.Exponent()));
    return true;
}

std::optional<std::string> FormatWorkFile(BoardSpan board, ZoomFactor scale) {
    std::string out;
    out.reserve((board.pads.size() + board.tracks.size()) * kBytesPerRecord);
    for (const Pad& pad : board.pads) {
        int v[2];
        if (!WorkFileValue(pad.x, scale, v[0]) || !WorkFileValue(pad.y, scale, v[1]))
            return std::nullopt;
        AppendLine(out, "FP");
        AppendIntegerLine(out, v, 2);
    }
    for (const Track& track : board.tracks) {
        int v[5];
        if (!WorkFileValue(track.x1, scale, v[0]) || !WorkFileValue(track.y1, scale, v[1]) ||
            !WorkFileValue(track.x2, scale, v[2]) || !WorkFileValue(track.y2, scale, v[3]) ||
            !TruncateToInt(track.layer, v[4]))
            return std::nullopt;
        AppendLine(out, "FT");
        AppendIntegerLine(out, v, 5);
    }
    return out;
}

namespace {
bool TakePad(std::string_view data, ZoomFactor scale, BoardData& board) {
    int v[2];
    Pad pad{};
    if (ReadIntegers(data, v, 2) != 2 || !StoredFromWorkFile(v[0], scale, pad.x) ||
        !StoredFromWorkFile(v[1], scale, pad.y))
        return false;
    board.pads.push_back(pad);
    return true;
}

bool TakeTrack(std::string_view data, ZoomFactor scale, BoardData& board) {
    int v[5];
    Track track{};
    if (ReadIntegers(data, v, 5) != 5 || !StoredFromWorkFile(v[0], scale, track.x1) ||
        !StoredFromWorkFile(v[1], scale, track.y1) || !StoredFromWorkFile(v[2], scale, track.x2) ||
        !StoredFromWorkFile(v[3], scale, track.y2) || !StoredFromWorkFile(v[4], ZoomFactor(), track.layer))
        return false;
    board.tracks.push_back(track);
    return true;
}
} // namespace

bool LooksLikeWorkFile(std::string_view text) {
    if (IsBlankText(text))
        return true;
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line))
        if (line.starts_with("FP") || line.starts_with("FT"))
            return true;
    return false;
}

BoardData ParseWorkFile(std::string_view text, ZoomFactor scale, ReadReport& report) {
    BoardData board;
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        const bool pad = line.starts_with("FP");
        if (!pad && !line.starts_with("FT"))
            continue;
        const int keywordLine = lines.LineNumber();
        std::string_view data;
        const bool taken =
            lines.Next(data) && (pad ? TakePad(data, scale, board) : TakeTrack(data, scale, board));
        if (!taken)
            report.Skip(keywordLine);
    }
    return board;
}
