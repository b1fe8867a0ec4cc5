#include "platform/palette.h"

bool CPalette::CreatePalette(const LOGPALETTE* log) {
    if (!log || log->palNumEntries == 0)
        return false;
    m_entries.assign(log->palPalEntry, log->palPalEntry + log->palNumEntries);
    m_created = true;
    return true;
}
