// The board of a recovery file. It is a work file, so that it can be opened
// with Open Work as any other, followed by lines the work-file reader passes
// over: the same pads and tracks with their stored values exactly (work
// files keep whole pixels only), and the board's revision as the last line.
//
//   FP / 12 7 / FT / 0 0 30 0 1    the work file at the view's zoom
//   XP 12.5 7                      each pad exactly, in pad order
//   XT 0 0 30.25 0 1               each track exactly, in track order
//   XR 17                          the revision, which the manifest repeats
#pragma once

#include "exchange/board_data.h"
#include "exchange/recovery_manifest.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The file's text for a board held at zoom factor `scale`; nothing when the
// board does not fit a work file.
std::optional<std::string> FormatRecoveryBoard(BoardSpan board, ZoomFactor scale,
                                               std::uint64_t revision);

// The exact board of a recovery file, in stored coordinates at the zoom the
// manifest names. Nothing, with `error` saying why, unless the file is
// whole: the work-file records and the exact ones must agree with each
// other and with the manifest's counts and revision.
std::optional<BoardData> ParseRecoveryBoard(std::string_view text, const RecoveryManifest& manifest,
                                            std::string& error);

// Brings stored coordinates from one zoom factor to another (both powers of
// two, so every value stays exact).
void RescaleBoard(BoardData& board, ZoomFactor fromScale, ZoomFactor toScale);
