// The running shell: start-up, document windows and their titles, menu
// switching, command enabling, the View toggles, the recent-file list and
// the questions asked before documents close.
#include "shell_fixture.h"

#include "app/doc_template.h"
#include "app/recent_files.h"
#include "image/dib_doc.h"
#include "platform/user_services.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>

#include <filesystem>
#include <set>

TEST_F(ShellTest, StartsWithOneEmptyDocumentWindowNamedDib1) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame().isVisible());
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_EQ(ActiveTitle(), "Dib1");
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1");
    EXPECT_TRUE(Frame().IsDocumentMenuShown());
    // The empty start window says how to begin.
    EXPECT_EQ(Frame().PaneText(0), "Open a scan with Ctrl+O, or drop one here");
    // The view wrote its layer into the status bar, so the frame existed
    // before the first document was made.
    EXPECT_EQ(Frame().PaneText(1), "Top Layer");
    EXPECT_TRUE(Frame().acceptDrops());
}

TEST_F(ShellTest, EveryNewDocumentTakesTheNextNumber) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_FILE_NEW));
    EXPECT_EQ(Children().size(), 2u);
    EXPECT_EQ(ActiveTitle(), "Dib2");
    EXPECT_EQ(MainTitle(), "Quarzline - Dib2");
    // Closing a document does not free its number.
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    ASSERT_TRUE(Run(ID_FILE_NEW));
    EXPECT_EQ(ActiveTitle(), "Dib3");
}

TEST_F(ShellTest, AFileThatFailsToOpenAtStartUpEndsTheProgramWithoutWindows) {
    EXPECT_FALSE(Start({QDir::current().absoluteFilePath("no-such-scan.bmp")}));
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(app->DocTemplate()->Documents().empty());
}

// A name that is not UTF-8 reaches the file system as the bytes it was given.
TEST_F(ShellTest, ACommandLineNameThatIsNotUtf8IsOpenedByItsBytes) {
    const std::string name = "bad\xff.bmp";
    std::filesystem::copy_file(TRACEVU_SOURCE_DIR "/res/sample-scan.bmp", name,
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(MakeApp().InitInstance(std::vector<std::string>{"--", name}));
    ASSERT_EQ(Children().size(), 1u);
    const std::string path = Children()[0]->Document()->GetPathName();
    EXPECT_TRUE(path.ends_with("/" + name)) << path;
    std::filesystem::remove(name);
}

TEST_F(ShellTest, OptionsOnTheCommandLineAreNotTakenForFiles) {
    ASSERT_TRUE(Start({"-unknown"}));
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_EQ(ActiveTitle(), "Dib1");
}

TEST_F(ShellTest, MenusSwitchWhenTheLastDocumentClosesAndTheFirstOpens) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_TRUE(Children().empty());
    EXPECT_FALSE(Frame().IsDocumentMenuShown());
    EXPECT_EQ(MainTitle(), "Quarzline");
    QStringList titles;
    for (QMenu* menu : Frame().ShownMenus())
        titles << menu->title();
    EXPECT_EQ(titles, QStringList({"&File", "&View", "&Help"}));

    ASSERT_TRUE(Run(ID_FILE_NEW));
    titles.clear();
    for (QMenu* menu : Frame().ShownMenus())
        titles << menu->title();
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Window", "&Help"}));
}

