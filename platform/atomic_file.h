// Saving without ever destroying the file that was there: the data go to a
// temporary file beside the target, which replaces the target only when every
// byte was written and flushed to disk. A target that exists and is not a
// regular file (a pipe, a device, a terminal) is written into directly.
#pragma once

#include <cstdio>
#include <string>

class AtomicFile {
  public:
    AtomicFile() = default;
    ~AtomicFile(); // discards the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file, or opens a special file for writing; false
    // (with errno set) when it cannot, when the target exists and may not be
    // written, or when it is a pipe that nobody reads (ENXIO).
    bool Open(const std::string& target);
    // The stream to write to while open. Text written here keeps its bytes
    // as given: write "\r\n" for the files' line ends.
    std::FILE* Stream() const { return m_fp; }
    // Flushes, syncs and renames over the target. False (with errno set) when
    // anything failed; the target is then untouched and the temporary file
    // removed.
    bool Commit();
    // Drops the temporary file; the target is untouched.
    void Discard();

    // Temporary files are named ".tracevu-PID-XXXXXX.tmp" after the process
    // that writes them.
    static bool IsTemporaryName(const std::string& name, int* ownerPid = nullptr);

    // What the stream writes to; public for the stream's callbacks only.
    struct Sink {
        int fd = -1;
        bool special = false; // a pipe or device rather than a new file
        int error = 0;        // errno of the first failed write
    };

  private:
    bool OpenSpecial(const std::string& path, bool& isRegular);
    bool OpenTemporary(const std::string& path);
    bool AttachStream();

    std::string m_target;
    std::string m_temp;
    std::FILE* m_fp = nullptr;
    Sink m_sink;
};
