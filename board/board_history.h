// The undo history of one board: a list of steps, each holding only what it
// changed, and the position between the steps done and the steps undone.
// Applying a step swaps what the board holds with what the step holds, so
// undo and redo bring back the exact values, and the same step serves both.
#pragma once

#include "board/board_types.h"
#include "board/zoom_factor.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_set>
#include <variant>
#include <vector>

namespace board {

enum class StepKind {
    AddPad,
    AddTrack,
    MarkComponent,
    Move,
    MoveAll,
    RotateAll,
    MirrorAll,
    Delete,
    DeleteAll,
    RemoveSegment,
    OpenWorkFile,
    ImportProtel,
    RecoverBoard,
    ChangeSize,
};

// "Add Pad", "Move", "Rotate All", "Open Work File", ...
std::string_view StepName(StepKind kind);

// The arrays of a view's board, as the history changes them.
struct BoardArrays {
    Pad* pads = nullptr;
    int* padCount = nullptr;
    Track* tracks = nullptr;
    int* trackCount = nullptr;
    int capacity = 0;
    // The sizes beside the records; without them only the records change.
    PadSize* padSizes = nullptr;
    TrackSize* trackSizes = nullptr;
};

// Which coordinate pair a point change names: pad p, or the track end with
// coordinate index 5t or 5t + 2.
enum class PointTarget : std::uint8_t { Pad, TrackEnd };

struct PointValue {
    int index;
    PointTarget target;
    float x;
    float y;
};

// Entries added at the end of the arrays.
struct AppendChange {
    int padStart = 0;
    int trackStart = 0;
    std::vector<Pad> pads;
    std::vector<Track> tracks;
    std::vector<PadSize> padSizes;
    std::vector<TrackSize> trackSizes;
};
// Coordinate pairs set to new values; each holds the value not on the board.
struct PointChange {
    std::vector<PointValue> points;
};
// Entries taken out; the indexes are where they stood, ascending.
struct RemoveChange {
    std::vector<int> padIndexes;
    std::vector<Pad> pads;
    std::vector<int> trackIndexes;
    std::vector<Track> tracks;
    std::vector<PadSize> padSizes;
    std::vector<TrackSize> trackSizes;
};
// The whole board that is not shown.
struct ReplaceChange {
    std::vector<Pad> pads;
    std::vector<Track> tracks;
    std::vector<PadSize> padSizes;
    std::vector<TrackSize> trackSizes;
};
// Sizes of some objects set to new values; each holds the size not on the
// board, indexes ascending.
struct SizeChange {
    std::vector<int> padIndexes;
    std::vector<PadSize> padSizes;
    std::vector<int> trackIndexes;
    std::vector<TrackSize> trackSizes;
};

struct Step {
    StepKind kind;
    // The zoom factor the step's values are stored at. Zooming scales the
    // board by powers of two, so the values convert exactly when applied.
    ZoomFactor scale;
    std::variant<AppendChange, PointChange, RemoveChange, ReplaceChange, SizeChange> change;
};

std::size_t StepBytes(const Step& step);

// Takes the given entries out of the arrays, keeping the order of the rest.
// The indexes must be ascending, distinct and within the counts.
RemoveChange RemoveEntries(const BoardArrays& board, std::vector<int> pads, std::vector<int> tracks);

class BoardHistory {
  public:
    static constexpr std::size_t kDefaultByteLimit = std::size_t{256} << 20;

    explicit BoardHistory(std::size_t byteLimit = kDefaultByteLimit) : m_byteLimit(byteLimit) {}

    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_steps.size(); }
    std::optional<StepKind> UndoKind() const;
    std::optional<StepKind> RedoKind() const;
    // False when there was nothing to undo or redo.
    bool Undo(const BoardArrays& board, ZoomFactor scale);
    bool Redo(const BoardArrays& board, ZoomFactor scale);

    // Adds a step that has been carried out; drops the steps undone before
    // it, and the oldest steps past the byte limit.
    void Record(Step step);

    // An open step gathers the changes of one gesture (a drag, a keyboard
    // move, a component mark) until it is closed. Closing records it unless
    // it changed nothing.
    void Open(StepKind kind, ZoomFactor scale);
    bool IsOpen() const { return m_open.has_value(); }
    // The value a point had before the open step first changed it. False
    // when no step is open, or the open one is appending.
    bool NotePoint(PointTarget target, int index, float x, float y);
    // Notes an entry about to be appended at the given counts. False when no
    // step is open, or the open one is moving points.
    bool NoteAppend(int padStart, int trackStart);
    void Close(const BoardArrays& board);
    // Zooming during a drag scales what the open step has noted.
    void ScaleOpen(ZoomFactor newScale);

    // Unsaved changes: the position the board was last saved or opened at.
    bool IsModified() const { return m_savedAt != m_done; }
    void MarkSaved() { m_savedAt = m_done; }
    void MarkModified() { m_savedAt = kUnreachable; }
    void Clear();

    // Grows at every change of the board: recording, undo and redo.
    std::uint64_t Revision() const { return m_revision; }
    std::size_t Bytes() const { return m_bytes; }
    std::size_t StepCount() const { return m_steps.size(); }
    // True once the limit has made the history drop its oldest steps; the
    // caller says so once and clears it.
    bool TakeDroppedNotice();

  private:
    static constexpr std::size_t kUnreachable = static_cast<std::size_t>(-1);

    void DropRedoBranch();
    void DropOldestPastLimit();
    static std::uint64_t PointKey(PointTarget target, int index);

    std::deque<Step> m_steps;
    std::size_t m_done = 0;
    std::size_t m_savedAt = 0;
    std::size_t m_bytes = 0;
    std::size_t m_byteLimit;
    std::uint64_t m_revision = 0;
    bool m_droppedNotice = false;
    std::optional<Step> m_open;
    std::unordered_set<std::uint64_t> m_openPoints;
};

} // namespace board
