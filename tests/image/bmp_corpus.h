// Bitmap files made by the tests themselves, of every depth, compression and
// header layout a scanner or image program writes, each with the colour
// every pixel must show. Header only, so that the Qt tests and the fuzz seeds
// can use it too.
#pragma once

#include "platform/dib_types.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace corpus {

enum class Header { Core, Info, V4, V5 };

struct Recipe {
    std::string name;
    int width = 13;
    int height = 7;
    WORD bitCount = 24;
    DWORD compression = BI_RGB;
    Header header = Header::Info;
    DWORD masks[3] = {0, 0, 0}; // red, green, blue, for bit fields
    DWORD colorsUsed = 0;       // 0: the full table for the depth
    std::size_t gap = 0;        // bytes between the colour table and the bits
    bool honestOffset = true;   // file header's pixel offset counts the gap
};

struct Bitmap {
    Recipe recipe;
    std::vector<BYTE> file;
    std::vector<std::uint32_t> expected; // top row first, 0xFFRRGGBB
    std::uint32_t At(int x, int y) const { return expected[std::size_t(y) * recipe.width + x]; }
};

inline std::uint32_t Argb(unsigned r, unsigned g, unsigned b) {
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Colour-table entry i: every entry differs from every other one.
inline void PaletteEntry(int i, BYTE* rgb) {
    rgb[0] = static_cast<BYTE>(255 - i * 13); // blue
    rgb[1] = static_cast<BYTE>(i * 91 + 5);   // green
    rgb[2] = static_cast<BYTE>(i * 37 + 11);  // red
}

inline int IndexAt(int x, int y, int colours) { return (x * 3 + y * 5 + x * y) % colours; }

inline unsigned Expand(unsigned v, unsigned bits) {
    const unsigned max = (1u << bits) - 1;
    return (v * 255 + max / 2) / max;
}

inline void Put16(std::vector<BYTE>& v, WORD x) {
    v.push_back(BYTE(x & 0xFF));
    v.push_back(BYTE(x >> 8));
}
inline void Put32(std::vector<BYTE>& v, DWORD x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(BYTE((x >> (8 * i)) & 0xFF));
}
inline void Set32(std::vector<BYTE>& v, std::size_t at, DWORD x) {
    for (int i = 0; i < 4; ++i)
        v[at + i] = BYTE((x >> (8 * i)) & 0xFF);
}

struct MaskField {
    int shift = 0;
    int bits = 0;
};
inline MaskField FieldOf(DWORD mask) {
    MaskField f;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++f.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++f.bits;
    }
    return f;
}

