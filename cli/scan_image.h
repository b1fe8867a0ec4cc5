// What the image code reads from a scan file.
#pragma once

#include "platform/types.h"

#include <optional>
#include <string>

struct ScanInfo {
    DWORD width = 0;
    DWORD height = 0;
    WORD bits = 0;
    DWORD compression = 0; // 0 for a core header, which has no such field
    WORD colors = 0;
    bool palette = false;
    bool infoHeader = false; // the 40-byte header; otherwise the core layout
};

// Reads a .bmp file as the program does. Nothing, with `error` set to the
// program's message, when it cannot be read.
std::optional<ScanInfo> ReadScanInfo(const std::string& path, std::string& error);

// The size the board uses: width and height as ints; nothing, with `error`
// set, for an image the program refuses as too large.
std::optional<std::pair<int, int>> ScanSizeForBoard(const ScanInfo& info, std::string& error);
