// The Protel commands of the board view: export (the print command, 57607)
// and import (507).
#include "board/dib_view.h"
#include "exchange/messages.h"
#include "exchange/protel.h"
#include "exchange/text_lines.h"
#include "exchange/view_board_load.h"
#include "platform/user_services.h"

#include <climits>

void CDibView::OnSaveProtel() {
    FileDialogRequest request;
    request.open = false;
    request.filter = kProtelSaveFilter;
    request.defaultExt = kProtelSaveExtension;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_SHOWHELP;
    const auto path = Services().FileDialog(request);
    if (!path)
        return;
    ProtelExportSettings settings;
    settings.milPerPixelX = MilPerPixelX();
    settings.milPerPixelY = MilPerPixelY();
    settings.imageHeight = m_nImageHeight;
    settings.scale = m_nScale;
    const auto text = FormatProtel(ViewBoard(*this), settings);
    if (!text) {
        ShowBoardError(kExportRangeText);
        return;
    }
    if (!WriteWholeFile(*path, *text))
        ShowBoardError(kWriteErrorText);
}

void CDibView::OnOpenProtel() {
    if (!ConfirmReplacingUnsavedBoard(*this, kImportOverUnsavedText))
        return;
    FileDialogRequest request;
    request.open = true;
    request.filter = kProtelOpenFilter;
    request.defaultExt = kProtelOpenExtension;
    request.flags = OFN_HIDEREADONLY | OFN_SHOWHELP;
    if (const auto path = Services().FileDialog(request))
        ReadProtelFile(*path);
}

bool CDibView::ImportProtelFile(const std::string& path) {
    return ConfirmReplacingUnsavedBoard(*this, kImportOverUnsavedText) && ReadProtelFile(path);
}

bool CDibView::ReadProtelFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text) || !LooksLikeProtelFile(text)) {
        ShowBoardError(kReadErrorText);
        return false;
    }
    ProtelImportSettings settings;
    settings.scanLinesX = GetScanLines().x;
    settings.scanLinesY = GetScanLines().y;
    settings.imageWidth = m_nImageWidth;
    settings.imageHeight = m_nImageHeight;
    settings.scale = m_nScale;
    ReadReport report;
    auto imported = ImportProtel(text, settings, report);
    if (!imported) {
        ShowBoardError(kImportRangeText);
        return false;
    }
    if (NothingReadable(imported->board, report)) {
        ShowBoardError(kReadErrorText);
        return false;
    }
    const auto zoomed = [this](int extent) {
        const long long v = m_nScale.ZoomedExtent(extent);
        return v > INT_MAX ? INT_MAX : static_cast<int>(v);
    };
    SetScrollSizes(MM_TEXT, CSize(zoomed(imported->width), zoomed(imported->height)));
    ReplaceViewBoard(*this, imported->board, report, board::StepKind::ImportProtel);
    // The board is no longer the work file's: the next save asks for a name
    // rather than write the import over it.
    m_strWorkPath.clear();
    return true;
}
