// Construction and destruction of the board view, and its capacity.
#include "board/dib_view.h"
#include "exchange/file_size_limit.h"
#include "exchange/scratch_dir.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "tests/board/params_guard.h"
#include "tests/support/read_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
std::string Bytes(const std::string& path) { return ReadFileBytes(path); }

std::vector<std::string> MessageTexts(const ScriptedServices& services) {
    std::vector<std::string> texts;
    for (const ShownMessage& m : services.messages)
        texts.push_back(m.text);
    return texts;
}

class BoardModel : public ::testing::Test {
  protected:
    ScratchDir dir;
    ParamsGuard guard;
    ScriptedServices services;
    ScriptedViewHost host;
};
} // namespace

TEST_F(BoardModel, ConstructionWithoutColourFileKeepsTheColoursSilentlyAndStartsEmpty) {
    g_nLineWidth = 9;
    g_nPadRadiusX = g_nPadRadiusY = 8;
    g_nCurrentLayer = 4;
    g_crLayerColor[6] = RGB(1, 2, 3); // as the colour dialog of an earlier view left it
    CDibView view;
    EXPECT_TRUE(services.messages.empty()) << "no file yet is no disk error";
    EXPECT_EQ(g_crLayerColor[6], RGB(1, 2, 3));
    EXPECT_EQ(services.statusPanes[1], "Top Layer");
    EXPECT_EQ(g_nLineWidth, 3);
    EXPECT_EQ(g_nPadRadiusX, 5);
    EXPECT_EQ(g_nPadRadiusY, 5);
    EXPECT_EQ(g_nCurrentLayer, 1);
    EXPECT_EQ(view.m_nPadCount, 0);
    EXPECT_EQ(view.m_nTrackCount, 0);
    EXPECT_NE(view.m_pPads, nullptr);
    EXPECT_NE(view.m_pTracks, nullptr);
    EXPECT_TRUE(view.m_bPadMode);
    EXPECT_FALSE(view.m_bMoveMode || view.m_bSelectAll || view.m_bMarkMode || view.m_bShowMil ||
                 view.m_bFreeAngle);
    EXPECT_EQ(view.m_nScale, 1);
    EXPECT_EQ(view.m_nSelPad, -1);
    EXPECT_EQ(view.m_nSelTrack, -1);
    EXPECT_EQ(view.m_bLineStarted, 0);
    EXPECT_EQ(view.m_nKeyObject, 0);
    for (int layer = 1; layer <= 12; ++layer)
        EXPECT_EQ(view.m_bLayerVisible[layer], 1);
}

TEST_F(BoardModel, ColourFileIsReadAtConstructionAndWrittenAtDestruction) {
    std::string bytes(56, '\0');
    bytes[6 * 4] = '\x40';
    std::ofstream("img_pcb.col", std::ios::binary) << bytes;
    {
        CDibView view;
        EXPECT_TRUE(services.messages.empty());
        EXPECT_EQ(g_crLayerColor[6], RGB(0x40, 0, 0));
        g_crLayerColor[2] = RGB(1, 2, 3);
    }
    bytes[2 * 4] = 1;
    bytes[2 * 4 + 1] = 2;
    bytes[2 * 4 + 2] = 3;
    EXPECT_EQ(Bytes("img_pcb.col"), bytes);
}

TEST_F(BoardModel, ClosingAnEmptyBoardAsksNothingAndCreatesTheColourFile) {
    for (COLORREF& c : g_crLayerColor)
        c = 0;
    { CDibView view; }
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(Bytes("img_pcb.col"), std::string(56, '\0'));
}

TEST_F(BoardModel, ColourFileThatCannotBeWrittenIsReportedAndKept) {
    std::ofstream("img_pcb.col", std::ios::binary) << std::string(56, '\x11');
    auto view = std::make_unique<CDibView>();
    g_crLayerColor[3] = RGB(9, 9, 9);
    EXPECT_TRUE(services.messages.empty());
    {
        FileSizeLimit full(20); // the disk fills up after 20 bytes
        view.reset();
    }
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Write file error!");
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
    EXPECT_EQ(services.messages[0].icon(), MB_ICONSTOP);
    EXPECT_EQ(Bytes("img_pcb.col"), std::string(56, '\x11'));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left behind";
}

