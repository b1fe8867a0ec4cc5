#include "platform/atomic_file.h"

#include "platform/save_calls.h"
#include "platform/save_paths.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

AtomicFile::~AtomicFile() { Discard(); }

namespace {
constexpr std::string_view kTempPrefix = ".tracevu-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempRandomChars = 6; // mkstemps' XXXXXX

// A reader that goes away while we write must not end the program: the
// write then fails with EPIPE, and the signal it raised is taken back.
class SigpipeHeld {
  public:
    SigpipeHeld() {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe, &m_previous);
    }
    ~SigpipeHeld() {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{};
            sigtimedwait(&pipe, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;

  private:
    sigset_t m_previous{};
    bool m_wasPending = false;
};

ssize_t WriteAll(AtomicFile::Sink& sink, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = CurrentSaveCalls().Write(sink.fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            sink.error = n < 0 ? errno : EIO;
            errno = sink.error;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done); // short tells the stream it failed
}

ssize_t StreamWrite(void* cookie, const char* data, std::size_t size) {
    auto& sink = *static_cast<AtomicFile::Sink*>(cookie);
    if (!sink.special)
        return WriteAll(sink, data, size);
    SigpipeHeld held;
    return WriteAll(sink, data, size);
}

// A new file can be written out of order (a TIFF's directory goes back
// to its header); a pipe or device cannot.
int StreamSeek(void* cookie, off64_t* offset, int whence) {
    auto& sink = *static_cast<AtomicFile::Sink*>(cookie);
    if (sink.special) {
        errno = ESPIPE;
        return -1;
    }
    const off64_t at = lseek64(sink.fd, *offset, whence);
    if (at < 0)
        return -1;
    *offset = at;
    return 0;
}

int StreamClose(void* cookie) {
    auto& sink = *static_cast<AtomicFile::Sink*>(cookie);
    const int fd = sink.fd;
    sink.fd = -1;
    return CurrentSaveCalls().Close(fd);
}

// Keep the permissions an existing file had, or the usual ones for a new file.
void SetPermissions(int fd, const std::string& target) {
    struct stat st {};
    if (stat(target.c_str(), &st) == 0) {
        fchmod(fd, st.st_mode & 07777);
        return;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

// So that the rename survives a power cut. The target is already replaced
// when this runs, so a failure here cannot keep the old file; it is not
// reported as a failed save.
void SyncDirectory(const std::string& directory) {
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    CurrentSaveCalls().Fsync(fd);
    close(fd);
}
} // namespace

bool AtomicFile::IsTemporaryName(const std::string& name, int* ownerPid) {
    std::string_view rest = name;
    if (!rest.starts_with(kTempPrefix) || !rest.ends_with(kTempSuffix))
        return false;
    rest.remove_prefix(kTempPrefix.size());
    rest.remove_suffix(kTempSuffix.size());
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0 || rest.size() - dash - 1 != kTempRandomChars)
        return false;
    int pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + dash, pid);
    if (ec != std::errc() || end != rest.data() + dash || pid <= 0)
        return false;
    if (ownerPid)
        *ownerPid = pid;
    return true;
}

bool AtomicFile::Open(const std::string& target) {
    Discard();
    std::string path;
    if (!ResolveSaveTarget(target, path))
        return false;
    struct stat st {};
    // A directory is left to the rename, which refuses to replace it.
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        bool isRegular = false;
        if (OpenSpecial(path, isRegular))
            return true;
        // Replaced by a regular file since it was looked at: saved as one.
        if (!isRegular || !ResolveSaveTarget(target, path))
            return false;
    }
    return OpenTemporary(path);
}

bool AtomicFile::OpenSpecial(const std::string& path, bool& isRegular) {
    // Without O_NONBLOCK a pipe that nobody reads would wait for ever; with
    // it the open fails with ENXIO.
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    isRegular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (isRegular) {
        close(fd);
        return false;
    }
    // Once a reader is there, writing waits for it as writing to a pipe does.
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    m_sink = Sink{fd, true, 0};
    return AttachStream();
}

bool AtomicFile::OpenTemporary(const std::string& path) {
    // A file we may not write keeps its contents: the rename that replaces
    // it needs only the directory's permission and would get round its own.
    if (access(path.c_str(), W_OK) != 0 && errno != ENOENT)
        return false;
    const std::string directory = DirectoryOf(path);
    RemoveStaleTemporaries(directory);
    // Short, so that a target name of any allowed length can be saved.
    std::string temp = directory + "/" + std::string(kTempPrefix) + std::to_string(getpid()) + "-" +
                       std::string(kTempRandomChars, 'X') + std::string(kTempSuffix);
    const int fd = mkostemps(temp.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
    if (fd < 0)
        return false;
    SetPermissions(fd, path);
    m_target = path;
    m_temp = temp;
    m_sink = Sink{fd, false, 0};
    return AttachStream();
}

bool AtomicFile::AttachStream() {
    const cookie_io_functions_t io{nullptr, StreamWrite, StreamSeek, StreamClose};
    m_fp = fopencookie(&m_sink, "wb", io);
    if (m_fp)
        return true;
    const int err = errno;
    close(m_sink.fd);
    m_sink.fd = -1;
    if (!m_temp.empty())
        unlink(m_temp.c_str());
    m_temp.clear();
    errno = err;
    return false;
}

bool AtomicFile::Commit() {
    if (!m_fp)
        return false;
    std::FILE* fp = m_fp;
    m_fp = nullptr;
    int err = 0;
    const auto failed = [&err](int code) {
        if (err == 0)
            err = code != 0 ? code : EIO;
    };
    if (std::ferror(fp) || std::fflush(fp) != 0)
        failed(m_sink.error != 0 ? m_sink.error : errno);
    // Pipes and devices have nothing to sync.
    else if (!m_sink.special && CurrentSaveCalls().Fsync(m_sink.fd) != 0)
        failed(errno);
    if (std::fclose(fp) != 0)
        failed(errno);
    if (err == 0 && !m_temp.empty()) {
        if (CurrentSaveCalls().Rename(m_temp.c_str(), m_target.c_str()) == 0)
            SyncDirectory(DirectoryOf(m_target));
        else
            failed(errno);
    }
    if (err != 0 && !m_temp.empty())
        unlink(m_temp.c_str());
    m_temp.clear();
    errno = err;
    return err == 0;
}

void AtomicFile::Discard() {
    if (m_fp) {
        std::fclose(m_fp);
        m_fp = nullptr;
    }
    if (!m_temp.empty()) {
        unlink(m_temp.c_str());
        m_temp.clear();
    }
}
