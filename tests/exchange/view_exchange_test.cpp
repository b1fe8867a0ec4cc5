// The file commands of the board view, driven through the scripted platform.
#include "board/dib_view.h"
#include "exchange/file_size_limit.h"
#include "exchange/scratch_dir.h"
#include "exchange/text_lines.h"
#include "platform/save_calls.h"
#include "platform/scripted/failing_save_calls.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "support/fifo_guard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
std::string Slurp(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(path, text)) << path;
    return text;
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FilesInDirectory() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ViewFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        view = std::make_unique<CDibView>();
        view->AttachHost(&host);
        view->m_nImageWidth = 300;
        view->m_nImageHeight = 400;
        services.messages.clear();
    }
    void TearDown() override {
        view->ClearBoard(); // no closing question
        view.reset();
    }
    void Answer(const std::string& path) { services.fileAnswers.push_back(path); }
    // The board drawn so far counts as saved, so opening over it asks nothing.
    void KeepAsSaved() { view->MarkBoardSaved(); }
    bool WholeRepaintWithoutErase() const {
        return !host.invalidations.empty() && host.invalidations.back().whole &&
               !host.invalidations.back().erase;
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : services.messages)
            texts.push_back(m.text);
        return texts;
    }

    ScratchDir dir; // before the view, which reads the colours where it starts
    ScriptedServices services;
    ScriptedViewHost host;
    std::unique_ptr<CDibView> view;
};
} // namespace

TEST_F(ViewFiles, SaveWorkAsksWithTheWorkFileDialogAndWritesTheBoard) {
    view->AppendPad(120, 45);
    view->AppendTrack(10, 20, 30, 20, 1);
    Answer("board");
    view->OnCommand(504);
    ASSERT_EQ(services.fileRequests.size(), 1u);
    const FileDialogRequest& r = services.fileRequests[0];
    EXPECT_FALSE(r.open);
    EXPECT_EQ(r.filter, "Back Files (*.dpb)|*.dpb|All Files (*.*)|*.*||");
    EXPECT_EQ(r.defaultExt, ".dpb");
    EXPECT_EQ(r.initialName, "");
    EXPECT_EQ(r.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_SHOWHELP);
    EXPECT_EQ(Slurp("board.dpb"), "FP\r\n120 45\r\nFT\r\n10 20 30 20 1\r\n");
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(view->m_nPadCount, 1) << "saving leaves the board";
}

TEST_F(ViewFiles, CancelledDialogsDoNothing) {
    view->AppendPad(1, 2);
    KeepAsSaved();
    for (UINT id : {504u, 505u, 507u, 57607u})
        view->OnCommand(id);
    EXPECT_EQ(services.fileRequests.size(), 4u);
    EXPECT_EQ(view->m_nPadCount, 1);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(host.invalidations.empty());
}

TEST_F(ViewFiles, FailedWriteSaysSoAndKeepsThePreviousFile) {
    Put("kept.dpb", "FP\r\n1 2\r\n");
    for (int i = 0; i < 1000; ++i)
        view->AppendPad(static_cast<float>(i), 6);
    {
        // Writes beyond 100 bytes fail as on a full disk.
        FileSizeLimit limit(100);
        Answer("kept.dpb");
        view->OnSaveWork();
        Answer("kept.pcb");
        view->OnSaveProtel();
    }
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Write file error!", "Write file error!"}));
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
    EXPECT_EQ(services.messages[0].icon(), MB_ICONSTOP);
    EXPECT_EQ(Slurp("kept.dpb"), "FP\r\n1 2\r\n");
    EXPECT_EQ(FilesInDirectory(), std::vector<std::string>{"kept.dpb"})
        << "no temporary file is left behind";
}

