// Autosaving boards into recovery files and offering them after a crash,
// on the scripted platform: timers fire and background jobs run when the
// test says so.
#include "board/dib_view.h"
#include "board/params.h"
#include "exchange/recovery_files.h"
#include "exchange/recovery_offer.h"
#include "exchange/recovery_session.h"
#include "exchange/scratch_dir.h"
#include "exchange/text_lines.h"
#include "platform/directory.h"
#include "platform/document.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "platform/scripted/scripted_session.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// A board window: a view on a document that may name an image.
struct Window {
    explicit Window(const std::string& imagePath = {}) {
        if (!imagePath.empty())
            document.SetPathName(imagePath, false);
        document.AddView(&view);
        view.AttachHost(&host);
    }
    // The session a test watched the view with may be gone by now.
    ~Window() {
        view.SetBoardChangedHandler(nullptr);
        view.ClearBoard();
    }

    CDocument document;
    ScriptedViewHost host;
    CDibView view;
};

// The id of a process that has ended.
int EndedProcessId() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return static_cast<int>(child);
}

// A board no work file could hold exactly: fractional, all layers.
void FillBoard(CDibView& view, int pads, int tracks) {
    std::vector<Pad> p;
    std::vector<Track> t;
    for (int i = 0; i < pads; ++i)
        p.push_back({static_cast<float>(i % 4000) + 0.25f, static_cast<float>(i / 4000) * 1.5f});
    for (int i = 0; i < tracks; ++i)
        t.push_back({static_cast<float>(i) / 3.0f, 10.0f, 20.0f + static_cast<float>(i),
                     -7.125f, static_cast<float>(1 + i % 12)});
    ASSERT_TRUE(view.ReplaceBoard(p, t, board::StepKind::ImportProtel));
    ASSERT_TRUE(view.IsBoardModified());
}

bool SameBoard(const CDibView& a, const CDibView& b) {
    return a.m_nPadCount == b.m_nPadCount && a.m_nTrackCount == b.m_nTrackCount &&
           std::memcmp(a.m_pPads, b.m_pPads, sizeof(Pad) * a.m_nPadCount) == 0 &&
           std::memcmp(a.m_pTracks, b.m_pTracks, sizeof(Track) * a.m_nTrackCount) == 0;
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Watched as the document template watches its views.
void Watch(RecoverySession& session, CDibView& view) {
    session.Watch(view);
    view.SetBoardChangedHandler([&] { session.BoardChanged(view); });
}

class RecoverySessionTest : public ::testing::Test {
  protected:
    // The layer colours are there, so that opening a view says nothing.
    RecoverySessionTest() { std::ofstream(kLayerColorFile, std::ios::binary) << std::string(56, '\0'); }
    ~RecoverySessionTest() override { g_nScanLinesX = g_nScanLinesY = 200; }

    std::vector<std::string> FilesInDirectory() const {
        std::vector<std::string> names;
        if (std::filesystem::exists(directory))
            for (const auto& entry : std::filesystem::directory_iterator(directory))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Leaves the files of a process that has ended, holding `view`'s board.
    RecoveryFileNames LeaveOrphan(CDibView& view) {
        RecoverySession ended(scripted, directory, EndedProcessId());
        ended.Watch(view);
        ended.Tick();
        scripted.RunQueuedJobs();
        return *ended.FilesOf(view);
    }

    // Runs the start-up offer; recovered boards go into new windows.
    void Offer(RecoverySession& session) {
        OfferRecovery(session, [&](const std::string& imagePath) -> CDibView* {
            openedFor.push_back(imagePath);
            opened.push_back(std::make_unique<Window>(imagePath));
            Watch(session, opened.back()->view);
            return &opened.back()->view;
        });
        scripted.RunQueuedJobs();
    }

    ScratchDir scratch;
    ScriptedServices services;
    ScriptedSession scripted;
    std::string directory = (scratch.Path() / "state" / "recovery").string();
    std::vector<std::unique_ptr<Window>> opened;
    std::vector<std::string> openedFor;
};
} // namespace

TEST_F(RecoverySessionTest, FilesExistOnlyWhileTheBoardHasUnsavedChanges) {
    RecoverySession session(scripted, directory, CurrentProcessId());
    ASSERT_EQ(scripted.timers.size(), 1u);
    EXPECT_LE(scripted.timers[0]->intervalMs, 60 * 1000);
    Window window;
    Watch(session, window.view);
    const RecoveryFileNames files = *session.FilesOf(window.view);

    scripted.FireTimers();
    EXPECT_TRUE(scripted.queued.empty()) << "an unchanged board is not written";
    EXPECT_TRUE(FilesInDirectory().empty());

    ASSERT_TRUE(window.view.AppendPad(10, 20));
    scripted.FireTimers();
    EXPECT_FALSE(Exists(files.board)) << "the interface thread only copies";
    EXPECT_EQ(scripted.RunQueuedJobs(), 1);
    EXPECT_TRUE(Exists(files.board));
    EXPECT_TRUE(Exists(files.manifest));

    // Rewritten only when the revision moved.
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 0);
    ASSERT_TRUE(window.view.AppendPad(30, 40));
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 1);

    // Saved: the files go at once.
    window.view.MarkBoardSaved();
    scripted.RunQueuedJobs();
    EXPECT_TRUE(FilesInDirectory().empty());
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 0);

    // Changed and undone back to the saved state: gone again.
    ASSERT_TRUE(window.view.AppendPad(50, 60));
    scripted.FireTimers();
    scripted.RunQueuedJobs();
    EXPECT_TRUE(Exists(files.manifest));
    window.view.OnEditUndo();
    EXPECT_FALSE(window.view.IsBoardModified());
    scripted.RunQueuedJobs();
    EXPECT_TRUE(FilesInDirectory().empty());
}

