// Saving through AtomicFile: special files and links, long names, the
// temporary files a killed save leaves, and failures of each system call.
#include "exchange/scratch_dir.h"
#include "platform/atomic_file.h"
#include "platform/save_calls.h"
#include "platform/scripted/failing_save_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool Save(const std::string& path, const std::string& text) {
    AtomicFile file;
    if (!file.Open(path))
        return false;
    std::fputs(text.c_str(), file.Stream());
    return file.Commit();
}

std::vector<std::string> Names(const std::string& directory = ".") {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadPipe(int fd) {
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string Temporary(int pid, const char* random = "a1B2c3") {
    return ".tracevu-" + std::to_string(pid) + "-" + random + ".tmp";
}

void Age(const std::string& path, int seconds) {
    const timespec times[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// The id of a process that has ended.
int DeadPid() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

class AtomicSave : public ::testing::Test {
  protected:
    ScratchDir dir;
};
} // namespace

TEST_F(AtomicSave, AFifoWithAReaderGetsTheDataAndStaysAFifo) {
    ASSERT_EQ(mkfifo("p.pcb", 0600), 0);
    const int reader = open("p.pcb", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(Save("p.pcb", "PCB FILE 4\r\n"));
    EXPECT_EQ(ReadPipe(reader), "PCB FILE 4\r\n");
    close(reader);
    EXPECT_TRUE(fs::is_fifo("p.pcb"));
    EXPECT_EQ(Names(), std::vector<std::string>{"p.pcb"});
}

TEST_F(AtomicSave, AFifoThatNobodyReadsFailsAtOnceInsteadOfWaiting) {
    ASSERT_EQ(mkfifo("p.pcb", 0600), 0);
    AtomicFile file;
    errno = 0;
    EXPECT_FALSE(file.Open("p.pcb"));
    EXPECT_EQ(errno, ENXIO);
    EXPECT_TRUE(fs::is_fifo("p.pcb"));
    EXPECT_EQ(Names(), std::vector<std::string>{"p.pcb"});
}

TEST_F(AtomicSave, ALinkToADeviceWritesIntoTheDevice) {
    fs::create_symlink("/dev/null", "null.dpb");
    EXPECT_TRUE(Save("null.dpb", "FP\r\n"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_symlink("null.dpb"));
    EXPECT_EQ(Names(), std::vector<std::string>{"null.dpb"});
}

TEST_F(AtomicSave, ADescriptorLinkAsDevStdoutReachesThePipe) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    fs::create_symlink("/proc/self/fd/" + std::to_string(ends[1]), "out.pcb");
    EXPECT_TRUE(Save("out.pcb", "ENDPCB\r\n"));
    EXPECT_EQ(ReadPipe(ends[0]), "ENDPCB\r\n");
    EXPECT_TRUE(fs::is_symlink("out.pcb"));
    close(ends[0]);
    close(ends[1]);
}

TEST_F(AtomicSave, AReaderThatGoesAwayFailsTheSaveWithoutKillingTheProgram) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const std::string path = "/proc/self/fd/" + std::to_string(ends[1]);
    AtomicFile file;
    ASSERT_TRUE(file.Open(path));
    close(ends[0]);
    close(ends[1]);
    std::fputs("FP\r\n", file.Stream());
    errno = 0;
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(errno, EPIPE);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0) << "no signal is left waiting";
}

TEST_F(AtomicSave, ADanglingLinkGetsTheFileItNamesThroughAChain) {
    fs::create_directories("a");
    fs::create_directories("b");
    // Each link's text is read from the link's own directory.
    fs::create_symlink("../b/middle", "a/first.dpb");
    fs::create_symlink("end.dpb", "b/middle");
    EXPECT_TRUE(Save("a/first.dpb", "FP\r\n1 2\r\n"));
    EXPECT_TRUE(fs::is_symlink("a/first.dpb"));
    EXPECT_TRUE(fs::is_symlink("b/middle"));
    EXPECT_EQ(Slurp("b/end.dpb"), "FP\r\n1 2\r\n");
    EXPECT_EQ(Names("b"), (std::vector<std::string>{"end.dpb", "middle"}));
}

TEST_F(AtomicSave, ALinkLoopIsRefused) {
    fs::create_symlink("two", "one");
    fs::create_symlink("one", "two");
    AtomicFile file;
    EXPECT_FALSE(file.Open("one"));
    EXPECT_EQ(errno, ELOOP);
    EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two"}));
}

TEST_F(AtomicSave, NamesOfTheLongestAllowedLengthAreSavedNewAndOver) {
    for (std::size_t length : {249u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".dpb";
        EXPECT_TRUE(Save(name, "first")) << length;
        EXPECT_TRUE(Save(name, "second")) << length;
        EXPECT_EQ(Slurp(name), "second");
    }
    EXPECT_EQ(Names().size(), 2u) << "no temporary file stays";
}

TEST_F(AtomicSave, TheTemporaryFileIsNamedAfterThisProcess) {
    AtomicFile file;
    ASSERT_TRUE(file.Open("board.dpb"));
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 1u);
    int pid = 0;
    EXPECT_TRUE(AtomicFile::IsTemporaryName(names[0], &pid)) << names[0];
    EXPECT_EQ(pid, getpid());
    EXPECT_LE(names[0].size(), 30u);
    file.Discard();
    EXPECT_TRUE(Names().empty());
}

TEST_F(AtomicSave, TemporaryNamesAreRecognisedExactly) {
    EXPECT_TRUE(AtomicFile::IsTemporaryName(".tracevu-42-abcdef.tmp"));
    for (const char* other :
         {".tracevu--abcdef.tmp", ".tracevu-42-abcde.tmp", ".tracevu-x2-abcdef.tmp",
          ".tracevu-0-abcdef.tmp", "tracevu-42-abcdef.tmp", ".tracevu-42-abcdef.tm",
          ".tracevu-99999999999-abcdef.tmp", "board.dpb.Xa3k9Q"})
        EXPECT_FALSE(AtomicFile::IsTemporaryName(other)) << other;
}

TEST_F(AtomicSave, ASaveRemovesOnlyOldTemporaryFilesOfEndedProcesses) {
    const int dead = DeadPid();
    const std::string stale = Temporary(dead);
    const std::string fresh = Temporary(dead, "fresh1");
    const std::string live = Temporary(getppid());
    const std::string other = "notes.tmp";
    for (const std::string& name : {stale, fresh, live, other})
        Put(name, "left over");
    Age(stale, 61 + 60);
    Age(live, 3600);
    Age(other, 3600);
    EXPECT_TRUE(Save("board.dpb", "FP\r\n"));
    std::vector<std::string> kept{fresh, live, "board.dpb", other};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(Names(), kept);
}

namespace {
// Ends the process at the moment the data would be synced.
class KilledAtFsync : public SaveCalls {
  public:
    int Fsync(int) override {
        raise(SIGKILL);
        return -1;
    }
};
} // namespace

TEST_F(AtomicSave, ASaveKilledMidwayKeepsTheFileAndItsLitterIsClearedLater) {
    Put("board.dpb", "FP\r\n1 2\r\n");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        KilledAtFsync killer;
        ScopedSaveCalls calls(killer);
        Save("board.dpb", std::string(100000, 'x'));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(Slurp("board.dpb"), "FP\r\n1 2\r\n");
    std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 2u);
    const std::string litter = names[0] == "board.dpb" ? names[1] : names[0];
    int owner = 0;
    ASSERT_TRUE(AtomicFile::IsTemporaryName(litter, &owner)) << litter;
    EXPECT_EQ(owner, child);

    EXPECT_TRUE(Save("other.dpb", "FP\r\n"));
    EXPECT_EQ(Names().size(), 3u) << "litter under a minute old may be a save in progress";
    Age(litter, 120);
    EXPECT_TRUE(Save("other.dpb", "FP\r\n"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"board.dpb", "other.dpb"}));
}

