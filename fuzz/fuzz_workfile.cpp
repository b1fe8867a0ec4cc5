// The work-file reader on arbitrary bytes: whatever it takes in must lie
// within the board's range, be writable again and read back unchanged.
#include "board/params.h"
#include "exchange/work_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
bool InRange(float v, ZoomFactor scale = 1) {
    return WithinBoardLimit(v, scale);
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void RoundTrip(std::string_view text, ZoomFactor scale) {
    ReadReport report;
    BoardData board = ParseWorkFile(text, scale, report);
    // Text refused as not a work file holds nothing the reader would take.
    if (!LooksLikeWorkFile(text))
        Check(board.pads.empty() && board.tracks.empty() && report.Clean());
    for (const Pad& p : board.pads)
        Check(InRange(p.x, scale) && InRange(p.y, scale));
    for (const Track& t : board.tracks)
        Check(InRange(t.x1, scale) && InRange(t.y1, scale) && InRange(t.x2, scale) &&
              InRange(t.y2, scale) && InRange(t.layer));
    const auto written = FormatWorkFile(SpanOf(board), scale);
    Check(written.has_value());
    ReadReport again;
    const BoardData back = ParseWorkFile(*written, scale, again);
    Check(again.Clean());
    Check(back.pads.size() == board.pads.size() && back.tracks.size() == board.tracks.size());
    for (size_t i = 0; i < board.pads.size(); ++i)
        Check(back.pads[i].x == board.pads[i].x && back.pads[i].y == board.pads[i].y);
    for (size_t i = 0; i < board.tracks.size(); ++i)
        Check(back.tracks[i].x1 == board.tracks[i].x1 && back.tracks[i].y2 == board.tracks[i].y2 &&
              back.tracks[i].layer == board.tracks[i].layer);
    TrimToCapacity(board, g_nMaxItems, report);
    DescribeReadReport(report, g_nMaxItems);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RoundTrip(text, 1);
    RoundTrip(text, 4);
    RoundTrip(text, ZoomFactor::FromExponent(-3));
    return 0;
}