TEST_F(BoardModel, ColourFileInAPlaceThatCannotHoldItIsADiskError) {
    std::filesystem::create_directory("img_pcb.col");
    g_crLayerColor[2] = RGB(7, 8, 9);
    { CDibView view; }
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0].text, "Disk error!") << "a directory cannot be read";
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
    EXPECT_EQ(services.messages[0].icon(), MB_ICONSTOP);
    EXPECT_EQ(g_crLayerColor[2], RGB(7, 8, 9)) << "the colours keep their values";
    EXPECT_EQ(services.messages[1].text, "Write file error!") << "nor replaced";
    EXPECT_TRUE(std::filesystem::is_directory("img_pcb.col"));

    // A working directory that went away: nothing can be created in it.
    const auto here = std::filesystem::current_path();
    std::filesystem::create_directory("gone");
    std::filesystem::current_path("gone");
    services.messages.clear();
    {
        CDibView view;
        std::filesystem::remove(here / "gone");
    }
    std::filesystem::current_path(here);
    EXPECT_EQ(MessageTexts(services), std::vector<std::string>{"Disk error!"})
        << "the file was only missing when the view opened; closing cannot create it";
}

TEST_F(BoardModel, ClosingAsksOnlyAboutChangesNotSaved) {
    services.fileAnswers.push_back("saved.dpb");
    {
        CDibView view;
        view.AttachHost(&host);
        view.AppendPad(3, 4);
        view.OnSaveWork();
        EXPECT_FALSE(view.IsBoardModified());
        services.messages.clear();
    }
    EXPECT_TRUE(services.messages.empty());

    // A change after the save, and an undo back to the saved board. Yes
    // writes to the work file the board was saved to, without a dialog.
    services.answers.push_back(IDYES);
    services.fileAnswers.push_back("closing.dpb");
    {
        CDibView view;
        view.AttachHost(&host);
        view.AppendPad(3, 4);
        view.OnSaveWork();
        view.AppendPad(5, 6);
        EXPECT_TRUE(view.IsBoardModified());
        view.OnEditUndo();
        EXPECT_FALSE(view.IsBoardModified());
        view.OnEditRedo();
        services.messages.clear();
    }
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Do you save your change?");
    EXPECT_EQ(services.messages[0].icon(), MB_ICONQUESTION);
    EXPECT_EQ(Bytes("closing.dpb"), "FP\r\n3 4\r\nFP\r\n5 6\r\n");
    EXPECT_EQ(services.fileRequests.size(), 2u) << "one dialog per view, at its first save";
}

TEST_F(BoardModel, AnsweringNoCloses) {
    services.answers.push_back(IDNO);
    {
        CDibView view;
        view.AppendTrack(1, 2, 3, 4, 1);
    }
    EXPECT_TRUE(services.fileRequests.empty());
    EXPECT_TRUE(std::filesystem::exists("img_pcb.col"));
}

// Yes followed by a cancelled or failed save has kept nothing, so the
// question comes again until the work is saved or the answer is No.
TEST_F(BoardModel, AnUnsavedCloseAsksAgain) {
    services.answers = {IDYES, IDYES, IDYES};
    services.fileAnswers.push_back(std::nullopt);
    services.fileAnswers.push_back("no-such-dir/work.dpb");
    services.fileAnswers.push_back("kept.dpb");
    {
        CDibView view;
        view.AppendPad(3, 4);
        services.messages.clear();
    }
    EXPECT_EQ(MessageTexts(services),
              (std::vector<std::string>{"Do you save your change?", "Do you save your change?",
                                        "Write file error!", "Do you save your change?"}));
    EXPECT_EQ(services.fileRequests.size(), 3u);
    EXPECT_EQ(Bytes("kept.dpb"), "FP\r\n3 4\r\n");

    services.answers = {IDYES, IDNO};
    services.fileAnswers.push_back(std::nullopt);
    services.messages.clear();
    {
        CDibView view;
        view.AppendPad(5, 6);
        services.messages.clear();
    }
    EXPECT_EQ(MessageTexts(services),
              (std::vector<std::string>{"Do you save your change?", "Do you save your change?"}));
}

TEST_F(BoardModel, TwoViewsHaveTheirOwnBoardsAndShareTheParameters) {
    CDibView first;
    first.AppendPad(1, 1);
    g_nPadRadiusX = 8;
    g_nLineWidth = 7;
    CDibView second;
    EXPECT_EQ(second.m_nPadCount, 0);
    EXPECT_EQ(first.m_nPadCount, 1);
    EXPECT_EQ(g_nPadRadiusX, 5);
    EXPECT_EQ(g_nLineWidth, 3);
    first.ClearBoard();
}