TEST_F(ShellTest, MenusHoldTheirItemsInOrder) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(MenuTexts(ShownMenu("&File")),
              QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "-",
                           "Open Pro&ject...", "Save &Project", "Save Project As...", "-",
                           "Open &Work File...", "&Save Work File\tCtrl+S",
                           "Save Work File &As...", "-", "&Import Protel...",
                           "&Export Protel...\tCtrl+P", "-", "Open Other Si&de...",
                           "Regis&ter Other Side...", "&Flip Other Side>", "&Left to Right",
                           "Top to &Bottom", "&Unmirrored", "<", "Remove Ot&her Side", "-",
                           "Save I&mage", "Save Ima&ge As...",
                           "-", "Print Pre&view", "P&rint Setup...", "-", "Recent File", "-",
                           "E&xit"}));
    EXPECT_EQ(MenuTexts(ShownMenu("&Edit")),
              QStringList({"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "-", "S&elect all\tCtrl+A", "-",
                           "&Move Status\tCtrl+M", "-", "&Properties...\tAlt+Return",
                           "Pick &Up Size\tI"}));
    EXPECT_EQ(MenuTexts(ShownMenu("&View")),
              QStringList({"Tool&bar", "Stat&us Bar", "&Navigator", "-", "Zoom &In\tPage Up",
                           "Zoom &Out\tPage Down", "Zoom to &Fit\tHome", "&Actual Pixels\tCtrl+1", "-",
                           "Show Ot&her Side\tTab", "&X-ray\tShift+X", "X-ray Stronger\t]",
                           "X-ray Weaker\t[", "Side Selects La&yer", "-", "Show &Real Sizes", "To&ggle Units", "Measure &Scale...", "Toggle &Layers>",
                           "Top Layer", "1 Mid Layer", "2 Mid Layer", "3 Mid Layer", "4 Mid Layer",
                           "Bottom Layer", "Top Overlay", "Bottom Overlay", "Ground Plane",
                           "Power Plane", "Board Layer", "Keep Out Layer", "<", "Track Mode",
                           "Snap to &Pads"}));
    // The Window menu lists the open windows after its commands.
    EXPECT_EQ(MenuTexts(ShownMenu("&Window")),
              QStringList({"&New Window", "&Cascade", "&Tile", "&Arrange Icons", "-", "&1 Dib1"}));
    EXPECT_EQ(MenuTexts(ShownMenu("&Help")), QStringList({"Contents\tF1", "&About TRACEVU..."}));

    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_EQ(MenuTexts(ShownMenu("&File")),
              QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "Open Pro&ject...", "-",
                           "P&rint Setup...", "-", "Recent File", "-", "E&xit"}));
    EXPECT_EQ(MenuTexts(ShownMenu("&View")), QStringList({"&Toolbar", "&Status Bar"}));
    EXPECT_EQ(MenuTexts(ShownMenu("&Help")), QStringList({"&About TRACEVU..."}));
}

