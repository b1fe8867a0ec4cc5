#include "board/board_history.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace board {
namespace {

// Zoom factors are powers of two, so bringing a value from one to another is
// exact.
float Convert(float v, ZoomFactor from, ZoomFactor to) { return from.ConvertTo(v, to); }

Pad Convert(Pad p, ZoomFactor from, ZoomFactor to) {
    return {Convert(p.x, from, to), Convert(p.y, from, to)};
}

Track Convert(Track t, ZoomFactor from, ZoomFactor to) {
    return {Convert(t.x1, from, to), Convert(t.y1, from, to), Convert(t.x2, from, to),
            Convert(t.y2, from, to), t.layer};
}

bool SameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

int PadCount(const BoardArrays& b) { return b.pads && b.padCount ? *b.padCount : 0; }
int TrackCount(const BoardArrays& b) { return b.tracks && b.trackCount ? *b.trackCount : 0; }

struct XY {
    float* x = nullptr;
    float* y = nullptr;
    explicit operator bool() const { return x != nullptr; }
};

// The coordinate pair a point names on the board; empty when it names none.
XY PointOf(const BoardArrays& b, PointTarget target, int index) {
    if (index < 0)
        return {};
    if (target == PointTarget::Pad) {
        if (index >= PadCount(b))
            return {};
        return {&b.pads[index].x, &b.pads[index].y};
    }
    const int t = index / 5;
    if (t >= TrackCount(b))
        return {};
    switch (index % 5) {
    case 0: return {&b.tracks[t].x1, &b.tracks[t].y1};
    case 2: return {&b.tracks[t].x2, &b.tracks[t].y2};
    default: return {};
    }
}

bool ValidIndexes(const std::vector<int>& indexes, int count) {
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        if (indexes[i] < 0 || indexes[i] >= count)
            return false;
        if (i > 0 && indexes[i] <= indexes[i - 1])
            return false;
    }
    return true;
}

// Sizes are in mils, whatever the zoom.
PadSize Convert(PadSize s, ZoomFactor, ZoomFactor) { return s; }
TrackSize Convert(TrackSize s, ZoomFactor, ZoomFactor) { return s; }

// Takes the entries at `indexes` out of the first `count` items, keeping the
// order of the rest; nothing when the array is absent.
template <typename T>
std::vector<T> TakeOut(T* items, int count, const std::vector<int>& indexes) {
    std::vector<T> taken;
    if (!items)
        return taken;
    taken.reserve(indexes.size());
    std::size_t next = 0;
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (next < indexes.size() && indexes[next] == i) {
            taken.push_back(items[i]);
            ++next;
        } else {
            items[kept++] = items[i];
        }
    }
    return taken;
}

// Puts entries back at the indexes they were taken from, among the first
// `count` items; `total` is the count afterwards. Values missing for an
// array that is there (a step recorded without sizes) become defaults.
template <typename T>
void PutBack(T* items, int count, long long total, const std::vector<int>& indexes,
             const std::vector<T>& values, ZoomFactor from, ZoomFactor to) {
    if (!items)
        return;
    long long source = count - 1;
    long long value = static_cast<long long>(indexes.size()) - 1;
    for (long long i = total - 1; i >= 0; --i) {
        if (value >= 0 && indexes[static_cast<std::size_t>(value)] == i) {
            const auto v = static_cast<std::size_t>(value--);
            items[i] = v < values.size() ? Convert(values[v], from, to) : T{};
        } else {
            items[i] = items[source--];
        }
    }
}

template <typename T>
std::vector<T> Copy(const T* items, int from, int to) {
    if (!items || to <= from)
        return {};
    return std::vector<T>(items + from, items + to);
}

// Writes values at items[start...]; a value missing becomes a default.
template <typename T>
void WriteAt(T* items, int start, std::size_t count, const std::vector<T>& values, ZoomFactor from,
             ZoomFactor to) {
    if (!items)
        return;
    for (std::size_t i = 0; i < count; ++i)
        items[start + static_cast<int>(i)] = i < values.size() ? Convert(values[i], from, to) : T{};
}

