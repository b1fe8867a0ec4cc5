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
    for (std::size_t i = 0; i < board.pads.size(); ++i) {
        const Pad& pad = board.pads[i];
        const PadSize size = board.PadSizeAt(i);
        int v[6] = {0, 0, size.x, size.y, size.hole, static_cast<int>(size.shape)};
        if (!WorkFileValue(pad.x, scale, v[0]) || !WorkFileValue(pad.y, scale, v[1]))
            return std::nullopt;
        AppendLine(out, "FP");
        AppendIntegerLine(out, v, size == PadSize{} ? 2 : 6);
    }
    for (std::size_t i = 0; i < board.tracks.size(); ++i) {
        const Track& track = board.tracks[i];
        const TrackSize size = board.TrackSizeAt(i);
        int v[6] = {0, 0, 0, 0, 0, size.width};
        if (!WorkFileValue(track.x1, scale, v[0]) || !WorkFileValue(track.y1, scale, v[1]) ||
            !WorkFileValue(track.x2, scale, v[2]) || !WorkFileValue(track.y2, scale, v[3]) ||
            !TruncateToInt(track.layer, v[4]))
            return std::nullopt;
        AppendLine(out, "FT");
        AppendIntegerLine(out, v, size == TrackSize{} ? 5 : 6);
    }
    return out;
}

namespace {
// A pad's sizes follow its coordinates, a track's width its layer; they
// count only when all of them are there.
constexpr int kPadNumbers = 2;
constexpr int kPadNumbersWithSize = 6;
constexpr int kTrackNumbers = 5;
constexpr int kTrackNumbersWithSize = 6;

bool TakePad(std::string_view data, ZoomFactor scale, BoardData& board) {
    int v[kPadNumbersWithSize];
    Pad pad{};
    const int got = ReadIntegers(data, v, kPadNumbersWithSize);
    if (got < kPadNumbers || !StoredFromWorkFile(v[0], scale, pad.x) ||
        !StoredFromWorkFile(v[1], scale, pad.y))
        return false;
    board.pads.push_back(pad);
    board.padSizes.push_back(got == kPadNumbersWithSize ? SanePadSize(v[2], v[3], v[4], v[5])
                                                        : PadSize{});
    return true;
}

bool TakeTrack(std::string_view data, ZoomFactor scale, BoardData& board) {
    int v[kTrackNumbersWithSize];
    Track track{};
    const int got = ReadIntegers(data, v, kTrackNumbersWithSize);
    if (got < kTrackNumbers || !StoredFromWorkFile(v[0], scale, track.x1) ||
        !StoredFromWorkFile(v[1], scale, track.y1) || !StoredFromWorkFile(v[2], scale, track.x2) ||
        !StoredFromWorkFile(v[3], scale, track.y2) || !StoredFromWorkFile(v[4], ZoomFactor(), track.layer))
        return false;
    board.tracks.push_back(track);
    board.trackSizes.push_back(got == kTrackNumbersWithSize ? SaneTrackSize(v[5]) : TrackSize{});
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