TEST_F(ShellTest, CommandsWithoutHandlerAreGreyed) {
    ASSERT_TRUE(Start());
    for (UINT id : {ID_EDIT_CUT, ID_EDIT_UNDO, ID_NEXT_PANE, ID_PREV_PANE}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    // A new document has no image to copy.
    EXPECT_FALSE(Enabled(ID_EDIT_COPY));
    for (UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_CLOSE,
                    ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_PAD_MODE, ID_FILE_PRINT,
                    ID_FILE_PRINT_PREVIEW, ID_APP_ABOUT, ID_APP_EXIT, ID_VIEW_TOOLBAR}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    // The buttons follow: Cut is greyed, New is not.
    Frame().UpdateCommandStates();
    for (QAction* action : Frame().ToolbarActions()) {
        if (action->data().toUInt() == ID_EDIT_CUT) {
            EXPECT_FALSE(action->isEnabled());
        }
        if (action->data().toUInt() == ID_FILE_NEW) {
            EXPECT_TRUE(action->isEnabled());
        }
    }
    // A disabled command does nothing when its keys are pressed.
    EXPECT_FALSE(Run(ID_EDIT_CUT));
}

TEST_F(ShellTest, DocumentAndViewCommandsAreGreyedWithoutADocument) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    for (UINT id : {ID_FILE_SAVE, ID_FILE_CLOSE, ID_PAD_MODE, ID_PARAMETERS, ID_EDIT_COPY,
                    ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_WINDOW_NEW, ID_WINDOW_TILE_HORZ}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    for (UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_PRINT_SETUP, ID_APP_ABOUT, ID_APP_EXIT}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
}

TEST_F(ShellTest, ToolbarAndStatusBarTogglesWorkInBothMenus) {
    ASSERT_TRUE(Start());
    for (bool documentOpen : {true, false}) {
        SCOPED_TRACE(documentOpen ? "document menu" : "no-document menu");
        if (!documentOpen) {
            ASSERT_TRUE(Run(ID_FILE_CLOSE));
        }
        QAction* toolbar = MenuItem(ShownMenu("&View"), ID_VIEW_TOOLBAR);
        QAction* statusBar = MenuItem(ShownMenu("&View"), ID_VIEW_STATUS_BAR);
        ASSERT_NE(toolbar, nullptr);
        ASSERT_NE(statusBar, nullptr);
        EXPECT_TRUE(toolbar->isChecked());
        toolbar->trigger();
        EXPECT_TRUE(Frame().ToolBar()->isHidden());
        EXPECT_FALSE(MenuItem(ShownMenu("&View"), ID_VIEW_TOOLBAR)->isChecked());
        toolbar->trigger();
        EXPECT_FALSE(Frame().ToolBar()->isHidden());
        statusBar->trigger();
        EXPECT_TRUE(Frame().statusBar()->isHidden());
        EXPECT_FALSE(MenuItem(ShownMenu("&View"), ID_VIEW_STATUS_BAR)->isChecked());
        statusBar->trigger();
        EXPECT_FALSE(Frame().statusBar()->isHidden());
        EXPECT_TRUE(MenuItem(ShownMenu("&View"), ID_VIEW_STATUS_BAR)->isChecked());
    }
}

TEST_F(ShellTest, OpenAsksForImageFiles) {
    ASSERT_TRUE(Start());
    services.fileAnswers.push_back(std::nullopt);
    ASSERT_TRUE(Run(ID_FILE_OPEN));
    ASSERT_EQ(services.fileRequests.size(), 1u);
    const FileDialogRequest& request = services.fileRequests[0];
    EXPECT_TRUE(request.open);
    EXPECT_EQ(request.filter,
              "Image Files (*.bmp;*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.webp;*.pnm;*.pbm;*.pgm;*.ppm)"
              "|*.bmp;*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.webp;*.pnm;*.pbm;*.pgm;*.ppm"
              "|BMP Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png"
              "|JPEG Files (*.jpg;*.jpeg)|*.jpg;*.jpeg|TIFF Files (*.tif;*.tiff)|*.tif;*.tiff"
              "|WebP Files (*.webp)|*.webp|PNM Files (*.pnm;*.pbm;*.pgm;*.ppm)"
              "|*.pnm;*.pbm;*.pgm;*.ppm|All Files (*.*)|*.*||");
    EXPECT_EQ(request.defaultExt, "bmp");
    EXPECT_TRUE(request.flags & OFN_HIDEREADONLY);
    // Cancelled: nothing new opened.
    EXPECT_EQ(Children().size(), 1u);
}

TEST_F(ShellTest, AFileThatIsNoBitmapSaysSoUnderTheApplicationsNameAndOpensNothing) {
    ASSERT_TRUE(Start());
    const QString path = QDir::current().absoluteFilePath("not-a-scan.bmp");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("no bitmap here");
    }
    services.messages.clear();
    services.fileAnswers.push_back(path.toStdString());
    ASSERT_TRUE(Run(ID_FILE_OPEN));
    // Only the file's own message: a colour file not there yet is no error.
    ASSERT_EQ(services.messages.size(), 1u);
    const ShownMessage& shown = services.messages.back();
    EXPECT_EQ(shown.text, "Cannot load DIB");
    EXPECT_EQ(shown.caption, "TRACEVU Application");
    EXPECT_EQ(shown.icon(), static_cast<UINT>(MB_ICONINFORMATION));
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_EQ(ActiveTitle(), "Dib1");
    EXPECT_EQ(app->DocTemplate()->Documents().size(), 1u);
    // Boxes with a caption of their own keep it.
    services.messages.clear();
    Services().MessageBox("Disk error!", "Quarzline", MB_OK | MB_ICONSTOP);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
}

TEST_F(ShellTest, SaveAsOffersTheTitleAsFileNameAndAsksBeforeOverwriting) {
    ASSERT_TRUE(Start());
    services.fileAnswers.push_back(std::nullopt);
    ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
    ASSERT_EQ(services.fileRequests.size(), 1u);
    const FileDialogRequest& request = services.fileRequests[0];
    EXPECT_FALSE(request.open);
    EXPECT_EQ(request.initialName, "Dib1.bmp");
    EXPECT_EQ(request.filter, "BMP Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png"
                              "|TIFF Files (*.tif;*.tiff)|*.tif;*.tiff|All Files (*.*)|*.*||");
    EXPECT_EQ(request.defaultExt, "bmp");
    EXPECT_TRUE(request.flags & OFN_OVERWRITEPROMPT);
    // Save of a document never saved asks for a name too.
    services.fileAnswers.push_back(std::nullopt);
    ASSERT_TRUE(Run(ID_FILE_SAVE));
    EXPECT_EQ(services.fileRequests.size(), 2u);
}

