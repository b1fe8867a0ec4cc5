#include "exchange/work_file.h"

#include "board/params.h"
#include "exchange/text_lines.h"

#include <cstdint>
#include <cstdlib>

namespace {
constexpr std::size_t kBytesPerRecord = 40;

// Stored value / scale, in float as the board holds it, truncated toward zero.
bool ToFileValue(float stored, int scale, int& out) {
    return TruncateToInt(static_cast<double>(stored / static_cast<float>(scale)), out);
}

// File value × scale as a stored coordinate; false when the value is beyond
// what the board keeps.
bool ToStored(int value, int scale, float& out) {
    if (std::llabs(static_cast<std::int64_t>(value)) > kMaxCoordinate)
        return false;
    out = static_cast<float>(static_cast<std::int64_t>(value) * scale);
    return true;
}
} // namespace

std::optional<std::string> FormatWorkFile(BoardSpan board, int scale) {
    if (scale < 1)
        return std::nullopt;
    std::string out;
    out.reserve((board.pads.size() + board.tracks.size()) * kBytesPerRecord);
    for (const Pad& pad : board.pads) {
        int v[2];
        if (!ToFileValue(pad.x, scale, v[0]) || !ToFileValue(pad.y, scale, v[1]))
            return std::nullopt;
        AppendLine(out, "FP");
        AppendIntegerLine(out, v, 2);
    }
    for (const Track& track : board.tracks) {
        int v[5];
        if (!ToFileValue(track.x1, scale, v[0]) || !ToFileValue(track.y1, scale, v[1]) ||
            !ToFileValue(track.x2, scale, v[2]) || !ToFileValue(track.y2, scale, v[3]) ||
            !TruncateToInt(track.layer, v[4]))
            return std::nullopt;
        AppendLine(out, "FT");
        AppendIntegerLine(out, v, 5);
    }
    return out;
}

namespace {
bool TakePad(std::string_view data, int scale, BoardData& board) {
    int v[2];
    Pad pad{};
    if (ReadIntegers(data, v, 2) != 2 || !ToStored(v[0], scale, pad.x) ||
        !ToStored(v[1], scale, pad.y))
        return false;
    board.pads.push_back(pad);
    return true;
}

bool TakeTrack(std::string_view data, int scale, BoardData& board) {
    int v[5];
    Track track{};
    if (ReadIntegers(data, v, 5) != 5 || !ToStored(v[0], scale, track.x1) ||
        !ToStored(v[1], scale, track.y1) || !ToStored(v[2], scale, track.x2) ||
        !ToStored(v[3], scale, track.y2) || !ToStored(v[4], 1, track.layer))
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

BoardData ParseWorkFile(std::string_view text, int scale, ReadReport& report) {
    BoardData board;
    if (scale < 1)
        return board;
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