TEST_F(ViewFiles, AFailedFinalWriteOrSyncSaysSoAndKeepsThePreviousFile) {
    view->AppendPad(5, 6);
    // So small a board stays in the stream's buffer until the save's final
    // flush, so the first write is also the last.
    for (const FailingSaveCalls::Kind kind : {FailingSaveCalls::write, FailingSaveCalls::fsync}) {
        services.messages.clear();
        Put("kept.dpb", "old work");
        Put("kept.pcb", "old export");
        FailingSaveCalls calls;
        calls.FailFrom(kind, 1, EIO);
        {
            ScopedSaveCalls scope(calls);
            Answer("kept.dpb");
            view->OnSaveWork();
            Answer("kept.pcb");
            view->OnSaveProtel();
        }
        EXPECT_EQ(calls.calls[FailingSaveCalls::write], 2) << kind;
        EXPECT_EQ(MessageTexts(),
                  (std::vector<std::string>{"Write file error!", "Write file error!"}))
            << kind;
        EXPECT_EQ(Slurp("kept.dpb"), "old work") << kind;
        EXPECT_EQ(Slurp("kept.pcb"), "old export") << kind;
        EXPECT_EQ(FilesInDirectory(), (std::vector<std::string>{"kept.dpb", "kept.pcb"})) << kind;
    }
}

TEST_F(ViewFiles, SaveOverAnExistingFileReplacesItWhole) {
    Put("old.dpb", std::string(5000, 'x'));
    view->AppendPad(5, 6);
    Answer("old.dpb");
    view->OnSaveWork();
    EXPECT_EQ(Slurp("old.dpb"), "FP\r\n5 6\r\n");
}

TEST_F(ViewFiles, SaveThroughALinkReplacesTheFileItPointsTo) {
    std::filesystem::create_directory("real");
    Put("real/board.dpb", "FP\r\n1 2\r\n");
    std::filesystem::create_symlink("real/board.dpb", "link.dpb");
    view->AppendPad(5, 6);
    Answer("link.dpb");
    view->OnSaveWork();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(std::filesystem::is_symlink("link.dpb")) << "the link stays a link";
    EXPECT_EQ(Slurp("real/board.dpb"), "FP\r\n5 6\r\n");
}

