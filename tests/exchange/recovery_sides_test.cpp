// Autosave and recovery of a tracing with an other side and a project: the
// side comes back registered as it was, the project is saved by Ctrl+S
// again, and a side whose scan is gone is said so while the board is kept.
#include "board/dib_view.h"
#include "board/params.h"
#include "exchange/recovery_board.h"
#include "exchange/recovery_files.h"
#include "exchange/recovery_manifest.h"
#include "exchange/recovery_offer.h"
#include "exchange/recovery_session.h"
#include "exchange/scratch_dir.h"
#include "exchange/text_lines.h"
#include "exchange/view_project.h"
#include "exchange/work_file.h"
#include "image/dib_doc.h"
#include "platform/directory.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "platform/scripted/scripted_session.h"
#include "res/resource.h"
#include "support/read_file.h"
#include "support/side_scans.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

// A window on a scan, as the program opens one; an empty path gives a new
// empty document.
struct SideWindow {
    CDibDoc doc;
    ScriptedViewHost host{CRect(0, 0, 200, 150)};
    std::unique_ptr<CDibView> view = std::make_unique<CDibView>();
    explicit SideWindow(const std::string& scan) {
        view->AttachHost(&host);
        doc.AddView(view.get());
        EXPECT_TRUE(scan.empty() ? doc.OnNewDocument() : doc.OnOpenDocument(scan));
        view->OnInitialUpdate();
    }
    ~SideWindow() {
        view->SetBoardChangedHandler(nullptr);
        view->ClearBoard();
        view.reset();
    }
};

int EndedProcessId() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return static_cast<int>(child);
}

std::string Absolute(const std::string& name) { return fs::absolute(name).string(); }

class RecoverySidesTest : public ::testing::Test {
  protected:
    RecoverySidesTest() {
        std::ofstream(kLayerColorFile, std::ios::binary) << std::string(56, '\0');
        front = Absolute(sides::WriteScanFile("top.bmp", 300, 200, sides::Front));
        back = Absolute(sides::WriteScanFile("bottom.bmp", 300, 200,
                                             sides::BackOf(photo, sides::Front, 300, 200)));
    }
    ~RecoverySidesTest() override { MakeScanLinesCurrent({200, 200}); }

    // Both sides registered, saved as a project, then traced further.
    void Prepare(SideWindow& w) {
        ASSERT_TRUE(w.view->OpenOtherSide(back));
        OtherSide& side = *w.doc.GetOtherSide();
        side.pairs = pairs;
        side.registered = photo;
        side.mirror = registration::Mirror::None;
        side.lines = {300, 310};
        ASSERT_TRUE(w.view->AppendPad(20, 20));
        ASSERT_TRUE(w.view->SaveProjectFile(project));
        ASSERT_TRUE(w.view->AppendPad(60, 20));
        ASSERT_TRUE(w.view->AppendTrack(20, 20, 60, 20, 6));
        ASSERT_TRUE(w.view->IsBoardModified());
    }

    // The files a killed process left for the window.
    RecoveryFileNames LeaveOrphan(CDibView& view) {
        RecoverySession ended(scripted, directory, EndedProcessId());
        ended.Watch(view);
        ended.Tick();
        scripted.RunQueuedJobs();
        return *ended.FilesOf(view);
    }

    void Offer(RecoverySession& session) {
        OfferRecovery(session, [&](const std::string& imagePath) -> CDibView* {
            opened.push_back(std::make_unique<SideWindow>(imagePath));
            // Watched as the document template watches its views.
            CDibView* view = opened.back()->view.get();
            session.Watch(*view);
            view->SetBoardChangedHandler([&session, view] { session.BoardChanged(*view); });
            return view;
        });
        scripted.RunQueuedJobs();
    }

    // The question is answered Yes; what else was said.
    std::vector<std::string> RecoverAnswering(RecoverySession& session) {
        services.messages.clear();
        services.answers = {IDYES};
        Offer(session);
        std::vector<std::string> said;
        for (std::size_t i = 1; i < services.messages.size(); ++i)
            said.push_back(services.messages[i].text);
        EXPECT_FALSE(services.messages.empty());
        return said;
    }

