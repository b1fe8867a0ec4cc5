// WebP files through libwebp, lossy and lossless, alpha put over white.
//
// The file is read into memory first (WebP files are compressed and small
// beside the picture). A picture without alpha is decoded as BGR straight
// into the block: libwebp writes top row first into the block's rows in
// memory order, and the rows are then swapped end for end in place, since
// the block keeps its bottom row first. A picture with alpha needs four
// bytes a pixel, so it is decoded into a buffer of its own and then put
// over white into the block.
#include "image/formats/dib_builder.h"
#include "image/formats/image_format.h"

#include <webp/decode.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kHeaderBytes = 64 * 1024;
constexpr std::size_t kFeedBytes = 64 * 1024;

const char* StatusText(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_OK: return "no error";
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_INVALID_PARAM: return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "bitstream error";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported feature";
    case VP8_STATUS_SUSPENDED: return "suspended";
    case VP8_STATUS_USER_ABORT: return "user abort";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "not enough data";
    }
    return "unknown error";
}

DecodeFailure FailureFor(VP8StatusCode status) {
    return status == VP8_STATUS_OUT_OF_MEMORY ? DecodeFailure::NoMemory : DecodeFailure::Corrupt;
}

// Reads up to `limit` bytes (all of them when limit is 0).
DecodeFailure ReadBytes(std::FILE* stream, std::size_t limit, std::vector<BYTE>& bytes,
                        std::string& error) {
    BYTE chunk[64 * 1024];
    while (limit == 0 || bytes.size() < limit) {
        const std::size_t want = limit ? std::min(sizeof chunk, limit - bytes.size()) : sizeof chunk;
        const std::size_t got = std::fread(chunk, 1, want, stream);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < want)
            break;
    }
    if (std::ferror(stream)) {
        error = std::strerror(errno ? errno : EIO);
        return DecodeFailure::ReadError;
    }
    return DecodeFailure::None;
}

DecodeFailure Describe(const std::vector<BYTE>& bytes, ImageHeaderInfo& info,
                       WebPBitstreamFeatures& features, std::string& error) {
    const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
    if (status != VP8_STATUS_OK) {
        error = StatusText(status);
        return FailureFor(status);
    }
    info.format = ImageFormat::WebP;
    info.width = static_cast<std::uint64_t>(features.width);
    info.height = static_cast<std::uint64_t>(features.height);
    info.channels = features.has_alpha ? 4 : 3;
    info.bitsPerSample = 8;
    info.palette = false;
    info.dibBits = 24;
    info.pages = 1;
    info.compression = features.format == 2   ? "lossless WebP"
                       : features.format == 1 ? "lossy WebP"
                                              : "WebP";
    return DibBuilder::CheckSize(info.width, info.height, 24);
}

struct IncrementalDecoder {
    WebPIDecoder* decoder;
    ~IncrementalDecoder() { WebPIDelete(decoder); }
};

// Feeds the file to libwebp a part at a time, reporting the rows done.
VP8StatusCode RunDecoder(const std::vector<BYTE>& bytes, WebPDecBuffer& output,
                         DibBuilder& builder) {
    IncrementalDecoder run{WebPINewDecoder(&output)};
    if (!run.decoder)
        return VP8_STATUS_OUT_OF_MEMORY;
    VP8StatusCode status = VP8_STATUS_NOT_ENOUGH_DATA;
    for (std::size_t fed = 0; fed < bytes.size();) {
        fed = std::min(bytes.size(), fed + kFeedBytes);
        status = WebPIUpdate(run.decoder, bytes.data(), fed);
        if (status != VP8_STATUS_SUSPENDED)
            break;
        int lastY = 0;
        if (WebPIDecodedArea(run.decoder, nullptr, nullptr, nullptr, &lastY) &&
            !builder.ReportProgress(double(lastY) / double(builder.Height())))
            return VP8_STATUS_USER_ABORT;
    }
    if (status == VP8_STATUS_OK)
        builder.ReportProgress(1.0);
    return status == VP8_STATUS_SUSPENDED ? VP8_STATUS_NOT_ENOUGH_DATA : status;
}

