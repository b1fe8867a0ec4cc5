// Unsaved tracing in the running shell: the asterisk in the titles, the
// questions before windows close and the program quits, and Ctrl+S.
#include "shell_fixture.h"

#include "app/doc_template.h"
#include "board/dib_view.h"
#include "image/dib_doc.h"
#include "platform/user_services.h"

#include <QMdiArea>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {
constexpr const char* kQuestion = "Do you save your change?";

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class UnsavedTest : public ShellTest {
  protected:
    CDibView& ActiveView() { return *Frame().ActiveChild()->View(); }
    // Messages shown since the last call, by their first line.
    std::vector<std::string> Asked() {
        std::vector<std::string> lines;
        for (std::size_t i = seen; i < services.messages.size(); ++i) {
            const std::string& text = services.messages[i].text;
            lines.push_back(text.substr(0, text.find('\n')));
        }
        seen = services.messages.size();
        return lines;
    }
    void Forget() { Asked(); }
    std::size_t seen = 0;
};
} // namespace

TEST_F(UnsavedTest, TheAsteriskFollowsChangesSavesAndUndo) {
    ASSERT_TRUE(Start());
    CChildFrame* child = Frame().ActiveChild();
    EXPECT_FALSE(child->isWindowModified());
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1");

    ActiveView().AppendPad(10, 10);
    EXPECT_TRUE(child->isWindowModified());
    EXPECT_EQ(ActiveTitle(), "Dib1*");
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1*");

    services.fileAnswers.push_back("asterisk.dpb");
    ASSERT_TRUE(Run(ID_SAVE_WORK));
    EXPECT_FALSE(child->isWindowModified());
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1");

    ASSERT_TRUE(Run(ID_EDIT_UNDO));
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1*") << "undo leaves the saved board";
    ASSERT_TRUE(Run(ID_EDIT_REDO));
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1") << "redo comes back to it";

    // A maximised window's title stands in the main one with its asterisk,
    // and the Window menu shows it too.
    ActiveView().AppendPad(20, 20);
    child->showMaximized();
    EXPECT_EQ(MainTitle(), "Quarzline - [Dib1*]");
    EXPECT_TRUE(MenuTexts(ShownMenu("&Window")).contains("&1 Dib1*"));
}

TEST_F(UnsavedTest, EachWindowShowsItsOwnBoardsAsteriskAndTheMainTitleTheActiveOnes) {
    ASSERT_TRUE(Start());
    CChildFrame* first = Frame().ActiveChild();
    ASSERT_TRUE(Run(ID_WINDOW_NEW));
    CChildFrame* second = Frame().ActiveChild();
    second->View()->AppendPad(1, 1);
    EXPECT_EQ(second->ShownTitle(), "Dib1:2*");
    EXPECT_EQ(first->ShownTitle(), "Dib1:1");
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1*");
    Frame().MdiArea()->setActiveSubWindow(first);
    EXPECT_EQ(MainTitle(), "Quarzline - Dib1");
}

TEST_F(UnsavedTest, ANameHoldingTheMarksPlaceIsShownAsItIs) {
    EXPECT_EQ(TitleWithModifiedMark("a[*]b"), "a[*][*]b[*]");
    ASSERT_TRUE(Start());
    CChildFrame* child = Frame().ActiveChild();
    child->SetName("odd[*]name");
    child->showMaximized();
    Frame().UpdateFrameTitle("odd[*]name");
    EXPECT_EQ(MainTitle(), "Quarzline - [odd[*]name]");
}

TEST_F(UnsavedTest, EveryListenerHearsOfBoardChanges) {
    ASSERT_TRUE(Start());
    std::vector<CDibView*> first, second;
    app->DocTemplate()->AddBoardChangedListener([&](CDibView* v) { first.push_back(v); });
    app->DocTemplate()->AddBoardChangedListener([&](CDibView* v) { second.push_back(v); });
    ActiveView().AppendPad(1, 2);
    ActiveView().OnEditUndo();
    EXPECT_EQ(first, (std::vector<CDibView*>{&ActiveView(), &ActiveView()}));
    EXPECT_EQ(second, first);
    // A second window's view is heard as well.
    ASSERT_TRUE(Run(ID_WINDOW_NEW));
    ActiveView().AppendPad(3, 4);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first.back(), &ActiveView());
    app.reset(); // before the lists the listeners write to
}

TEST_F(UnsavedTest, ClosingAWindowAsksNamingItAndCancelKeepsWindowAndBoard) {
    ASSERT_TRUE(Start());
    ActiveView().AppendPad(5, 6);
    Forget();
    services.answers.push_back(IDCANCEL);
    EXPECT_FALSE(Frame().ActiveChild()->close());
    ASSERT_EQ(services.messages.size(), seen + 1);
    const ShownMessage& question = services.messages.back();
    EXPECT_EQ(question.text, std::string(kQuestion) +
                                 "\nThe tracing on Dib1 has changes that are not saved.");
    EXPECT_EQ(question.buttons(), MB_YESNOCANCEL);
    EXPECT_EQ(question.caption, "Quarzline");
    Forget();
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_EQ(ActiveView().m_nPadCount, 1);
    EXPECT_TRUE(ActiveView().IsBoardModified());
    EXPECT_TRUE(services.fileRequests.empty());

    // File, Close asks the same.
    services.answers.push_back(IDCANCEL);
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_EQ(Asked(), std::vector<std::string>{kQuestion});
    EXPECT_EQ(Children().size(), 1u);
}

