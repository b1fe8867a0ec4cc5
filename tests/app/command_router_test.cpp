// Command routing: the active view first, then the handlers below it; what
// nobody handles is disabled and never runs.
#include "app/command_router.h"

#include "platform/scroll_view.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
constexpr UINT kViewCommand = 100;
constexpr UINT kViewUpdateOnly = 101; // the view rules its state, the frame runs it
constexpr UINT kShared = 102;         // both have handlers: the view wins
constexpr UINT kFrameCommand = 103;
constexpr UINT kNobody = 104;

class FakeView : public CScrollView {
  public:
    void OnDraw(CDC*) override {}
    bool OnCommand(UINT id) override {
        if (id != kViewCommand && id != kShared)
            return false;
        ran.push_back(id);
        return true;
    }
    bool OnUpdateCommand(UINT id, CCmdUI* ui) override {
        switch (id) {
        case kViewCommand:
            ui->Enable(viewEnabled);
            ui->SetCheck(1);
            return true;
        case kViewUpdateOnly:
            ui->Enable(true);
            return true;
        case kShared:
            ui->Enable(true);
            return true;
        default:
            return false;
        }
    }
    bool viewEnabled = true;
    std::vector<UINT> ran;
};

struct RouterFixture : ::testing::Test {
    RouterFixture() {
        router.SetActiveViewSource([this]() -> CScrollView* { return active; });
        router.Add(kViewUpdateOnly, [this] { frameRan.push_back(kViewUpdateOnly); });
        router.Add(kShared, [this] { frameRan.push_back(kShared); });
        router.Add(
            kFrameCommand, [this] { frameRan.push_back(kFrameCommand); },
            [this](CCmdUI& ui) { ui.Enable(frameEnabled); });
    }
    CommandRouter router;
    FakeView view;
    CScrollView* active = nullptr;
    bool frameEnabled = true;
    std::vector<UINT> frameRan;
};
} // namespace

TEST_F(RouterFixture, ViewCommandsAreDisabledWithoutAView) {
    EXPECT_FALSE(router.QueryState(kViewCommand).enabled);
    EXPECT_FALSE(router.Execute(kViewCommand));
    active = &view;
    const CCmdUI state = router.QueryState(kViewCommand);
    EXPECT_TRUE(state.enabled);
    EXPECT_TRUE(state.checked);
    EXPECT_TRUE(router.Execute(kViewCommand));
    EXPECT_EQ(view.ran, std::vector<UINT>{kViewCommand});
}

TEST_F(RouterFixture, TheViewComesFirst) {
    active = &view;
    EXPECT_TRUE(router.Execute(kShared));
    EXPECT_EQ(view.ran, std::vector<UINT>{kShared});
    EXPECT_TRUE(frameRan.empty());
    active = nullptr;
    EXPECT_TRUE(router.Execute(kShared));
    EXPECT_EQ(frameRan, std::vector<UINT>{kShared});
}

TEST_F(RouterFixture, AViewThatOnlyUpdatesLeavesTheRunToTheHandlerBelow) {
    active = &view;
    EXPECT_TRUE(router.Execute(kViewUpdateOnly));
    EXPECT_TRUE(view.ran.empty());
    EXPECT_EQ(frameRan, std::vector<UINT>{kViewUpdateOnly});
}

TEST_F(RouterFixture, DisabledCommandsNeverRun) {
    active = &view;
    view.viewEnabled = false;
    EXPECT_FALSE(router.Execute(kViewCommand));
    frameEnabled = false;
    EXPECT_FALSE(router.QueryState(kFrameCommand).enabled);
    EXPECT_FALSE(router.Execute(kFrameCommand));
    EXPECT_TRUE(view.ran.empty());
    EXPECT_TRUE(frameRan.empty());
}

TEST_F(RouterFixture, CommandsWithoutHandlerAreDisabled) {
    active = &view;
    EXPECT_FALSE(router.QueryState(kNobody).enabled);
    EXPECT_FALSE(router.Execute(kNobody));
    // A handler without an update handler is enabled.
    EXPECT_TRUE(router.QueryState(kShared).enabled);
    EXPECT_FALSE(router.QueryState(kShared).checked);
}
