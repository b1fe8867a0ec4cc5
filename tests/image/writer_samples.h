// Blocks of every kind the document may keep, for the writers' round
// trips: made row by row here for the kinds each writer treats apart, and
// read from the bitmap corpus for every depth and compression.
#pragma once

#include "image/formats/dib_builder.h"
#include "magick_files.h"

#include <memory>
#include <string>
#include <vector>

namespace samples {

enum class Expect { Bilevel, Grey, Palette, Colour };

struct Sample {
    std::string name;
    std::shared_ptr<testutil::OwnedDib> dib;
    Expect expect;
};

constexpr int kWidth = 37;
constexpr int kHeight = 23;

inline HDIB Built(int bits, int colours, void (*fill)(DibBuilder&)) {
    DibBuilder b;
    if (b.Create(kWidth, kHeight, bits, colours) != DecodeFailure::None)
        return nullptr;
    fill(b);
    for (int y = 0; y < kHeight; ++y)
        for (std::size_t i = 0; i < b.RowBytes(); ++i)
            b.Row(y)[i] = BYTE(bits == 1 ? (y * 37 + i * 91) ^ 0x5A : (y * 7 + i * 13) % (colours ? colours : 256));
    return b.Release();
}

inline std::vector<Sample> All() {
    std::vector<Sample> all;
    auto add = [&](std::string name, HDIB dib, Expect e) {
        all.push_back({std::move(name), std::make_shared<testutil::OwnedDib>(dib), e});
    };
    add("1-bit black and white", Built(1, 2, [](DibBuilder& b) { b.SetGreyPalette(false); }),
        Expect::Bilevel);
    add("1-bit white and black", Built(1, 2, [](DibBuilder& b) { b.SetGreyPalette(true); }),
        Expect::Bilevel);
    add("1-bit two colours", Built(1, 2, [](DibBuilder& b) {
            b.SetColor(0, 200, 0, 0);
            b.SetColor(1, 0, 0, 200);
        }),
        Expect::Palette);
    add("8-bit grey ramp", Built(8, 256, [](DibBuilder& b) { b.SetGreyPalette(false); }),
        Expect::Grey);
    add("8-bit reversed grey", Built(8, 256, [](DibBuilder& b) { b.SetGreyPalette(true); }),
        Expect::Grey);
    add("8-bit 40 colours", Built(8, 40, [](DibBuilder& b) {
            for (int i = 0; i < 40; ++i)
                b.SetColor(i, BYTE(i * 6), BYTE(255 - i * 5), BYTE(i * i % 256));
        }),
        Expect::Palette);
    add("24-bit", Built(24, 0, [](DibBuilder&) {}), Expect::Colour);
    for (const corpus::Recipe& recipe : corpus::AllKinds()) {
        const corpus::Bitmap bmp = corpus::Make(recipe);
        const Expect e = recipe.bitCount <= 8 ? Expect::Palette : Expect::Colour;
        add("bitmap " + recipe.name, testutil::ReadDibBytes("writer-" + recipe.name, bmp.file), e);
    }
    return all;
}

// Sets the block's resolution, in pixels per metre.
inline void SetResolution(HDIB dib, LONG x, LONG y) {
    GlobalLockGuard lock(dib);
    auto* header = static_cast<BITMAPINFOHEADER*>(lock.get());
    header->biXPelsPerMeter = x;
    header->biYPelsPerMeter = y;
}

inline bool WriteWith(bool (*writer)(HDIB, std::FILE*, std::string&), HDIB dib,
                      const std::string& path, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = writer(dib, f, error);
    return std::fclose(f) == 0 && ok;
}

} // namespace samples