bool UndoAppend(AppendChange& c, const BoardArrays& b) {
    const int padEnd = c.padStart + static_cast<int>(c.pads.size());
    const int trackEnd = c.trackStart + static_cast<int>(c.tracks.size());
    if (PadCount(b) != padEnd || TrackCount(b) != trackEnd)
        return false;
    c.pads = Copy(b.pads, c.padStart, padEnd);
    c.tracks = Copy(b.tracks, c.trackStart, trackEnd);
    c.padSizes = Copy(b.padSizes, c.padStart, padEnd);
    c.trackSizes = Copy(b.trackSizes, c.trackStart, trackEnd);
    if (b.pads)
        *b.padCount = c.padStart;
    if (b.tracks)
        *b.trackCount = c.trackStart;
    return true;
}

bool RedoAppend(const AppendChange& c, const BoardArrays& b, ZoomFactor from, ZoomFactor to) {
    if ((!c.pads.empty() && (!b.pads || *b.padCount != c.padStart)) ||
        (!c.tracks.empty() && (!b.tracks || *b.trackCount != c.trackStart)))
        return false;
    if (c.padStart + static_cast<long long>(c.pads.size()) > b.capacity ||
        c.trackStart + static_cast<long long>(c.tracks.size()) > b.capacity)
        return false;
    WriteAt(b.pads, c.padStart, c.pads.size(), c.pads, from, to);
    WriteAt(b.padSizes, c.padStart, c.pads.size(), c.padSizes, from, to);
    WriteAt(b.tracks, c.trackStart, c.tracks.size(), c.tracks, from, to);
    WriteAt(b.trackSizes, c.trackStart, c.tracks.size(), c.trackSizes, from, to);
    if (!c.pads.empty())
        *b.padCount += static_cast<int>(c.pads.size());
    if (!c.tracks.empty())
        *b.trackCount += static_cast<int>(c.tracks.size());
    return true;
}

bool SwapPoints(PointChange& c, const BoardArrays& b, ZoomFactor from, ZoomFactor to) {
    for (const PointValue& p : c.points)
        if (!PointOf(b, p.target, p.index))
            return false;
    for (PointValue& p : c.points) {
        const XY xy = PointOf(b, p.target, p.index);
        const float x = *xy.x;
        const float y = *xy.y;
        *xy.x = Convert(p.x, from, to);
        *xy.y = Convert(p.y, from, to);
        p.x = x;
        p.y = y;
    }
    return true;
}

// Room for the entries and indexes that fit the counts after putting back.
bool CanPutBack(const void* items, int count, int capacity, const std::vector<int>& indexes,
                std::size_t values) {
    if (indexes.empty())
        return true;
    if (!items || values != indexes.size())
        return false;
    const long long total = static_cast<long long>(count) + static_cast<long long>(indexes.size());
    return total <= capacity && indexes.back() < total;
}

bool UndoRemove(const RemoveChange& c, const BoardArrays& b, ZoomFactor from, ZoomFactor to) {
    const int pads = PadCount(b);
    const int tracks = TrackCount(b);
    if (!CanPutBack(b.pads, pads, b.capacity, c.padIndexes, c.pads.size()) ||
        !CanPutBack(b.tracks, tracks, b.capacity, c.trackIndexes, c.tracks.size()))
        return false;
    if (!c.padIndexes.empty()) {
        const long long total = pads + static_cast<long long>(c.padIndexes.size());
        PutBack(b.pads, pads, total, c.padIndexes, c.pads, from, to);
        PutBack(b.padSizes, pads, total, c.padIndexes, c.padSizes, from, to);
        *b.padCount = static_cast<int>(total);
    }
    if (!c.trackIndexes.empty()) {
        const long long total = tracks + static_cast<long long>(c.trackIndexes.size());
        PutBack(b.tracks, tracks, total, c.trackIndexes, c.tracks, from, to);
        PutBack(b.trackSizes, tracks, total, c.trackIndexes, c.trackSizes, from, to);
        *b.trackCount = static_cast<int>(total);
    }
    return true;
}

