// The manifest beside each recovery file: what is needed to put the tracing
// back where it was. A short text of key=value lines after a first line
// naming the format:
//
//   tracevu recovery 1
//   image=/home/me/scan.bmp        (empty for a document never saved)
//   scan-lines-x=200
//   scan-lines-y=200
//   scale=2                        (the view's zoom factor when saved; 1/4
//                                   below 1)
//   saved=1796678040               (seconds since 1970, UTC)
//   revision=17                    (the board's revision when saved)
//   pads=20000
//   tracks=0
//   project=/home/me/board.tvproj  (only for a tracing of a project)
//   project-state=1                (only when the project file beside the
//                                   board holds the other side and the
//                                   project's own keys)
//   end                            (a manifest cut short is refused)
//
// The last two keys came later and may be left out: manifests without them
// stand for a plain tracing over one scan, as before. In the paths a
// backslash, a line feed and a carriage return are written as \\, \n and
// \r, so that any file name fits on its line.
#pragma once

#include "board/zoom_factor.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct RecoveryManifest {
    std::string imagePath;
    int scanLinesX = 200;
    int scanLinesY = 200;
    ZoomFactor scale;
    std::int64_t savedAt = 0;
    std::uint64_t revision = 0;
    int pads = 0;
    int tracks = 0;
    std::string projectPath;   // empty when the tracing has no project file
    bool projectState = false; // the recovery's project file is to be read
};

std::string FormatRecoveryManifest(const RecoveryManifest& manifest);

// The manifest a text holds, or nothing with `error` saying in a few words
// what is wrong: a first line other than the format's, a key missing or
// given twice, a value that is not a number in range, a broken escape.
// Keys it does not know are passed over; the project keys may be missing.
std::optional<RecoveryManifest> ParseRecoveryManifest(std::string_view text, std::string& error);
