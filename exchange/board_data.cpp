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
    viasNotImported += other.viasNotImported;
    arcsNotImported += other.arcsNotImported;
    fillsNotImported += other.fillsNotImported;
    stringsNotImported += other.stringsNotImported;
    netsNotImported += other.netsNotImported;
}

void FillSizes(BoardData& board) {
    board.padSizes.resize(board.pads.size());
    board.trackSizes.resize(board.tracks.size());
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
    if (board.padSizes.size() > cap)
        board.padSizes.resize(cap);
    if (board.tracks.size() > cap) {
        report.tracksLeftOut += static_cast<int>(board.tracks.size() - cap);
        board.tracks.resize(cap);
    }
    if (board.trackSizes.size() > cap)
        board.trackSizes.resize(cap);
}

namespace {
std::string Count(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "3 vias, 2 arcs were not imported", naming only the kinds there were.
std::string DescribeNotImported(const ReadReport& report) {
    const struct {
        int count;
        const char* one;
        const char* many;
    } kinds[] = {{report.viasNotImported, "via", "vias"},
                 {report.arcsNotImported, "arc", "arcs"},
                 {report.fillsNotImported, "fill", "fills"},
                 {report.stringsNotImported, "string", "strings"},
                 {report.netsNotImported, "net", "nets"}};
    std::string text;
    long long total = 0;
    for (const auto& kind : kinds) {
        if (kind.count <= 0)
            continue;
        text += (text.empty() ? "" : ", ") + Count(kind.count, kind.one, kind.many);
        total += kind.count;
    }
    return text + (total == 1 ? " was" : " were") + " not imported";
}
} // namespace

std::string DescribeReadReport(const ReadReport& report, int capacity, bool boardEmpty) {
    std::string text;
    if (report.AnyNotImported())
        text = boardEmpty ? "The file holds no pads or tracks (" + DescribeNotImported(report) + ")"
                          : DescribeNotImported(report) + ".";
    if (report.padsLeftOut > 0 || report.tracksLeftOut > 0) {
        // Only the kinds that overflowed are named.
        std::string leftOut;
        if (report.padsLeftOut > 0)
            leftOut = Count(report.padsLeftOut, "pad", "pads");
        if (report.tracksLeftOut > 0)
            leftOut +=
                (leftOut.empty() ? "" : " and ") + Count(report.tracksLeftOut, "track", "tracks");
        const bool one = report.padsLeftOut + report.tracksLeftOut == 1;
        if (!text.empty())
            text += "\n";
        text += "The board holds at most " + std::to_string(capacity) + " pads and " +
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