bool RedoRemove(RemoveChange& c, const BoardArrays& b) {
    if (!ValidIndexes(c.padIndexes, PadCount(b)) ||
        !ValidIndexes(c.trackIndexes, TrackCount(b)))
        return false;
    c = RemoveEntries(b, std::move(c.padIndexes), std::move(c.trackIndexes));
    return true;
}

bool SwapBoard(ReplaceChange& c, const BoardArrays& b, ZoomFactor from, ZoomFactor to) {
    if (static_cast<long long>(c.pads.size()) > b.capacity ||
        static_cast<long long>(c.tracks.size()) > b.capacity)
        return false;
    if ((!c.pads.empty() && !b.pads) || (!c.tracks.empty() && !b.tracks))
        return false;
    ReplaceChange shown{Copy(b.pads, 0, PadCount(b)), Copy(b.tracks, 0, TrackCount(b)),
                        Copy(b.padSizes, 0, PadCount(b)), Copy(b.trackSizes, 0, TrackCount(b))};
    WriteAt(b.pads, 0, c.pads.size(), c.pads, from, to);
    WriteAt(b.padSizes, 0, c.pads.size(), c.padSizes, from, to);
    WriteAt(b.tracks, 0, c.tracks.size(), c.tracks, from, to);
    WriteAt(b.trackSizes, 0, c.tracks.size(), c.trackSizes, from, to);
    if (b.pads)
        *b.padCount = static_cast<int>(c.pads.size());
    if (b.tracks)
        *b.trackCount = static_cast<int>(c.tracks.size());
    c = std::move(shown);
    return true;
}

template <typename T>
void SwapEach(T* items, const std::vector<int>& indexes, std::vector<T>& values) {
    for (std::size_t i = 0; i < indexes.size(); ++i)
        std::swap(items[indexes[i]], values[i]);
}

bool SwapSizes(SizeChange& c, const BoardArrays& b) {
    const bool padsFit = c.padIndexes.empty() ||
                         (b.padSizes && ValidIndexes(c.padIndexes, PadCount(b)) &&
                          c.padSizes.size() == c.padIndexes.size());
    const bool tracksFit = c.trackIndexes.empty() ||
                           (b.trackSizes && ValidIndexes(c.trackIndexes, TrackCount(b)) &&
                            c.trackSizes.size() == c.trackIndexes.size());
    if (!padsFit || !tracksFit)
        return false;
    SwapEach(b.padSizes, c.padIndexes, c.padSizes);
    SwapEach(b.trackSizes, c.trackIndexes, c.trackSizes);
    return true;
}

bool Apply(Step& step, const BoardArrays& b, ZoomFactor scale, bool undo) {
    const ZoomFactor from = step.scale;
    bool applied = false;
    if (auto* append = std::get_if<AppendChange>(&step.change))
        applied = undo ? UndoAppend(*append, b) : RedoAppend(*append, b, from, scale);
    else if (auto* points = std::get_if<PointChange>(&step.change))
        applied = SwapPoints(*points, b, from, scale);
    else if (auto* remove = std::get_if<RemoveChange>(&step.change))
        applied = undo ? UndoRemove(*remove, b, from, scale) : RedoRemove(*remove, b);
    else if (auto* replace = std::get_if<ReplaceChange>(&step.change))
        applied = SwapBoard(*replace, b, from, scale);
    else if (auto* sizes = std::get_if<SizeChange>(&step.change))
        applied = SwapSizes(*sizes, b);
    if (applied)
        step.scale = scale;
    return applied;
}

template <typename T>
std::size_t VectorBytes(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

} // namespace

