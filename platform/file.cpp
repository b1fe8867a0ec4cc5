#include "platform/file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* OpenForReading(const std::string& path, int& osError, SpecialFiles special) {
    if (special == SpecialFiles::Read) {
        std::FILE* fp = std::fopen(path.c_str(), "rb");
        if (!fp)
            osError = errno;
        return fp;
    }
    // O_NONBLOCK keeps a pipe without a writer from holding the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        osError = errno;
        return nullptr;
    }
    struct stat st {};
    int err = 0;
    if (fstat(fd, &st) != 0)
        err = errno;
    else if (!S_ISREG(st.st_mode))
        err = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
    else if (const int flags = fcntl(fd, F_GETFL);
             flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        err = errno;
    std::FILE* fp = err ? nullptr : fdopen(fd, "rb");
    if (!fp) {
        osError = err ? err : errno;
        ::close(fd);
    }
    return fp;
}

CFileException::Cause CFileException::CauseFromErrno(int err) {
    switch (err) {
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EISDIR:
        return badPath;
    case EACCES:
    case EPERM:
    case EROFS:
        return accessDenied;
    case ENOSPC:
    case EDQUOT:
        return diskFull;
    case EIO:
        return hardIO;
    default:
        return generic;
    }
}

std::string CFileException::Describe() const {
    const std::string name = m_strFileName.empty() ? std::string("the file") : m_strFileName;
    switch (m_cause) {
    case fileNotFound:
        return name + " was not found.";
    case badPath:
        return "All or part of the path " + name + " is invalid.";
    case accessDenied:
        return name + " cannot be accessed.";
    case sharingViolation:
        return "A sharing violation occurred while accessing " + name + ".";
    case diskFull:
        return "There is not enough space on the disk for " + name + ".";
    case endOfFile:
        return "An attempt was made to access " + name + " past its end.";
    case hardIO:
        return "A hardware I/O error was reported while accessing " + name + ".";
    default:
        if (m_lOsError)
            return "An error occurred while accessing " + name + ": " + std::strerror(m_lOsError) +
                   ".";
        return "An unexpected error occurred while accessing " + name + ".";
    }
}

CFile::~CFile() {
    Abort();
}

bool CFile::Open(const std::string& path, UINT flags, CFileException* error) {
    Abort();
    const char* mode = "rb";
    if (flags & modeCreate)
        mode = (flags & modeReadWrite) ? "w+b" : "wb";
    else if (flags & modeReadWrite)
        mode = "r+b";
    else if (flags & modeWrite)
        mode = "r+b";
    const bool readOnly = !(flags & (modeCreate | modeReadWrite | modeWrite));
    int err = 0;
    if (readOnly) {
        m_fp = OpenForReading(
            path, err, (flags & modeReadSpecial) ? SpecialFiles::Read : SpecialFiles::Refuse);
    } else {
        m_fp = std::fopen(path.c_str(), mode);
        err = errno;
    }
    struct stat st {};
    if (m_fp && fstat(fileno(m_fp), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(m_fp);
        m_fp = nullptr;
        err = EISDIR;
    }
    if (!m_fp) {
        // A pipe, device or socket is refused as one that cannot be accessed.
        const CFileException::Cause cause = err == ENXIO && readOnly
                                                ? CFileException::accessDenied
                                                : CFileException::CauseFromErrno(err);
        if (error)
            *error = CFileException(cause, err, path);
        return false;
    }
    m_path = path;
    return true;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!m_fp)
        throw CFileException(CFileException::generic, EBADF, m_path);
    const size_t got = std::fread(buffer, 1, count, m_fp);
    if (got < count && std::ferror(m_fp))
        throw CFileException(CFileException::CauseFromErrno(errno), errno, m_path);
    return static_cast<UINT>(got);
}

void CFile::Write(const void* buffer, UINT count) {
    if (!m_fp)
        throw CFileException(CFileException::generic, EBADF, m_path);
    if (std::fwrite(buffer, 1, count, m_fp) != count)
        throw CFileException(CFileException::CauseFromErrno(errno), errno, m_path);
}

unsigned long long CFile::GetLength() const {
    struct stat st {};
    if (!m_fp || fstat(fileno(m_fp), &st) != 0)
        return 0;
    return static_cast<unsigned long long>(st.st_size);
}

void CFile::Close() {
    if (!m_fp)
        return;
    std::FILE* fp = m_fp;
    m_fp = nullptr;
    const bool flushed = std::fflush(fp) == 0;
    const int err = errno;
    const bool closed = std::fclose(fp) == 0;
    if (!flushed || !closed)
        throw CFileException(CFileException::CauseFromErrno(err), err, m_path);
}

void CFile::Abort() {
    if (m_fp)
        std::fclose(m_fp);
    m_fp = nullptr;
}

void CFile::Attach(std::FILE* stream, std::string path) {
    Abort();
    m_fp = stream;
    m_path = std::move(path);
}

std::FILE* CFile::Detach() {
    std::FILE* stream = m_fp;
    m_fp = nullptr;
    return stream;
}
