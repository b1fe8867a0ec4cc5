#include "platform/save_calls.h"

#include <cstdio>
#include <unistd.h>

namespace {
SaveCalls g_systemCalls;
SaveCalls* g_current = &g_systemCalls;
} // namespace

ssize_t SaveCalls::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

int SaveCalls::Fsync(int fd) {
    return ::fsync(fd);
}

int SaveCalls::Close(int fd) {
    return ::close(fd);
}

int SaveCalls::Rename(const char* from, const char* to) {
    return std::rename(from, to);
}

SaveCalls& CurrentSaveCalls() {
    return *g_current;
}

ScopedSaveCalls::ScopedSaveCalls(SaveCalls& calls) : m_previous(g_current) {
    g_current = &calls;
}

ScopedSaveCalls::~ScopedSaveCalls() {
    g_current = m_previous;
}