TEST_F(ViewFiles, SaveAnswersAnUnwritableTargetWithWriteError) {
    ASSERT_EQ(mkdir("adir.dpb", 0700), 0);
    view->AppendPad(5, 6);
    Answer("adir.dpb");
    view->OnSaveWork();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Write file error!"});
    struct stat st {};
    ASSERT_EQ(stat("adir.dpb", &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << "the directory is untouched";
}

namespace {
constexpr uid_t kNobody = 65534;
constexpr int kCannotDropPrivileges = 77;

// Runs `save` with the rights of an ordinary user, and says whether it
// showed only `expected`. Under the superuser it runs in a child process that
// has become "nobody" and owns the working directory; 77 means the child
// could not become nobody.
template <typename Save>
int SaveAsOrdinaryUser(const std::vector<std::string>& expected, Save save,
                       const std::function<std::vector<std::string>()>& shown) {
    if (geteuid() != 0) {
        save();
        return shown() == expected ? 0 : 1;
    }
    if (chown(".", kNobody, kNobody) != 0)
        return kCannotDropPrivileges;
    const pid_t child = fork();
    if (child == 0) {
        // The working directory stays reachable by a relative name, whatever
        // the folders above it allow.
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(kCannotDropPrivileges);
        save();
        _exit(shown() == expected ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 1;
    return WEXITSTATUS(status);
}
} // namespace

TEST_F(ViewFiles, AFileThatMayNotBeWrittenKeepsItsContents) {
    Put("locked.dpb", "FP\r\n1 2\r\n");
    ASSERT_EQ(chmod("locked.dpb", 0444), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown("locked.dpb", kNobody, kNobody), 0);
    }
    view->AppendPad(5, 6);
    const int result = SaveAsOrdinaryUser(
        {"Write file error!"},
        [&] {
            Answer("locked.dpb");
            view->OnSaveWork();
        },
        [&] { return MessageTexts(); });
    if (result == kCannotDropPrivileges)
        GTEST_SKIP() << "the superuser may write any file, and could not become nobody";
    EXPECT_EQ(result, 0) << "the save showed \"Write file error!\" and nothing else";
    EXPECT_EQ(Slurp("locked.dpb"), "FP\r\n1 2\r\n");
    EXPECT_EQ(FilesInDirectory(), std::vector<std::string>{"locked.dpb"});
}

TEST_F(ViewFiles, OpenWorkReplacesTheBoardAtTheCurrentZoomAndRepaints) {
    Put("in.dpb", "FT\n10 20 30 20 12\nFP\n120 45\n");
    view->AppendPad(1, 1);
    view->AppendPad(2, 2);
    KeepAsSaved();
    view->m_nScale = 2;
    Answer("in.dpb");
    view->OnCommand(505);
    const FileDialogRequest& r = services.fileRequests.at(0);
    EXPECT_TRUE(r.open);
    EXPECT_EQ(r.filter, "Back Files (*.dpb)|*.dpb|All Files (*.*)|*.*||");
    EXPECT_EQ(r.defaultExt, ".dpb");
    EXPECT_EQ(r.flags, OFN_HIDEREADONLY | OFN_SHOWHELP);
    ASSERT_EQ(view->m_nPadCount, 1);
    EXPECT_EQ(view->m_pPads[0].x, 240);
    EXPECT_EQ(view->m_pPads[0].y, 90);
    ASSERT_EQ(view->m_nTrackCount, 1);
    EXPECT_EQ(view->m_pTracks[0].x2, 60);
    EXPECT_EQ(view->m_pTracks[0].layer, 12);
    EXPECT_TRUE(WholeRepaintWithoutErase());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(view->m_nScale, 2);
}

TEST_F(ViewFiles, SavingWhileZoomedWritesTheUnzoomedNumbers) {
    Put("in.dpb", "FP\r\n120 45\r\nFT\r\n10 20 30 20 1\r\n");
    for (const ZoomFactor zoom : {ZoomFactor(4), ZoomFactor::FromExponent(-2)}) {
        view->m_nScale = zoom;
        Answer("in.dpb");
        view->OnOpenWork();
        Answer("out.dpb");
        view->OnSaveWorkAs();
        EXPECT_EQ(Slurp("out.dpb"), Slurp("in.dpb")) << zoom;
    }
    EXPECT_EQ(view->m_pPads[0].x, 30.0f) << "120 pixels at a quarter";
}

TEST_F(ViewFiles, OpenOfAMissingFileLeavesTheBoard) {
    view->AppendPad(7, 8);
    KeepAsSaved();
    Answer("missing.dpb");
    view->OnOpenWork();
    Answer("missing.pcb");
    view->OnOpenProtel();
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Read error or file format is invalid!",
                                                        "Read error or file format is invalid!"}));
    EXPECT_EQ(services.messages[0].icon(), MB_ICONSTOP);
    ASSERT_EQ(view->m_nPadCount, 1);
    EXPECT_EQ(view->m_pPads[0].x, 7);
}

TEST_F(ViewFiles, APipeIsAnUnreadableFileAndLeavesTheBoard) {
    view->AppendPad(7, 8);
    KeepAsSaved();
    {
        FifoGuard fifo("pipe.dpb");
        ASSERT_TRUE(fifo.Made());
        Answer("pipe.dpb");
        view->OnOpenWork();
        Answer("pipe.dpb");
        view->OnOpenProtel();
        EXPECT_FALSE(fifo.Released()) << "an open waited for a writer";
    }
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Read error or file format is invalid!",
                                                        "Read error or file format is invalid!"}));
    EXPECT_EQ(view->m_nPadCount, 1);
}

TEST_F(ViewFiles, AFileOfAnotherKindLeavesTheBoard) {
    Put("notes.txt", "Board 7, second try.\nAsk about the via sizes.\n");
    view->AppendPad(7, 8);
    KeepAsSaved();
    Answer("notes.txt");
    view->OnOpenWork();
    Answer("notes.txt");
    view->OnOpenProtel();
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Read error or file format is invalid!",
                                                        "Read error or file format is invalid!"}));
    EXPECT_EQ(view->m_nPadCount, 1);
    EXPECT_TRUE(host.invalidations.empty());
}

