// JPEG files through libjpeg, baseline and progressive, shown the way their
// EXIF orientation says. Grey becomes 8-bit grey; colour comes out of
// libjpeg as BGR straight into the block's rows; CMYK and YCCK become
// 24-bit (Adobe files store the inks inverted, as Photoshop writes them).
// Turned and mirrored pictures get each decoded line written into its place
// in the block of the turned size, a few lines at a time.
//
// The header's width and height are those of the picture as shown, after
// the orientation.
#include "image/formats/dib_builder.h"
#include "image/formats/image_format.h"
#include "image/formats/jpeg_exif.h"
#include "image/formats/jpeg_session.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr double kCentimetresPerInch = 2.54;
constexpr int kBatchLines = 16;

enum class JpegPixels { Grey, Bgr, Cmyk, InvertedCmyk };

struct JpegPlan {
    JpegPixels pixels = JpegPixels::Bgr;
    J_COLOR_SPACE outSpace = JCS_EXT_BGR;
    int components = 3; // per decoded pixel
    int dibBits = 24;
    int orientation = 1;
};

struct JpegDecodeJob {
    JpegPlan plan;
    DibBuilder* builder = nullptr;
    BYTE* scratch = nullptr; // kBatchLines decoded lines
    std::size_t scratchLine = 0;
};

bool Turned(int orientation) { return orientation >= 5; }
bool Direct(const JpegPlan& plan) {
    return plan.orientation <= 4 && (plan.pixels == JpegPixels::Grey || plan.pixels == JpegPixels::Bgr);
}

void ReadHeaderStep(JpegSession& s) { jpeg_read_header(&s.cinfo, TRUE); }

JpegPlan PlanFor(const jpeg_decompress_struct& cinfo, int orientation) {
    JpegPlan plan;
    plan.orientation = orientation;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        plan.pixels = JpegPixels::Grey;
        plan.outSpace = JCS_GRAYSCALE;
        plan.components = 1;
        plan.dibBits = 8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        plan.pixels = cinfo.saw_Adobe_marker ? JpegPixels::InvertedCmyk : JpegPixels::Cmyk;
        plan.outSpace = JCS_CMYK;
        plan.components = 4;
        break;
    default: break;
    }
    return plan;
}

ExifFacts ExifOf(const jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1)
            continue;
        const ExifFacts facts = ReadExifFacts(m->data, m->data_length);
        if (m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return facts;
    }
    return {};
}

void FillInfo(const jpeg_decompress_struct& cinfo, const JpegPlan& plan, const ExifFacts& exif,
              ImageHeaderInfo& info) {
    info.format = ImageFormat::Jpeg;
    const bool turned = Turned(plan.orientation);
    info.width = turned ? cinfo.image_height : cinfo.image_width;
    info.height = turned ? cinfo.image_width : cinfo.image_height;
    info.channels = cinfo.num_components;
    info.bitsPerSample = cinfo.data_precision;
    info.palette = false;
    info.dibBits = plan.dibBits;
    info.pages = 1;
    info.compression = cinfo.progressive_mode ? "progressive JPEG" : "baseline JPEG";
    const bool jfif = cinfo.saw_JFIF_marker && cinfo.X_density > 0 && cinfo.Y_density > 0 &&
                      (cinfo.density_unit == 1 || cinfo.density_unit == 2);
    const double scale = cinfo.density_unit == 2 ? kCentimetresPerInch : 1.0;
    // The stored picture's axes; a turned picture swaps them.
    const double x = jfif ? cinfo.X_density * scale : exif.xDpi;
    const double y = jfif ? cinfo.Y_density * scale : exif.yDpi;
    info.xDpi = turned ? y : x;
    info.yDpi = turned ? x : y;
}

DecodeFailure FailureOf(JpegSession& session, std::string& error, int& osError) {
    error = session.message;
    if (std::ferror(session.stream)) {
        osError = errno ? errno : EIO;
        return DecodeFailure::ReadError;
    }
    return DecodeFailure::Corrupt;
}

// Where source pixel (x, y) of a w x h decoded picture is shown.
struct Spot {
    std::uint64_t x, y;
};
Spot Place(int orientation, std::uint64_t x, std::uint64_t y, std::uint64_t w,
           std::uint64_t h) {
    switch (orientation) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 4: return {x, h - 1 - y};
    case 5: return {y, x};
    case 6: return {h - 1 - y, x};
    case 7: return {h - 1 - y, w - 1 - x};
    case 8: return {y, w - 1 - x};
    default: return {x, y};
    }
}

BYTE Ink(unsigned colorant, unsigned black) {
    return static_cast<BYTE>((colorant * black + 127) / 255);
}

// One decoded pixel into the block.
void PutPixel(const JpegPixels kind, const BYTE* in, BYTE* out) {
    switch (kind) {
    case JpegPixels::Grey: out[0] = in[0]; return;
    case JpegPixels::Bgr: std::memcpy(out, in, 3); return;
    case JpegPixels::InvertedCmyk:
        out[0] = Ink(in[2], in[3]);
        out[1] = Ink(in[1], in[3]);
        out[2] = Ink(in[0], in[3]);
        return;
    case JpegPixels::Cmyk:
        out[0] = Ink(255u - in[2], 255u - in[3]);
        out[1] = Ink(255u - in[1], 255u - in[3]);
        out[2] = Ink(255u - in[0], 255u - in[3]);
        return;
    }
}

void Mirror(BYTE* row, std::uint64_t width, int bytes) {
    for (std::uint64_t a = 0, b = width - 1; a < b; ++a, --b)
        std::swap_ranges(row + a * bytes, row + (a + 1) * bytes, row + b * bytes);
}

