// Netpbm files, plain (P1 to P3) and raw (P4 to P6): the first picture of
// the file. Bitmaps stay 1-bit (1 is black), grey maps become 8-bit grey,
// pixel maps 24-bit; samples of any maxval are scaled to 0..255 as image
// programs scale them.
#include "image/formats/dib_builder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;
// Comments and blanks the header may hold before it is taken for garbage.
constexpr std::size_t kMaxHeaderBytes = 1 << 20;
constexpr std::uint64_t kMaxNumber = std::uint64_t(1) << 40; // saturates above
constexpr unsigned kMaxMaxval = 65535;
constexpr const char* kTruncated = "file ends before the picture does";

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Buffered reading of the stream, so that the plain formats' characters and
// the header cost no call each.
class Input {
  public:
    explicit Input(std::FILE* stream) : m_stream(stream), m_buffer(kBufferBytes) {}

    // The next byte, or -1 at the end of the file (or on a read error).
    int Get() {
        if (m_at == m_end && !Fill())
            return -1;
        return m_buffer[m_at++];
    }
    // Puts back the byte Get just returned (one, from the buffer).
    void Unget() {
        if (m_at > 0)
            --m_at;
    }
    // Reads n bytes; false when the file ends first.
    bool Read(BYTE* into, std::size_t n) {
        const std::size_t buffered = std::min(n, m_end - m_at);
        std::memcpy(into, m_buffer.data() + m_at, buffered);
        m_at += buffered;
        n -= buffered;
        return n == 0 || std::fread(into + buffered, 1, n, m_stream) == n;
    }
    bool Failed() const { return std::ferror(m_stream) != 0; }
    // Bytes left to read; none known when the stream cannot tell.
    std::optional<std::uint64_t> Left() {
        const off_t at = ftello(m_stream);
        if (at < 0 || fseeko(m_stream, 0, SEEK_END) != 0)
            return std::nullopt;
        const off_t end = ftello(m_stream);
        if (fseeko(m_stream, at, SEEK_SET) != 0 || end < at)
            return std::nullopt;
        return std::uint64_t(end - at) + (m_end - m_at);
    }

  private:
    bool Fill() {
        m_at = 0;
        m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_stream);
        return m_end > 0;
    }
    std::FILE* m_stream;
    std::vector<BYTE> m_buffer;
    std::size_t m_at = 0, m_end = 0;
};

struct Header {
    int kind = 0; // 1 to 6, from the magic number
    std::uint64_t width = 0, height = 0;
    unsigned maxval = 1;
    bool Plain() const { return kind <= 3; }
    bool Bitmap() const { return kind == 1 || kind == 4; }
    bool Colour() const { return kind == 3 || kind == 6; }
    int Channels() const { return Colour() ? 3 : 1; }
    int DibBits() const { return Bitmap() ? 1 : Colour() ? 24 : 8; }
};

// Reads the header's numbers and everything between them.
class HeaderParser {
  public:
    explicit HeaderParser(Input& in) : m_in(in) {}

    // The next decimal number, after blanks and comments; false, with the
    // reason in error, when something else comes or the file ends.
    bool Number(const char* what, std::uint64_t& value, std::string& error) {
        int c = SkipBlanks();
        if (c < 0) {
            error = std::string("file ends before the ") + what;
            return false;
        }
        if (c < '0' || c > '9') {
            error = std::string("the ") + what + " is not a number";
            return false;
        }
        value = 0;
        for (; c >= '0' && c <= '9'; c = m_in.Get())
            value = std::min(kMaxNumber, value * 10 + unsigned(c - '0'));
        m_last = c;
        if (c == '#') // a comment right after the number
            m_in.Unget();
        return true;
    }
    // The blank that ends the header of a raw file; the pixels follow it.
    bool EndsWithOneBlank() const { return IsBlank(m_last); }

  private:
    int SkipBlanks() {
        for (std::size_t n = 0; n < kMaxHeaderBytes; ++n) {
            const int c = m_in.Get();
            if (c == '#') {
                for (int d = m_in.Get(); d >= 0 && d != '\n' && d != '\r'; d = m_in.Get())
                    if (++n >= kMaxHeaderBytes)
                        return -1;
            } else if (!IsBlank(c)) {
                return c;
            }
        }
        return -1;
    }
    Input& m_in;
    int m_last = -1;
};

