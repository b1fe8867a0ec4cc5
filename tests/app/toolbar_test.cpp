// The toolbar as the user sees it, its pictures, the accelerators and the
// lock-key indicators of the status bar.
#include "shell_fixture.h"

#include "app/help_dialogs.h"
#include "app/status_bar.h"
#include "app/toolbar_art.h"

#include <QKeyEvent>
#include <QTest>
#include <QToolBar>

#include <set>

namespace {
int OpaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

std::vector<UINT> ButtonIds() {
    std::vector<UINT> ids;
    for (UINT id : ToolbarLayout())
        if (id)
            ids.push_back(id);
    return ids;
}
} // namespace

TEST(ToolbarArt, EveryButtonHasAPictureOfItsOwnAtEveryScale) {
    const auto ids = ButtonIds();
    ASSERT_EQ(ids.size(), 17u);
    std::vector<QImage> pictures;
    for (UINT id : ids) {
        const QImage one = ButtonImage(id, 1);
        const QImage two = ButtonImage(id, 2);
        ASSERT_EQ(one.size(), QSize(16, 15)) << id;
        ASSERT_EQ(two.size(), QSize(32, 30)) << id;
        // Something is drawn, and not the whole square.
        EXPECT_GT(OpaquePixels(one), 20) << id;
        EXPECT_LT(OpaquePixels(one), 16 * 15) << id;
        pictures.push_back(one);
    }
    for (std::size_t a = 0; a < pictures.size(); ++a)
        for (std::size_t b = a + 1; b < pictures.size(); ++b)
            EXPECT_NE(pictures[a], pictures[b]) << ids[a] << " looks like " << ids[b];
    EXPECT_TRUE(ButtonImage(ID_APP_EXIT).isNull());
}

TEST(ToolbarArt, IconsHaveASharpPictureForDenseScreens) {
    const QIcon icon = ButtonIcon(ID_FILE_SAVE);
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 15)));
    EXPECT_TRUE(sizes.contains(QSize(32, 30)));
    EXPECT_FALSE(AppIcon().isNull());
    EXPECT_GT(OpaquePixels(AppIconImage(48)), 48 * 48 / 3);
    EXPECT_NE(AppIconImage(32), DocumentIconImage(32));
}

TEST_F(ShellTest, ToolbarShowsTheTwentyThreeEntriesWithTipsAndPrompts) {
    ASSERT_TRUE(Start());
    const QList<QAction*> entries = Frame().ToolbarActions();
    ASSERT_EQ(entries.size(), 23);
    const auto layout = ToolbarLayout();
    int separators = 0;
    for (int i = 0; i < entries.size(); ++i) {
        QAction* entry = entries[i];
        SCOPED_TRACE(i + 1);
        if (layout[static_cast<std::size_t>(i)] == 0) {
            EXPECT_TRUE(entry->isSeparator());
            ++separators;
            continue;
        }
        const UINT id = entry->data().toUInt();
        EXPECT_EQ(id, layout[static_cast<std::size_t>(i)]);
        EXPECT_FALSE(entry->icon().isNull());
        EXPECT_FALSE(entry->toolTip().isEmpty());
        EXPECT_EQ(entry->statusTip().toStdString(), FindCommand(id)->prompt);
    }
    EXPECT_EQ(separators, 6);
    EXPECT_EQ(Frame().ToolBar()->iconSize(), QSize(16, 15));
    EXPECT_FALSE(Frame().ToolBar()->isMovable());
}

TEST_F(ShellTest, AcceleratorsCoverEveryKeyOfTheTable) {
    ASSERT_TRUE(Start());
    std::map<QString, UINT> bound;
    for (QAction* action : Frame().actions()) {
        if (!action->data().isValid())
            continue; // the window keys, which are no commands
        for (const QKeySequence& key : action->shortcuts())
            bound[key.toString(QKeySequence::PortableText)] = action->data().toUInt();
    }
    const std::pair<const char*, UINT> expected[] = {
        {"Ctrl+N", ID_FILE_NEW},    {"Ctrl+O", ID_FILE_OPEN},        {"Ctrl+S", ID_SAVE_WORK},
        {"Ctrl+P", ID_FILE_PRINT},  {"Ctrl+A", ID_SELECT_ALL},       {"Ctrl+M", ID_MOVE_STATUS},
        {"Ctrl+C", ID_EDIT_COPY},   {"Ctrl+Ins", ID_EDIT_COPY},      {"Ctrl+X", ID_EDIT_CUT},
        {"Shift+Del", ID_EDIT_CUT}, {"Ctrl+V", ID_EDIT_PASTE},       {"Shift+Ins", ID_EDIT_PASTE},
        {"Ctrl+Z", ID_EDIT_UNDO},   {"Alt+Backspace", ID_EDIT_UNDO}, {"F6", ID_NEXT_PANE},
        {"Shift+F6", ID_PREV_PANE}, {"F1", ID_HELP_CONTENTS},        {"Ctrl+Y", ID_EDIT_REDO},
        {"Ctrl+Shift+Z", ID_EDIT_REDO}, {"Home", ID_VIEW_ZOOM_FIT}, {"Ctrl+1", ID_VIEW_ACTUAL_PIXELS},
        {"Alt+Return", ID_EDIT_PROPERTIES}, {"I", ID_EDIT_PICK_UP_SIZE}, {"Tab", ID_VIEW_SWITCH_SIDE},
        {"Shift+X", ID_VIEW_XRAY}, {"]", ID_VIEW_XRAY_MORE}, {"[", ID_VIEW_XRAY_LESS},
    };
    for (const auto& [key, id] : expected) {
        ASSERT_TRUE(bound.count(key)) << key;
        EXPECT_EQ(bound[key], id) << key;
    }
    EXPECT_EQ(bound.size(), std::size(expected));
}