TEST_F(RecoverySessionTest, ClosingAViewRemovesItsFilesAfterItsLastWrite) {
    RecoverySession session(scripted, directory, CurrentProcessId());
    auto first = std::make_unique<Window>();
    Window second;
    session.Watch(first->view);
    session.Watch(second.view);
    FillBoard(first->view, 5, 5);
    FillBoard(second.view, 3, 0);
    scripted.FireTimers();
    const RecoveryFileNames firstFiles = *session.FilesOf(first->view);
    EXPECT_NE(firstFiles.board, session.FilesOf(second.view)->board) << "two windows, two files";

    // Closed while its write is still queued.
    first.reset();
    session.ForgetClosedViews();
    scripted.RunQueuedJobs();
    EXPECT_FALSE(Exists(firstFiles.board));
    EXPECT_FALSE(Exists(firstFiles.manifest));
    EXPECT_EQ(FilesInDirectory().size(), 2u) << "the other window keeps its files";
}

TEST_F(RecoverySessionTest, AFailedWriteIsTriedAgain) {
    std::filesystem::create_directories(scratch.Path() / "state");
    std::ofstream(directory) << "a file where the directory should be";
    RecoverySession session(scripted, directory, CurrentProcessId());
    Window window;
    session.Watch(window.view);
    FillBoard(window.view, 1, 0);
    scripted.FireTimers();
    scripted.RunQueuedJobs();
    scripted.FireTimers();
    EXPECT_EQ(scripted.queued.size(), 1u) << "same revision, but nothing was written";
    std::filesystem::remove(directory);
    scripted.RunQueuedJobs();
    EXPECT_TRUE(Exists(session.FilesOf(window.view)->manifest));
}