// Pixel of a 16- or 32-bit picture through its masks, and the colour shown.
inline DWORD PackPixel(const Recipe& s, int x, int y, std::uint32_t* shown) {
    const DWORD* masks = s.masks;
    const DWORD defaults16[3] = {0x7C00, 0x03E0, 0x001F};
    const DWORD defaults32[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (s.compression != BI_BITFIELDS)
        masks = s.bitCount == 16 ? defaults16 : defaults32;
    const unsigned seeds[3] = {unsigned(x * 7 + y), unsigned(x + y * 3), unsigned(x * y + 5)};
    DWORD pixel = 0;
    unsigned channel[3];
    for (int c = 0; c < 3; ++c) {
        const MaskField f = FieldOf(masks[c]);
        const unsigned v = seeds[c] * 37u % (1u << f.bits);
        pixel |= DWORD(v) << f.shift;
        channel[c] = Expand(v, unsigned(f.bits));
    }
    *shown = Argb(channel[0], channel[1], channel[2]);
    return pixel;
}

// Run-length encoding of one row of indexes: runs for repeats, literals
// otherwise, then an end of line.
inline void EncodeRleRow(const std::vector<int>& row, bool four, std::vector<BYTE>& out) {
    std::size_t i = 0;
    while (i < row.size()) {
        std::size_t run = 1;
        while (i + run < row.size() && row[i + run] == row[i] && run < 255)
            ++run;
        if (run >= 3 || row.size() - i < 3) {
            out.push_back(BYTE(run));
            out.push_back(BYTE(four ? (row[i] << 4) | row[i] : row[i]));
            i += run;
            continue;
        }
        // A literal up to the next run of three.
        std::size_t n = 0;
        while (i + n < row.size() && n < 255) {
            if (i + n + 2 < row.size() && row[i + n] == row[i + n + 1] && row[i + n] == row[i + n + 2])
                break;
            ++n;
        }
        if (n < 3) {
            for (std::size_t k = 0; k < n; ++k) {
                out.push_back(1);
                out.push_back(BYTE(four ? (row[i + k] << 4) : row[i + k]));
            }
            i += n;
            continue;
        }
        out.push_back(0);
        out.push_back(BYTE(n));
        std::size_t bytes = 0;
        if (four) {
            for (std::size_t k = 0; k < n; k += 2, ++bytes)
                out.push_back(BYTE((row[i + k] << 4) | (k + 1 < n ? row[i + k + 1] : 0)));
        } else {
            for (std::size_t k = 0; k < n; ++k, ++bytes)
                out.push_back(BYTE(row[i + k]));
        }
        if (bytes & 1)
            out.push_back(0);
        i += n;
    }
    out.push_back(0);
    out.push_back(0);
}

inline Bitmap Make(const Recipe& s) {
    Bitmap bmp;
    bmp.recipe = s;
    bmp.expected.assign(std::size_t(s.width) * s.height, 0);
    const bool paletted = s.bitCount <= 8;
    const int tableEntries = paletted ? int(s.colorsUsed ? s.colorsUsed : 1u << s.bitCount) : int(s.colorsUsed);
    const int colours = paletted ? std::min(tableEntries, 1 << s.bitCount) : 0;
    const bool core = s.header == Header::Core;

    std::vector<BYTE> dib;
    const DWORD headerSize = core ? 12 : s.header == Header::Info ? 40 : s.header == Header::V4 ? 108 : 124;
    if (core) {
        Put32(dib, 12);
        Put16(dib, WORD(s.width));
        Put16(dib, WORD(s.height));
        Put16(dib, 1);
        Put16(dib, s.bitCount);
    } else {
        Put32(dib, headerSize);
        Put32(dib, DWORD(s.width));
        Put32(dib, DWORD(s.height));
        Put16(dib, 1);
        Put16(dib, s.bitCount);
        Put32(dib, s.compression);
        Put32(dib, 0); // image size, filled in below
        Put32(dib, 7874);
        Put32(dib, 7874);
        Put32(dib, s.colorsUsed);
        Put32(dib, 0);
        if (headerSize > 40) {
            for (DWORD m : s.masks)
                Put32(dib, m);
            Put32(dib, 0); // alpha mask
            Put32(dib, 0x73524742); // colour space "sRGB"
            dib.resize(headerSize, 0);
        } else if (s.compression == BI_BITFIELDS) {
            for (DWORD m : s.masks)
                Put32(dib, m);
        }
    }
    for (int i = 0; i < tableEntries; ++i) {
        BYTE rgb[3];
        PaletteEntry(i, rgb);
        dib.insert(dib.end(), rgb, rgb + 3);
        if (!core)
            dib.push_back(0);
    }
    dib.resize(dib.size() + s.gap, 0xEE);
    const std::size_t bitsAt = dib.size();

    auto paletteColour = [](int i) {
        BYTE rgb[3];
        PaletteEntry(i, rgb);
        return Argb(rgb[2], rgb[1], rgb[0]);
    };
    if (s.compression == BI_RLE8 || s.compression == BI_RLE4) {
        for (int line = 0; line < s.height; ++line) {
            const int y = s.height - 1 - line;
            std::vector<int> row(std::size_t(s.width));
            for (int x = 0; x < s.width; ++x) {
                row[std::size_t(x)] = IndexAt(x, y, colours);
                bmp.expected[std::size_t(y) * s.width + x] = paletteColour(row[std::size_t(x)]);
            }
            EncodeRleRow(row, s.compression == BI_RLE4, dib);
        }
        dib.push_back(0);
        dib.push_back(1);
    } else {
        const std::size_t stride = (std::size_t(s.width) * s.bitCount + 31) / 32 * 4;
        for (int line = 0; line < s.height; ++line) {
            const int y = s.height - 1 - line;
            std::vector<BYTE> row(stride, 0);
            for (int x = 0; x < s.width; ++x) {
                std::uint32_t& shown = bmp.expected[std::size_t(y) * s.width + x];
                if (paletted) {
                    const int i = IndexAt(x, y, colours);
                    shown = paletteColour(i);
                    const std::size_t bit = std::size_t(x) * s.bitCount;
                    row[bit / 8] |= BYTE(i << (8 - s.bitCount - bit % 8));
                } else if (s.bitCount == 24) {
                    const unsigned r = (x * 17 + y * 3) & 255, g = (x * 5 + y * 29) & 255,
                                   b = (x * y + 7) & 255;
                    row[3 * x] = BYTE(b);
                    row[3 * x + 1] = BYTE(g);
                    row[3 * x + 2] = BYTE(r);
                    shown = Argb(r, g, b);
                } else {
                    const DWORD pixel = PackPixel(s, x, y, &shown);
                    for (int k = 0; k < s.bitCount / 8; ++k)
                        row[std::size_t(x) * (s.bitCount / 8) + k] = BYTE(pixel >> (8 * k));
                }
            }
            dib.insert(dib.end(), row.begin(), row.end());
        }
    }
    if (!core)
        Set32(dib, 20, DWORD(dib.size() - bitsAt));

    const DWORD offBits = DWORD(14 + (s.honestOffset ? bitsAt : bitsAt - s.gap));
    Put16(bmp.file, DIB_FILE_TYPE);
    Put32(bmp.file, DWORD(14 + dib.size()));
    Put32(bmp.file, 0);
    Put32(bmp.file, offBits);
    bmp.file.insert(bmp.file.end(), dib.begin(), dib.end());
    return bmp;
}

inline Recipe Of(const std::string& name, WORD bits, DWORD compression = BI_RGB, Header header = Header::Info) {
    Recipe s;
    s.name = name;
    s.bitCount = bits;
    s.compression = compression;
    s.header = header;
    return s;
}

inline Recipe WithMasks(Recipe s, DWORD r, DWORD g, DWORD b) {
    s.masks[0] = r;
    s.masks[1] = g;
    s.masks[2] = b;
    return s;
}

// Every kind of file the program must show.
inline std::vector<Recipe> AllKinds() {
    std::vector<Recipe> all = {
        Of("1-bit", 1),
        Of("4-bit", 4),
        Of("8-bit", 8),
        Of("16-bit-555", 16),
        WithMasks(Of("16-bit-565-bitfields", 16, BI_BITFIELDS), 0xF800, 0x07E0, 0x001F),
        Of("24-bit", 24),
        Of("32-bit", 32),
        WithMasks(Of("32-bit-bitfields-rgbx", 32, BI_BITFIELDS), 0x000000FF, 0x0000FF00, 0x00FF0000),
        Of("rle8", 8, BI_RLE8),
        Of("rle4", 4, BI_RLE4),
        Of("core-1-bit", 1, BI_RGB, Header::Core),
        Of("core-4-bit", 4, BI_RGB, Header::Core),
        Of("core-8-bit", 8, BI_RGB, Header::Core),
        Of("core-24-bit", 24, BI_RGB, Header::Core),
        Of("v4-8-bit", 8, BI_RGB, Header::V4),
        Of("v4-24-bit", 24, BI_RGB, Header::V4),
        WithMasks(Of("v4-16-bit-565", 16, BI_BITFIELDS, Header::V4), 0xF800, 0x07E0, 0x001F),
        WithMasks(Of("v5-32-bit-bitfields", 32, BI_BITFIELDS, Header::V5), 0x00FF0000, 0x0000FF00, 0x000000FF),
        Of("v5-rle8", 8, BI_RLE8, Header::V5),
        Of("v5-4-bit", 4, BI_RGB, Header::V5),
    };
    Recipe gap8 = Of("8-bit-gap", 8);
    gap8.gap = 50;
    all.push_back(gap8);
    Recipe gap24 = Of("24-bit-gap", 24);
    gap24.gap = 1024;
    all.push_back(gap24);
    Recipe gapV5 = WithMasks(Of("v5-16-bit-gap", 16, BI_BITFIELDS, Header::V5), 0x7C00, 0x03E0, 0x001F);
    gapV5.gap = 6;
    all.push_back(gapV5);
    Recipe gapCore = Of("core-8-bit-gap", 8, BI_RGB, Header::Core);
    gapCore.gap = 3;
    all.push_back(gapCore);
    Recipe small8 = Of("8-bit-20-colours", 8);
    small8.colorsUsed = 20;
    all.push_back(small8);
    Recipe wide = Of("1-bit-wide", 1);
    wide.width = 77;
    wide.height = 3;
    all.push_back(wide);
    return all;
}

inline bool WriteFile(const std::string& path, const std::vector<BYTE>& bytes) {
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    const bool ok =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
    return std::fclose(fp) == 0 && ok;
}

inline std::vector<BYTE> ReadFile(const std::string& path) {
    std::vector<BYTE> bytes;
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp)
        return bytes;
    BYTE buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, fp)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(fp);
    return bytes;
}

} // namespace corpus
