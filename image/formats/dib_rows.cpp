#include "image/formats/dib_rows.h"

#include "image/dib_layout.h"
#include "platform/dib_raster.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr double kInchesPerMetre = 0.0254;
constexpr std::size_t kBandPixels = 1 << 20; // 4 MB of colours

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

bool IsGrey(std::uint32_t c) {
    return ((c >> 16) & 0xFF) == (c & 0xFF) && ((c >> 8) & 0xFF) == (c & 0xFF);
}

DibKind KindOf(const std::vector<std::uint32_t>& colours, WORD bitCount) {
    if (colours.empty() || bitCount > 8)
        return DibKind::Colour;
    if (bitCount == 1 && colours.size() == 2 &&
        ((colours[0] == kBlack && colours[1] == kWhite) ||
         (colours[0] == kWhite && colours[1] == kBlack)))
        return DibKind::Bilevel;
    if (std::all_of(colours.begin(), colours.end(), IsGrey))
        return DibKind::Grey;
    return DibKind::Palette;
}

} // namespace

DibRows::DibRows(HDIB dib) : m_lock(dib) {
    const auto* p = static_cast<const BYTE*>(m_lock.get());
    const std::size_t size = p ? m_lock.size() : 0;
    if (!p || DibCheckBlock(p, size) != DibCheck::Ok)
        return;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(p);
    const DWORD headerSize = DibHeaderSize(p);
    const BYTE* table = p + headerSize + DibMaskBytes(p);
    const bool core = headerSize == sizeof(BITMAPCOREHEADER);
    const WORD bitCount = core ? reinterpret_cast<const BITMAPCOREHEADER*>(p)->bcBitCount
                               : header->biBitCount;
    const std::size_t entry = core ? 3 : 4;
    for (WORD i = 0; i < DibColorCount(p) && bitCount <= 8; ++i) {
        const BYTE* e = table + i * entry;
        m_colours.push_back(0xFF000000u | std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0]);
    }
    m_kind = KindOf(m_colours, bitCount);
    // Pixels the data leave out (run-length skips) come out black; the
    // table then needs black too.
    if (m_kind == DibKind::Palette && m_colours.size() < 256 &&
        std::find(m_colours.begin(), m_colours.end(), kBlack) == m_colours.end())
        m_colours.push_back(kBlack);
    if (!core && header->biXPelsPerMeter > 0 && header->biYPelsPerMeter > 0) {
        m_xDpi = header->biXPelsPerMeter * kInchesPerMetre;
        m_yDpi = header->biYPelsPerMeter * kInchesPerMetre;
    }
    const BYTE* bits = DibPixelData(p);
    const DibPixels pixels{reinterpret_cast<const BITMAPINFO*>(p), std::size_t(bits - p), bits,
                           size - std::size_t(bits - p)};
    m_ok = DescribeDibPixels(pixels, &m_width, &m_height) && m_width > 0 && m_height > 0;
}

bool DibRows::Ok(std::string& error) const {
    if (!m_ok)
        error = "the picture's block cannot be decoded";
    return m_ok;
}

const std::uint32_t* DibRows::Row(int y) {
    if (y < m_bandTop || y >= m_bandTop + m_bandRows) {
        const auto* p = static_cast<const BYTE*>(m_lock.get());
        const BYTE* bits = DibPixelData(p);
        const DibPixels pixels{reinterpret_cast<const BITMAPINFO*>(p), std::size_t(bits - p), bits,
                               m_lock.size() - std::size_t(bits - p)};
        m_bandTop = y;
        m_bandRows = static_cast<int>(
            std::min<std::size_t>(std::max<std::size_t>(1, kBandPixels / m_width), m_height - y));
        m_band.resize(std::size_t(m_width) * m_bandRows);
        DecodeDibRect(pixels, 0, y, m_width, m_bandRows, m_band.data(), m_width);
    }
    return m_band.data() + std::size_t(y - m_bandTop) * m_width;
}

BYTE DibRows::IndexOf(std::uint32_t colour) {
    if (colour == m_lastColour && m_colours.size() > m_lastIndex &&
        m_colours[m_lastIndex] == colour)
        return m_lastIndex;
    const auto at = std::find(m_colours.begin(), m_colours.end(), colour);
    m_lastColour = colour;
    m_lastIndex = at == m_colours.end() ? 0 : static_cast<BYTE>(at - m_colours.begin());
    return m_lastIndex;
}

bool WriteAll(std::FILE* stream, const void* data, std::size_t size, std::string& error) {
    if (size == 0 || std::fwrite(data, 1, size, stream) == size)
        return true;
    error = std::strerror(errno ? errno : EIO);
    return false;
}