DecodeFailure ParseHeader(Input& in, Header& header, ImageHeaderInfo& info, std::string& error) {
    info.format = ImageFormat::Pnm;
    const int p = in.Get(), digit = in.Get();
    if (p != 'P' || digit < '1' || digit > '6') {
        error = "not a PNM file (no P1 to P6 at its start)";
        return DecodeFailure::Corrupt;
    }
    header.kind = digit - '0';
    HeaderParser parser(in);
    std::uint64_t maxval = 1;
    if (!parser.Number("width", header.width, error) || !parser.Number("height", header.height, error) ||
        (!header.Bitmap() && !parser.Number("maxval", maxval, error)))
        return in.Failed() ? (error = std::strerror(errno), DecodeFailure::ReadError)
                           : DecodeFailure::Corrupt;
    if (!header.Plain() && !parser.EndsWithOneBlank()) {
        error = "no blank after the header";
        return DecodeFailure::Corrupt;
    }
    info.width = header.width;
    info.height = header.height;
    info.channels = header.Channels();
    info.bitsPerSample = header.Bitmap() ? 1 : maxval > 255 ? 16 : 8;
    info.dibBits = header.DibBits();
    info.compression = header.Plain() ? "plain" : "none";
    if (header.width == 0 || header.height == 0) {
        error = header.width == 0 ? "the width is 0" : "the height is 0";
        return DecodeFailure::Corrupt;
    }
    if (maxval == 0 || maxval > kMaxMaxval) {
        error = "maxval " + std::to_string(maxval) + " is outside 1 to 65535";
        return DecodeFailure::Corrupt;
    }
    header.maxval = static_cast<unsigned>(maxval);
    const DecodeFailure size = DibBuilder::CheckSize(header.width, header.height, header.DibBits());
    if (size == DecodeFailure::TooLarge)
        error = "the picture is too large (" + std::to_string(header.width) + " x " +
                std::to_string(header.height) + " pixels)";
    return size;
}

// A sample of 0..maxval in 8 bits: rounded to a 16-bit quantum first, then
// brought to 8 bits as 16-bit samples are (what image programs show for
// these files).
std::vector<BYTE> ScaleTable(unsigned maxval) {
    std::vector<BYTE> table(maxval + 1);
    for (std::uint64_t v = 0; v <= maxval; ++v) {
        const std::uint64_t quantum = (v * 65535 * 2 + maxval) / (2 * maxval);
        table[v] = pixels::From16(static_cast<unsigned>(quantum >> 8),
                                  static_cast<unsigned>(quantum & 0xFF));
    }
    return table;
}

class RasterReader {
  public:
    RasterReader(Input& in, const Header& header)
        : m_in(in), m_header(header), m_scale(ScaleTable(header.maxval)) {}

    // Row y into the DIB row; false with error when the file ends or holds
    // something else.
    bool Row(BYTE* out, std::string& error) {
        const std::uint64_t width = m_header.width;
        if (m_header.kind == 4) {
            if (!m_in.Read(out, (width + 7) / 8))
                return Fail(error);
            return true;
        }
        const std::size_t samples = std::size_t(width) * m_header.Channels();
        if (m_header.kind == 1)
            return PlainBits(out, error);
        if (m_header.Plain()) {
            m_samples.resize(samples);
            for (std::size_t i = 0; i < samples; ++i)
                if (!PlainSample(m_samples[i], error))
                    return false;
        } else if (m_header.maxval == 255) {
            if (!m_header.Colour())
                return m_in.Read(out, samples) || Fail(error);
            m_raw.resize(samples);
            if (!m_in.Read(m_raw.data(), samples))
                return Fail(error);
            pixels::RgbToBgr(m_raw.data(), out, width);
            return true;
        } else {
            const std::size_t bytes = samples * (m_header.maxval > 255 ? 2 : 1);
            m_raw.resize(bytes);
            if (!m_in.Read(m_raw.data(), bytes))
                return Fail(error);
            m_samples.resize(samples);
            const unsigned max = m_header.maxval;
            if (max > 255) {
                for (std::size_t i = 0; i < samples; ++i)
                    m_samples[i] = std::min(max, unsigned(m_raw[2 * i]) << 8 | m_raw[2 * i + 1]);
            } else {
                for (std::size_t i = 0; i < samples; ++i)
                    m_samples[i] = std::min<unsigned>(max, m_raw[i]);
            }
        }
        Store(out, samples);
        return true;
    }

  private:
    void Store(BYTE* out, std::size_t samples) {
        if (m_header.Colour()) {
            for (std::size_t i = 0; i < samples; i += 3, out += 3) {
                out[0] = m_scale[m_samples[i + 2]];
                out[1] = m_scale[m_samples[i + 1]];
                out[2] = m_scale[m_samples[i]];
            }
        } else {
            for (std::size_t i = 0; i < samples; ++i)
                out[i] = m_scale[m_samples[i]];
        }
    }

