// The pixels of any block the document keeps, a band of rows at a time as
// 0xFFRRGGBB colours, and the simplest kind of picture that shows them
// all: what the writers keep of a palette picture.
#pragma once

#include "image/dib.h"

#include <cstdint>
#include <string>
#include <vector>

enum class DibKind {
    Bilevel, // two colours, black and white
    Grey,    // a colour table of greys only
    Palette, // any other colour table
    Colour,  // no colour table
};

class DibRows {
  public:
    explicit DibRows(HDIB dib);
    DibRows(const DibRows&) = delete;
    DibRows& operator=(const DibRows&) = delete;

    // False when the block cannot be decoded; error says so.
    bool Ok(std::string& error) const;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    DibKind Kind() const { return m_kind; }
    // The colour table (Palette and Grey kinds), 0xFFRRGGBB.
    const std::vector<std::uint32_t>& Colours() const { return m_colours; }
    // The block's resolution in dots per inch; 0 when it states none.
    double XDpi() const { return m_xDpi; }
    double YDpi() const { return m_yDpi; }

    // Row y's colours, y from the top; Width() of them. Rows are decoded a
    // band at a time, so going down the picture in order is cheapest.
    const std::uint32_t* Row(int y);
    // The colour table index of a colour, for Palette pictures (0 for a
    // colour not in the table).
    BYTE IndexOf(std::uint32_t colour);

  private:
    GlobalLockGuard m_lock;
    bool m_ok = false;
    int m_width = 0, m_height = 0;
    DibKind m_kind = DibKind::Colour;
    std::vector<std::uint32_t> m_colours;
    double m_xDpi = 0, m_yDpi = 0;
    std::vector<std::uint32_t> m_band;
    int m_bandTop = 0, m_bandRows = 0;
    std::uint32_t m_lastColour = 0;
    BYTE m_lastIndex = 0;
};

// Writes all of a buffer to the stream; false, with the system's reason in
// error, when the stream refuses.
bool WriteAll(std::FILE* stream, const void* data, std::size_t size, std::string& error);