TEST_F(ShellTest, RecentFilesKeepFourEntriesInTheMenuAndBetweenRuns) {
    ASSERT_TRUE(Start());
    // The empty list shows the greyed placeholder.
    QAction* placeholder = MenuItem(ShownMenu("&File"), ID_FILE_MRU_FILE1);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->text(), "Recent File");
    EXPECT_FALSE(placeholder->isEnabled());

    const QStringList names = {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"};
    for (const QString& name : names)
        Services().AddToRecentFileList(QDir::current().absoluteFilePath(name).toStdString());
    ASSERT_EQ(app->RecentFiles().Files().size(), 4);

    QStringList texts = MenuTexts(ShownMenu("&File"));
    const auto first = texts.indexOf(app->RecentFiles().MenuText(0));
    ASSERT_GE(first, 0);
    EXPECT_TRUE(texts[first].endsWith("e.bmp"));
    EXPECT_TRUE(texts[first + 3].startsWith("&4 "));
    EXPECT_TRUE(texts[first + 3].endsWith("b.bmp"));
    EXPECT_EQ(texts[first + 4], "-");
    EXPECT_FALSE(texts.contains("Recent File"));

    const QStringList before = app->RecentFiles().Files();
    app.reset();
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->RecentFiles().Files(), before);
}

TEST_F(ShellTest, ARecentFileThatNoLongerOpensLeavesTheList) {
    ASSERT_TRUE(Start());
    const QString gone = QDir::current().absoluteFilePath("gone.bmp");
    Services().AddToRecentFileList(gone.toStdString());
    ASSERT_TRUE(Enabled(ID_FILE_MRU_FILE1));
    ASSERT_TRUE(Run(ID_FILE_MRU_FILE1));
    EXPECT_TRUE(app->RecentFiles().Files().isEmpty());
    EXPECT_FALSE(Enabled(ID_FILE_MRU_FILE1));
    QSettings settings(settingsFile, QSettings::IniFormat);
    EXPECT_FALSE(settings.contains("Recent File List/File1"));
}

TEST_F(ShellTest, NewWindowShowsTheSameDocumentInASecondView) {
    ASSERT_TRUE(Start());
    CChildFrame* first = Frame().ActiveChild();
    ASSERT_TRUE(Run(ID_WINDOW_NEW));
    const auto children = Children();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0]->Document(), children[1]->Document());
    EXPECT_NE(children[0]->View(), children[1]->View());
    EXPECT_EQ(children[0]->ShownTitle(), "Dib1:1");
    EXPECT_EQ(children[1]->ShownTitle(), "Dib1:2");
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1");
    EXPECT_EQ(children[0]->Document()->GetViews().size(), 2u);

    // Closing one window leaves the document open in the other.
    first->close();
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_EQ(Children()[0]->ShownTitle(), "Dib1");
    EXPECT_EQ(app->DocTemplate()->Documents().size(), 1u);
    EXPECT_TRUE(Frame().IsDocumentMenuShown());
}

TEST(ChildPlacement, WindowsCascadeByOneTitleBarAndStartAgainAtTheTopLeft) {
    const QSize area(1000, 700);
    EXPECT_EQ(CascadedChildGeometry(area, 0, 20), QRect(0, 0, 640, 480));
    EXPECT_EQ(CascadedChildGeometry(area, 3, 20), QRect(60, 60, 640, 480));
    // 220 pixels below the window leave room for 11 steps of 20.
    EXPECT_EQ(CascadedChildGeometry(area, 11, 20).topLeft(), QPoint(220, 220));
    EXPECT_EQ(CascadedChildGeometry(area, 12, 20).topLeft(), QPoint(0, 0));
    // A small area gets smaller windows, still with room to cascade.
    const QRect small = CascadedChildGeometry(QSize(720, 330), 2, 20);
    EXPECT_EQ(small, QRect(40, 40, 540, 247));
    // Nothing divides by zero, and an area with no room keeps the top left.
    EXPECT_EQ(CascadedChildGeometry(QSize(0, 0), 5, 0).topLeft(), QPoint(0, 0));
    EXPECT_EQ(CascadedChildGeometry(QSize(100, 100), -3, 20).topLeft(), QPoint(0, 0));
}

