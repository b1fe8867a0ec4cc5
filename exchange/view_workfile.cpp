// The work-file commands of the board view: save (504) and open (505).
#include "board/dib_view.h"
#include "exchange/messages.h"
#include "exchange/text_lines.h"
#include "exchange/view_board_load.h"
#include "exchange/work_file.h"
#include "platform/user_services.h"

void CDibView::OnSaveWork() {
    SaveWorkFile();
}

bool CDibView::SaveWorkFile() {
    FileDialogRequest request;
    request.open = false;
    request.filter = kWorkFileFilter;
    request.defaultExt = kWorkFileExtension;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_SHOWHELP;
    const auto path = Services().FileDialog(request);
    if (!path)
        return false;
    const auto text = FormatWorkFile(ViewBoard(*this), m_nScale);
    if (!text) {
        ShowBoardError(kExportRangeText);
        return false;
    }
    if (!WriteWholeFile(*path, *text)) {
        ShowBoardError(kWriteErrorText);
        return false;
    }
    MarkBoardSaved();
    return true;
}

void CDibView::OnOpenWork() {
    FileDialogRequest request;
    request.open = true;
    request.filter = kWorkFileFilter;
    request.defaultExt = kWorkFileExtension;
    request.flags = OFN_HIDEREADONLY | OFN_SHOWHELP;
    const auto path = Services().FileDialog(request);
    if (!path)
        return;
    std::string text;
    if (!ReadWholeFile(*path, text) || !LooksLikeWorkFile(text)) {
        ShowBoardError(kReadErrorText);
        return;
    }
    ReadReport report;
    BoardData board = ParseWorkFile(text, m_nScale, report);
    if (NothingReadable(board, report)) {
        ShowBoardError(kReadErrorText);
        return;
    }
    ReplaceViewBoard(*this, board, report, board::StepKind::OpenWorkFile);
}