TEST_F(ViewFiles, OddLayersFromAFileAreKeptUndrawnAndWrittenBackUnchanged) {
    const std::string text = "FT\r\n1 2 30 2 1\r\nFT\r\n1 4 30 4 0\r\nFT\r\n1 6 30 6 13\r\n"
                             "FT\r\n1 8 30 8 -7\r\nFT\r\n1 9 30 9 4096\r\n";
    Put("odd.dpb", text);
    Answer("odd.dpb");
    view->OnOpenWork();
    ASSERT_EQ(view->m_nTrackCount, 5);
    EXPECT_TRUE(services.messages.empty());
    host.clientDrawing.ops.clear();
    view->DrawBoard();
    const std::vector<DrawOp> drawn = host.clientDrawing.Drawn();
    ASSERT_EQ(drawn.size(), 1u) << "only the track on layer 1";
    EXPECT_EQ(drawn[0].b, 2);
    Answer("back.dpb");
    view->OnSaveWorkAs();
    EXPECT_EQ(Slurp("back.dpb"), text);
    Answer("odd.pcb");
    view->OnSaveProtel();
    const std::string pcb = Slurp("odd.pcb");
    for (const char* layer :
         {" 12 1 1\r\n", " 12 0 1\r\n", " 12 13 1\r\n", " 12 -7 1\r\n", " 12 4096 1\r\n"})
        EXPECT_NE(pcb.find(layer), std::string::npos) << layer;
}

TEST_F(ViewFiles, ReplacingTheBoardForgetsChainGrabAndKeyboardTarget) {
    Put("empty.dpb", "");
    view->AppendPad(7, 8);
    KeepAsSaved();
    view->m_bLineStarted = 1;
    view->m_nSelPad = 0;
    view->m_PadBackup.push_back({0, 7, 8});
    view->m_nKeyObject = 1;
    Answer("empty.dpb");
    view->OnOpenWork();
    EXPECT_EQ(view->m_nPadCount, 0);
    EXPECT_EQ(view->m_bLineStarted, 0);
    EXPECT_EQ(view->m_nSelPad, -1);
    EXPECT_TRUE(view->m_PadBackup.empty());
    EXPECT_EQ(view->m_nKeyObject, 0);

    view->m_bLineStarted = 1;
    view->m_nSelTrack = 3;
    view->m_nKeyObject = 3;
    Put("empty.pcb", "PCB FILE 4\r\nENDPCB\r\n");
    Answer("empty.pcb");
    view->OnOpenProtel();
    EXPECT_EQ(view->m_bLineStarted, 0);
    EXPECT_EQ(view->m_nSelTrack, -1);
    EXPECT_EQ(view->m_nKeyObject, 0);
}

TEST_F(ViewFiles, OversizedFileLoadsTheFirst20000AndSaysHowManyWereLeftOut) {
    std::string text;
    for (int i = 0; i < 20003; ++i)
        text += "FP\n" + std::to_string(i) + " 1\n";
    for (int i = 0; i < 20001; ++i)
        text += "FT\n0 0 " + std::to_string(i) + " 1 2\n";
    Put("big.dpb", text);
    Answer("big.dpb");
    view->OnOpenWork();
    EXPECT_EQ(view->m_nPadCount, 20000);
    EXPECT_EQ(view->m_pPads[19999].x, 19999);
    EXPECT_EQ(view->m_nTrackCount, 20000);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
    EXPECT_NE(services.messages[0].text.find("3 pads and 1 track were left out"), std::string::npos)
        << services.messages[0].text;
}

TEST_F(ViewFiles, UnreadableRecordsAreReportedWithTheirLine) {
    Put("bad.dpb", "FP\n1 2\nFP\n3\nFP\n5 6\n");
    Answer("bad.dpb");
    view->OnOpenWork();
    EXPECT_EQ(view->m_nPadCount, 2);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                  "1 record was unreadable and skipped (the first at line 3)."});
}

TEST_F(ViewFiles, AProtelFileWithoutPadsOrTracksEmptiesTheBoardAndSaysWhy) {
    Put("vias.pcb", "PCB FILE 4\r\nFV\r\n10 10 50 28\r\nFV\r\n20 20 50 28\r\nFV\r\n30 30 50 28\r\n"
                    "FA\r\n0 30 10 0 360 1\r\nFA\r\n5 30 10 0 360 1\r\nENDPCB\r\n");
    view->AppendPad(7, 8);
    KeepAsSaved();
    Answer("vias.pcb");
    view->OnOpenProtel();
    EXPECT_EQ(view->m_nPadCount, 0);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"The file holds no pads or tracks (3 vias, "
                                                       "2 arcs were not imported)"});
}