TEST_F(UnsavedTest, NoClosesWithoutWritingAndWithoutAskingAgain) {
    ASSERT_TRUE(Start());
    ActiveView().AppendPad(5, 6);
    Forget();
    services.answers.push_back(IDNO);
    EXPECT_TRUE(Frame().ActiveChild()->close());
    EXPECT_EQ(Asked(), std::vector<std::string>{kQuestion}) << "the view asks no second time";
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(services.fileRequests.empty());
}

TEST_F(UnsavedTest, YesWritesTheWorkFileThenCloses) {
    ASSERT_TRUE(Start());
    ActiveView().AppendPad(5, 6);
    services.answers.push_back(IDYES);
    services.fileAnswers.push_back("yes-close.dpb");
    EXPECT_TRUE(Frame().ActiveChild()->close());
    EXPECT_TRUE(Children().empty());
    EXPECT_EQ(Bytes("yes-close.dpb"), "FP\r\n5 6\r\n");
    EXPECT_EQ(services.fileRequests.size(), 1u);
}

TEST_F(UnsavedTest, ACancelledOrFailedSaveAsksAgainAndCancelThenKeepsTheWindow) {
    ASSERT_TRUE(Start());
    ActiveView().AppendPad(5, 6);
    Forget();
    services.answers = {IDYES, IDYES, IDCANCEL};
    services.fileAnswers.push_back(std::nullopt);
    services.fileAnswers.push_back("no-such-dir/work.dpb");
    EXPECT_FALSE(Frame().ActiveChild()->close());
    EXPECT_EQ(Asked(), (std::vector<std::string>{kQuestion, kQuestion, "Write file error!",
                                                 kQuestion}));
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_TRUE(ActiveView().IsBoardModified());
}

TEST_F(UnsavedTest, EveryWindowOfADocumentAsksForItsTracingAndTheLastOneForTheImage) {
    ASSERT_TRUE(Start());
    CChildFrame* first = Frame().ActiveChild();
    ASSERT_TRUE(Run(ID_WINDOW_NEW));
    CChildFrame* second = Frame().ActiveChild();
    first->View()->AppendPad(1, 1);
    second->View()->AppendPad(2, 2);
    first->Document()->SetModifiedFlag(true);
    Forget();

    // One of two windows: its tracing only.
    services.answers.push_back(IDNO);
    EXPECT_TRUE(second->close());
    EXPECT_EQ(services.messages.back().text,
              std::string(kQuestion) + "\nThe tracing on Dib1:2 has changes that are not saved.");
    EXPECT_EQ(Asked(), std::vector<std::string>{kQuestion});

    // The last one: its tracing, then the image.
    services.answers = {IDNO, IDNO};
    EXPECT_TRUE(first->close());
    EXPECT_EQ(Asked(), (std::vector<std::string>{
                           kQuestion, "Save the changed image of Dib1 as a new file?"}));
    EXPECT_TRUE(Children().empty());
}

TEST_F(UnsavedTest, FileCloseAsksForEveryWindowOfTheDocumentBeforeAnyCloses) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_WINDOW_NEW));
    for (CChildFrame* child : Children())
        child->View()->AppendPad(1, 1);
    Forget();
    services.answers = {IDNO, IDCANCEL};
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_EQ(Asked(), (std::vector<std::string>{kQuestion, kQuestion}));
    ASSERT_EQ(Children().size(), 2u) << "Cancel on the second keeps both";
    for (CChildFrame* child : Children())
        EXPECT_EQ(child->View()->m_nPadCount, 1);

    services.answers = {IDNO, IDNO};
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_EQ(Asked(), (std::vector<std::string>{kQuestion, kQuestion}));
    EXPECT_TRUE(Children().empty());
}

TEST_F(UnsavedTest, QuitAsksForEveryChangedWindowAndCancelOnTheSecondClosesNothing) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Run(ID_FILE_NEW));
    ASSERT_TRUE(Run(ID_FILE_NEW)); // Dib3 stays unchanged and asks nothing
    Children()[0]->View()->AppendPad(1, 1);
    Children()[1]->View()->AppendPad(2, 2);
    Forget();
    services.answers = {IDNO, IDCANCEL};
    ASSERT_TRUE(Run(ID_APP_EXIT));
    EXPECT_EQ(Asked(), (std::vector<std::string>{kQuestion, kQuestion}));
    EXPECT_TRUE(Frame().isVisible());
    ASSERT_EQ(Children().size(), 3u);
    EXPECT_EQ(Children()[0]->View()->m_nPadCount, 1);
    EXPECT_EQ(Children()[1]->View()->m_nPadCount, 1);
    // The window asked about last is in front.
    EXPECT_EQ(Frame().ActiveChild(), Children()[1]);

    services.answers = {IDNO, IDYES};
    services.fileAnswers.push_back("quit.dpb");
    ASSERT_TRUE(Run(ID_APP_EXIT));
    EXPECT_EQ(Asked(), (std::vector<std::string>{kQuestion, kQuestion}));
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_TRUE(app->DocTemplate()->Documents().empty());
    EXPECT_EQ(Bytes("quit.dpb"), "FP\r\n2 2\r\n");
}

