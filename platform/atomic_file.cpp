#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

AtomicFile::~AtomicFile() { Discard(); }

namespace {
// A link is followed, so that saving replaces the file it points to rather
// than the link itself; a dangling link or a new file keeps the name given.
std::string ResolvedTarget(const std::string& target) {
    char* real = realpath(target.c_str(), nullptr);
    if (!real)
        return target;
    std::string resolved = real;
    std::free(real);
    return resolved;
}
} // namespace

bool AtomicFile::Open(const std::string& target) {
    Discard();
    m_target = ResolvedTarget(target);
    // A file we may not write keeps its contents: the rename that replaces
    // it needs only the directory's permission and would get round its own.
    if (access(m_target.c_str(), W_OK) != 0 && errno != ENOENT)
        return false;
    m_temp = m_target + ".XXXXXX";
    const int fd = mkstemp(m_temp.data());
    if (fd < 0) {
        m_temp.clear();
        return false;
    }
    // Keep the permissions an existing file had, or the usual ones for a new file.
    struct stat st {};
    if (stat(m_target.c_str(), &st) == 0)
        fchmod(fd, st.st_mode & 07777);
    else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    m_fp = fdopen(fd, "wb");
    if (!m_fp) {
        const int err = errno;
        close(fd);
        unlink(m_temp.c_str());
        m_temp.clear();
        errno = err;
        return false;
    }
    return true;
}

bool AtomicFile::Commit() {
    if (!m_fp)
        return false;
    std::FILE* fp = m_fp;
    m_fp = nullptr;
    bool ok = !std::ferror(fp) && std::fflush(fp) == 0 && fsync(fileno(fp)) == 0;
    ok = (std::fclose(fp) == 0) && ok;
    if (ok)
        ok = std::rename(m_temp.c_str(), m_target.c_str()) == 0;
    if (!ok) {
        const int err = errno;
        unlink(m_temp.c_str());
        errno = err;
    }
    m_temp.clear();
    return ok;
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