TEST_F(RecoverySessionTest, OffersOnlyFilesOfEndedProcessesAndRecoversExactly) {
    g_nScanLinesX = 600;
    g_nScanLinesY = 300;
    Window lost("/nowhere/scan.bmp");
    FillBoard(lost.view, 7, 4);
    const RecoveryFileNames orphan = LeaveOrphan(lost.view);
    g_nScanLinesX = g_nScanLinesY = 200;

    // Files of a process that still runs are not offered.
    const pid_t running = fork();
    if (running == 0) {
        pause();
        _exit(0);
    }
    {
        RecoverySession other(scripted, directory, static_cast<int>(running));
        Window busy;
        other.Watch(busy.view);
        FillBoard(busy.view, 1, 1);
        other.Tick();
        scripted.RunQueuedJobs();
    }
    RecoverySession session(scripted, directory, CurrentProcessId());
    services.answers.push_back(IDYES);
    Offer(session);
    kill(running, SIGKILL);
    waitpid(running, nullptr, 0);

    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0].text.rfind("Recover the tracing over scan.bmp from ", 0), 0u)
        << services.messages[0].text;
    EXPECT_EQ(services.messages[0].buttons(), static_cast<UINT>(MB_YESNOCANCEL));
    // The image is gone: said so, and recovered over a new document.
    EXPECT_NE(services.messages[1].text.find("/nowhere/scan.bmp"), std::string::npos);
    ASSERT_EQ(openedFor, std::vector<std::string>{""});
    CDibView& recovered = opened.back()->view;
    EXPECT_TRUE(SameBoard(recovered, lost.view));
    EXPECT_TRUE(recovered.IsBoardModified());
    EXPECT_EQ(g_nScanLinesX, 600);
    EXPECT_EQ(g_nScanLinesY, 300);
    // The old pair is gone; the board is autosaved anew, under this process.
    EXPECT_FALSE(Exists(orphan.manifest));
    EXPECT_TRUE(Exists(session.FilesOf(recovered)->manifest));
    EXPECT_EQ(FilesInDirectory().size(), 4u);
}

TEST_F(RecoverySessionTest, NoDiscardsCancelKeepsAndAZoomedBoardComesBackExactly) {
    const std::string image = (scratch.Path() / "scan.bmp").string();
    std::ofstream(image) << "any";
    Window zoomed(image);
    FillBoard(zoomed.view, 3, 2);
    zoomed.view.m_nScale = 2; // saved at zoom 2; the new view opens at zoom 1
    const RecoveryFileNames first = LeaveOrphan(zoomed.view);
    Window other;
    FillBoard(other.view, 1, 0);
    const RecoveryFileNames second = LeaveOrphan(other.view);

    RecoverySession session(scripted, directory, CurrentProcessId());
    services.answers = {IDCANCEL};
    Offer(session);
    EXPECT_EQ(services.messages.size(), 1u) << "Cancel asks no more";
    EXPECT_TRUE(Exists(first.manifest) && Exists(second.manifest));

    services.messages.clear();
    services.answers = {IDYES, IDNO};
    Offer(session);
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_FALSE(Exists(first.manifest) || Exists(second.manifest));
    ASSERT_EQ(openedFor, std::vector<std::string>{image});
    const CDibView& recovered = opened.back()->view;
    ASSERT_EQ(recovered.m_nPadCount, 3);
    EXPECT_EQ(recovered.m_nScale, 1);
    EXPECT_EQ(recovered.m_pPads[1].x, zoomed.view.m_pPads[1].x / 2);
    EXPECT_EQ(recovered.m_pTracks[0].x1, zoomed.view.m_pTracks[0].x1 / 2);
    EXPECT_EQ(recovered.m_pTracks[1].layer, zoomed.view.m_pTracks[1].layer);
    zoomed.view.m_nScale = 1;
}

