// BMP files through the program's own reader, with the resolution their
// information header states.
#include "image/formats/image_format.h"

#include "platform/dib_types.h"

#include <cstring>

namespace {

constexpr double kInchesPerMetre = 0.0254;

// The header fields a report needs, from the first bytes of the file.
DecodeFailure ParseHeader(const BYTE* p, std::size_t n, ImageHeaderInfo& info,
                          std::string& error) {
    auto u32 = [p](std::size_t at) {
        DWORD v;
        std::memcpy(&v, p + at, 4);
        return v;
    };
    auto u16 = [p](std::size_t at) { return static_cast<WORD>(p[at] | p[at + 1] << 8); };
    if (n < 14 + 12 || p[0] != 'B' || p[1] != 'M') {
        error = "not a BMP file";
        return DecodeFailure::Corrupt;
    }
    info.format = ImageFormat::Bmp;
    const DWORD size = u32(14);
    if (size == sizeof(BITMAPCOREHEADER)) {
        info.width = u16(18);
        info.height = u16(20);
        info.dibBits = u16(24);
    } else if (size >= sizeof(BITMAPINFOHEADER) && n >= 14 + sizeof(BITMAPINFOHEADER)) {
        info.width = u32(18);
        info.height = u32(22);
        info.dibBits = u16(28);
        const auto xPels = static_cast<LONG>(u32(38));
        const auto yPels = static_cast<LONG>(u32(42));
        if (xPels > 0 && yPels > 0) {
            info.xDpi = xPels * kInchesPerMetre;
            info.yDpi = yPels * kInchesPerMetre;
        }
    } else {
        error = "unknown BMP header";
        return DecodeFailure::Corrupt;
    }
    info.channels = info.dibBits <= 8 ? 1 : 3;
    info.bitsPerSample = info.dibBits <= 8 ? info.dibBits : 8;
    info.palette = info.dibBits <= 8;
    return DecodeFailure::None;
}

class BmpReader final : public ImageReader {
  public:
    ImageFormat Format() const override { return ImageFormat::Bmp; }

    DecodeFailure ReadHeader(std::FILE* stream, ImageHeaderInfo& info,
                             std::string& error) const override {
        BYTE head[14 + sizeof(BITMAPINFOHEADER)] = {};
        const std::size_t n = std::fread(head, 1, sizeof head, stream);
        if (n < sizeof head && std::ferror(stream)) {
            error = std::strerror(errno);
            return DecodeFailure::ReadError;
        }
        return ParseHeader(head, n, info, error);
    }

    DecodeResult Decode(std::FILE* stream, const DecodeProgress& progress) const override {
        DecodeResult result;
        const long start = std::ftell(stream);
        if (ReadHeader(stream, result.info, result.error) == DecodeFailure::ReadError) {
            result.failure = DecodeFailure::ReadError;
            result.osError = errno;
            return result;
        }
        result.error.clear();
        // A pipe cannot go back; its header then comes again from the block.
        const bool rewound = start >= 0 && std::fseek(stream, start, SEEK_SET) == 0;
        CFile file;
        file.Attach(stream, "");
        bool stopped = false;
        const auto goOn = [&](double done) {
            stopped = !progress(done);
            return !stopped;
        };
        try {
            result.block = !rewound    ? nullptr
                           : progress ? DibReadFile(file, goOn)
                                      : DibReadFile(file);
        } catch (const CFileException& e) {
            file.Detach();
            result.failure = DecodeFailure::ReadError;
            result.osError = e.m_lOsError;
            return result;
        }
        file.Detach();
        if (stopped) {
            if (result.block)
                GlobalFree(result.block);
            result.block = nullptr;
            result.failure = DecodeFailure::Cancelled;
        } else if (!result.block) {
            result.failure = DecodeFailure::Corrupt;
        }
        return result;
    }
};

} // namespace

const ImageReader& BmpImageReader() {
    static const BmpReader reader;
    return reader;
}
