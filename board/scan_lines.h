// The resolution of a scan in dots per inch along x and y, its "scan lines",
// through which image pixels become mils. Each image document has its own,
// shared by the windows on it; the active window's are the current values
// g_nScanLinesX and g_nScanLinesY (board/params.h).
#pragma once

#include <optional>
#include <string>

class CDocument;

struct ScanLines {
    int x = 200;
    int y = 200;
    friend bool operator==(const ScanLines&, const ScanLines&) = default;
};

// Any resolution the parameters dialog takes: a whole number above zero, and
// no more than the recovery files and the remembered scales hold.
constexpr int kLargestScanLines = 1000000;
bool IsUsableScanLines(ScanLines lines);

// The current values.
ScanLines CurrentScanLines();
// Sets g_nScanLinesX/Y and the factors g_fMilPerPixelX/Y derived from them.
void MakeScanLinesCurrent(ScanLines lines);

// "600 x 600".
std::string ScanLinesText(ScanLines lines);

// What an image file states about its resolution, as scan lines: nothing
// when it states none, or one outside 50 to 20,000 dots per inch.
std::optional<ScanLines> ScanLinesOfFile(const CDocument* document);
// "scan.tif has 3 pages; the first is shown" for a file of several pages;
// empty otherwise.
std::string PagesNote(const CDocument* document);

// The scan lines remembered for an image file (platform/scale_memory.h);
// nothing for a document without a file or when none were kept.
std::optional<ScanLines> RememberedScanLines(const CDocument* document);
// Keeps the scan lines the user set for the document's file.
void RememberScanLines(const CDocument* document, ScanLines lines);