std::string_view StepName(StepKind kind) {
    switch (kind) {
    case StepKind::AddPad: return "Add Pad";
    case StepKind::AddTrack: return "Add Track";
    case StepKind::MarkComponent: return "Mark Component";
    case StepKind::Move: return "Move";
    case StepKind::MoveAll: return "Move All";
    case StepKind::RotateAll: return "Rotate All";
    case StepKind::MirrorAll: return "Mirror All";
    case StepKind::Delete: return "Delete";
    case StepKind::DeleteAll: return "Delete All";
    case StepKind::RemoveSegment: return "Remove Segment";
    case StepKind::OpenWorkFile: return "Open Work File";
    case StepKind::ImportProtel: return "Import Protel File";
    case StepKind::RecoverBoard: return "Recover Board";
    case StepKind::ChangeSize: return "Change Size";
    }
    return "Edit";
}

std::size_t StepBytes(const Step& step) {
    std::size_t bytes = sizeof(Step);
    std::visit(
        [&bytes](const auto& c) {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, PointChange>) {
                bytes += VectorBytes(c.points);
            } else if constexpr (std::is_same_v<C, RemoveChange>) {
                bytes += VectorBytes(c.padIndexes) + VectorBytes(c.pads) +
                         VectorBytes(c.trackIndexes) + VectorBytes(c.tracks) +
                         VectorBytes(c.padSizes) + VectorBytes(c.trackSizes);
            } else if constexpr (std::is_same_v<C, SizeChange>) {
                bytes += VectorBytes(c.padIndexes) + VectorBytes(c.padSizes) +
                         VectorBytes(c.trackIndexes) + VectorBytes(c.trackSizes);
            } else {
                bytes += VectorBytes(c.pads) + VectorBytes(c.tracks) + VectorBytes(c.padSizes) +
                         VectorBytes(c.trackSizes);
            }
        },
        step.change);
    return bytes;
}

RemoveChange RemoveEntries(const BoardArrays& board, std::vector<int> pads, std::vector<int> tracks) {
    RemoveChange change;
    if (ValidIndexes(pads, PadCount(board)) && !pads.empty()) {
        const int count = PadCount(board);
        change.pads = TakeOut(board.pads, count, pads);
        change.padSizes = TakeOut(board.padSizes, count, pads);
        *board.padCount = count - static_cast<int>(pads.size());
        change.padIndexes = std::move(pads);
    }
    if (ValidIndexes(tracks, TrackCount(board)) && !tracks.empty()) {
        const int count = TrackCount(board);
        change.tracks = TakeOut(board.tracks, count, tracks);
        change.trackSizes = TakeOut(board.trackSizes, count, tracks);
        *board.trackCount = count - static_cast<int>(tracks.size());
        change.trackIndexes = std::move(tracks);
    }
    return change;
}

std::optional<StepKind> BoardHistory::UndoKind() const {
    if (!CanUndo())
        return std::nullopt;
    return m_steps[m_done - 1].kind;
}

std::optional<StepKind> BoardHistory::RedoKind() const {
    if (!CanRedo())
        return std::nullopt;
    return m_steps[m_done].kind;
}

bool BoardHistory::Undo(const BoardArrays& board, ZoomFactor scale) {
    if (!CanUndo())
        return false;
    if (!Apply(m_steps[m_done - 1], board, scale, true)) {
        // The board no longer matches the history; nothing can be undone safely.
        Clear();
        MarkModified();
        return false;
    }
    --m_done;
    ++m_revision;
    return true;
}

bool BoardHistory::Redo(const BoardArrays& board, ZoomFactor scale) {
    if (!CanRedo())
        return false;
    if (!Apply(m_steps[m_done], board, scale, false)) {
        Clear();
        MarkModified();
        return false;
    }
    ++m_done;
    ++m_revision;
    return true;
}

void BoardHistory::Record(Step step) {
    DropRedoBranch();
    m_bytes += StepBytes(step);
    m_steps.push_back(std::move(step));
    ++m_done;
    ++m_revision;
    DropOldestPastLimit();
}