TEST_F(ShellTest, NewWindowsCascadeInsideTheAreaInsteadOfCoveringOneAnother) {
    ASSERT_TRUE(Start());
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(Run(i % 2 ? ID_FILE_NEW : ID_WINDOW_NEW));
    const QRect area(QPoint(0, 0), Frame().MdiArea()->viewport()->size());
    std::set<std::pair<int, int>> corners;
    for (CChildFrame* child : Children()) {
        EXPECT_TRUE(area.contains(child->geometry())) << child->windowTitle().toStdString();
        corners.insert({child->x(), child->y()});
    }
    EXPECT_EQ(corners.size(), 5u);
}

TEST_F(ShellTest, CascadeGivesEveryWindowTheSizeOfANewOne) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_FILE_NEW));
    ASSERT_TRUE(Run(ID_FILE_NEW));
    ASSERT_TRUE(Run(ID_WINDOW_TILE_HORZ));
    ASSERT_TRUE(Run(ID_WINDOW_CASCADE));
    const QSize usual = CascadedChildGeometry(Frame().MdiArea()->viewport()->size(), 0, 1).size();
    std::set<std::pair<int, int>> corners;
    for (CChildFrame* child : Children()) {
        EXPECT_EQ(child->size(), usual) << child->windowTitle().toStdString();
        corners.insert({child->x(), child->y()});
    }
    EXPECT_EQ(corners.size(), 3u);
}

TEST_F(ShellTest, AMaximisedWindowsTitleStandsInBracketsOnceInTheMainTitle) {
    ASSERT_TRUE(Start());
    Frame().ActiveChild()->showMaximized();
    EXPECT_EQ(MainTitle(), "Quarzline - [Dib1]");
    ASSERT_TRUE(Run(ID_FILE_NEW));
    ASSERT_TRUE(Frame().ActiveChild()->isMaximized());
    EXPECT_EQ(MainTitle(), "Quarzline - [Dib2]");
    ASSERT_TRUE(Run(ID_WINDOW_NEW));
    EXPECT_EQ(MainTitle(), "Quarzline - [Dib2:2]");
    Frame().ActiveChild()->showNormal();
    EXPECT_EQ(MainTitle(), "Quarzline - Dib2");
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_EQ(MainTitle(), "Quarzline");
}

TEST_F(ShellTest, ClosingAChangedImageAsksAndCancelKeepsIt) {
    ASSERT_TRUE(Start());
    CDibDoc* document = Frame().ActiveChild()->Document();
    document->SetModifiedFlag(true);
    services.answers.push_back(IDCANCEL);
    const std::size_t shownBefore = services.messages.size();
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    ASSERT_EQ(services.messages.size(), shownBefore + 1);
    EXPECT_EQ(services.messages.back().text, "Save the changed image of Dib1 as a new file?");
    EXPECT_EQ(services.messages.back().buttons(), MB_YESNOCANCEL);
    EXPECT_EQ(Children().size(), 1u);

    services.answers.push_back(IDNO);
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_TRUE(Children().empty());
}

TEST_F(ShellTest, ExitAsksForChangedImagesAndCancelKeepsTheProgramRunning) {
    ASSERT_TRUE(Start());
    Frame().ActiveChild()->Document()->SetModifiedFlag(true);
    services.answers.push_back(IDCANCEL);
    ASSERT_TRUE(Run(ID_APP_EXIT));
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(Children().size(), 1u);

    services.answers.push_back(IDNO);
    ASSERT_TRUE(Run(ID_APP_EXIT));
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_TRUE(app->DocTemplate()->Documents().empty());
}

TEST_F(ShellTest, TheViewWritesStatusPanesThroughTheServices) {
    ASSERT_TRUE(Start());
    Services().SetStatusPaneText(1, "Bottom Layer");
    Services().SetStatusPaneText(0, "X: 12.70 mm, Y: 2.54 mm");
    EXPECT_EQ(Frame().PaneText(1), "Bottom Layer");
    EXPECT_EQ(Frame().PaneText(0), "X: 12.70 mm, Y: 2.54 mm");
}

