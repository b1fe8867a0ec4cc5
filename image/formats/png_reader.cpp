// PNG files through libpng, decoded straight into the block's rows (Adam7
// passes too: libpng merges each pass into the rows it is given).
//
// What each kind becomes: 1-bit grey and 1-bit palette pictures stay 1-bit;
// 2- to 16-bit grey becomes 8-bit grey; palette pictures stay 8-bit palette
// pictures, their tRNS alpha put over white in the colour table; RGB becomes
// 24-bit. Alpha channels, and tRNS colours of 16-bit grey and of RGB, are
// put over white by libpng, without gamma correction (the file's gAMA would
// otherwise make libpng composite in linear light). 16-bit samples become
// 8 bits as ImageMagick's -depth 8 makes them, v / 257 rounded down, which
// neither png_set_strip_16 (v >> 8) nor png_set_scale_16 (rounded) does.
#include "image/formats/dib_builder.h"
#include "image/formats/image_format.h"
#include "image/formats/png_session.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr double kInchesPerMetre = 0.0254;

// How the file's rows become the block's rows.
struct PngPlan {
    int dibBits = 0;
    int colors = 0;
    bool expandGrey = false; // 2- and 4-bit grey to 8 bits
    bool packIndexes = false; // 2- and 4-bit indexes to one byte each
    bool to8Bits = false;    // 16-bit samples to 8 bits
    bool overWhite = false;  // alpha or a tRNS colour composited by libpng
    bool bgr = false;
};

struct PngDecodeJob {
    PngPlan plan;
    DibBuilder* builder = nullptr;
};

void ReadInfoStep(PngSession& s) { png_read_info(s.png, s.info); }

PngPlan PlanFor(png_structp png, png_infop info) {
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    PngPlan plan;
    plan.to8Bits = depth == 16;
    switch (type) {
    case PNG_COLOR_TYPE_GRAY:
        plan.dibBits = depth == 1 ? 1 : 8;
        plan.colors = depth == 1 ? 2 : 256;
        plan.expandGrey = depth == 2 || depth == 4;
        // Below 16 bits the transparent level is painted white in the table.
        plan.overWhite = trns && depth == 16;
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        plan.dibBits = 8;
        plan.colors = 256;
        plan.overWhite = true;
        break;
    case PNG_COLOR_TYPE_PALETTE:
        plan.dibBits = depth == 1 ? 1 : 8;
        plan.colors = depth == 1 ? 2 : 256;
        plan.packIndexes = depth == 2 || depth == 4;
        break;
    default: // RGB and RGBA
        plan.dibBits = 24;
        plan.bgr = true;
        plan.overWhite = trns || (type & PNG_COLOR_MASK_ALPHA) != 0;
        break;
    }
    return plan;
}

void FillInfo(png_structp png, png_infop info, const PngPlan& plan, ImageHeaderInfo& out) {
    out.format = ImageFormat::Png;
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.channels = png_get_channels(png, info);
    out.bitsPerSample = png_get_bit_depth(png, info);
    out.palette = png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE;
    out.dibBits = plan.dibBits;
    out.pages = 1;
    out.compression = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7
                          ? "deflate, Adam7 interlaced"
                          : "deflate";
    png_uint_32 xPpm = 0, yPpm = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &xPpm, &yPpm, &unit) && unit == PNG_RESOLUTION_METER &&
        xPpm > 0 && yPpm > 0) {
        out.xDpi = xPpm * kInchesPerMetre;
        out.yDpi = yPpm * kInchesPerMetre;
    }
}

// Reads up to the first image data and describes the picture.
DecodeFailure ReadInfo(PngSession& session, PngPlan& plan, ImageHeaderInfo& info,
                       std::string& error) {
    if (!RunGuarded(session, ReadInfoStep)) {
        error = session.message;
        return session.osError ? DecodeFailure::ReadError : DecodeFailure::Corrupt;
    }
    plan = PlanFor(session.png, session.info);
    FillInfo(session.png, session.info, plan, info);
    return DecodeFailure::None;
}

// The colour table of a grey or palette picture, transparent entries put
// over white.
void SetColorTable(png_structp png, png_infop info, DibBuilder& builder) {
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p transparent = nullptr;
    const bool trns = png_get_tRNS(png, info, &alpha, &alphaCount, &transparent) != 0;
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &palette, &count);
        for (int i = 0; i < count; ++i) {
            const BYTE a = trns && alpha && i < alphaCount ? alpha[i] : 255;
            builder.SetColor(i, pixels::OverWhite(palette[i].red, a),
                             pixels::OverWhite(palette[i].green, a),
                             pixels::OverWhite(palette[i].blue, a));
        }
        return;
    }
    builder.SetGreyPalette();
    if (type != PNG_COLOR_TYPE_GRAY || depth == 16 || !trns || !transparent)
        return;
    const unsigned max = (1u << depth) - 1;
    if (transparent->gray > max)
        return;
    const int level = depth == 1 ? transparent->gray : transparent->gray * 255 / max;
    builder.SetColor(level, 255, 255, 255);
}