void BoardHistory::DropRedoBranch() {
    if (m_savedAt != kUnreachable && m_savedAt > m_done)
        m_savedAt = kUnreachable;
    while (m_steps.size() > m_done) {
        m_bytes -= StepBytes(m_steps.back());
        m_steps.pop_back();
    }
}

// The newest step always stays, however large it is.
void BoardHistory::DropOldestPastLimit() {
    while (m_bytes > m_byteLimit && m_steps.size() > 1 && m_done > 0) {
        m_bytes -= StepBytes(m_steps.front());
        m_steps.pop_front();
        --m_done;
        if (m_savedAt == 0)
            m_savedAt = kUnreachable;
        else if (m_savedAt != kUnreachable)
            --m_savedAt;
        m_droppedNotice = true;
    }
}

bool BoardHistory::TakeDroppedNotice() {
    return std::exchange(m_droppedNotice, false);
}

void BoardHistory::Open(StepKind kind, ZoomFactor scale) {
    if (m_open)
        return;
    AppendChange nothingYet;
    nothingYet.padStart = -1;
    nothingYet.trackStart = -1;
    m_open = Step{kind, scale, std::move(nothingYet)};
    m_openPoints.clear();
}

std::uint64_t BoardHistory::PointKey(PointTarget target, int index) {
    return (static_cast<std::uint64_t>(target) << 32) | static_cast<std::uint32_t>(index);
}

bool BoardHistory::NotePoint(PointTarget target, int index, float x, float y) {
    if (!m_open)
        return false;
    if (auto* append = std::get_if<AppendChange>(&m_open->change)) {
        if (append->padStart >= 0)
            return false;
        m_open->change = PointChange{};
    }
    if (m_openPoints.insert(PointKey(target, index)).second)
        std::get<PointChange>(m_open->change).points.push_back({index, target, x, y});
    return true;
}

bool BoardHistory::NoteAppend(int padStart, int trackStart) {
    if (!m_open)
        return false;
    auto* append = std::get_if<AppendChange>(&m_open->change);
    if (!append)
        return false;
    if (append->padStart < 0) {
        append->padStart = padStart;
        append->trackStart = trackStart;
    }
    return true;
}

void BoardHistory::Close(const BoardArrays& board) {
    if (!m_open)
        return;
    Step step = std::move(*m_open);
    m_open.reset();
    m_openPoints.clear();
    if (auto* points = std::get_if<PointChange>(&step.change)) {
        std::erase_if(points->points, [&board](const PointValue& p) {
            const XY xy = PointOf(board, p.target, p.index);
            return !xy || (SameBits(*xy.x, p.x) && SameBits(*xy.y, p.y));
        });
        if (points->points.empty())
            return;
        points->points.shrink_to_fit();
    } else if (auto* append = std::get_if<AppendChange>(&step.change)) {
        if (append->padStart < 0)
            return;
        append->pads = Copy(board.pads, append->padStart, PadCount(board));
        append->tracks = Copy(board.tracks, append->trackStart, TrackCount(board));
        append->padSizes = Copy(board.padSizes, append->padStart, PadCount(board));
        append->trackSizes = Copy(board.trackSizes, append->trackStart, TrackCount(board));
        if (append->pads.empty() && append->tracks.empty())
            return;
    }
    Record(std::move(step));
}

void BoardHistory::ScaleOpen(ZoomFactor newScale) {
    if (!m_open)
        return;
    if (auto* points = std::get_if<PointChange>(&m_open->change))
        for (PointValue& p : points->points) {
            p.x = Convert(p.x, m_open->scale, newScale);
            p.y = Convert(p.y, m_open->scale, newScale);
        }
    m_open->scale = newScale;
}

void BoardHistory::Clear() {
    m_steps.clear();
    m_done = 0;
    m_savedAt = 0;
    m_bytes = 0;
    m_open.reset();
    m_openPoints.clear();
}

} // namespace board
