// A board as plain data, the form in which the file formats hand pads and
// tracks to the view and to the command-line tool, and what a reader found
// wrong with a file.
#pragma once

#include "board/board_types.h"

#include <span>
#include <string>
#include <utility>
#include <vector>

// Pads and tracks in stored coordinates at some zoom factor, and their
// sizes: one per object, or none when every object has the default size.
struct BoardData {
    BoardData() = default;
    BoardData(std::vector<Pad> p, std::vector<Track> t, std::vector<PadSize> ps = {},
              std::vector<TrackSize> ts = {})
        : pads(std::move(p)), tracks(std::move(t)), padSizes(std::move(ps)),
          trackSizes(std::move(ts)) {}

    std::vector<Pad> pads;
    std::vector<Track> tracks;
    std::vector<PadSize> padSizes;
    std::vector<TrackSize> trackSizes;
};

// A read-only look at pads and tracks held elsewhere (the view's arrays).
struct BoardSpan {
    BoardSpan() = default;
    BoardSpan(std::span<const Pad> p, std::span<const Track> t, std::span<const PadSize> ps = {},
              std::span<const TrackSize> ts = {})
        : pads(p), tracks(t), padSizes(ps), trackSizes(ts) {}

    std::span<const Pad> pads;
    std::span<const Track> tracks;
    std::span<const PadSize> padSizes;
    std::span<const TrackSize> trackSizes;

    PadSize PadSizeAt(std::size_t i) const { return i < padSizes.size() ? padSizes[i] : PadSize{}; }
    TrackSize TrackSizeAt(std::size_t i) const {
        return i < trackSizes.size() ? trackSizes[i] : TrackSize{};
    }
};

inline BoardSpan SpanOf(const BoardData& board) {
    return {board.pads, board.tracks, board.padSizes, board.trackSizes};
}

// A size per object, the missing ones at the default.
void FillSizes(BoardData& board);

// What a reader had to leave out of a file.
struct ReadReport {
    // Pad and track records that could not be taken: too few numbers on the
    // data line, a number that is not a whole number in range, a keyword on
    // the last line, or a coordinate too large for the board.
    int skippedRecords = 0;
    int firstSkippedLine = 0; // 1-based, the smallest; 0 when none was skipped
    // Records beyond the board's capacity.
    int padsLeftOut = 0;
    int tracksLeftOut = 0;
    // Records of kinds the board does not keep, read past whole.
    int viasNotImported = 0;
    int arcsNotImported = 0;
    int fillsNotImported = 0;
    int stringsNotImported = 0;
    int netsNotImported = 0;

    void Skip(int line);
    // Adds another report's counts.
    void Merge(const ReadReport& other);
    bool AnyNotImported() const {
        return viasNotImported + arcsNotImported + fillsNotImported + stringsNotImported +
                   netsNotImported >
               0;
    }
    // Nothing to tell the user.
    bool Clean() const {
        return skippedRecords == 0 && padsLeftOut == 0 && tracksLeftOut == 0 && !AnyNotImported();
    }
};

// True when a file held pad or track records but not one of them could be
// taken: reading it gives nothing, so it must not replace a board.
bool NothingReadable(const BoardData& board, const ReadReport& report);

// Keeps the first `capacity` pads and tracks and counts the rest in the report.
void TrimToCapacity(BoardData& board, int capacity, ReadReport& report);

// A few sentences telling the user what was left out; empty when the report
// is clean. `boardEmpty` says that nothing at all came in, which the text
// then says first.
std::string DescribeReadReport(const ReadReport& report, int capacity, bool boardEmpty = false);