// A file whose every record is broken gives nothing to put in the board's
// place: it is a failed open, and the tracing stays.
TEST_F(ViewFiles, AFileWithNoReadableRecordLeavesTheBoard) {
    Put("broken.dpb", "FP\n1\nFT\n1 2 3\n");
    Put("broken.pcb", "PCB FILE 4\nFP\n1\n0\nFT\n1 2 3 4 5\nENDPCB\n");
    view->AppendPad(7, 8);
    KeepAsSaved();
    Answer("broken.dpb");
    view->OnOpenWork();
    Answer("broken.pcb");
    view->OnOpenProtel();
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Read error or file format is invalid!",
                                                        "Read error or file format is invalid!"}));
    ASSERT_EQ(view->m_nPadCount, 1);
    EXPECT_EQ(view->m_pPads[0].x, 7);
    EXPECT_EQ(view->m_nTrackCount, 0);
}

TEST_F(ViewFiles, ProtelExportUsesItsDialogAndTheImageHeight) {
    view->AppendPad(100, 50);
    view->AppendTrack(10, 20, 30, 20, 6);
    Answer("out");
    view->OnCommand(57607);
    const FileDialogRequest& r = services.fileRequests.at(0);
    EXPECT_FALSE(r.open);
    EXPECT_EQ(r.filter, "Protel Files (*.pcb)|*.pcb|All Files (*.*)|*.*||");
    EXPECT_EQ(r.defaultExt, ".PCB");
    EXPECT_EQ(r.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_SHOWHELP);
    EXPECT_EQ(Slurp("out.PCB"), "PCB FILE 4\r\nFP\r\n500 1750 60 60 1 28 1 13\r\n0\r\nFT\r\n"
                                "50 1900 150 1900 12 6 1\r\nENDPCB\r\n");
}

TEST_F(ViewFiles, ExportRefusesAnInfiniteFactorWithoutTouchingTheFile) {
    Put("keep.pcb", "old");
    view->AppendPad(100, 50);
    const ScanLines saved = view->GetScanLines();
    view->SetScanLines({0, 200});
    Answer("keep.pcb");
    view->OnSaveProtel();
    view->SetScanLines(saved);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
    EXPECT_EQ(Slurp("keep.pcb"), "old");
}

TEST_F(ViewFiles, ProtelImportSetsTheScrollSizesAtTheZoom) {
    Put("in.pcb", "PCB FILE 4\nFP\n0 3000 60 60 1 28 1 13\n0\nENDPCB\n");
    view->m_nScale = 2;
    Answer("in.pcb");
    view->OnCommand(507);
    const FileDialogRequest& r = services.fileRequests.at(0);
    EXPECT_TRUE(r.open);
    EXPECT_EQ(r.filter, "Protel format files (*.pcb)|*.pcb|All Files (*.*)|*.*||");
    EXPECT_EQ(r.defaultExt, ".pcb");
    EXPECT_EQ(r.flags, OFN_HIDEREADONLY | OFN_SHOWHELP);
    EXPECT_EQ(view->GetTotalSize(), CSize(600, 1220));
    ASSERT_EQ(view->m_nPadCount, 1);
    EXPECT_EQ(view->m_pPads[0].y, 20);
    EXPECT_TRUE(WholeRepaintWithoutErase());
}

TEST_F(ViewFiles, ImportTooLargeForTheBoardLeavesEverything) {
    Put("far.pcb", "FV\n2000000000 0 1 1\n");
    view->AppendPad(3, 4);
    KeepAsSaved();
    const CSize before = view->GetTotalSize();
    Answer("far.pcb");
    view->OnOpenProtel();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].icon(), MB_ICONSTOP);
    EXPECT_EQ(view->m_nPadCount, 1);
    EXPECT_EQ(view->GetTotalSize(), before);
}

