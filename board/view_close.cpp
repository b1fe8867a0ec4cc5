// The question asked before a board with unsaved changes goes away.
#include "board/dib_view.h"

#include "platform/user_services.h"

namespace {
constexpr const char* kCaption = "Quarzline";
constexpr const char* kQuestion = "Do you save your change?";
} // namespace

bool CDibView::QuerySaveBoard(const std::string& windowName) {
    // A drag or keyboard move in progress is part of the changes.
    EndEdit();
    if (!IsBoardModified())
        return true;
    return AskToSaveBoard(windowName, MB_YESNOCANCEL) != IDCANCEL;
}

// A save that was cancelled or failed has kept nothing: the question comes
// again, so that the tracing is dropped only on an answer of No.
int CDibView::AskToSaveBoard(const std::string& name, UINT buttons) {
    std::string text = kQuestion;
    if (!name.empty())
        text += "\nThe tracing on " + name + " has changes that are not saved.";
    for (;;) {
        const int answer = Services().MessageBox(text, kCaption, buttons | MB_ICONQUESTION);
        if (answer != IDYES || SaveWorkFile())
            return answer;
    }
}
