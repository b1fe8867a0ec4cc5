#include "exchange/board_data.h"

#include <cstddef>

void ReadReport::Skip(int line) {
    if (skippedRecords == 0 || line < firstSkippedLine)
        firstSkippedLine = line;
    ++skippedRecords;
}

void ReadReport::Merge(const ReadReport& other) {
    if (other.skippedRecords > 0 &&
        (skippedRecords == 0 || other.firstSkippedLine < firstSkippedLine))
        firstSkippedLine = other.firstSkippedLine;
    skippedRecords += other.skippedRecords;
    padsLeftOut += other.padsLeftOut;
    tracksLeftOut += other.tracksLeftOut;
}

bool NothingReadable(const BoardData& board, const ReadReport& report) {
    return board.pads.empty() && board.tracks.empty() && report.skippedRecords > 0;
}

void TrimToCapacity(BoardData& board, int capacity, ReadReport& report) {
    const auto cap = static_cast<std::size_t>(capacity < 0 ? 0 : capacity);
    if (board.pads.size() > cap) {
        report.padsLeftOut += static_cast<int>(board.pads.size() - cap);
        board.pads.resize(cap);
    }
    if (board.tracks.size() > cap) {
        report.tracksLeftOut += static_cast<int>(board.tracks.size() - cap);
        board.tracks.resize(cap);
    }
}

namespace {
std::string Count(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}
} // namespace

std::string DescribeReadReport(const ReadReport& report, int capacity) {
    std::string text;
    if (report.padsLeftOut > 0 || report.tracksLeftOut > 0) {
        // Only the kinds that overflowed are named.
        std::string leftOut;
        if (report.padsLeftOut > 0)
            leftOut = Count(report.padsLeftOut, "pad", "pads");
        if (report.tracksLeftOut > 0)
            leftOut +=
                (leftOut.empty() ? "" : " and ") + Count(report.tracksLeftOut, "track", "tracks");
        const bool one = report.padsLeftOut + report.tracksLeftOut == 1;
        text = "The board holds at most " + std::to_string(capacity) + " pads and " +
               std::to_string(capacity) + " tracks: " + leftOut + (one ? " was" : " were") +
               " left out.";
    }
    if (report.skippedRecords > 0) {
        if (!text.empty())
            text += "\n";
        text += Count(report.skippedRecords, "record", "records") +
                (report.skippedRecords == 1 ? " was" : " were") +
                " unreadable and skipped (the first at line " +
                std::to_string(report.firstSkippedLine) + ").";
    }
    return text;
}