    ScratchDir scratch;
    ScriptedServices services;
    ScriptedSession scripted;
    const registration::Transform photo = sides::PhotoOfBack(300, 200);
    const std::vector<registration::PointPair> pairs = {
        {{20, 20}, {270, 30}}, {{260, 20}, {30, 25}}, {{260, 180}, {33, 170}}, {{20, 180}, {268, 178}}};
    std::string front, back;
    const std::string project = Absolute("board.tvproj");
    const std::string directory = Absolute("recovery");
    std::vector<std::unique_ptr<SideWindow>> opened;
};
} // namespace

TEST_F(RecoverySidesTest, TheOtherSideAndTheProjectComeBackAndCtrlSSavesTheProject) {
    // A key of a later version in the project file, kept through it all.
    std::string text;
    RecoveryFileNames orphan;
    {
        SideWindow lost(front);
        Prepare(lost);
        text = ReadFileBytes(project);
        text.insert(text.find('{') + 1, "\n  \"later\": 42,");
        lost.view->ResumeProject(project, text);
        orphan = LeaveOrphan(*lost.view);
    }
    ASSERT_TRUE(fs::exists(orphan.project));
    std::string manifestText;
    ASSERT_TRUE(ReadWholeFile(orphan.manifest, manifestText));
    EXPECT_NE(manifestText.find("project=" + project + "\n"), std::string::npos) << manifestText;

    RecoverySession session(scripted, directory, CurrentProcessId());
    EXPECT_TRUE(RecoverAnswering(session).empty()) << "nothing is missing, nothing to say";
    ASSERT_EQ(opened.size(), 1u);
    SideWindow& w = *opened[0];
    const OtherSide* side = w.doc.GetOtherSide();
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(side->scan->GetPathName(), back);
    ASSERT_TRUE(side->registered);
    EXPECT_EQ(*side->registered, photo);
    EXPECT_EQ(side->pairs, pairs);
    EXPECT_EQ(side->mirror, registration::Mirror::None);
    EXPECT_EQ(side->lines, (ScanLines{300, 310}));
    EXPECT_EQ(w.view->ProjectPath(), project);
    EXPECT_EQ(w.view->m_nPadCount, 2);
    EXPECT_TRUE(w.view->IsBoardModified());
    EXPECT_FALSE(fs::exists(orphan.manifest) || fs::exists(orphan.project));
    EXPECT_TRUE(fs::exists(session.FilesOf(*w.view)->project)) << "autosaved anew with its side";

    // Ctrl+S writes the project, not a work file, and asks nothing.
    w.view->OnCommand(ID_SAVE_WORK);
    EXPECT_TRUE(services.fileRequests.empty());
    EXPECT_FALSE(w.view->IsBoardModified());
    const std::optional<ProjectData> saved = ReadProjectForOpening(project);
    ASSERT_TRUE(saved);
    ASSERT_TRUE(saved->back);
    EXPECT_EQ(saved->back->registered, photo);
    ReadReport report;
    const BoardData board = ParseWorkFile(saved->workFile, 1, report);
    EXPECT_EQ(board.pads.size(), 2u);
    EXPECT_EQ(board.tracks.size(), 1u) << "the recovered tracing is what is saved";
    EXPECT_NE(ReadFileBytes(project).find("\"later\": 42"), std::string::npos);
    scripted.RunQueuedJobs();
    EXPECT_FALSE(fs::exists(session.FilesOf(*w.view)->manifest));
    EXPECT_FALSE(fs::exists(session.FilesOf(*w.view)->project));
}

TEST_F(RecoverySidesTest, AGoneBackScanIsToldOnceAndTheBoardIsRecovered) {
    RecoveryFileNames orphan;
    {
        SideWindow lost(front);
        Prepare(lost);
        orphan = LeaveOrphan(*lost.view);
    }
    fs::remove(back);
    RecoverySession session(scripted, directory, CurrentProcessId());
    const std::vector<std::string> said = RecoverAnswering(session);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("other side"), std::string::npos) << said[0];
    EXPECT_NE(said[0].find(back), std::string::npos) << said[0];
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0]->doc.GetOtherSide(), nullptr);
    EXPECT_EQ(opened[0]->view->m_nPadCount, 2);
    EXPECT_EQ(opened[0]->view->m_nTrackCount, 1);
    EXPECT_EQ(opened[0]->view->ProjectPath(), project);
    EXPECT_TRUE(opened[0]->view->IsBoardModified());
}