    int NextSignificant() {
        int c = m_in.Get();
        while (c >= 0 && (IsBlank(c) || c == '#')) {
            if (c == '#')
                while (c >= 0 && c != '\n' && c != '\r')
                    c = m_in.Get();
            c = m_in.Get();
        }
        return c;
    }

    // Plain bitmaps: each '0' or '1' is a pixel, blanks between optional.
    bool PlainBits(BYTE* out, std::string& error) {
        for (std::uint64_t x = 0; x < m_header.width; ++x) {
            const int c = NextSignificant();
            if (c != '0' && c != '1')
                return c < 0 ? Fail(error) : Garbage(error);
            if (c == '1')
                out[x / 8] |= BYTE(0x80u >> (x % 8));
        }
        return true;
    }

    // Samples above maxval are taken as maxval.
    bool PlainSample(unsigned& sample, std::string& error) {
        int c = NextSignificant();
        if (c < '0' || c > '9')
            return c < 0 ? Fail(error) : Garbage(error);
        std::uint64_t v = 0;
        for (; c >= '0' && c <= '9'; c = m_in.Get())
            v = std::min<std::uint64_t>(m_header.maxval, v * 10 + unsigned(c - '0'));
        if (c == '#')
            m_in.Unget(); // a comment right after the sample
        else if (c >= 0 && !IsBlank(c))
            return Garbage(error);
        sample = static_cast<unsigned>(v);
        return true;
    }

    bool Fail(std::string& error) {
        error = m_in.Failed() ? std::strerror(errno) : kTruncated;
        return false;
    }
    bool Garbage(std::string& error) {
        error = "a sample is not a number";
        return false;
    }

    Input& m_in;
    const Header& m_header;
    std::vector<BYTE> m_scale;
    std::vector<BYTE> m_raw;
    std::vector<unsigned> m_samples;
};

// Raw samples take their bytes; plain ones a digit each at least, and
// but for a bitmap's a blank each too (the last may be missing).
std::uint64_t LeastRasterBytes(const Header& header) {
    const std::uint64_t pixels = header.width * header.height;
    if (header.kind == 4)
        return (header.width + 7) / 8 * header.height;
    if (header.kind == 1)
        return pixels;
    const std::uint64_t samples = pixels * header.Channels();
    if (header.Plain())
        return samples * 2 - 1;
    return samples * (header.maxval > 255 ? 2 : 1);
}

class PnmReader final : public ImageReader {
  public:
    ImageFormat Format() const override { return ImageFormat::Pnm; }

    DecodeFailure ReadHeader(std::FILE* stream, ImageHeaderInfo& info,
                             std::string& error) const override {
        Input in(stream);
        Header header;
        return ParseHeader(in, header, info, error);
    }

    DecodeResult Decode(std::FILE* stream, const DecodeProgress& progress) const override {
        DecodeResult result;
        Input in(stream);
        Header header;
        result.failure = ParseHeader(in, header, result.info, result.error);
        if (result.failure != DecodeFailure::None)
            return result;
        // The least the pixels can take: a block of gigabytes is not
        // allocated for a file of a few bytes.
        if (const auto left = in.Left(); left && *left < LeastRasterBytes(header)) {
            result.failure = DecodeFailure::Corrupt;
            result.error = kTruncated;
            return result;
        }
        DibBuilder builder;
        builder.SetProgress(&progress);
        result.failure = builder.Create(header.width, header.height, header.DibBits(),
                                        header.Colour() ? 0 : header.Bitmap() ? 2 : 256);
        if (result.failure != DecodeFailure::None) {
            result.error = "not enough memory for the picture";
            return result;
        }
        builder.SetGreyPalette(header.Bitmap()); // a bitmap's 1 is black
        RasterReader raster(in, header);
        for (std::uint64_t y = 0; y < header.height; ++y) {
            if (!raster.Row(builder.Row(y), result.error)) {
                result.failure = in.Failed() ? DecodeFailure::ReadError : DecodeFailure::Corrupt;
                result.osError = in.Failed() ? errno : 0;
                return result;
            }
            if (!builder.ReportProgress(double(y + 1) / header.height)) {
                result.failure = DecodeFailure::Cancelled;
                return result;
            }
        }
        result.block = builder.Release();
        return result;
    }
};

} // namespace

const ImageReader& PnmImageReader() {
    static const PnmReader reader;
    return reader;
}
