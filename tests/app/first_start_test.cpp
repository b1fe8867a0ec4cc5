// The first start: the empty window says how to begin, and the first scan
// opened takes the place of that window while nothing was done in it.
#include "app/doc_template.h"
#include "board/dib_view.h"
#include "image/dib_doc.h"
#include "tests/app/shell_fixture.h"

#include <QCoreApplication>

#include <filesystem>

namespace {

const QString kStartPrompt = "Open a scan with Ctrl+O, or drop one here";

class FirstStart : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::filesystem::copy_file(TRACEVU_SOURCE_DIR "/res/sample-scan.bmp", "scan.bmp",
                                   std::filesystem::copy_options::overwrite_existing);
        scan = QDir::current().absoluteFilePath("scan.bmp");
    }
    QStringList Titles() {
        QStringList titles;
        for (CChildFrame* child : Children())
            titles << child->Name();
        return titles;
    }

    QString scan;
};

TEST_F(FirstStart, TheEmptyStartWindowSaysHowToBeginAndTheFirstScanReplacesIt) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(services.messages.empty()) << "no colour file yet is no error";
    EXPECT_EQ(Frame().PaneText(0), kStartPrompt);
    ASSERT_NE(app->DocTemplate()->UntouchedStartFrame(), nullptr);
    const QRect place = Children().front()->geometry();

    ASSERT_NE(app->OpenDocumentFile(scan), nullptr);
    QCoreApplication::processEvents();

    EXPECT_EQ(Titles(), QStringList{"scan.bmp"}) << "Dib1 is gone";
    EXPECT_EQ(app->DocTemplate()->Documents().size(), 1u);
    EXPECT_EQ(Frame().ActiveChild(), Children().front());
    EXPECT_EQ(Children().front()->geometry(), place) << "the scan opens where Dib1 was";
    EXPECT_EQ(Frame().IdleMessage(), "Ready");
    EXPECT_NE(Frame().PaneText(0), kStartPrompt);
    EXPECT_TRUE(services.messages.empty());

    // Only the start window is replaced: the next scan gets a window of its own.
    std::filesystem::copy_file("scan.bmp", "second.bmp",
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_NE(app->OpenDocumentFile(QDir::current().absoluteFilePath("second.bmp")), nullptr);
    EXPECT_EQ(Titles(), (QStringList{"scan.bmp", "second.bmp"}));
}

TEST_F(FirstStart, AStartWindowWithWorkInItStays) {
    ASSERT_TRUE(Start());
    auto* view = static_cast<CDibView*>(Frame().ActiveView());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->AppendPad(3, 4));
    view->OnEditUndo();
    ASSERT_TRUE(view->IsBoardEmpty());
    // Empty again, but drawn in: the user may want it still.
    EXPECT_EQ(app->DocTemplate()->UntouchedStartFrame(), nullptr);
    EXPECT_EQ(Frame().PaneText(0), "Ready");
    ASSERT_NE(app->OpenDocumentFile(scan), nullptr);
    EXPECT_EQ(Titles(), (QStringList{"Dib1", "scan.bmp"}));
}

TEST_F(FirstStart, AScanThatFailsToOpenLeavesTheStartWindow) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->OpenDocumentFile(QDir::current().absoluteFilePath("missing.bmp")), nullptr);
    EXPECT_EQ(Titles(), QStringList{"Dib1"});
    EXPECT_NE(app->DocTemplate()->UntouchedStartFrame(), nullptr);
    EXPECT_EQ(Frame().PaneText(0), kStartPrompt);
}

TEST_F(FirstStart, OnlyTheLoneDib1IsTheStartWindow) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_FILE_NEW));
    EXPECT_EQ(app->DocTemplate()->UntouchedStartFrame(), nullptr) << "two documents";
    EXPECT_EQ(Frame().PaneText(0), "Ready");
    ASSERT_NE(app->OpenDocumentFile(scan), nullptr);
    EXPECT_EQ(Titles(), (QStringList{"Dib1", "Dib2", "scan.bmp"}));

    // Dib1 closed, Dib2 is a document the user asked for: it stays too.
    app->DocTemplate()->CloseDocument(app->DocTemplate()->Documents().front().get());
    app->DocTemplate()->CloseDocument(app->DocTemplate()->Documents().back().get());
    QCoreApplication::processEvents();
    ASSERT_EQ(Titles(), QStringList{"Dib2"});
    EXPECT_EQ(app->DocTemplate()->UntouchedStartFrame(), nullptr);
}

TEST_F(FirstStart, AMaximisedStartWindowGivesWayToAMaximisedScan) {
    ASSERT_TRUE(Start());
    Children().front()->showMaximized();
    ASSERT_NE(app->OpenDocumentFile(scan), nullptr);
    QCoreApplication::processEvents();
    ASSERT_EQ(Titles(), QStringList{"scan.bmp"});
    EXPECT_TRUE(Children().front()->isMaximized());
}

TEST_F(FirstStart, AScanNamedOnTheCommandLineOpensWithoutAStartWindow) {
    ASSERT_TRUE(Start({scan}));
    EXPECT_EQ(Titles(), QStringList{"scan.bmp"});
    EXPECT_EQ(Frame().IdleMessage(), "Ready");
}

} // namespace