// libpng's last transformation, on each row of a 16-bit picture (each
// pass's row when interlaced, before it is merged into the block's row).
void SamplesTo8Bits(png_structp, png_row_infop row, png_bytep data) {
    if (row->bit_depth != 16)
        return;
    const std::size_t samples = std::size_t(row->width) * row->channels;
    for (std::size_t i = 0; i < samples; ++i)
        data[i] = static_cast<png_byte>((data[2 * i] << 8 | data[2 * i + 1]) / 257);
    row->bit_depth = 8;
    row->pixel_depth = static_cast<png_byte>(8 * row->channels);
    row->rowbytes = samples;
}

void SetTransforms(png_structp png, const PngPlan& plan) {
    if (plan.expandGrey)
        png_set_expand_gray_1_2_4_to_8(png);
    if (plan.packIndexes)
        png_set_packing(png);
    if (plan.overWhite) {
        png_set_gamma(png, 1.0, 1.0);
        // In the samples' own depth: the 8-bit step comes after.
        const png_uint_16 max = plan.to8Bits ? 65535 : 255;
        png_color_16 white{};
        white.red = white.green = white.blue = white.gray = max;
        png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    if (plan.bgr)
        png_set_bgr(png);
    if (plan.to8Bits) {
        png_set_read_user_transform_fn(png, SamplesTo8Bits);
        png_set_user_transform_info(png, nullptr, 8, plan.dibBits == 24 ? 3 : 1);
    }
}

void ReadPixelsStep(PngSession& s) {
    auto& job = *static_cast<PngDecodeJob*>(s.job);
    DibBuilder& builder = *job.builder;
    SetTransforms(s.png, job.plan);
    const int passes = png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    const int pixelBits = png_get_bit_depth(s.png, s.info) * png_get_channels(s.png, s.info);
    if (pixelBits != job.plan.dibBits || png_get_rowbytes(s.png, s.info) > builder.RowBytes())
        png_error(s.png, "unexpected row layout after the transformations");
    const std::uint64_t height = builder.Height();
    const double rows = static_cast<double>(height) * passes;
    for (int pass = 0; pass < passes; ++pass) {
        for (std::uint64_t y = 0; y < height; ++y) {
            png_read_row(s.png, builder.Row(y), nullptr);
            if (!builder.ReportProgress((static_cast<double>(pass) * height + y + 1) / rows))
                return;
        }
    }
}

class PngReader final : public ImageReader {
  public:
    ImageFormat Format() const override { return ImageFormat::Png; }

    DecodeFailure ReadHeader(std::FILE* stream, ImageHeaderInfo& info,
                             std::string& error) const override {
        PngReadSession session(stream);
        if (!session.Ok()) {
            error = "out of memory";
            return DecodeFailure::NoMemory;
        }
        PngPlan plan;
        return ReadInfo(*session, plan, info, error);
    }

    DecodeResult Decode(std::FILE* stream, const DecodeProgress& progress) const override {
        DecodeResult result;
        PngReadSession session(stream);
        if (!session.Ok()) {
            result.failure = DecodeFailure::NoMemory;
            result.error = "out of memory";
            return result;
        }
        PngDecodeJob job;
        result.failure = ReadInfo(*session, job.plan, result.info, result.error);
        if (result.failure != DecodeFailure::None)
            return Failed(result, *session);
        DibBuilder builder;
        builder.SetProgress(&progress);
        result.failure = builder.Create(result.info.width, result.info.height,
                                        job.plan.dibBits, job.plan.colors);
        if (result.failure != DecodeFailure::None) {
            result.error = result.failure == DecodeFailure::TooLarge
                               ? "the picture is too large"
                               : "out of memory";
            return result;
        }
        SetColorTable((*session).png, (*session).info, builder);
        job.builder = &builder;
        (*session).job = &job;
        if (!RunGuarded(*session, ReadPixelsStep)) {
            result.failure = (*session).osError ? DecodeFailure::ReadError : DecodeFailure::Corrupt;
            result.error = (*session).message;
            return Failed(result, *session);
        }
        if (builder.Stopped()) {
            result.failure = DecodeFailure::Cancelled;
            return result;
        }
        result.block = builder.Release();
        return result;
    }

  private:
    static DecodeResult& Failed(DecodeResult& result, const PngSession& session) {
        result.osError = session.osError;
        return result;
    }
};

} // namespace

const ImageReader& PngImageReader() {
    static const PngReader reader;
    return reader;
}
