// The system calls a save goes through once its file is open. The program
// uses the real ones; a test installs others to make any of them fail.
#pragma once

#include <cstddef>
#include <sys/types.h>

class SaveCalls {
  public:
    virtual ~SaveCalls() = default;
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
};

// The calls in use: the real ones unless a ScopedSaveCalls is alive.
SaveCalls& CurrentSaveCalls();

// Puts `calls` in use for its lifetime.
class ScopedSaveCalls {
  public:
    explicit ScopedSaveCalls(SaveCalls& calls);
    ~ScopedSaveCalls();
    ScopedSaveCalls(const ScopedSaveCalls&) = delete;
    ScopedSaveCalls& operator=(const ScopedSaveCalls&) = delete;

  private:
    SaveCalls* m_previous;
};
