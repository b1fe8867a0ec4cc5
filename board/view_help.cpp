#include "board/dib_view.h"
#include "board/help_hook.h"

#include <utility>

namespace {
std::function<void()>& GuideRunner() {
    static std::function<void()> runner;
    return runner;
}
} // namespace

void SetOperationGuideRunner(std::function<void()> runner) { GuideRunner() = std::move(runner); }

void RunOperationGuide() {
    if (GuideRunner())
        GuideRunner()();
}

void CDibView::OnHelpContents() { RunOperationGuide(); }
