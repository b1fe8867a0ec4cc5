// What the format readers' tests share: files made by ImageMagick from
// recipes in the scratch directory, ImageMagick's own decode of a file as
// the reference, and our readers' decode of the same file.
#pragma once

#include "image/dib_test_util.h"
#include "image/formats/dib_builder.h"
#include "image/formats/image_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace formattest {

// The real ImageMagick, not whatever else answers to the name.
inline std::string Magick() {
    return access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert";
}

// Runs `convert ARGS`; false when it fails.
inline bool Convert(const std::string& args) {
    const std::string command = Magick() + " " + args + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What `convert ARGS` writes to its standard output.
inline std::vector<BYTE> ConvertOutput(const std::string& args) {
    std::vector<BYTE> out;
    std::FILE* pipe = popen((Magick() + " " + args + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return out;
    BYTE chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.insert(out.end(), chunk, chunk + n);
    pclose(pipe);
    return out;
}

// ImageMagick's decode of the file, over white, as 0xFFRRGGBB top row first.
inline std::vector<std::uint32_t> MagickPixels(const std::string& path,
                                               const std::string& options = "") {
    const std::vector<BYTE> rgb = ConvertOutput("'" + path + "' " + options +
                                                " -background white -alpha remove -depth 8 rgb:-");
    std::vector<std::uint32_t> argb(rgb.size() / 3);
    for (std::size_t i = 0; i < argb.size(); ++i)
        argb[i] = corpus::Argb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    return argb;
}

inline DecodeResult DecodeFile(const ImageReader& reader, const std::string& path,
                               const DecodeProgress& progress = {}) {
    DecodeResult result;
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) {
        result.failure = DecodeFailure::ReadError;
        return result;
    }
    result = reader.Decode(fp, progress);
    std::fclose(fp);
    return result;
}

inline DecodeFailure ReadHeaderOf(const ImageReader& reader, const std::string& path,
                                  ImageHeaderInfo& info, std::string& error) {
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp)
        return DecodeFailure::ReadError;
    const DecodeFailure failure = reader.ReadHeader(fp, info, error);
    std::fclose(fp);
    return failure;
}

inline int BitCountOf(HDIB dib) {
    GlobalLockGuard lock(dib);
    return static_cast<const BITMAPINFOHEADER*>(lock.get())->biBitCount;
}

inline std::vector<std::uint32_t> PixelsOf(HDIB dib) {
    int w = 0, h = 0;
    {
        GlobalLockGuard lock(dib);
        const auto* p = static_cast<const BYTE*>(lock.get());
        const BYTE* bits = DibPixelData(p);
        const DibPixels pixels{reinterpret_cast<const BITMAPINFO*>(p),
                               static_cast<std::size_t>(bits - p), bits, 0};
        if (!DescribeDibPixels(pixels, &w, &h))
            return {};
    }
    return testutil::Decode(dib, 0, 0, w, h);
}

// The largest difference of one channel between the two pictures; -1 when
// their sizes differ.
inline int MaxDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size() || a.empty())
        return -1;
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
            worst = std::max(worst, d);
        }
    return worst;
}

// Decodes the file and compares it with ImageMagick's decode.
inline void ExpectLikeMagick(const ImageReader& reader, const std::string& path, int tolerance,
                             int dibBits, const std::string& magickOptions = "") {
    SCOPED_TRACE(path);
    const DecodeResult result = DecodeFile(reader, path);
    ASSERT_EQ(result.failure, DecodeFailure::None) << result.error;
    testutil::OwnedDib owned(result.block);
    EXPECT_EQ(BitCountOf(result.block), dibBits);
    EXPECT_EQ(result.info.dibBits, dibBits);
    const std::vector<std::uint32_t> ours = PixelsOf(result.block);
    const std::vector<std::uint32_t> theirs = MagickPixels(path, magickOptions);
    ASSERT_EQ(ours.size(), std::size_t(result.info.width * result.info.height));
    const int difference = MaxDifference(ours, theirs);
    EXPECT_GE(difference, 0) << "sizes differ";
    EXPECT_LE(difference, tolerance);
}

inline std::vector<BYTE> Truncated(std::vector<BYTE> bytes, std::size_t size) {
    bytes.resize(std::min(size, bytes.size()));
    return bytes;
}

} // namespace formattest

namespace formattest {

// A stream whose reads fail (a directory): ReadError with the system's
// reason, from the header and from the decode.
inline void ExpectReadErrorFromAFailingStream(const ImageReader& reader) {
    std::FILE* fp = std::fopen(".", "rb");
    ASSERT_NE(fp, nullptr);
    ImageHeaderInfo info;
    std::string error;
    EXPECT_EQ(reader.ReadHeader(fp, info, error), DecodeFailure::ReadError) << error;
    std::rewind(fp);
    const DecodeResult result = reader.Decode(fp, {});
    std::fclose(fp);
    EXPECT_EQ(result.failure, DecodeFailure::ReadError) << result.error;
    EXPECT_EQ(result.osError, EISDIR);
    EXPECT_EQ(result.block, nullptr);
}

} // namespace formattest
