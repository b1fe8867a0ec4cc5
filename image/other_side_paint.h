// Painting a side of the board through a transform into this side's pixel
// frame, and the x-ray: the other side blended over the one shown. Below
// zoom 2 the scan is resampled bilinearly, from 2 on by nearest neighbour.
#pragma once

#include "board/registration.h"
#include "image/dib_doc.h"
#include "image/other_side.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A side's scan read pixel by pixel as 0xFFRRGGBB, top row first: in place
// for uncompressed 1-, 4-, 8-, 24- and 32-bit pictures, decoded once
// otherwise.
class SidePixels {
  public:
    enum class Kind { Bits1, Bits4, Index8, Bgr24, Bgrx32 };

    explicit SidePixels(HDIB dib);
    ~SidePixels();
    SidePixels(const SidePixels&) = delete;
    SidePixels& operator=(const SidePixels&) = delete;

    bool IsValid() const { return m_width > 0 && m_height > 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Kind GetKind() const { return m_kind; }
    // Row y's bytes; y from 0 to Height() - 1.
    const BYTE* Row(int y) const { return m_top + static_cast<std::ptrdiff_t>(y) * m_stride; }
    std::ptrdiff_t Stride() const { return m_stride; }
    const std::uint32_t* Palette() const { return m_palette; }
    std::uint32_t At(int x, int y) const;

    // Pixel x of a row of this kind.
    template <Kind K>
    static std::uint32_t Read(const BYTE* row, int x, const std::uint32_t* palette) {
        const auto i = static_cast<std::ptrdiff_t>(x);
        if constexpr (K == Kind::Bits1)
            return palette[(row[i >> 3] >> (7 - (i & 7))) & 1];
        else if constexpr (K == Kind::Bits4)
            return palette[(row[i >> 1] >> ((i & 1) ? 0 : 4)) & 15];
        else if constexpr (K == Kind::Index8)
            return palette[row[i]];
        else {
            const BYTE* p = row + (K == Kind::Bgr24 ? 3 : 4) * i;
            return 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
    }

  private:
    bool AttachInPlace(const void* block, std::size_t bytes);
    bool Decode(const void* block, std::size_t bytes);

    HDIB m_dib;
    void* m_locked = nullptr;
    std::vector<std::uint32_t> m_decoded;
    std::uint32_t m_palette[256] = {};
    Kind m_kind = Kind::Bgrx32;
    const BYTE* m_top = nullptr;
    std::ptrdiff_t m_stride = 0;
    int m_width = 0;
    int m_height = 0;
};

// One side as painted: its pixels, and where each front pixel lies on them.
struct SideLayer {
    const SidePixels* pixels = nullptr;
    registration::Transform frontToSide;
};

// Fills `out` (rows of `stride` colours, one for each pixel of `rect`)
// with the zoomed front frame's pixels of `rect`, zoom 2^zoomExponent:
// the base side, with the `over` side (when given) blended over it at
// `opacity` percent. Where a side has no pixel the base shows `background`
// and the over side leaves the base as it is.
void RenderSides(const SideLayer& base, const SideLayer* over, int opacity, int zoomExponent,
                 const CRect& rect, std::uint32_t background, std::uint32_t* out,
                 std::ptrdiff_t stride);

// Paints the document's picture as the view shows it while the other side
// is on the screen (shown, or in the x-ray), made on every core; below zoom
// 1 each side is sampled from its reduced level nearest to the zoom. The
// painted rectangle gets the one it covers, the front's whole picture at
// the zoom. False, with nothing painted, while only the front is to be
// seen: the scan's own painting does that.
bool PaintSides(CDC& dc, const CDibDoc& doc, const SidesShown& shown, ScanLines frontLines,
                int zoomExponent, CRect* painted);
