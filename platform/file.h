// A binary file object with the failure model the documents rely on: open
// reports failure through a CFileException record, read and write errors
// are thrown as CFileException.
#pragma once

#include "platform/types.h"

#include <cstdio>
#include <string>

// Whether a reader takes a pipe, device or socket as well as a regular file.
// The program's own windows refuse them, since a pipe without a writer would
// block it for ever; the command line reads process substitutions on purpose.
enum class SpecialFiles { Refuse, Read };

// Opens path for reading in binary mode. With SpecialFiles::Refuse the open
// never waits, and anything that is not a regular file is refused with
// osError EISDIR (a directory) or ENXIO (anything else).
std::FILE* OpenForReading(const std::string& path, int& osError,
                          SpecialFiles special = SpecialFiles::Refuse);

class CFileException {
  public:
    enum Cause { none, generic, fileNotFound, badPath, accessDenied, sharingViolation,
                 diskFull, endOfFile, hardIO };
    CFileException() = default;
    CFileException(Cause cause, int osError, std::string fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}
    static Cause CauseFromErrno(int err);
    // A sentence describing the failure, for message boxes.
    std::string Describe() const;

    Cause m_cause = none;
    int m_lOsError = 0;
    std::string m_strFileName;
};

class CFile {
  public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        // Reading also takes a pipe, device or socket (see SpecialFiles).
        modeReadSpecial = 0x0100,
        modeCreate = 0x1000,
        typeBinary = 0x8000,
    };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool Open(const std::string& path, UINT flags, CFileException* error = nullptr);
    // Number of bytes read; short only at the end of the file. Throws on error.
    UINT Read(void* buffer, UINT count);
    // Writes all bytes or throws.
    void Write(const void* buffer, UINT count);
    unsigned long long GetLength() const;
    // Flushes and closes; throws when buffered data cannot be written.
    void Close();
    // Closes without reporting anything.
    void Abort();
    bool IsOpen() const { return m_fp != nullptr; }
    const std::string& GetFilePath() const { return m_path; }
    // The open stream, for readers that work on one; null when closed.
    std::FILE* Stream() const { return m_fp; }
    // Works on a stream opened elsewhere; Detach gives it back unclosed.
    void Attach(std::FILE* stream, std::string path);
    std::FILE* Detach();

  private:
    std::FILE* m_fp = nullptr;
    std::string m_path;
};