// A line decoded straight into its row of the block.
void ReadDirectLine(JpegSession& s, JpegDecodeJob& job) {
    const int o = job.plan.orientation;
    const JDIMENSION y = s.cinfo.output_scanline;
    const std::uint64_t w = s.cinfo.output_width, h = s.cinfo.output_height;
    JSAMPROW row = job.builder->Row(o == 3 || o == 4 ? h - 1 - y : y);
    jpeg_read_scanlines(&s.cinfo, &row, 1);
    if (o == 2 || o == 3)
        Mirror(row, w, job.plan.components);
}

// A few lines decoded into the scratch lines, then each pixel put where it
// is shown: a column at a time, so that turned pictures write runs of
// neighbouring pixels.
[[noreturn]] void Fail(JpegSession& s, const char* text);

void ReadPlacedLines(JpegSession& s, JpegDecodeJob& job) {
    const JDIMENSION first = s.cinfo.output_scanline;
    const std::uint64_t w = s.cinfo.output_width, h = s.cinfo.output_height;
    JSAMPROW rows[kBatchLines];
    const JDIMENSION wanted = std::min<JDIMENSION>(kBatchLines, s.cinfo.output_height - first);
    for (JDIMENSION i = 0; i < wanted; ++i)
        rows[i] = job.scratch + i * job.scratchLine;
    const JDIMENSION got = jpeg_read_scanlines(&s.cinfo, rows, wanted);
    if (got == 0)
        Fail(s, "no scan lines came out of the decompressor");
    const int in = job.plan.components, out = job.plan.dibBits / 8;
    for (std::uint64_t x = 0; x < w; ++x) {
        for (JDIMENSION i = 0; i < got; ++i) {
            const Spot spot = Place(job.plan.orientation, x, first + i, w, h);
            PutPixel(job.plan.pixels, rows[i] + x * in, job.builder->Row(spot.y) + spot.x * out);
        }
    }
}

[[noreturn]] void Fail(JpegSession& s, const char* text) {
    std::snprintf(s.message, sizeof s.message, "%s", text);
    std::longjmp(s.jump, 1);
}

void DecodeStep(JpegSession& s) {
    auto& job = *static_cast<JpegDecodeJob*>(s.job);
    s.cinfo.out_color_space = job.plan.outSpace;
    jpeg_start_decompress(&s.cinfo);
    const bool turned = Turned(job.plan.orientation);
    const std::uint64_t shownWidth = turned ? s.cinfo.output_height : s.cinfo.output_width;
    const std::uint64_t shownHeight = turned ? s.cinfo.output_width : s.cinfo.output_height;
    if (shownWidth != job.builder->Width() || shownHeight != job.builder->Height() ||
        s.cinfo.output_components != job.plan.components)
        Fail(s, "unexpected picture layout after decompression started");
    const bool direct = Direct(job.plan);
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        if (direct)
            ReadDirectLine(s, job);
        else
            ReadPlacedLines(s, job);
        if (!job.builder->ReportProgress(double(s.cinfo.output_scanline) / s.cinfo.output_height))
            return;
    }
}

DecodeFailure ReadHeaderInto(JpegSession& session, JpegPlan& plan, ImageHeaderInfo& info,
                             std::string& error, int& osError) {
    if (!RunGuarded(session, ReadHeaderStep))
        return FailureOf(session, error, osError);
    const ExifFacts exif = ExifOf(session.cinfo);
    plan = PlanFor(session.cinfo, exif.orientation);
    FillInfo(session.cinfo, plan, exif, info);
    return DecodeFailure::None;
}

class JpegReader final : public ImageReader {
  public:
    ImageFormat Format() const override { return ImageFormat::Jpeg; }

    DecodeFailure ReadHeader(std::FILE* stream, ImageHeaderInfo& info,
                             std::string& error) const override {
        JpegReadSession session(stream);
        int osError = 0;
        if (!session.Ok())
            return FailureOf(*session, error, osError);
        JpegPlan plan;
        return ReadHeaderInto(*session, plan, info, error, osError);
    }

    DecodeResult Decode(std::FILE* stream, const DecodeProgress& progress) const override {
        DecodeResult result;
        JpegReadSession session(stream);
        if (!session.Ok()) {
            result.failure = FailureOf(*session, result.error, result.osError);
            return result;
        }
        JpegDecodeJob job;
        result.failure = ReadHeaderInto(*session, job.plan, result.info, result.error,
                                        result.osError);
        if (result.failure != DecodeFailure::None)
            return result;
        DibBuilder builder;
        builder.SetProgress(&progress);
        result.failure = builder.Create(result.info.width, result.info.height,
                                        job.plan.dibBits, job.plan.dibBits == 8 ? 256 : 0);
        if (result.failure != DecodeFailure::None) {
            result.error = result.failure == DecodeFailure::TooLarge ? "the picture is too large"
                                                                     : "out of memory";
            return result;
        }
        if (job.plan.dibBits == 8)
            builder.SetGreyPalette();
        std::vector<BYTE> scratch;
        if (!Direct(job.plan)) {
            job.scratchLine = std::size_t((*session).cinfo.image_width) * job.plan.components;
            scratch.resize(job.scratchLine * kBatchLines);
            job.scratch = scratch.data();
        }
        job.builder = &builder;
        (*session).job = &job;
        (*session).stopRequested = [](void* j) {
            return static_cast<JpegDecodeJob*>(j)->builder->PollStop();
        };
        const bool decoded = RunGuarded(*session, DecodeStep);
        if (builder.Stopped()) {
            result.failure = DecodeFailure::Cancelled;
            return result;
        }
        if (!decoded) {
            result.failure = FailureOf(*session, result.error, result.osError);
            return result;
        }
        result.block = builder.Release();
        return result;
    }
};

} // namespace

const ImageReader& JpegImageReader() {
    static const JpegReader reader;
    return reader;
}
