#include "image/formats/png_session.h"

#include <cerrno>
#include <csetjmp>
#include <cstring>

namespace {

PngSession& SessionOf(png_structp png) {
    return *static_cast<PngSession*>(png_get_error_ptr(png));
}

void CopyMessage(PngSession& session, const char* text) {
    std::snprintf(session.message, sizeof session.message, "%s", text ? text : "libpng error");
}

void OnError(png_structp png, png_const_charp text) {
    CopyMessage(SessionOf(png), text);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep data, std::size_t length) {
    PngSession& session = SessionOf(png);
    if (std::fread(data, 1, length, session.stream) == length)
        return;
    if (std::ferror(session.stream)) {
        session.osError = errno ? errno : EIO;
        png_error(png, "read error");
    }
    png_error(png, "file ends before the picture does");
}

void WriteData(png_structp png, png_bytep data, std::size_t length) {
    PngSession& session = SessionOf(png);
    if (std::fwrite(data, 1, length, session.stream) == length)
        return;
    session.osError = errno ? errno : EIO;
    png_error(png, std::strerror(session.osError));
}

void FlushData(png_structp png) {
    PngSession& session = SessionOf(png);
    if (std::fflush(session.stream) != 0) {
        session.osError = errno ? errno : EIO;
        png_error(png, std::strerror(session.osError));
    }
}

} // namespace

bool RunGuarded(PngSession& session, PngStep step) {
    if (setjmp(png_jmpbuf(session.png)))
        return false;
    step(session);
    return true;
}

PngReadSession::PngReadSession(std::FILE* stream) {
    m_session.stream = stream;
    m_session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &m_session, OnError, OnWarning);
    if (!m_session.png)
        return;
    m_session.info = png_create_info_struct(m_session.png);
    png_set_read_fn(m_session.png, &m_session, ReadData);
    // The program's own limits decide what is too large, not libpng's.
    png_set_user_limits(m_session.png, 0x7FFFFFFF, 0x7FFFFFFF);
}

PngReadSession::~PngReadSession() {
    if (m_session.png)
        png_destroy_read_struct(&m_session.png, m_session.info ? &m_session.info : nullptr,
                                nullptr);
}

PngWriteSession::PngWriteSession(std::FILE* stream) {
    m_session.stream = stream;
    m_session.png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &m_session, OnError, OnWarning);
    if (!m_session.png)
        return;
    m_session.info = png_create_info_struct(m_session.png);
    png_set_write_fn(m_session.png, &m_session, WriteData, FlushData);
}

PngWriteSession::~PngWriteSession() {
    if (m_session.png)
        png_destroy_write_struct(&m_session.png, m_session.info ? &m_session.info : nullptr);
}
