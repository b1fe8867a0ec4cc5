// Placeholder until the Png reader is written.
#include "image/formats/image_format.h"

namespace {
class Reader final : public ImageReader {
  public:
    ImageFormat Format() const override { return ImageFormat::Png; }
    DecodeFailure ReadHeader(std::FILE*, ImageHeaderInfo&, std::string& error) const override {
        error = "not supported yet";
        return DecodeFailure::Corrupt;
    }
    DecodeResult Decode(std::FILE*, const DecodeProgress&) const override {
        DecodeResult result;
        result.failure = DecodeFailure::Corrupt;
        result.error = "not supported yet";
        return result;
    }
};
} // namespace

const ImageReader& PngImageReader() {
    static const Reader reader;
    return reader;
}
