// Runs of samples of 24- and 32-bit pictures, nearest and bilinear, against
// the colours worked out here channel by channel from the pixels around
// each sample: runs that cross rows and columns, run backwards, step by
// less and more than a pixel, and touch the picture's edges.
#include "platform/pixel_samples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kW = 37;
constexpr int kH = 23;
constexpr std::int64_t kOne = std::int64_t{1} << pixel_samples::kFractionBits;

// A picture with one readable byte before its pixels, as in a DIB block.
struct TestPicture {
    int bytes;
    std::ptrdiff_t stride;
    std::vector<BYTE> store;
    TestPicture(int bytesPerPixel, std::mt19937& random)
        : bytes(bytesPerPixel), stride((kW * bytesPerPixel + 3) / 4 * 4),
          store(1 + std::size_t(stride) * kH) {
        for (BYTE& b : store)
            b = BYTE(random());
    }
    pixel_samples::Picture Get() const { return {store.data() + 1, stride, bytes}; }
    int Channel(int x, int y, int c) const { return store[1 + std::size_t(y) * stride + std::size_t(x) * bytes + c]; }
};

std::uint32_t Colour(int b, int g, int r) { return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b); }

std::uint32_t NearestByHand(const TestPicture& p, std::int64_t u, std::int64_t v) {
    const int x = int(std::floor((double(u) / kOne) + 0.5)), y = int(std::floor((double(v) / kOne) + 0.5));
    return Colour(p.Channel(x, y, 0), p.Channel(x, y, 1), p.Channel(x, y, 2));
}

int Lerp(int a, int b, int share) { return (a * (256 - share) + b * share + 128) / 256; }

std::uint32_t BilinearByHand(const TestPicture& p, std::int64_t u, std::int64_t v) {
    const int x = int(u / kOne), y = int(v / kOne);
    const int fx = int((u % kOne) >> 8), fy = int((v % kOne) >> 8);
    int out[3];
    for (int c = 0; c < 3; ++c)
        out[c] = Lerp(Lerp(p.Channel(x, y, c), p.Channel(x + 1, y, c), fx),
                      Lerp(p.Channel(x, y + 1, c), p.Channel(x + 1, y + 1, c), fx), fy);
    return Colour(out[0], out[1], out[2]);
}

// A run of up to 16 samples starting and ending at random places where
// `inside` holds.
pixel_samples::Run RandomRun(std::mt19937& random, std::int64_t maxU, std::int64_t maxV) {
    std::uniform_int_distribution<std::int64_t> u(0, maxU - 1), v(0, maxV - 1);
    std::uniform_int_distribution<int> count(1, pixel_samples::kLongestRun);
    const int n = count(random);
    const std::int64_t u0 = u(random), v0 = v(random), u1 = u(random), v1 = v(random);
    return {u0, v0, n > 1 ? (u1 - u0) / (n - 1) : 0, n > 1 ? (v1 - v0) / (n - 1) : 0, n};
}

} // namespace

TEST(PixelSamples, NearestAndBilinearRunsGiveThePixelsAroundEachSample) {
    std::mt19937 random(11);
    for (const int bytes : {3, 4}) {
        const TestPicture picture(bytes, random);
        int wrong = 0;
        for (int trial = 0; trial < 4000; ++trial) {
            const bool bilinear = trial % 2 == 0;
            // Nearest samples lie within half a pixel of the picture; the
            // bilinear ones need the pixel right and below as well.
            const pixel_samples::Run run = bilinear ? RandomRun(random, (kW - 1) * kOne, (kH - 1) * kOne)
                                                    : RandomRun(random, kW * kOne - kOne / 2, kH * kOne - kOne / 2);
            std::uint32_t out[pixel_samples::kLongestRun + 1];
            out[run.count] = 0x12345678u;
            if (bilinear)
                pixel_samples::Bilinear(picture.Get(), run, out);
            else
                pixel_samples::Nearest(picture.Get(), run, out);
            EXPECT_EQ(out[run.count], 0x12345678u) << "written past the run";
            for (int k = 0; k < run.count; ++k) {
                const std::int64_t u = run.u + k * run.du, v = run.v + k * run.dv;
                wrong += out[k] != (bilinear ? BilinearByHand(picture, u, v) : NearestByHand(picture, u, v));
            }
        }
        EXPECT_EQ(wrong, 0) << bytes << " bytes a pixel";
    }
}

TEST(PixelSamples, MixingWeighsEachChannel) {
    std::vector<std::uint32_t> out{0xFF000000u, 0xFFFFFFFFu, 0xFF102030u, 0xFF804020u};
    const std::vector<std::uint32_t> over{0xFFFFFFFFu, 0xFF000000u, 0xFF302010u, 0xFF804020u};
    pixel_samples::MixInto(out.data(), over.data(), 4, 64);
    EXPECT_EQ(out[0], 0xFF404040u);
    EXPECT_EQ(out[1], 0xFFBFBFBFu);
    EXPECT_EQ(out[2], 0xFF182028u);
    EXPECT_EQ(out[3], 0xFF804020u);
}
