// What the image code reads from a scan file.
#pragma once

#include "image/formats/image_format.h"
#include "platform/types.h"

#include <optional>
#include <string>

struct ScanInfo {
    ImageFormat format = ImageFormat::Bmp;
    DWORD width = 0;
    DWORD height = 0;
    WORD bits = 0;          // of the picture as the program holds it
    DWORD compression = 0;  // a BMP's field; 0 for a core header and other formats
    WORD colors = 0;
    bool palette = false;
    bool infoHeader = false; // a BMP's 40-byte header; otherwise the core layout
    double xDpi = 0;         // as the file states them; 0 when it does not
    double yDpi = 0;
    int pages = 1;
    std::string storage; // how other formats store it: "16-bit grey, deflate"
};

// Reads a scan's header as the program would open it, without its pixels
// where the header alone can tell. Nothing, with `error` set to the
// program's message, when it cannot be read.
std::optional<ScanInfo> ReadScanInfo(const std::string& path, std::string& error);

// The size the board uses: width and height as ints; nothing, with `error`
// set, for an image the program refuses as too large.
std::optional<std::pair<int, int>> ScanSizeForBoard(const ScanInfo& info, std::string& error);