TEST_F(RecoverySessionTest, DamagedFilesAreRefusedWithAReasonAndKept) {
    Window window;
    FillBoard(window.view, 4, 4);
    const RecoveryFileNames cutBoard = LeaveOrphan(window.view);
    const RecoveryFileNames cutManifest = LeaveOrphan(window.view);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(cutBoard.board, text));
    std::filesystem::resize_file(cutBoard.board, text.size() / 2);
    ASSERT_TRUE(ReadWholeFile(cutManifest.manifest, text));
    std::filesystem::resize_file(cutManifest.manifest, text.size() - 6);
    const RecoveryFileNames missingBoard = LeaveOrphan(window.view);
    std::filesystem::remove(missingBoard.board);

    RecoverySession session(scripted, directory, CurrentProcessId());
    services.answers = {IDYES, IDYES, IDYES};
    Offer(session);
    ASSERT_EQ(services.messages.size(), 3u);
    for (const ShownMessage& message : services.messages) {
        EXPECT_NE(message.text.find("cannot be used: "), std::string::npos) << message.text;
        EXPECT_EQ(message.icon(), static_cast<UINT>(MB_ICONSTOP));
    }
    EXPECT_NE(services.messages[0].text.find("manifest"), std::string::npos);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(Exists(cutBoard.board) && Exists(cutBoard.manifest));
    EXPECT_TRUE(Exists(cutManifest.board) && Exists(cutManifest.manifest));
    EXPECT_TRUE(Exists(missingBoard.manifest));
}

// The whole story: a process with a full, modified board autosaves, changes
// the board further and is killed; the next start offers the board as it was
// at the autosave and brings it back bit for bit.
TEST_F(RecoverySessionTest, ABoardKilledWithSigkillIsRecoveredAsLastAutosaved) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ScriptedSession childSession;
        RecoverySession session(childSession, directory, CurrentProcessId());
        Window window;
        session.Watch(window.view);
        FillBoard(window.view, g_nMaxItems, 100);
        childSession.FireTimers();
        childSession.RunQueuedJobs();
        window.view.AppendPad(1, 1); // after the autosave: lost
        childSession.FireTimers();
        raise(SIGKILL);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    Window expected;
    FillBoard(expected.view, g_nMaxItems, 100);
    RecoverySession session(scripted, directory, CurrentProcessId());
    services.answers.push_back(IDYES);
    Offer(session);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0]->view.m_nPadCount, g_nMaxItems);
    EXPECT_TRUE(SameBoard(opened[0]->view, expected.view));
    EXPECT_TRUE(opened[0]->view.IsBoardModified());
}

TEST_F(RecoverySessionTest, TheManifestHoldsTheScanLinesOfTheViewsOwnDocument) {
    Window lost("/nowhere/scan.bmp");
    lost.view.SetScanLines({600, 300});
    // Another window was activated since: its scan lines are current.
    MakeScanLinesCurrent({200, 250});
    FillBoard(lost.view, 2, 1);
    const RecoveryFileNames orphan = LeaveOrphan(lost.view);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(orphan.manifest, text));
    std::string error;
    const auto manifest = ParseRecoveryManifest(text, error);
    ASSERT_TRUE(manifest) << error;
    EXPECT_EQ(manifest->scanLinesX, 600);
    EXPECT_EQ(manifest->scanLinesY, 300);

    // Recovered, the new document gets them, and they are current.
    RecoverySession session(scripted, directory, CurrentProcessId());
    services.answers.push_back(IDYES);
    Offer(session);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.back()->view.GetScanLines(), (ScanLines{600, 300}));
    EXPECT_EQ(CurrentScanLines(), (ScanLines{600, 300}));
}

TEST_F(RecoverySessionTest, NewScanLinesOfAnUnsavedBoardAreAutosavedToo) {
    RecoverySession session(scripted, directory, CurrentProcessId());
    Window window("/scans/board.bmp");
    Watch(session, window.view);
    FillBoard(window.view, 1, 0);
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 1);
    window.view.SetScanLines({450, 460});
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 1) << "the board is the same, its scale is not";
    std::string text, error;
    ASSERT_TRUE(ReadWholeFile(session.FilesOf(window.view)->manifest, text));
    const auto manifest = ParseRecoveryManifest(text, error);
    ASSERT_TRUE(manifest) << error;
    EXPECT_EQ(manifest->scanLinesX, 450);
    EXPECT_EQ(manifest->scanLinesY, 460);
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 0);
}
