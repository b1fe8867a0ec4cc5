// Save calls for tests: each kind of call can be made to fail from its nth
// use on, with the errno given. The calls are recorded in their order, and
// the fsyncs counted by what they sync.
#pragma once

#include "platform/save_calls.h"

#include <vector>

class FailingSaveCalls : public SaveCalls {
  public:
    enum Kind { write, fsync, close, rename, kKinds };

    // Calls of `kind` fail from the `nth` (1-based) on, with `error`.
    void FailFrom(Kind kind, int nth, int error) { m_failures[kind] = {nth, error}; }

    ssize_t Write(int fd, const void* data, std::size_t size) override;
    int Fsync(int fd) override;
    int Close(int fd) override;
    int Rename(const char* from, const char* to) override;

    int calls[kKinds] = {};
    std::vector<Kind> sequence;
    int fileSyncs = 0;
    int directorySyncs = 0;

  private:
    // True (with errno set) when this call of `kind` is to fail.
    bool Fails(Kind kind);

    struct Failure {
        int nth = 0; // 0: never
        int error = 0;
    };
    Failure m_failures[kKinds];
};
