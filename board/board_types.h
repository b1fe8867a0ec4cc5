// Records of the board model.
#pragma once

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
