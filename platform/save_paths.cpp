#include "platform/save_paths.h"

#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kMaxLinkHops = 40; // as the kernel allows
constexpr std::time_t kStaleSeconds = 60;

// The text of a symbolic link; false when it cannot be read.
bool ReadLinkText(const std::string& path, std::string& text) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof buffer)
        return false;
    text.assign(buffer, static_cast<std::size_t>(n));
    return true;
}

bool ProcessIsGone(int pid) {
    return pid > 0 && kill(pid, 0) == -1 && errno == ESRCH;
}
} // namespace

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool ResolveSaveTarget(const std::string& target, std::string& path) {
    path = target;
    struct stat st {};
    // A special file is opened by the name given: the links of /proc/self/fd
    // lead to pipes that have no name of their own.
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return true;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        if (lstat(path.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return false;
            errno = 0;
            return true; // a new file
        }
        std::string link;
        if (!S_ISLNK(st.st_mode))
            return true;
        if (!ReadLinkText(path, link))
            return false;
        path = link.starts_with('/') ? link : DirectoryOf(path) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

void RemoveStaleTemporaries(const std::string& directory) {
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return;
    const int dirFd = dirfd(dir);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        int pid = 0;
        if (!AtomicFile::IsTemporaryName(entry->d_name, &pid))
            continue;
        struct stat st {};
        if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (now - st.st_mtime > kStaleSeconds && ProcessIsGone(pid))
            unlinkat(dirFd, entry->d_name, 0);
    }
    closedir(dir);
}
