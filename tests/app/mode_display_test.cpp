// The edit mode as the main window shows it: the mode pane of the status
// bar, the pressed mode buttons and the checked menu items, for the window
// in front.
#include "shell_fixture.h"

#include "app/status_bar.h"
#include "board/dib_view.h"
#include "board/keys.h"
#include "board/mode_status.h"

#include <QMdiArea>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

class ModeDisplayTest : public ShellTest {
  protected:
    QString ModePane() { return Frame().PaneText(board::kModePane); }
    QToolButton* Button(UINT id) {
        for (QAction* action : Frame().ToolbarActions())
            if (!action->isSeparator() && action->data().toUInt() == id)
                return qobject_cast<QToolButton*>(Frame().ToolBar()->widgetForAction(action));
        return nullptr;
    }
    // The mode buttons shown pressed, as the idle update leaves them.
    std::vector<UINT> Pressed() {
        Frame().UpdateToolbarStates();
        std::vector<UINT> pressed;
        for (UINT id : {ID_LINE_MODE, ID_PAD_MODE, ID_COMPONENT_MARK}) {
            QToolButton* button = Button(id);
            EXPECT_NE(button, nullptr) << id;
            if (button && button->isChecked())
                pressed.push_back(id);
        }
        return pressed;
    }
    bool MenuChecked(const QString& menu, UINT id) {
        QAction* item = MenuItem(ShownMenu(menu), id);
        EXPECT_NE(item, nullptr) << id;
        return item && item->isChecked();
    }
    CDibView* ActiveBoardView() { return dynamic_cast<CDibView*>(Frame().ActiveView()); }
};

TEST_F(ModeDisplayTest, ThePaneShowsTheModeAndZoomOfTheWindowInFront) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(ModePane(), "Pad  x1");
    CChildFrame* first = Frame().ActiveChild();
    ASSERT_TRUE(Run(ID_SELECT_ALL));
    EXPECT_EQ(ModePane(), "Select all  x1");
    ASSERT_NE(ActiveBoardView(), nullptr);
    ActiveBoardView()->OnKeyDown(VK_PRIOR, 1, 0);
    EXPECT_EQ(ModePane(), "Select all  x2");

    ASSERT_TRUE(Run(ID_FILE_NEW));
    EXPECT_EQ(ModePane(), "Pad  x1");
    ASSERT_TRUE(Run(ID_LINE_MODE));
    ASSERT_TRUE(Run(ID_TRACK_MODE));
    EXPECT_EQ(ModePane(), "Line free  x1");
    Frame().MdiArea()->setActiveSubWindow(first);
    ASSERT_EQ(Frame().ActiveChild(), first);
    EXPECT_EQ(ModePane(), "Select all  x2");
    Frame().MdiArea()->activateNextSubWindow();
    EXPECT_EQ(ModePane(), "Line free  x1");

    // The other panes keep their places and their meaning.
    EXPECT_EQ(Frame().PaneText(1), "Top Layer");
    EXPECT_EQ(Frame().StatusBar()->PaneText(CStatusBar::kPaneCount), "");

    // With no window left no mode is shown.
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    ASSERT_TRUE(Children().empty());
    EXPECT_EQ(ModePane(), "");
}

TEST_F(ModeDisplayTest, TheModeButtonOfTheModeInEffectIsPressed) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Pressed(), std::vector<UINT>{ID_PAD_MODE});
    QTest::mouseClick(Button(ID_LINE_MODE), Qt::LeftButton);
    EXPECT_EQ(Pressed(), std::vector<UINT>{ID_LINE_MODE});
    EXPECT_EQ(ModePane(), "Line 45\u00b0  x1");
    // Clicking the pressed button keeps its mode, and the button pressed.
    QTest::mouseClick(Button(ID_LINE_MODE), Qt::LeftButton);
    EXPECT_EQ(Pressed(), std::vector<UINT>{ID_LINE_MODE});
    QTest::mouseClick(Button(ID_COMPONENT_MARK), Qt::LeftButton);
    EXPECT_EQ(Pressed(), std::vector<UINT>{ID_COMPONENT_MARK});
    EXPECT_EQ(ModePane(), "Mark  x1");
    // Select-all and move status press none of the three.
    ASSERT_TRUE(Run(ID_SELECT_ALL));
    EXPECT_TRUE(Pressed().empty());
    // Another window shows its own mode on the buttons.
    ASSERT_TRUE(Run(ID_FILE_NEW));
    EXPECT_EQ(Pressed(), std::vector<UINT>{ID_PAD_MODE});
}

TEST_F(ModeDisplayTest, MenuItemsOfModesAreCheckedWhileOn) {
    ASSERT_TRUE(Start());
    EXPECT_FALSE(MenuChecked("&Edit", ID_SELECT_ALL));
    EXPECT_FALSE(MenuChecked("&Edit", ID_MOVE_STATUS));
    EXPECT_FALSE(MenuChecked("&View", ID_TRACK_MODE));
    ASSERT_TRUE(Run(ID_SELECT_ALL));
    EXPECT_TRUE(MenuChecked("&Edit", ID_SELECT_ALL));
    EXPECT_FALSE(MenuChecked("&Edit", ID_MOVE_STATUS));
    ASSERT_TRUE(Run(ID_MOVE_STATUS));
    EXPECT_FALSE(MenuChecked("&Edit", ID_SELECT_ALL));
    EXPECT_TRUE(MenuChecked("&Edit", ID_MOVE_STATUS));
    ASSERT_TRUE(Run(ID_TRACK_MODE));
    EXPECT_TRUE(MenuChecked("&View", ID_TRACK_MODE));
    ASSERT_TRUE(Run(ID_TRACK_MODE));
    EXPECT_FALSE(MenuChecked("&View", ID_TRACK_MODE));
}

TEST_F(ModeDisplayTest, CtrlAChecksSelectAllAndReleasesTheModeButtons) {
    ASSERT_TRUE(Start());
    Frame().activateWindow();
    if (!QTest::qWaitForWindowActive(&Frame()))
        GTEST_SKIP() << "the platform does not activate windows";
    QTest::keyClick(&Frame(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(ModePane(), "Select all  x1");
    EXPECT_TRUE(Pressed().empty());
    EXPECT_TRUE(MenuChecked("&Edit", ID_SELECT_ALL));
}

} // namespace
