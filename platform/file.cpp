#include "platform/file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

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
            return "An error occurred while accessing " + name + ": " +
                   std::strerror(m_lOsError) + ".";
        return "An unexpected error occurred while accessing " + name + ".";
    }
}

CFile::~CFile() { Abort(); }

bool CFile::Open(const std::string& path, UINT flags, CFileException* error) {
    Abort();
    const char* mode = "rb";
    if (flags & modeCreate)
        mode = (flags & modeReadWrite) ? "w+b" : "wb";
    else if (flags & modeReadWrite)
        mode = "r+b";
    else if (flags & modeWrite)
        mode = "r+b";
    m_fp = std::fopen(path.c_str(), mode);
    if (!m_fp) {
        if (error)
            *error = CFileException(CFileException::CauseFromErrno(errno), errno, path);
        return false;
    }
    struct stat st {};
    if (fstat(fileno(m_fp), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(m_fp);
        m_fp = nullptr;
        if (error)
            *error = CFileException(CFileException::badPath, EISDIR, path);
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
