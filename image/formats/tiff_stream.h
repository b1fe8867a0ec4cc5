// A libtiff handle over the caller's stream. libtiff reads and writes
// through the stream's own calls and never closes it; its error and warning
// messages are kept per handle instead of going to stderr, so that two
// pictures opened at once on different threads never mix their messages.
#pragma once

#include <tiffio.h>

#include <cstdio>
#include <string>

class TiffStream {
  public:
    // mode is libtiff's: "r", "w", "w8" (BigTIFF). The stream is at the
    // file's start; offsets in the file count from there.
    TiffStream(std::FILE* stream, const char* mode);
    ~TiffStream();
    TiffStream(const TiffStream&) = delete;
    TiffStream& operator=(const TiffStream&) = delete;

    // Null when libtiff refused to open the file; Error() says why.
    TIFF* Handle() const { return m_tiff; }
    // The first error libtiff reported, or fallback when it reported none.
    std::string Error(const char* fallback) const;
    // Closes the handle (for writing: flushes the last directory). False
    // when libtiff reported an error by then.
    bool Close();

  private:
    static int OnError(TIFF*, void* self, const char* module, const char* fmt, va_list args);
    static int OnWarning(TIFF*, void* self, const char* module, const char* fmt, va_list args);

    std::FILE* m_stream;
    long long m_base = 0;
    TIFF* m_tiff = nullptr;
    std::string m_error;
    bool m_failed = false;

    friend struct TiffStreamIo;
};

// The name a report gives a TIFF compression scheme: "none", "LZW",
// "deflate", "PackBits", "JPEG", "CCITT G3", "CCITT G4", ...
std::string TiffCompressionName(unsigned scheme);
