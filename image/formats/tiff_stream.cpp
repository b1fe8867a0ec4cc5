#include "image/formats/tiff_stream.h"

#include <cstdarg>
#include <sys/types.h>

namespace {
// Whatever a single allocation inside libtiff may take: far more than the
// directories and strip tables of any scan need, far less than a lying
// header could ask for.
constexpr tmsize_t kMaxLibraryAllocation = tmsize_t(256) << 20;
} // namespace

struct TiffStreamIo {
    static TiffStream& Of(thandle_t h) { return *static_cast<TiffStream*>(h); }

    static tmsize_t Read(thandle_t h, void* buffer, tmsize_t size) {
        return static_cast<tmsize_t>(std::fread(buffer, 1, static_cast<size_t>(size), Of(h).m_stream));
    }
    static tmsize_t Write(thandle_t h, void* buffer, tmsize_t size) {
        return static_cast<tmsize_t>(std::fwrite(buffer, 1, static_cast<size_t>(size), Of(h).m_stream));
    }
    static toff_t Seek(thandle_t h, toff_t offset, int whence) {
        TiffStream& s = Of(h);
        off_t target = static_cast<off_t>(offset);
        if (whence == SEEK_SET) {
            if (offset > toff_t(INT64_MAX) - toff_t(s.m_base))
                return toff_t(-1);
            target += s.m_base;
        }
        if (fseeko(s.m_stream, target, whence) != 0)
            return toff_t(-1);
        const off_t at = ftello(s.m_stream);
        return at < s.m_base ? toff_t(-1) : toff_t(at - s.m_base);
    }
    static int Close(thandle_t) { return 0; } // the stream is the caller's
    static toff_t Size(thandle_t h) {
        TiffStream& s = Of(h);
        const off_t at = ftello(s.m_stream);
        if (at < 0 || fseeko(s.m_stream, 0, SEEK_END) != 0)
            return 0;
        const off_t end = ftello(s.m_stream);
        fseeko(s.m_stream, at, SEEK_SET);
        return end < s.m_base ? 0 : toff_t(end - s.m_base);
    }
    static int Map(thandle_t, void**, toff_t*) { return 0; }
    static void Unmap(thandle_t, void*, toff_t) {}
};

TiffStream::TiffStream(std::FILE* stream, const char* mode) : m_stream(stream) {
    const off_t at = ftello(stream);
    m_base = at < 0 ? 0 : at;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) {
        m_error = "out of memory";
        return;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, &TiffStream::OnError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &TiffStream::OnWarning, this);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAllocation);
    m_tiff = TIFFClientOpenExt("", mode, this, TiffStreamIo::Read, TiffStreamIo::Write,
                               TiffStreamIo::Seek, TiffStreamIo::Close, TiffStreamIo::Size,
                               TiffStreamIo::Map, TiffStreamIo::Unmap, options);
    TIFFOpenOptionsFree(options);
}

TiffStream::~TiffStream() {
    if (m_tiff)
        TIFFCleanup(m_tiff);
}

bool TiffStream::Close() {
    if (m_tiff) {
        TIFFClose(m_tiff); // flushes, then calls our Close, which keeps the stream
        m_tiff = nullptr;
    }
    return !m_failed;
}

std::string TiffStream::Error(const char* fallback) const {
    return m_error.empty() ? std::string(fallback) : m_error;
}

int TiffStream::OnError(TIFF*, void* self, const char*, const char* fmt, va_list args) {
    auto& s = *static_cast<TiffStream*>(self);
    s.m_failed = true;
    if (s.m_error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, fmt, args);
        s.m_error = text;
    }
    return 1; // handled: nothing reaches the global handlers
}

int TiffStream::OnWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1; // warnings do not stop a picture from opening
}

std::string TiffCompressionName(unsigned scheme) {
    switch (scheme) {
    case COMPRESSION_NONE: return "none";
    case COMPRESSION_LZW: return "LZW";
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return "deflate";
    case COMPRESSION_PACKBITS: return "PackBits";
    case COMPRESSION_JPEG: return "JPEG";
    case COMPRESSION_OJPEG: return "old-style JPEG";
    case COMPRESSION_CCITTRLE: return "CCITT RLE";
    case COMPRESSION_CCITTFAX3: return "CCITT G3";
    case COMPRESSION_CCITTFAX4: return "CCITT G4";
    case COMPRESSION_LZMA: return "LZMA";
    case COMPRESSION_ZSTD: return "Zstandard";
    case COMPRESSION_WEBP: return "WebP";
    default: return "compression " + std::to_string(scheme);
    }
}
