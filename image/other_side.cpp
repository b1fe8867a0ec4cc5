#include "image/other_side.h"

#include "image/dib_doc.h"

namespace {

// A scan opened as the other side is not a document of its own: it stays
// out of the recent files.
class SideScanDoc : public CDibDoc {
  public:
    void SetPathName(const std::string& path, bool /*addToMRU*/) override {
        CDocument::SetPathName(path, false);
    }
};

} // namespace

OtherSide::OtherSide() = default;
OtherSide::~OtherSide() = default;
OtherSide::OtherSide(OtherSide&&) noexcept = default;
OtherSide& OtherSide::operator=(OtherSide&&) noexcept = default;

CSize OtherSide::ScanSize() const { return scan ? scan->GetImageSize() : CSize(1, 1); }

registration::Transform OtherSide::BackToFront(CSize frontSize, ScanLines frontLines) const {
    if (registered)
        return *registered;
    const CSize back = ScanSize();
    return registration::InitialTransform(mirror, back.cx, back.cy, lines.x, lines.y, frontSize.cx,
                                          frontSize.cy, frontLines.x, frontLines.y);
}

std::unique_ptr<OtherSide> LoadOtherSide(const std::string& path, ScanLines fallback) {
    auto scan = std::make_unique<SideScanDoc>();
    if (!scan->OnOpenDocument(path) || !scan->GetDibBlock())
        return nullptr;
    auto side = std::make_unique<OtherSide>();
    if (const auto stated = ScanLinesOfFile(scan.get()))
        side->lines = *stated;
    else if (const auto remembered = RememberedScanLines(scan.get()))
        side->lines = *remembered;
    else
        side->lines = fallback;
    side->scan = std::move(scan);
    return side;
}
