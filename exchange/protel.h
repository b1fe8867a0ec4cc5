// Protel PCB ASCII files: the export of a board in mils, and the import of
// the pads and tracks of such a file over a scan.
//
// As written:
//   PCB FILE 4
//   FP                        a pad, for each pad
//   X Y 60 60 1 28 1 13       X size, Y size, shape, hole
//   0
//   FT                        a track, for each track
//   X1 Y1 X2 Y2 12 layer 1    the width after the ends
//   ENDPCB
//
// X is the distance in mils from the image's left edge, Y the distance in
// mils upwards from its bottom edge; the sizes are the objects' own, in
// mils (shape 1 round, 2 rectangle, 3 octagon). Every line ends in CR LF.
#pragma once

#include "board/zoom_factor.h"
#include "exchange/board_data.h"

#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kProtelSaveFilter = "Protel Files (*.pcb)|*.pcb|All Files (*.*)|*.*||";
inline constexpr const char* kProtelSaveExtension = ".PCB";
inline constexpr const char* kProtelOpenFilter =
    "Protel format files (*.pcb)|*.pcb|All Files (*.*)|*.*||";
inline constexpr const char* kProtelOpenExtension = ".pcb";

struct ProtelExportSettings {
    float milPerPixelX = 5.0f;
    float milPerPixelY = 5.0f;
    int imageHeight = 0; // pixels, unzoomed
    ZoomFactor scale;    // zoom factor of the stored coordinates
};

// The file's text; nothing when a value cannot be written as a whole number
// (an infinite factor, or a coordinate out of range).
std::optional<std::string> FormatProtel(BoardSpan board, const ProtelExportSettings& settings);

// Kinds of records the import recognises by the first two characters of a
// line: "F" (free) or "C" (in a component), then the kind letter.
enum class ProtelRecord { None, Arc, Track, Fill, Via, Pad, String };
ProtelRecord RecordKind(std::string_view line);

// False for a text that cannot be a Protel file: something other than blanks
// with neither a header, trailer or component line nor a single record.
bool LooksLikeProtelFile(std::string_view text);

struct ProtelImportSettings {
    int scanLinesX = 200;
    int scanLinesY = 200;
    int imageWidth = 0; // pixels, unzoomed
    int imageHeight = 0;
    ZoomFactor scale; // zoom factor to bring the board to
};

struct ProtelImport {
    BoardData board; // stored coordinates at the settings' scale
    // The scrollable area, unzoomed: the image, or more when the layout
    // reaches beyond it, with 10 pixels to spare.
    int width = 0;
    int height = 0;
};

// Reads the pads and tracks of a Protel file. Nothing when the layout's
// extent is too large for the board (or the settings are not positive);
// records that cannot be taken are skipped and counted in `report`.
std::optional<ProtelImport> ImportProtel(std::string_view text,
                                         const ProtelImportSettings& settings, ReadReport& report);
