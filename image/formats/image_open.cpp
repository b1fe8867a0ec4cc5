#include "image/formats/image_open.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f)
            std::fclose(f);
    }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

bool IsSeekable(std::FILE* stream) {
    return std::ftell(stream) >= 0 && std::fseek(stream, 0, SEEK_CUR) == 0;
}

// A seekable copy of what is left in the stream; null with errno set when
// it cannot be made.
OwnedFile SeekableCopy(std::FILE* stream) {
    OwnedFile copy(std::tmpfile());
    if (!copy)
        return nullptr;
    char buffer[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, stream);
        if (n > 0 && std::fwrite(buffer, 1, n, copy.get()) != n)
            return nullptr;
        if (n < sizeof buffer) {
            if (std::ferror(stream))
                return nullptr;
            break;
        }
    }
    if (std::fflush(copy.get()) != 0 || std::fseek(copy.get(), 0, SEEK_SET) != 0)
        return nullptr;
    return copy;
}

// The stream to read from: the stream itself, or a seekable copy of it.
std::FILE* Seekable(std::FILE* stream, OwnedFile& copy, int& osError) {
    if (IsSeekable(stream))
        return stream;
    copy = SeekableCopy(stream);
    if (!copy)
        osError = errno ? errno : EIO;
    return copy.get();
}

} // namespace

DecodeResult DecodeImageStream(std::FILE* stream, const DecodeProgress& progress) {
    DecodeResult result;
    OwnedFile copy;
    std::FILE* in = Seekable(stream, copy, result.osError);
    if (!in) {
        result.failure = DecodeFailure::ReadError;
        result.error = std::strerror(result.osError);
        return result;
    }
    const long start = std::ftell(in);
    const ImageFormat format = DetectImageFormat(in);
    const ImageReader* reader = FindImageReader(format);
    if (!reader) {
        result.failure = std::ferror(in) ? DecodeFailure::ReadError : DecodeFailure::Corrupt;
        result.osError = std::ferror(in) ? errno : 0;
        result.error = "not a picture of a known kind";
        return result;
    }
    std::fseek(in, start, SEEK_SET);
    // A stop asked for at the very end still gives Cancelled.
    bool stopped = false;
    DecodeProgress watched;
    if (progress)
        watched = [&](double done) {
            stopped = stopped || !progress(done);
            return !stopped;
        };
    result = reader->Decode(in, watched);
    result.info.format = format;
    if (stopped)
        result.failure = DecodeFailure::Cancelled;
    if (result.failure != DecodeFailure::None && result.block) {
        GlobalFree(result.block);
        result.block = nullptr;
    }
    return result;
}

DecodeFailure ReadImageStreamHeader(std::FILE* stream, ImageHeaderInfo& info,
                                    std::string& error) {
    OwnedFile copy;
    int osError = 0;
    std::FILE* in = Seekable(stream, copy, osError);
    if (!in) {
        error = std::strerror(osError);
        return DecodeFailure::ReadError;
    }
    const long start = std::ftell(in);
    const ImageFormat format = DetectImageFormat(in);
    const ImageReader* reader = FindImageReader(format);
    if (!reader) {
        error = "not a picture of a known kind";
        return DecodeFailure::Corrupt;
    }
    std::fseek(in, start, SEEK_SET);
    const DecodeFailure failure = reader->ReadHeader(in, info, error);
    info.format = format;
    return failure;
}
