// Drawing pads and tracks onto a device context: what the board view shows
// over the image, and what the command line renders over a scan.
#pragma once

#include "board/board_types.h"
#include "board/params.h"
#include "platform/device_context.h"

#include <span>

struct BoardScene {
    std::span<const Pad> pads;
    std::span<const Track> tracks;
    // Visibility by layer number 1 to 12 (index 0 unused).
    const int (*layerVisible)[kLayerCount + 1] = nullptr;
    // Client position = stored coordinate truncated, minus the scroll position.
    CPoint scroll;
    // Pads are drawn only when their centre lies inside, edges included.
    CRect client;
    // Select-all: every shown pad and track gets a halo under it.
    bool highlightAll = false;
    // Real sizes: each object drawn at its own size, from its size in mils
    // and the screen pixels one mil takes; null draws the markers.
    struct RealScale {
        double pixelsPerMilX;
        double pixelsPerMilY;
    };
    const RealScale* realScale = nullptr;
    std::span<const PadSize> padSizes;
    std::span<const TrackSize> trackSizes;
    // What a drag of the object under the pointer would move, by index in
    // ascending order: those tracks are drawn again in the highlight colour
    // over the other tracks, and those pads get a ring in it.
    std::span<const int> joinedTracks;
    std::span<const int> joinedPads;
};

// The colour of what is joined to the object under the pointer, and of the
// pad a track end would be snapped onto.
constexpr COLORREF kJoinedColor = RGB(255, 255, 0);

// The ring that marks a pad: outside its disc, in the highlight colour.
void DrawPadRing(CDC& dc, CPoint centre);

// Tracks in array order, each in its layer's colour and the line width, then
// the pads as red-outlined black discs of the pad radii. Tracks of hidden
// layers or of layers outside 1 to 12 are left out, and so is whatever lies
// wholly outside the context's clip box. With highlightAll, halos of every
// object are drawn first, under all of them. The joined tracks are drawn
// over the other tracks and under the pads, the rings over everything.
void PaintBoard(CDC& dc, const BoardScene& scene);

// The objects at their own sizes, as PaintBoard draws them with a real
// scale: tracks of their width in their layer's colour with round ends,
// pads as discs, rectangles or octagons of their X and Y sizes in copper red
// with the hole as a dark centre. A pad is drawn wherever part of it shows.
void PaintRealSizes(CDC& dc, const BoardScene& scene, const CRect& clip);