TEST_F(ShellTest, CtrlNOnTheMainWindowMakesANewDocument) {
    ASSERT_TRUE(Start());
    Frame().activateWindow();
    if (!QTest::qWaitForWindowActive(&Frame()))
        GTEST_SKIP() << "the platform does not activate windows";
    QTest::keyClick(&Frame(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(ActiveTitle(), "Dib2");
    // Cut has no handler: its keys do nothing.
    QTest::keyClick(&Frame(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Children().size(), 2u);
}

TEST_F(ShellTest, CtrlF4ClosesTheWindowInFrontAndCtrlF6GoesToTheNext) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_FILE_NEW));
    ASSERT_TRUE(Run(ID_FILE_NEW));
    Frame().activateWindow();
    if (!QTest::qWaitForWindowActive(&Frame()))
        GTEST_SKIP() << "the platform does not activate windows";
    ASSERT_EQ(ActiveTitle(), "Dib3");
    QTest::keyClick(&Frame(), Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(ActiveTitle(), "Dib1");
    QTest::keyClick(&Frame(), Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(ActiveTitle(), "Dib2");
    QTest::keyClick(&Frame(), Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ActiveTitle(), "Dib1");
    QTest::keyClick(&Frame(), Qt::Key_F4, Qt::ControlModifier);
    ASSERT_EQ(Children().size(), 2u);
    for (CChildFrame* child : Children())
        EXPECT_NE(child->ShownTitle(), "Dib1");
    // F6 alone is the pane key, which does nothing.
    const QString before = ActiveTitle();
    QTest::keyClick(&Frame(), Qt::Key_F6);
    EXPECT_EQ(ActiveTitle(), before);
    EXPECT_EQ(Children().size(), 2u);
}

TEST(StatusBarIndicators, ShowTheirTextOnlyWhileTheLockIsOn) {
    CStatusBar bar;
    bar.SetLockState(true, false, true);
    EXPECT_EQ(bar.PaneText(2), "CAP");
    EXPECT_EQ(bar.PaneText(3), "");
    EXPECT_EQ(bar.PaneText(4), "SCRL");
    bar.SetLockState(false, true, false);
    EXPECT_EQ(bar.PaneText(2), "");
    EXPECT_EQ(bar.PaneText(3), "NUM");
    EXPECT_EQ(bar.PaneText(4), "");
    EXPECT_EQ(bar.PaneText(5), "");
}

TEST(StatusBarIndicators, ALockKeyTogglesOncePerPressHoweverOftenItIsSeen) {
    CStatusBar bar;
    bar.SetLockState(false, false, false);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_ScrollLock, Qt::NoModifier);
    bar.TrackKeyEvent(press);
    bar.TrackKeyEvent(press); // the same event offered to a parent widget
    EXPECT_TRUE(bar.ScrollLock());
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_ScrollLock, Qt::NoModifier);
    bar.TrackKeyEvent(release);
    EXPECT_TRUE(bar.ScrollLock());
    QKeyEvent again(QEvent::KeyPress, Qt::Key_ScrollLock, Qt::NoModifier);
    bar.TrackKeyEvent(again);
    EXPECT_FALSE(bar.ScrollLock());
    EXPECT_EQ(bar.PaneText(4), "");
}

// X11 key events carry the modifiers from before the event, and a lock is
// cleared only when its key is let go: Caps Lock switched off still reports
// the lock on in its own release.
TEST(StatusBarIndicators, CapsLockSwitchedOffUnderX11ShowsNothing) {
    constexpr quint32 kLock = 0x02;
    CStatusBar bar;
    bar.SetLockState(false, false, false);
    const auto key = [&](QEvent::Type type, quint32 modifiers) {
        QKeyEvent event(type, Qt::Key_CapsLock, Qt::NoModifier, 66, 0xffe5, modifiers);
        bar.TrackKeyEvent(event, true);
    };
    key(QEvent::KeyPress, 0);
    key(QEvent::KeyRelease, kLock);
    EXPECT_EQ(bar.PaneText(2), "CAP");
    key(QEvent::KeyPress, kLock);
    key(QEvent::KeyRelease, kLock);
    EXPECT_EQ(bar.PaneText(2), "");
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 0x61, 0);
    bar.TrackKeyEvent(letter, true);
    EXPECT_EQ(bar.PaneText(2), "");
}

TEST(ToolbarArt, DialogsGetTheApplicationIconAndTheButtonPictures) {
    const QPixmap pad = CTraceApp::ResourceImage(ToolbarImageName(ID_PAD_MODE));
    ASSERT_FALSE(pad.isNull());
    // Shown at the button's own size, whatever the screen's density.
    EXPECT_EQ(pad.deviceIndependentSize().toSize(), QSize(16, 15));
    const int scale = static_cast<int>(pad.devicePixelRatio());
    EXPECT_EQ(pad.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              ButtonImage(ID_PAD_MODE, scale));
    EXPECT_FALSE(CTraceApp::ResourceImage(kAppIconImage).isNull());
    EXPECT_TRUE(CTraceApp::ResourceImage(ToolbarImageName(ID_APP_EXIT)).isNull());
    EXPECT_TRUE(CTraceApp::ResourceImage("toolbar:99999999999999").isNull());
    EXPECT_TRUE(CTraceApp::ResourceImage("no such picture").isNull());
}
