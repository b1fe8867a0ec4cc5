// A logical palette. Displays here are true colour, so a palette only carries
// its entries; selecting and realising it never changes how pixels look.
#pragma once

#include "platform/dib_types.h"

#include <vector>

class CPalette {
  public:
    // Copies the record's entries; false when the record is null or empty.
    bool CreatePalette(const LOGPALETTE* log);
    bool IsCreated() const { return m_created; }
    const std::vector<PALETTEENTRY>& Entries() const { return m_entries; }
    void DeleteObject() {
        m_entries.clear();
        m_created = false;
    }

  private:
    std::vector<PALETTEENTRY> m_entries;
    bool m_created = false;
};
