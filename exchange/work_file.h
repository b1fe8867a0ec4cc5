// The work file (.dpb): every pad and track of a board in image pixels, so
// that a tracing can be reopened and edited further.
//
//   FP            a pad: keyword line, then "x y"
//   120 45
//   FT            a track: keyword line, then "x1 y1 x2 y2 layer"
//   10 20 30 20 1
//
// All pads come first, then all tracks; no header, count or end marker.
// Every line ends in CR LF. Reading is lenient: a record is recognised by
// the first two characters of a line, other lines are skipped, and records
// may come in any order.
#pragma once

#include "board/zoom_factor.h"
#include "exchange/board_data.h"

#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kWorkFileFilter = "Back Files (*.dpb)|*.dpb|All Files (*.*)|*.*||";
inline constexpr const char* kWorkFileExtension = ".dpb";

// One coordinate of a board held at zoom factor `scale` as the file writes
// it: divided by the scale, in float as the board holds it, and truncated
// toward zero. False when it does not fit the file's integers.
bool WorkFileValue(float stored, ZoomFactor scale, int& out);
// A file value as a stored coordinate at zoom factor `scale`; false when the
// value is beyond what the board keeps.
bool StoredFromWorkFile(int value, ZoomFactor scale, float& out);

// The file's text for a board held at zoom factor `scale`: each stored
// coordinate divided by the scale and truncated toward zero. Nothing when a
// value does not fit the file's integers.
std::optional<std::string> FormatWorkFile(BoardSpan board, ZoomFactor scale);

// False for a text that cannot be a work file: something other than blanks
// without a single "FP" or "FT" line (another kind of file picked by
// mistake), which must not replace the board with nothing.
bool LooksLikeWorkFile(std::string_view text);

// Reads a work file into stored coordinates at zoom factor `scale`. Records
// that cannot be taken are skipped and counted in `report`.
BoardData ParseWorkFile(std::string_view text, ZoomFactor scale, ReadReport& report);