TEST_F(AtomicSave, EachFailingCallKeepsTheOldFileAndSaysWhy) {
    struct Case {
        FailingSaveCalls::Kind kind;
        int error;
    };
    for (const Case c :
         {Case{FailingSaveCalls::write, ENOSPC}, Case{FailingSaveCalls::fsync, EIO},
          Case{FailingSaveCalls::close, EIO}, Case{FailingSaveCalls::rename, EXDEV}}) {
        Put("board.dpb", "old");
        FailingSaveCalls calls;
        calls.FailFrom(c.kind, 1, c.error);
        ScopedSaveCalls scope(calls);
        errno = 0;
        EXPECT_FALSE(Save("board.dpb", "new")) << c.kind;
        EXPECT_EQ(errno, c.error) << c.kind;
        EXPECT_EQ(Slurp("board.dpb"), "old") << c.kind;
        EXPECT_EQ(Names(), std::vector<std::string>{"board.dpb"}) << c.kind;
    }
}

TEST_F(AtomicSave, AWriteFailingPartWayThroughFailsTheSave) {
    Put("board.dpb", "old");
    FailingSaveCalls calls;
    calls.FailFrom(FailingSaveCalls::write, 3, ENOSPC);
    ScopedSaveCalls scope(calls);
    AtomicFile file;
    ASSERT_TRUE(file.Open("board.dpb"));
    const std::string chunk(1000, 'x');
    for (int i = 0; i < 100; ++i) // later chunks go on failing, as on a full disk
        std::fputs(chunk.c_str(), file.Stream());
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_GE(calls.calls[FailingSaveCalls::write], 3);
    EXPECT_TRUE(Slurp("board.dpb") == "old");
}

TEST_F(AtomicSave, TheFileAndThenItsDirectoryAreSynced) {
    FailingSaveCalls calls;
    ScopedSaveCalls scope(calls);
    EXPECT_TRUE(Save("board.dpb", "new"));
    // Every byte reaches the file before it is synced, and the rename is
    // synced with the directory.
    using K = FailingSaveCalls::Kind;
    EXPECT_EQ(calls.sequence, (std::vector<K>{K::write, K::fsync, K::close, K::rename, K::fsync}));
    EXPECT_EQ(calls.fileSyncs, 1);
    EXPECT_EQ(calls.directorySyncs, 1);
    EXPECT_EQ(Slurp("board.dpb"), "new");
}
