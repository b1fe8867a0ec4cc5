// Autosave and recovery through the document template: the windows' views
// are watched from their creation, a close removes their files, and
// start-up offers what a killed instance left.
#include "board/dib_view.h"
#include "exchange/recovery_board.h"
#include "exchange/recovery_files.h"
#include "exchange/recovery_manifest.h"
#include "exchange/text_lines.h"
#include "platform/scripted/scripted_session.h"
#include "shell_fixture.h"

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {
class RecoveryShellTest : public ShellTest {
  protected:
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        if (std::filesystem::exists(recovery))
            for (const auto& entry : std::filesystem::directory_iterator(recovery))
                names.push_back(entry.path().filename().string());
        return names;
    }

    const std::string state =
        (std::filesystem::current_path() /
         ("state-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
            .string();
    const std::string recovery = state + "/recovery";
    ScriptedSession session{state};
};

int EndedProcessId() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return static_cast<int>(child);
}
} // namespace

TEST_F(RecoveryShellTest, AClosedWindowLeavesNoRecoveryFiles) {
    std::filesystem::remove_all(state);
    ASSERT_TRUE(Start());
    CDibView* view = Children().at(0)->View();
    session.FireTimers();
    session.RunQueuedJobs();
    EXPECT_TRUE(Files().empty()) << "nothing to autosave yet";

    ASSERT_TRUE(view->AppendPad(10, 20));
    session.FireTimers();
    session.RunQueuedJobs();
    const std::string pid = std::to_string(getpid());
    EXPECT_EQ(Files().size(), 2u);
    for (const std::string& name : Files())
        EXPECT_EQ(name.rfind(pid + "-", 0), 0u) << name;

    // "Do you save your change?" answered No: a clean close.
    services.answers.push_back(IDNO);
    Children().at(0)->close();
    session.RunQueuedJobs();
    EXPECT_TRUE(Files().empty());
}

TEST_F(RecoveryShellTest, StartUpReopensTheImageWithTheLostBoard) {
    std::filesystem::remove_all(state);
    ASSERT_TRUE(std::filesystem::create_directories(recovery));
    const std::string image = (std::filesystem::path(state) / "scan.bmp").string();
    std::filesystem::copy_file(TRACEVU_SOURCE_DIR "/res/sample-scan.bmp", image);
    BoardData board{{{10.5f, 20.25f}, {30, 40}}, {{1, 2, 3.75f, 4, 12}}};
    RecoveryManifest manifest;
    manifest.imagePath = image;
    manifest.revision = 5;
    manifest.pads = 2;
    manifest.tracks = 1;
    const RecoveryFileNames files = RecoveryFilesOf(recovery, EndedProcessId(), 1);
    ASSERT_TRUE(WriteWholeFile(files.board, *FormatRecoveryBoard(SpanOf(board), 1, 5)));
    ASSERT_TRUE(WriteWholeFile(files.manifest, FormatRecoveryManifest(manifest)));

    services.answers.push_back(IDYES);
    ASSERT_TRUE(Start());
    // The recovered scan takes the place of the empty start window.
    ASSERT_EQ(Children().size(), 1u);
    CChildFrame* recovered = Children().at(0);
    EXPECT_EQ(recovered->windowTitle(), "scan.bmp[*]");
    EXPECT_TRUE(recovered->isWindowModified());
    const CDibView& view = *recovered->View();
    ASSERT_EQ(view.m_nPadCount, 2);
    EXPECT_EQ(view.m_pPads[0].y, 20.25f);
    EXPECT_EQ(view.m_pTracks[0].x2, 3.75f);
    EXPECT_TRUE(view.IsBoardModified());
    session.RunQueuedJobs();
    EXPECT_FALSE(std::filesystem::exists(files.manifest));
    // Autosaved anew, under this process.
    ASSERT_EQ(Files().size(), 2u);
    for (const std::string& name : Files())
        EXPECT_EQ(name.rfind(std::to_string(getpid()) + "-", 0), 0u) << name;
}
