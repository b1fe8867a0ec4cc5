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
// for uncompressed 8-, 24- and 32-bit pictures, decoded once otherwise.
class SidePixels {
  public:
    explicit SidePixels(HDIB dib);
    ~SidePixels();
    SidePixels(const SidePixels&) = delete;
    SidePixels& operator=(const SidePixels&) = delete;

    bool IsValid() const { return m_width > 0 && m_height > 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::uint32_t At(int x, int y) const {
        const BYTE* row = m_top + static_cast<std::ptrdiff_t>(y) * m_stride;
        switch (m_kind) {
        case Kind::Index8: return m_palette[row[x]];
        case Kind::Bgr24: {
            const BYTE* p = row + 3 * static_cast<std::ptrdiff_t>(x);
            return 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
        case Kind::Bgrx32: {
            const BYTE* p = row + 4 * static_cast<std::ptrdiff_t>(x);
            return 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
        }
        return 0;
    }

  private:
    enum class Kind { Index8, Bgr24, Bgrx32 };
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
// is on the screen (shown, or in the x-ray); painted gets the rectangle it
// covers, the front's whole picture at the zoom. False, with nothing
// painted, while only the front is to be seen: the scan's own painting does
// that.
bool PaintSides(CDC& dc, const CDibDoc& doc, const SidesShown& shown, ScanLines frontLines,
                int zoomExponent, CRect* painted);
