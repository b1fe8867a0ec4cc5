// libpng read and write structures with the program's error handling: errors
// are copied into the session's message and jump back to RunGuarded, which
// is the only place a setjmp frame lives; warnings are dropped. A step run
// through RunGuarded must hold no object with a destructor, since a libpng
// error leaves it by longjmp.
#pragma once

#include <png.h>

#include <cstdio>

struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* stream = nullptr;
    void* job = nullptr; // what the step works on
    int osError = 0;     // set when the stream itself failed
    char message[256] = {};
};

using PngStep = void (*)(PngSession& session);

// Runs the step; false when libpng stopped it with an error.
bool RunGuarded(PngSession& session, PngStep step);

// Owns the libpng structures of one read or one write.
class PngReadSession {
  public:
    explicit PngReadSession(std::FILE* stream);
    ~PngReadSession();
    PngReadSession(const PngReadSession&) = delete;
    PngReadSession& operator=(const PngReadSession&) = delete;
    bool Ok() const { return m_session.png && m_session.info; }
    PngSession& operator*() { return m_session; }

  private:
    PngSession m_session;
};

class PngWriteSession {
  public:
    explicit PngWriteSession(std::FILE* stream);
    ~PngWriteSession();
    PngWriteSession(const PngWriteSession&) = delete;
    PngWriteSession& operator=(const PngWriteSession&) = delete;
    bool Ok() const { return m_session.png && m_session.info; }
    PngSession& operator*() { return m_session; }

  private:
    PngSession m_session;
};
