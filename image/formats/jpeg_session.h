// A libjpeg decompressor with the program's error handling: a fatal error,
// and a warning that means lost picture data (the file cut short, damaged
// entropy-coded data), is formatted into the session's message and jumps
// back to RunGuarded, the only place a setjmp frame lives. Other warnings
// are dropped; nothing is printed. A step run through RunGuarded must hold
// no object with a destructor.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegSession {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    std::FILE* stream = nullptr;
    void* job = nullptr; // what the step works on
    // Asked while libjpeg reads a progressive file's scans; true stops it.
    bool (*stopRequested)(void* job) = nullptr;
    char message[JMSG_LENGTH_MAX] = {};
};

using JpegStep = void (*)(JpegSession& session);

// Runs the step; false when libjpeg stopped it.
bool RunGuarded(JpegSession& session, JpegStep step);

// Owns the decompressor: created reading the stream, with the APP1 markers
// (EXIF) kept, and destroyed with the session.
class JpegReadSession {
  public:
    explicit JpegReadSession(std::FILE* stream);
    ~JpegReadSession();
    JpegReadSession(const JpegReadSession&) = delete;
    JpegReadSession& operator=(const JpegReadSession&) = delete;
    // False when the decompressor could not be made; the message says why.
    bool Ok() const { return m_ok; }
    JpegSession& operator*() { return m_session; }

  private:
    JpegSession m_session;
    bool m_ok = false;
};
