#include "board/params.h"

#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

const int g_nMaxItems = 20000;
int g_nPadRadiusX = 0;
int g_nPadRadiusY = 0;
int g_nScanLinesX = 200;
int g_nScanLinesY = 200;
float g_fMilPerPixelX = 5.0f; // MilPerPixel(200)
float g_fMilPerPixelY = 5.0f;
int g_nLineWidth = 0;
int g_nCurrentLayer = 0;
COLORREF g_crLayerColor[kLayerColorCount] = {
    kDefaultLayerColors[0],  kDefaultLayerColors[1],  kDefaultLayerColors[2],
    kDefaultLayerColors[3],  kDefaultLayerColors[4],  kDefaultLayerColors[5],
    kDefaultLayerColors[6],  kDefaultLayerColors[7],  kDefaultLayerColors[8],
    kDefaultLayerColors[9],  kDefaultLayerColors[10], kDefaultLayerColors[11],
    kDefaultLayerColors[12], kDefaultLayerColors[13]};
PadSize g_NewPadSize;
TrackSize g_NewTrackSize;
bool g_bShowRealSizes = false;
bool g_bSnapToPads = true;

namespace {
const char* const kLayerNames[kLayerCount] = {"Top Layer",   "1 Mid Layer",    "2 Mid Layer",
                                              "3 Mid Layer", "4 Mid Layer",    "Bottom Layer",
                                              "Top Overlay", "Bottom Overlay", "Ground Plane",
                                              "Power Plane", "Boder Layer",    "Keep Out Layer"};
} // namespace

bool IsValidLayer(int layer) {
    return layer >= 1 && layer <= kLayerCount;
}

const char* LayerName(int layer) {
    return IsValidLayer(layer) ? kLayerNames[layer - 1] : " ";
}

float MilPerPixel(int scanLines) {
    return static_cast<float>(1000.0 / scanLines);
}

const char* LayerMenuText(int layer) {
    if (layer == 11)
        return "Board Layer";
    return LayerName(layer);
}

ColorFileRead LoadLayerColors(const std::string& path, SpecialFiles special) {
    int osError = 0;
    std::FILE* fp = OpenForReading(path, osError, special);
    if (!fp)
        return osError == ENOENT ? ColorFileRead::Missing : ColorFileRead::Failed;
    unsigned char bytes[sizeof g_crLayerColor] = {};
    const size_t got = std::fread(bytes, 1, sizeof bytes, fp);
    // A directory opens but cannot be read.
    const bool failed = std::ferror(fp) != 0;
    std::fclose(fp);
    if (failed)
        return ColorFileRead::Failed;
    // Only whole entries are taken; a trailing partial entry keeps its colour.
    const size_t whole = got / sizeof(COLORREF);
    for (size_t i = 0; i < whole; ++i) {
        COLORREF c = 0;
        std::memcpy(&c, bytes + i * sizeof c, sizeof c);
        g_crLayerColor[i] = c;
    }
    return ColorFileRead::Read;
}

bool ReadLayerColors(const std::string& path, SpecialFiles special) {
    return LoadLayerColors(path, special) == ColorFileRead::Read;
}

ColorFileWrite WriteLayerColors(const std::string& path) {
    AtomicFile file;
    if (!file.Open(path))
        return ColorFileWrite::CannotOpen;
    if (std::fwrite(g_crLayerColor, sizeof g_crLayerColor, 1, file.Stream()) != 1 || !file.Commit())
        return ColorFileWrite::WriteFailed;
    return ColorFileWrite::Written;
}
