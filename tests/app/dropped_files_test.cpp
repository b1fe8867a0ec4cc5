// Files dropped on the main window: scans open as documents, work files and
// Protel files go to the tracing of the window they were dropped on.
#include "shell_fixture.h"

#include "board/dib_view.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

namespace {
class DropTest : public ShellTest {
  protected:
    CDibView& ActiveView() { return *Frame().ActiveChild()->View(); }
    void Drop(const QString& path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QDir::current().absoluteFilePath(path))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&Frame(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Frame(), &drop);
    }
    // Traces two pads and a track, saves them in both files, and clears the
    // board again, leaving it changed since the save.
    void SaveTracingFiles() {
        ActiveView().AppendPad(40, 30);
        ActiveView().AppendPad(80, 30);
        ActiveView().AppendTrack(40, 30, 80, 30, 1);
        services.fileAnswers.push_back("dropped.dpb");
        ASSERT_TRUE(Run(ID_SAVE_WORK));
        services.fileAnswers.push_back("dropped.pcb");
        ASSERT_TRUE(Run(ID_FILE_PRINT));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(Run(ID_EDIT_UNDO));
        ASSERT_EQ(ActiveView().m_nPadCount, 0);
    }
};
} // namespace

TEST_F(DropTest, AWorkFileOrProtelFileDroppedOnAScanReplacesItsTracingAfterTheQuestion) {
    ASSERT_TRUE(Start());
    SaveTracingFiles();
    const std::size_t windows = Children().size();

    services.answers.push_back(IDCANCEL); // over the unsaved undo
    Drop("dropped.dpb");
    EXPECT_EQ(ActiveView().m_nPadCount, 0) << "cancel keeps the board";
    ASSERT_FALSE(services.messages.empty());
    EXPECT_NE(services.messages.back().text.find("Open the work file anyway?"), std::string::npos)
        << services.messages.back().text;

    services.answers.push_back(IDOK);
    Drop("dropped.dpb");
    EXPECT_EQ(ActiveView().m_nPadCount, 2);
    EXPECT_EQ(ActiveView().m_nTrackCount, 1);
    EXPECT_EQ(ActiveView().WorkFilePath(),
              QDir::current().absoluteFilePath("dropped.dpb").toStdString());
    EXPECT_FALSE(ActiveView().IsBoardModified());

    // The import over a saved board asks nothing.
    const std::size_t shown = services.messages.size();
    Drop("dropped.pcb");
    EXPECT_EQ(services.messages.size(), shown);
    EXPECT_EQ(ActiveView().m_nPadCount, 2);
    EXPECT_EQ(ActiveView().m_nTrackCount, 1);
    EXPECT_TRUE(ActiveView().WorkFilePath().empty());
    EXPECT_EQ(Children().size(), windows) << "no window opens for a tracing";
}

TEST_F(DropTest, ATracingDroppedWithNoWindowSaysAScanIsNeeded) {
    ASSERT_TRUE(Start());
    SaveTracingFiles();
    services.answers.push_back(IDNO); // do not save the changed tracing
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    ASSERT_TRUE(Children().empty());
    services.messages.clear();
    Drop("dropped.dpb");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              "Open a scan first: dropped.dpb is a tracing, drawn over a scan.");
    EXPECT_TRUE(Children().empty());
}
