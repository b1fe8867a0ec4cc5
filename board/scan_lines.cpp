#include "board/scan_lines.h"

#include "board/params.h"
#include "image/dib_doc.h"
#include "platform/scale_memory.h"

bool IsUsableScanLines(ScanLines lines) {
    return lines.x > 0 && lines.y > 0 && lines.x <= kLargestScanLines &&
           lines.y <= kLargestScanLines;
}

ScanLines CurrentScanLines() {
    return {g_nScanLinesX, g_nScanLinesY};
}

void MakeScanLinesCurrent(ScanLines lines) {
    g_nScanLinesX = lines.x;
    g_nScanLinesY = lines.y;
    g_fMilPerPixelX = MilPerPixel(lines.x);
    g_fMilPerPixelY = MilPerPixel(lines.y);
}

std::string ScanLinesText(ScanLines lines) {
    return std::to_string(lines.x) + " x " + std::to_string(lines.y);
}

std::optional<ScanLines> ScanLinesOfFile(const CDocument* document) {
    const auto* image = dynamic_cast<const CDibDoc*>(document);
    if (!image)
        return std::nullopt;
    const ImageHeaderInfo& info = image->GetFileInfo();
    const auto stated = ScanLinesFromResolution(info.xDpi, info.yDpi);
    if (!stated)
        return std::nullopt;
    return ScanLines{stated->first, stated->second};
}

std::string PagesNote(const CDocument* document) {
    const auto* image = dynamic_cast<const CDibDoc*>(document);
    if (!image || image->GetFileInfo().pages < 2)
        return {};
    return image->GetTitle() + " has " + std::to_string(image->GetFileInfo().pages) +
           " pages; the first is shown";
}

std::optional<ScanLines> RememberedScanLines(const CDocument* document) {
    IScaleMemory* memory = ScaleMemory();
    if (!memory || !document || document->GetPathName().empty())
        return std::nullopt;
    const auto kept = memory->Recall(document->GetPathName());
    if (!kept)
        return std::nullopt;
    const ScanLines lines{kept->first, kept->second};
    // A settings file edited by hand may hold anything.
    return IsUsableScanLines(lines) ? std::optional(lines) : std::nullopt;
}

void RememberScanLines(const CDocument* document, ScanLines lines) {
    IScaleMemory* memory = ScaleMemory();
    if (memory && document && !document->GetPathName().empty() && IsUsableScanLines(lines))
        memory->Remember(document->GetPathName(), lines.x, lines.y);
}