TEST_F(BoardModel, ArraysNeverGrowPastTheirCapacity) {
    CDibView view;
    services.messages.clear();
    for (int i = 0; i < g_nMaxItems; ++i) {
        ASSERT_TRUE(view.AppendPad(static_cast<float>(i), 0));
        ASSERT_TRUE(view.AppendTrack(0, 0, static_cast<float>(i), 0, 2));
    }
    EXPECT_FALSE(view.AppendPad(1, 1));
    EXPECT_FALSE(view.AppendTrack(1, 1, 1, 1, 1));
    EXPECT_EQ(view.m_nPadCount, g_nMaxItems);
    EXPECT_EQ(view.m_nTrackCount, g_nMaxItems);
    EXPECT_EQ(view.m_pPads[g_nMaxItems - 1].x, g_nMaxItems - 1);
    EXPECT_TRUE(services.messages.empty()) << "appending itself shows nothing";
    view.ClearBoard();
    EXPECT_TRUE(view.IsBoardEmpty());
}

TEST_F(BoardModel, ResetEditStateForgetsChainGrabAndKeyboardTarget) {
    CDibView view;
    view.m_bLineStarted = 1;
    view.m_nSelPad = 2;
    view.m_nSelTrack = -1;
    view.m_TrackBackup.push_back({5, 1, 1});
    view.m_nKeyObject = 2;
    view.ResetEditState();
    EXPECT_EQ(view.m_bLineStarted, 0);
    EXPECT_EQ(view.m_nSelPad, -1);
    EXPECT_TRUE(view.m_TrackBackup.empty());
    EXPECT_EQ(view.m_nKeyObject, 0);
}

// The question before a window closes: Cancel keeps everything, No drops
// the changes and Yes writes them, and after an answer the view's
// destruction asks nothing more.
TEST_F(BoardModel, TheCloseQuestionNamesTheWindowAndCancelKeepsTheBoard) {
    auto view = std::make_unique<CDibView>();
    view->AppendPad(3, 4);
    services.messages.clear();
    services.answers = {IDCANCEL};
    EXPECT_FALSE(view->QuerySaveBoard("scan.bmp:2"));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              "Do you save your change?\nThe tracing on scan.bmp:2 has changes that are not saved.");
    EXPECT_EQ(services.messages[0].buttons(), MB_YESNOCANCEL);
    EXPECT_EQ(view->m_nPadCount, 1);
    EXPECT_TRUE(view->IsBoardModified());
    EXPECT_TRUE(services.fileRequests.empty());

    // No: closing goes on, and the destruction asks nothing.
    services.answers = {IDNO};
    EXPECT_TRUE(view->QuerySaveBoard("scan.bmp"));
    view->AcceptClose();
    services.messages.clear();
    view.reset();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.fileRequests.empty());
}

TEST_F(BoardModel, YesAtTheCloseQuestionWritesAndAChangeAfterAnAnswerIsAskedAbout) {
    auto view = std::make_unique<CDibView>();
    view->AppendPad(3, 4);
    services.answers = {IDYES};
    services.fileAnswers.push_back("close-yes.dpb");
    EXPECT_TRUE(view->QuerySaveBoard("Dib1"));
    EXPECT_EQ(Bytes("close-yes.dpb"), "FP\r\n3 4\r\n");
    EXPECT_FALSE(view->IsBoardModified());

    // An answered close that did not happen: a new change is asked about.
    view->AcceptClose();
    view->AppendPad(5, 6);
    services.messages.clear();
    services.answers = {IDNO};
    view.reset();
    EXPECT_EQ(MessageTexts(services), std::vector<std::string>{"Do you save your change?"});
}

TEST_F(BoardModel, ABoardWithoutChangesClosesWithoutAQuestion) {
    CDibView view;
    services.messages.clear();
    EXPECT_TRUE(view.QuerySaveBoard("Dib1"));
    view.AppendPad(1, 1);
    view.OnEditUndo();
    EXPECT_TRUE(view.QuerySaveBoard("Dib1"));
    EXPECT_TRUE(services.messages.empty());
}
