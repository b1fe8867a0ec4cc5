// The scan lines of the view's document: shared by the windows on it, taken
// when the document is first shown, and made current when a window is
// activated.
#include "board/dib_view.h"
#include "board/view_geometry.h"
#include "platform/document.h"
#include "platform/user_services.h"

void CDibView::SetScanLines(ScanLines lines) {
    *m_pScanLines = lines;
    MakeScanLinesCurrent(lines);
}

void CDibView::TakeDocumentScanLines() {
    if (m_bScanLinesTaken)
        return;
    m_bScanLinesTaken = true;
    const CDocument* document = CScrollView::GetDocument();
    if (document) {
        for (CScrollView* other : document->GetViews()) {
            const auto* sibling = dynamic_cast<const CDibView*>(other);
            if (sibling && sibling != this && sibling->m_bScanLinesTaken) {
                m_pScanLines = sibling->m_pScanLines;
                return;
            }
        }
    }
    // What was set by hand for this scan comes before what its file says.
    std::string note;
    if (const auto remembered = RememberedScanLines(document)) {
        SetScanLines(*remembered);
        note = "Scan lines " + ScanLinesText(*remembered) + " remembered for this scan";
    } else if (const auto stated = ScanLinesOfFile(document)) {
        SetScanLines(*stated);
        note = "Scan lines " + ScanLinesText(*stated) + " from the file";
    } else {
        *m_pScanLines = CurrentScanLines();
    }
    if (const std::string pages = PagesNote(document); !pages.empty())
        note += (note.empty() ? "" : ". ") + pages;
    if (!note.empty())
        Services().SetStatusPaneText(0, note);
}

CPoint CDibView::ScanPixelAt(CPoint client) const {
    const CPoint s = GetScrollPosition();
    return {board::SaturateToInt(m_nScale.ScanPixelOf(std::int64_t{s.x} + client.x)),
            board::SaturateToInt(m_nScale.ScanPixelOf(std::int64_t{s.y} + client.y))};
}