TEST_F(ShellTest, HighlightedButtonsAndMenuItemsShowTheirPromptThenReady) {
    ASSERT_TRUE(Start());
    // A second window: the idle text is "Ready" once there is more than the
    // empty start window.
    ASSERT_TRUE(Run(ID_FILE_NEW));
    QAction* newButton = nullptr;
    for (QAction* action : Frame().ToolbarActions())
        if (action->data().toUInt() == ID_FILE_NEW)
            newButton = action;
    ASSERT_NE(newButton, nullptr);
    newButton->showStatusText(Frame().ToolBar());
    EXPECT_EQ(Frame().PaneText(0), "Create a new document");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(Frame().ToolBar(), &leave);
    EXPECT_EQ(Frame().PaneText(0), "Ready");

    // An open menu sends its prompts to the menu bar it dropped from.
    QMenu* edit = ShownMenu("&Edit");
    MenuItem(edit, ID_MOVE_STATUS)->showStatusText(Frame().menuBar());
    EXPECT_EQ(Frame().PaneText(0),
              "Enter into move status,then you can move any object, lines or pads");
    emit edit->aboutToHide();
    EXPECT_EQ(Frame().PaneText(0), "Ready");
}

TEST_F(ShellTest, PaletteRelaysNeedAnActiveDocumentWindow) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame().OnQueryNewPalette());
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_FALSE(Frame().OnQueryNewPalette());
    Frame().OnPaletteChanged(); // nothing to relay to; must not fail
}

TEST_F(ShellTest, DroppedLocalFilesAreOpenedAndOtherDropsIgnored) {
    ASSERT_TRUE(Start());
    QSignalSpy dropped(&Frame(), &CMainFrame::filesDropped);
    const QString missing = QDir::current().absoluteFilePath("dropped.bmp");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(missing), QUrl("https://example.org/remote.bmp")});
    // A drop reaches the window after the drag entered it.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &drop);
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_EQ(dropped[0][0].toStringList(), QStringList{missing});
    // The file does not open: no window is left for it.
    EXPECT_EQ(Children().size(), 1u);

    QMimeData text;
    text.setText("not a file");
    QDragEnterEvent textEnter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton,
                              Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
    QDropEvent other(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &other);
    EXPECT_EQ(dropped.size(), 1);
}

TEST(DesktopEntry, DeclaresTheProgramTheImageTypeAndTheIcon) {
    QFile entry(TRACEVU_SOURCE_DIR "/res/tracevu.desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split('\n');
    EXPECT_EQ(lines.value(0), "[Desktop Entry]");
    EXPECT_TRUE(lines.contains("Type=Application"));
    // Started from the menu, the program runs in its configuration folder.
    EXPECT_TRUE(lines.contains("Exec=tracevu-desktop %F"));
    EXPECT_TRUE(lines.contains("Icon=tracevu"));
    EXPECT_TRUE(lines.contains("MimeType=application/x-tracevu-project;image/bmp;image/png;image/jpeg;"
                               "image/tiff;image/webp;image/x-portable-anymap;image/x-portable-bitmap;"
                               "image/x-portable-graymap;image/x-portable-pixmap;"));
    // The project type it names is declared for shared-mime-info, by its extension.
    QFile types(TRACEVU_SOURCE_DIR "/res/tracevu-project.xml");
    ASSERT_TRUE(types.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString xml = QString::fromUtf8(types.readAll());
    EXPECT_TRUE(xml.contains("<mime-type type=\"application/x-tracevu-project\">"));
    EXPECT_TRUE(xml.contains("<glob pattern=\"*.tvproj\"/>"));
    // The icon it names is drawn at build time in the theme's layout.
    for (int size : {16, 22, 24, 32, 36, 48, 64, 72, 96, 128, 192, 256, 512}) {
        const QString icon =
            QString(TRACEVU_BINARY_DIR "/app/icons/hicolor/%1x%1/apps/tracevu.png").arg(size);
        QImage image(icon);
        ASSERT_FALSE(image.isNull()) << icon.toStdString();
        EXPECT_EQ(image.size(), QSize(size, size));
    }
}

TEST_F(ShellTest, HelpCommandsOpenTheAboutBoxAndTheGuide) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_APP_ABOUT));
    ASSERT_TRUE(Run(ID_HELP_CONTENTS));
    EXPECT_EQ(services.dialogsRun,
              (std::vector<int>{static_cast<int>(IDD_ABOUTBOX), static_cast<int>(IDD_GUIDE)}));
    // Without a document window only the About box is there.
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_FALSE(Enabled(ID_HELP_CONTENTS));
    EXPECT_TRUE(Run(ID_APP_ABOUT));
    EXPECT_EQ(services.dialogsRun.size(), 3u);
}
