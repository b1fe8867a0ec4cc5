#include "image/formats/jpeg_session.h"

#include <jerror.h>

namespace {

// Progressive files may hold any number of scans; a sane one has a few
// dozen at most, a hostile one thousands that each cost a full pass.
constexpr int kMaxScans = 1000;

JpegSession& SessionOf(j_common_ptr cinfo) {
    return *static_cast<JpegSession*>(cinfo->client_data);
}

[[noreturn]] void Stop(j_common_ptr cinfo) {
    JpegSession& session = SessionOf(cinfo);
    (*cinfo->err->format_message)(cinfo, session.message);
    std::longjmp(session.jump, 1);
}

void OnErrorExit(j_common_ptr cinfo) { Stop(cinfo); }

bool LosesData(int code) {
    return code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE ||
           code == JWRN_ARITH_BAD_CODE || code == JWRN_MUST_RESYNC;
}

void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return; // trace messages
    cinfo->err->num_warnings++;
    if (LosesData(cinfo->err->msg_code))
        Stop(cinfo);
}

void OnOutputMessage(j_common_ptr) {}

void OnProgress(j_common_ptr cinfo) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->is_decompressor && decompress->input_scan_number > kMaxScans) {
        JpegSession& session = SessionOf(cinfo);
        std::snprintf(session.message, sizeof session.message,
                      "more than %d scans in a progressive file", kMaxScans);
        std::longjmp(session.jump, 1);
    }
    JpegSession& session = SessionOf(cinfo);
    if (session.stopRequested && session.stopRequested(session.job)) {
        std::snprintf(session.message, sizeof session.message, "cancelled");
        std::longjmp(session.jump, 1);
    }
}

void CreateStep(JpegSession& s) {
    jpeg_create_decompress(&s.cinfo);
    s.cinfo.client_data = &s; // jpeg_create_decompress keeps err and client_data
    s.cinfo.progress = &s.progress;
    jpeg_stdio_src(&s.cinfo, s.stream);
    jpeg_save_markers(&s.cinfo, JPEG_APP0 + 1, 0xFFFF);
}

} // namespace

bool RunGuarded(JpegSession& session, JpegStep step) {
    if (setjmp(session.jump))
        return false;
    step(session);
    return true;
}

JpegReadSession::JpegReadSession(std::FILE* stream) {
    m_session.stream = stream;
    m_session.cinfo.err = jpeg_std_error(&m_session.errors);
    m_session.errors.error_exit = OnErrorExit;
    m_session.errors.emit_message = OnMessage;
    m_session.errors.output_message = OnOutputMessage;
    m_session.progress.progress_monitor = OnProgress;
    m_session.cinfo.client_data = &m_session;
    m_ok = RunGuarded(m_session, CreateStep);
}

JpegReadSession::~JpegReadSession() { jpeg_destroy_decompress(&m_session.cinfo); }
