// Pictures made by ImageMagick from recipes, in a scratch directory, and
// ImageMagick's own decode of any file, for comparing the program's readers
// and writers with it pixel for pixel.
#pragma once

#include "image/dib.h"
#include "image/formats/dib_builder.h"
#include "image/formats/image_format.h"
#include "dib_test_util.h"
#include "image/format_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace magick {

// A directory of its own, removed with everything in it at the end.
class Scratch {
  public:
    Scratch() {
        std::string templ = (std::filesystem::temp_directory_path() / "tracevu-img-XXXXXX").string();
        if (mkdtemp(templ.data()))
            m_dir = templ;
    }
    ~Scratch() {
        std::error_code ignored;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::string operator/(const std::string& name) const { return m_dir + "/" + name; }

  private:
    std::string m_dir;
};

// Runs `convert ARGS`; true when it succeeded.
inline bool Convert(const std::string& args) {
    const std::string command = "convert " + args + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// What a command writes to its standard output.
inline std::vector<BYTE> Output(const std::string& command) {
    std::vector<BYTE> out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        BYTE chunk[65536];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            out.insert(out.end(), chunk, chunk + n);
        pclose(pipe);
    }
    return out;
}

// ImageMagick's decode of a file's first picture as 0xFFRRGGBB colours,
// alpha laid over white; empty when it cannot read the file. It is taken
// at 16 bits and brought to 8 the way the program's blocks are
// (pixels::From16), so that odd maxvals, which the PNM reader rounds as a
// 16-bit quantum first, compare too.
inline std::vector<std::uint32_t> Pixels(const std::string& path) {
    const std::vector<BYTE> rgb = Output("convert '" + path +
                                         "[0]' -background white -alpha remove -alpha off "
                                         "-depth 16 -endian MSB rgb:- 2>/dev/null");
    std::vector<std::uint32_t> colours(rgb.size() / 6);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const BYTE* p = &rgb[6 * i];
        colours[i] = corpus::Argb(pixels::From16(p[0], p[1]), pixels::From16(p[2], p[3]),
                                  pixels::From16(p[4], p[5]));
    }
    return colours;
}

// A file of raw samples for `convert -size WxH -depth D rgb:FILE`.
inline std::string WriteRaw(const std::string& path, const std::vector<BYTE>& samples) {
    corpus::WriteFile(path, samples);
    return path;
}

// A scan-like pattern: smooth gradients with sharp edges, every sample
// different from its neighbours, so that a swapped channel, a shifted row
// or a lost column shows. `bytes` is 1 or 2 (most significant first).
inline std::vector<BYTE> Pattern(int width, int height, int channels, int bytes = 1) {
    std::vector<BYTE> out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const unsigned v = (x * 1741u + y * 2903u + c * 13007u + (x ^ y) * 97u) % 65536u;
                const unsigned sample = (c == 3 || (channels == 2 && c == 1))
                                            ? (x * 7u + y * 29u) % 256u * 257u // alpha
                                            : v;
                if (bytes == 2)
                    out.push_back(BYTE(sample >> 8));
                out.push_back(BYTE(bytes == 2 ? sample & 0xFF : sample >> 8));
            }
    return out;
}

// The readers' side of the comparison, shared with the other format tests.
using formattest::DecodeFile;
using formattest::ReadHeaderOf;
inline int BitCount(HDIB dib) { return formattest::BitCountOf(dib); }
// All of a block's pixels as the painter shows them.
inline std::vector<std::uint32_t> BlockPixels(HDIB dib) { return formattest::PixelsOf(dib); }

// The largest difference of any channel of any pixel; the first place
// they differ by more than `tolerance` in `where`.
inline int Difference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                      int tolerance, std::size_t* where) {
    int worst = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
            if (d > tolerance && worst <= tolerance)
                *where = i;
            worst = std::max(worst, d);
        }
    return worst;
}

// Expects the pictures to agree within `tolerance` per channel.
#define EXPECT_SAME_PIXELS(ours, theirs, width, tolerance)                                        \
    do {                                                                                         \
        const auto& ours_ = (ours);                                                              \
        const auto& theirs_ = (theirs);                                                          \
        ASSERT_EQ(ours_.size(), theirs_.size());                                                 \
        std::size_t at_ = 0;                                                                     \
        const int worst_ = magick::Difference(ours_, theirs_, (tolerance), &at_);                \
        EXPECT_LE(worst_, (tolerance)) << "first at x " << at_ % (width) << " y " << at_ / (width) \
                                       << std::hex << ": ours " << ours_[at_] << " theirs "      \
                                       << theirs_[at_];                                          \
    } while (0)

} // namespace magick