TEST_F(ViewFiles, ExportThenImportGivesTheSameBoard) {
    view->AppendPad(100, 50);
    view->AppendPad(299, 10);
    view->AppendTrack(10, 20, 30, 20, 6);
    Answer("round.pcb");
    view->OnSaveProtel();
    view->ClearBoard();
    Answer("round.pcb");
    view->OnOpenProtel();
    ASSERT_EQ(view->m_nPadCount, 2);
    EXPECT_EQ(view->m_pPads[1].x, 299);
    EXPECT_EQ(view->m_pPads[1].y, 10);
    ASSERT_EQ(view->m_nTrackCount, 1);
    EXPECT_EQ(view->m_pTracks[0].y1, 20);
    EXPECT_EQ(view->GetTotalSize(), CSize(309, 400)) << "the layout reaches the right edge";
}

TEST_F(ViewFiles, OpeningOverUnsavedChangesAsksAndCancelKeepsTheBoard) {
    Put("other.dpb", "FP\r\n1 1\r\n");
    Put("other.pcb", "PCB FILE 4\nFP\n0 3000 60 60 1 28 1 13\n0\nENDPCB\n");
    view->AppendPad(7, 8);
    services.answers = {IDCANCEL, IDCANCEL};
    view->OnOpenWork();
    view->OnOpenProtel();
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{
                  "The tracing has unsaved changes. Open the work file anyway? You can undo this.",
                  "The tracing has unsaved changes. Import the Protel file anyway? You can undo "
                  "this."}));
    EXPECT_EQ(services.messages[0].buttons(), MB_OKCANCEL);
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
    EXPECT_TRUE(services.fileRequests.empty()) << "no dialog after Cancel";
    ASSERT_EQ(view->m_nPadCount, 1);
    EXPECT_EQ(view->m_pPads[0].x, 7);
    EXPECT_TRUE(view->IsBoardModified());

    // OK opens, and the open can be undone back to the unsaved tracing.
    services.messages.clear();
    services.answers = {IDOK};
    Answer("other.dpb");
    view->OnOpenWork();
    ASSERT_EQ(view->m_nPadCount, 1);
    EXPECT_EQ(view->m_pPads[0].x, 1);
    EXPECT_FALSE(view->IsBoardModified());
    view->OnEditUndo();
    EXPECT_EQ(view->m_pPads[0].x, 7);

    // A board that matches its file is replaced without a question.
    view->OnEditRedo();
    services.messages.clear();
    Answer("other.pcb");
    view->OnOpenProtel();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(view->m_nPadCount, 1);
}

TEST_F(ViewFiles, SavesGoToTheWorkFileLastWrittenOrOpened) {
    view->AppendPad(1, 2);
    // A failed save keeps no name.
    Answer("no-such-dir/a.dpb");
    view->OnSaveWork();
    EXPECT_EQ(view->WorkFilePath(), "");
    Answer("first.dpb");
    view->OnSaveWork();
    view->AppendPad(3, 4);
    view->OnSaveWork();
    EXPECT_EQ(services.fileRequests.size(), 2u);
    EXPECT_EQ(Slurp("first.dpb"), "FP\r\n1 2\r\nFP\r\n3 4\r\n");

    // An opened work file is where the next save goes.
    Put("opened.dpb", "FP\r\n9 9\r\n");
    Answer("opened.dpb");
    view->OnOpenWork();
    view->AppendPad(5, 6);
    view->OnSaveWork();
    EXPECT_EQ(services.fileRequests.size(), 3u);
    EXPECT_EQ(Slurp("opened.dpb"), "FP\r\n9 9\r\nFP\r\n5 6\r\n");

    // An imported board is not the work file's: the next save asks.
    Put("in.pcb", "PCB FILE 4\nFP\n0 3000 60 60 1 28 1 13\n0\nENDPCB\n");
    Answer("in.pcb");
    view->OnOpenProtel();
    EXPECT_EQ(view->WorkFilePath(), "");
    view->AppendPad(7, 7);
    Answer("imported.dpb");
    view->OnSaveWork();
    EXPECT_EQ(services.fileRequests.size(), 5u);
    EXPECT_EQ(services.fileRequests.back().initialName, "");
    EXPECT_EQ(Slurp("opened.dpb"), "FP\r\n9 9\r\nFP\r\n5 6\r\n");
    EXPECT_EQ(view->WorkFilePath(), "imported.dpb");
}