TEST_F(RecoverySidesTest, ADamagedProjectFileLeavesTheBoardAndSaysWhy) {
    RecoveryFileNames orphan;
    {
        SideWindow lost(front);
        Prepare(lost);
        orphan = LeaveOrphan(*lost.view);
    }
    ASSERT_TRUE(WriteWholeFile(orphan.project, "{\"format\": \"tracevu-project\", \"version\": 1}"));
    RecoverySession session(scripted, directory, CurrentProcessId());
    const std::vector<std::string> said = RecoverAnswering(session);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("damaged"), std::string::npos) << said[0];
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0]->doc.GetOtherSide(), nullptr);
    EXPECT_EQ(opened[0]->view->m_nPadCount, 2);
    EXPECT_EQ(opened[0]->view->ProjectPath(), project) << "the manifest names it";

    // Gone altogether: said so too.
    SideWindow again(front);
    Prepare(again);
    const RecoveryFileNames second = LeaveOrphan(*again.view);
    fs::remove(second.project);
    opened.clear();
    const std::vector<std::string> saidAgain = RecoverAnswering(session);
    ASSERT_EQ(saidAgain.size(), 1u);
    EXPECT_NE(saidAgain[0].find(second.project), std::string::npos) << saidAgain[0];
    EXPECT_EQ(opened.at(0)->view->m_nTrackCount, 1);
}

// A manifest an older version wrote, without project keys, beside its board.
TEST_F(RecoverySidesTest, AnOlderManifestStillRecovers) {
    const RecoveryFileNames files = RecoveryFilesOf(directory, EndedProcessId(), 1);
    ASSERT_TRUE(MakeDirectories(directory));
    BoardData board{{{10.5f, 20.25f}}, {}};
    ASSERT_TRUE(WriteWholeFile(files.board, *FormatRecoveryBoard(SpanOf(board), 1, 4)));
    ASSERT_TRUE(WriteWholeFile(files.manifest, "tracevu recovery 1\nimage=" + front +
                                                   "\nscan-lines-x=300\nscan-lines-y=300\nscale=1\n"
                                                   "saved=1796678040\nrevision=4\npads=1\ntracks=0\nend\n"));
    RecoverySession session(scripted, directory, CurrentProcessId());
    EXPECT_TRUE(RecoverAnswering(session).empty());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0]->doc.GetPathName(), front);
    ASSERT_EQ(opened[0]->view->m_nPadCount, 1);
    EXPECT_EQ(opened[0]->view->m_pPads[0].y, 20.25f);
    EXPECT_EQ(opened[0]->doc.GetOtherSide(), nullptr);
    EXPECT_TRUE(opened[0]->view->ProjectPath().empty());
    EXPECT_FALSE(fs::exists(session.FilesOf(*opened[0]->view)->project)) << "no side, no project file";
}

// The side alone changing is autosaved; a side taken away takes its file.
TEST_F(RecoverySidesTest, ChangesOfTheSideAreAutosavedAndARemovedSideTakesItsFile) {
    RecoverySession session(scripted, directory, CurrentProcessId());
    SideWindow w(front);
    session.Watch(*w.view);
    Prepare(w);
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 1);
    const RecoveryFileNames files = *session.FilesOf(*w.view);
    ASSERT_TRUE(fs::exists(files.project));
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 0) << "nothing moved";

    w.doc.GetOtherSide()->pairs.pop_back();
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 1) << "the same board, other pairs";
    std::string text;
    ASSERT_TRUE(ReadWholeFile(files.project, text));
    const ProjectReadResult read = ParseProject(text, files.project);
    ASSERT_TRUE(read.project && read.project->back) << read.error;
    EXPECT_EQ(read.project->back->pairs.size(), pairs.size() - 1);

    services.answers.push_back(IDYES);
    w.view->OnRemoveOtherSide();
    ASSERT_EQ(w.doc.GetOtherSide(), nullptr);
    w.view->ResumeProject({}, {});
    scripted.FireTimers();
    EXPECT_EQ(scripted.RunQueuedJobs(), 1);
    EXPECT_FALSE(fs::exists(files.project));
    ASSERT_TRUE(ReadWholeFile(files.manifest, text));
    EXPECT_EQ(text.find("project"), std::string::npos) << text;
}
