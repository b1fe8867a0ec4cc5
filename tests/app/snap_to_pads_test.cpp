// Snap to Pads in the running program: on at first, a checked View item,
// and remembered for the next run.
#include "shell_fixture.h"

#include "board/params.h"
#include "res/resource.h"

namespace {
class SnapToPadsTest : public ShellTest {
  protected:
    void TearDown() override {
        ShellTest::TearDown();
        g_bSnapToPads = true;
    }
    bool ItemChecked() {
        QAction* item = MenuItem(ShownMenu("&View"), ID_VIEW_SNAP_TO_PADS);
        return item && item->isCheckable() && item->isChecked();
    }
};
} // namespace

TEST_F(SnapToPadsTest, IsOnAtFirstCheckedInTheMenuAndRememberedForTheNextRun) {
    g_bSnapToPads = false; // whatever was left over, the start takes the setting
    ASSERT_TRUE(Start());
    EXPECT_TRUE(g_bSnapToPads);
    EXPECT_TRUE(ItemChecked());

    QAction* item = MenuItem(ShownMenu("&View"), ID_VIEW_SNAP_TO_PADS);
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_FALSE(g_bSnapToPads);
    EXPECT_FALSE(ItemChecked());
    app.reset();

    g_bSnapToPads = true;
    ASSERT_TRUE(Start());
    EXPECT_FALSE(g_bSnapToPads);
    EXPECT_FALSE(ItemChecked());
    ASSERT_TRUE(Run(ID_VIEW_SNAP_TO_PADS));
    EXPECT_TRUE(g_bSnapToPads);
    app.reset();
    g_bSnapToPads = false;
    ASSERT_TRUE(Start());
    EXPECT_TRUE(g_bSnapToPads);
}