TEST_F(UnsavedTest, CtrlSSavesTheTracingAndTheSecondTimeWithoutADialog) {
    ASSERT_TRUE(Start());
    ActiveView().AppendPad(1, 2);
    services.fileAnswers.push_back("ctrl-s.dpb");
    ASSERT_TRUE(Run(ID_SAVE_WORK));
    ASSERT_EQ(services.fileRequests.size(), 1u);
    ActiveView().AppendPad(3, 4);
    ASSERT_TRUE(Run(ID_SAVE_WORK));
    EXPECT_EQ(services.fileRequests.size(), 1u) << "no dialog the second time";
    EXPECT_EQ(Bytes("ctrl-s.dpb"), "FP\r\n1 2\r\nFP\r\n3 4\r\n");
    EXPECT_FALSE(ActiveView().IsBoardModified());
    EXPECT_FALSE(Frame().ActiveChild()->Document()->IsModified()) << "the image is not saved";

    // Save As asks, starting at the known file, and the new name is kept.
    services.fileAnswers.push_back("ctrl-s-copy.dpb");
    ASSERT_TRUE(Run(ID_SAVE_WORK_AS));
    ASSERT_EQ(services.fileRequests.size(), 2u);
    EXPECT_EQ(services.fileRequests[1].initialName, "ctrl-s.dpb");
    ActiveView().AppendPad(5, 6);
    ASSERT_TRUE(Run(ID_SAVE_WORK));
    EXPECT_EQ(services.fileRequests.size(), 2u);
    EXPECT_EQ(Bytes("ctrl-s-copy.dpb"), "FP\r\n1 2\r\nFP\r\n3 4\r\nFP\r\n5 6\r\n");
    EXPECT_EQ(Bytes("ctrl-s.dpb"), "FP\r\n1 2\r\nFP\r\n3 4\r\n");
}

TEST_F(UnsavedTest, TheFileMenuCarriesTheTracingsCommandsWithPromptsAndTips) {
    ASSERT_TRUE(Start());
    QMenu* file = ShownMenu("&File");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->toolTipsVisible());
    for (UINT id : {ID_OPEN_WORK, ID_SAVE_WORK, ID_SAVE_WORK_AS, ID_OPEN_PROTEL, ID_FILE_PRINT}) {
        QAction* item = MenuItem(file, id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_TRUE(item->isEnabled()) << id;
        EXPECT_TRUE(item->text().contains('&')) << id;
        EXPECT_FALSE(item->statusTip().isEmpty()) << id;
        EXPECT_FALSE(item->toolTip().isEmpty()) << id;
    }
    // Each letter leads to one item only.
    std::set<QChar> mnemonics;
    for (const QString& text : MenuTexts(file)) {
        const auto at = text.indexOf('&');
        if (at >= 0 && !text.startsWith("&1")) {
            EXPECT_TRUE(mnemonics.insert(text[at + 1].toLower()).second) << text.toStdString();
        }
    }
}

TEST_F(UnsavedTest, APastedImageAsksToSaveSayingItReplacesTheScan) {
    const std::string scan = "paste-scan.bmp";
    std::filesystem::copy_file(TRACEVU_SOURCE_DIR "/res/sample-scan.bmp", scan,
                               std::filesystem::copy_options::overwrite_existing);
    const std::string before = Bytes(scan);
    ASSERT_TRUE(Start({QString::fromStdString(scan)}));
    CDibDoc* document = Frame().ActiveChild()->Document();
    ASSERT_TRUE(Run(ID_EDIT_COPY));
    ASSERT_TRUE(Run(ID_EDIT_PASTE));
    ASSERT_TRUE(document->IsModified());
    EXPECT_FALSE(ActiveView().IsBoardModified()) << "pasting leaves the tracing";
    Forget();

    services.answers.push_back(IDCANCEL);
    EXPECT_FALSE(Frame().ActiveChild()->close());
    EXPECT_EQ(Asked(), std::vector<std::string>{
                           "Save the changed image to paste-scan.bmp? This replaces the scan file."});
    EXPECT_EQ(services.messages.back().buttons(), MB_YESNOCANCEL);
    EXPECT_EQ(Bytes(scan), before);

    // Ctrl+S saves the tracing, never the image over the scan.
    services.fileAnswers.push_back(std::nullopt);
    ASSERT_TRUE(Run(ID_SAVE_WORK));
    ASSERT_EQ(services.fileRequests.size(), 1u);
    EXPECT_EQ(services.fileRequests[0].defaultExt, ".dpb");
    EXPECT_TRUE(document->IsModified());

    services.answers.push_back(IDNO);
    EXPECT_TRUE(Frame().ActiveChild()->close());
    EXPECT_EQ(Bytes(scan), before);
}
