#include "platform/scripted/failing_save_calls.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

bool FailingSaveCalls::Fails(Kind kind) {
    const int call = ++calls[kind];
    sequence.push_back(kind);
    const Failure& f = m_failures[kind];
    if (f.nth == 0 || call < f.nth)
        return false;
    errno = f.error;
    return true;
}

ssize_t FailingSaveCalls::Write(int fd, const void* data, std::size_t size) {
    return Fails(write) ? -1 : SaveCalls::Write(fd, data, size);
}

int FailingSaveCalls::Fsync(int fd) {
    struct stat st {};
    if (fstat(fd, &st) == 0)
        ++(S_ISDIR(st.st_mode) ? directorySyncs : fileSyncs);
    return Fails(fsync) ? -1 : SaveCalls::Fsync(fd);
}

int FailingSaveCalls::Close(int fd) {
    // The descriptor is closed even when the close reports failure, as
    // close(2) does on Linux.
    const bool fails = Fails(close);
    const int result = SaveCalls::Close(fd);
    if (!fails)
        return result;
    errno = m_failures[close].error;
    return -1;
}

int FailingSaveCalls::Rename(const char* from, const char* to) {
    return Fails(rename) ? -1 : SaveCalls::Rename(from, to);
}