// Rows 0..h-1 of the memory area, reversed in place.
void ReverseRows(DibBuilder& builder) {
    const std::uint64_t h = builder.Height();
    std::vector<BYTE> spare(builder.RowBytes());
    for (std::uint64_t y = 0; y < h / 2; ++y) {
        BYTE* a = builder.Row(y);
        BYTE* b = builder.Row(h - 1 - y);
        std::memcpy(spare.data(), a, spare.size());
        std::memcpy(a, b, spare.size());
        std::memcpy(b, spare.data(), spare.size());
    }
}

VP8StatusCode DecodeOpaque(const std::vector<BYTE>& bytes, DibBuilder& builder) {
    const std::uint64_t h = builder.Height();
    WebPDecBuffer output;
    WebPInitDecBuffer(&output);
    output.colorspace = MODE_BGR;
    output.is_external_memory = 1;
    output.u.RGBA.rgba = builder.Row(h - 1); // the lowest address of the rows
    output.u.RGBA.stride = static_cast<int>(builder.RowBytes());
    output.u.RGBA.size = builder.RowBytes() * h;
    const VP8StatusCode status = RunDecoder(bytes, output, builder);
    if (status == VP8_STATUS_OK)
        ReverseRows(builder);
    return status;
}

VP8StatusCode DecodeWithAlpha(const std::vector<BYTE>& bytes, DibBuilder& builder) {
    const std::uint64_t w = builder.Width(), h = builder.Height();
    const std::size_t stride = static_cast<std::size_t>(w) * 4;
    std::unique_ptr<BYTE[]> rgba(new (std::nothrow) BYTE[stride * h]);
    if (!rgba)
        return VP8_STATUS_OUT_OF_MEMORY;
    WebPDecBuffer output;
    WebPInitDecBuffer(&output);
    output.colorspace = MODE_RGBA;
    output.is_external_memory = 1;
    output.u.RGBA.rgba = rgba.get();
    output.u.RGBA.stride = static_cast<int>(stride);
    output.u.RGBA.size = stride * h;
    const VP8StatusCode status = RunDecoder(bytes, output, builder);
    if (status != VP8_STATUS_OK)
        return status;
    for (std::uint64_t y = 0; y < h; ++y)
        pixels::RgbaOverWhiteToBgr(rgba.get() + y * stride, builder.Row(y), w);
    return status;
}

class WebPReader final : public ImageReader {
  public:
    ImageFormat Format() const override { return ImageFormat::WebP; }

    DecodeFailure ReadHeader(std::FILE* stream, ImageHeaderInfo& info,
                             std::string& error) const override {
        std::vector<BYTE> head;
        if (const DecodeFailure read = ReadBytes(stream, kHeaderBytes, head, error);
            read != DecodeFailure::None)
            return read;
        WebPBitstreamFeatures features;
        const DecodeFailure described = Describe(head, info, features, error);
        // The header alone is read: a picture too large to open is still described.
        return described == DecodeFailure::TooLarge ? DecodeFailure::None : described;
    }

    DecodeResult Decode(std::FILE* stream, const DecodeProgress& progress) const override {
        DecodeResult result;
        std::vector<BYTE> bytes;
        result.failure = ReadBytes(stream, kHeaderBytes, bytes, result.error);
        WebPBitstreamFeatures features;
        if (result.failure == DecodeFailure::None)
            result.failure = Describe(bytes, result.info, features, result.error);
        if (result.failure == DecodeFailure::None && bytes.size() == kHeaderBytes)
            result.failure = ReadBytes(stream, 0, bytes, result.error);
        if (result.failure != DecodeFailure::None) {
            if (result.failure == DecodeFailure::ReadError)
                result.osError = errno ? errno : EIO;
            if (result.failure == DecodeFailure::TooLarge)
                result.error = "the picture is too large";
            return result;
        }
        DibBuilder builder;
        builder.SetProgress(&progress);
        result.failure = builder.Create(result.info.width, result.info.height, 24, 0);
        if (result.failure != DecodeFailure::None) {
            result.error = "out of memory";
            return result;
        }
        const VP8StatusCode status =
            features.has_alpha ? DecodeWithAlpha(bytes, builder) : DecodeOpaque(bytes, builder);
        if (builder.Stopped()) {
            result.failure = DecodeFailure::Cancelled;
            return result;
        }
        if (status != VP8_STATUS_OK) {
            result.failure = FailureFor(status);
            result.error = StatusText(status);
            return result;
        }
        result.block = builder.Release();
        return result;
    }
};

} // namespace

const ImageReader& WebPImageReader() {
    static const WebPReader reader;
    return reader;
}
