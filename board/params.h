// Drawing parameters and layer colours shared by every board view.
#pragma once

#include "board/board_types.h"
#include "board/zoom_factor.h"
#include "platform/file.h"
#include "platform/types.h"

#include <string>

constexpr int kLayerCount = 12;      // layer numbers 1 to 12
constexpr int kLayerColorCount = 14; // colours for layer numbers 0 to 13

extern const int g_nMaxItems;
extern int g_nPadRadiusX;
extern int g_nPadRadiusY;
extern int g_nScanLinesX;
extern int g_nScanLinesY;
extern float g_fMilPerPixelX;
extern float g_fMilPerPixelY;
extern int g_nLineWidth;
extern int g_nCurrentLayer;
// Starts as kDefaultLayerColors; the colour file replaces what it holds.
extern COLORREF g_crLayerColor[kLayerColorCount];
// The size for new objects: what pads and tracks placed from now on get.
extern PadSize g_NewPadSize;
extern TrackSize g_NewTrackSize;
// Draw each pad and track at its own size instead of the marker sizes.
extern bool g_bShowRealSizes;
// Track ends that fall on a pad go exactly to its centre, in line mode and
// when a drag is dropped; on unless the user turned it off.
extern bool g_bSnapToPads;

// Name of a layer number as the status bar and the parameters dialog show it;
// " " for numbers outside 1 to 12.
const char* LayerName(int layer);
// Text of the layer's item in the Toggle Layers menu ("Board Layer" for 11).
const char* LayerMenuText(int layer);
bool IsValidLayer(int layer);

// Mils per image pixel for a scan resolution in dots per inch: 1000 / scan
// lines, divided in double and rounded to float once. Every conversion
// between pixels and mils uses this one factor.
float MilPerPixel(int scanLines);

// The one limit on where tracing may lie, kept by placing, reading and
// writing alike: a pad or track end at most 2^24 image pixels from the
// origin (unzoomed), and a layer number of at most that magnitude. Up to 2^24
// a float holds every whole number exactly; the zoom factors are powers of
// two, so the zoomed coordinates are exact too, and the same tracing can be
// saved and read back at any zoom.
constexpr int kMaxCoordinate = 1 << 24;
// True when a stored coordinate at zoom factor `scale` keeps the limit; false
// for a value that is not a number.
inline bool WithinBoardLimit(double stored, ZoomFactor scale) {
    return stored <= static_cast<double>(kMaxCoordinate) * scale.Factor() &&
           stored >= -static_cast<double>(kMaxCoordinate) * scale.Factor();
}

// The colours tracks have until a colour file says otherwise. Each layer
// stands apart from the others, from a dark green board, a light scan and
// bare copper: top copper red, bottom copper blue, the overlays yellow and
// white, keep-out magenta. Entries 0 and 13 belong to no layer and are never
// drawn.
inline constexpr COLORREF kDefaultLayerColors[kLayerColorCount] = {
    RGB(0, 0, 0),       // 0: no layer
    RGB(230, 40, 40),   // Top Layer
    RGB(0, 230, 210),   // 1 Mid Layer
    RGB(180, 90, 240),  // 2 Mid Layer
    RGB(0, 140, 150),   // 3 Mid Layer
    RGB(100, 0, 160),   // 4 Mid Layer
    RGB(40, 90, 255),   // Bottom Layer
    RGB(255, 230, 0),   // Top Overlay
    RGB(250, 250, 250), // Bottom Overlay
    RGB(0, 240, 0),     // Ground Plane
    RGB(255, 120, 190), // Power Plane
    RGB(0, 0, 0),       // Board Layer
    RGB(255, 0, 255),   // Keep Out Layer
    RGB(0, 0, 0),       // 13: no layer
};

// The colour file img_pcb.col in the current directory.
inline constexpr const char* kLayerColorFile = "img_pcb.col";
// Reads up to 56 bytes into the colour table; a short file fills only what
// it holds. Missing: there is no file by that name, and the table is left as
// it was. Failed: the file is there but cannot be opened or read, or it is
// not a regular file and special is SpecialFiles::Refuse.
enum class ColorFileRead { Read, Missing, Failed };
ColorFileRead LoadLayerColors(const std::string& path, SpecialFiles special = SpecialFiles::Refuse);
// The same, true only when the file was read.
bool ReadLayerColors(const std::string& path, SpecialFiles special = SpecialFiles::Refuse);
// Writes the 56 bytes through a temporary file, which replaces the file only
// when complete; on failure an existing file is left as it was.
enum class ColorFileWrite { Written, CannotOpen, WriteFailed };
ColorFileWrite WriteLayerColors(const std::string& path);
