// The work-file commands of the board view: save (504), save as (508) and
// open (505). The view remembers the work file it was last saved to or
// opened from, and saves go there without a dialog.
#include "board/dib_view.h"
#include "exchange/messages.h"
#include "exchange/text_lines.h"
#include "exchange/view_board_load.h"
#include "exchange/work_file.h"
#include "platform/user_services.h"

void CDibView::OnSaveWork() {
    SaveWorkFile();
}

void CDibView::OnSaveWorkAs() {
    SaveWorkFileAs();
}

bool CDibView::SaveWorkFile() {
    if (!m_strProjectPath.empty())
        return SaveProjectFile(m_strProjectPath);
    return m_strWorkPath.empty() ? SaveWorkFileAs() : WriteWorkFile(m_strWorkPath);
}

bool CDibView::SaveWorkFileAs() {
    FileDialogRequest request;
    request.open = false;
    request.filter = kWorkFileFilter;
    request.defaultExt = kWorkFileExtension;
    request.initialName = m_strWorkPath;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_SHOWHELP;
    const auto path = Services().FileDialog(request);
    return path && WriteWorkFile(*path);
}

bool CDibView::WriteWorkFile(const std::string& path) {
    const auto text = FormatWorkFile(ViewBoard(*this), m_nScale);
    if (!text) {
        ShowBoardError(kExportRangeText);
        return false;
    }
    if (!WriteWholeFile(path, *text)) {
        ShowBoardError(kWriteErrorText);
        return false;
    }
    m_strWorkPath = path;
    MarkBoardSaved();
    return true;
}

void CDibView::OnOpenWork() {
    if (!ConfirmReplacingUnsavedBoard(*this, kOpenWorkOverUnsavedText))
        return;
    FileDialogRequest request;
    request.open = true;
    request.filter = kWorkFileFilter;
    request.defaultExt = kWorkFileExtension;
    request.flags = OFN_HIDEREADONLY | OFN_SHOWHELP;
    if (const auto path = Services().FileDialog(request))
        ReadWorkFile(*path);
}

bool CDibView::OpenWorkFile(const std::string& path) {
    return ConfirmReplacingUnsavedBoard(*this, kOpenWorkOverUnsavedText) && ReadWorkFile(path);
}

bool CDibView::ReadWorkFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text) || !LooksLikeWorkFile(text)) {
        ShowBoardError(kReadErrorText);
        return false;
    }
    ReadReport report;
    BoardData board = ParseWorkFile(text, m_nScale, report);
    if (NothingReadable(board, report)) {
        ShowBoardError(kReadErrorText);
        return false;
    }
    ReplaceViewBoard(*this, board, report, board::StepKind::OpenWorkFile);
    m_strWorkPath = path;
    return true;
}
