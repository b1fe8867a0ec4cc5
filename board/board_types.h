// Records of the board model.
#pragma once

#include <cstdint>
#include <vector>

struct Pad {
    float x;
    float y;
};

struct Track {
    float x1;
    float y1;
    float x2;
    float y2;
    float layer;
};

// The real sizes of an object, in whole mils, held beside the records in
// arrays of the same capacity so that every index names the same object in
// both. The defaults are what every object had before sizes were kept, and
// what the Protel export wrote for all of them.
enum class PadShape : std::uint8_t { Round = 1, Rectangle = 2, Octagon = 3 };

struct PadSize {
    int x = 60;
    int y = 60;
    int hole = 28; // 0: no hole (a surface pad)
    PadShape shape = PadShape::Round;
    bool operator==(const PadSize&) const = default;
};

struct TrackSize {
    int width = 12;
    bool operator==(const TrackSize&) const = default;
};

// Sane bounds for a size taken from the user or a file.
constexpr int kMinSizeMil = 1;
constexpr int kMaxSizeMil = 10000;

inline bool IsPadShape(int code) { return code >= 1 && code <= 3; }

inline int ClampSizeMil(int mil) {
    return mil < kMinSizeMil ? kMinSizeMil : mil > kMaxSizeMil ? kMaxSizeMil : mil;
}

// Sizes from a file or the user brought within the bounds; a hole may be 0,
// and a shape code other than Protel's three is taken as round.
inline PadSize SanePadSize(int x, int y, int hole, int shape) {
    return {ClampSizeMil(x), ClampSizeMil(y), hole <= 0 ? 0 : ClampSizeMil(hole),
            IsPadShape(shape) ? static_cast<PadShape>(shape) : PadShape::Round};
}
inline TrackSize SaneTrackSize(int width) { return {ClampSizeMil(width)}; }

// A saved coordinate pair for cancelling a drag: the coordinate index names
// the pair in the pad array (2p) or the track array (5t, 5t + 2) read as a
// flat sequence of floats.
struct BackupEntry {
    int index;
    float x;
    float y;
};

// What a drag of one pad or track would move, as the drag saves it: track
// ends by coordinate index and pads by index, in the order saved, with any
// entry saved twice listed twice.
struct JoinedObjects {
    std::vector<int> trackEnds;
    std::vector<int> pads;
    bool operator==(const JoinedObjects&) const = default;
};

static_assert(sizeof(Pad) == 2 * sizeof(float));
static_assert(sizeof(Track) == 5 * sizeof(float));
