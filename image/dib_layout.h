// Helpers shared by the DIB block functions: reading the header size and
// telling whether the header itself lies inside the block.
#pragma once

#include "platform/types.h"

#include <cstddef>

DWORD DibHeaderSize(const void* header);
// True when the block holds the whole header the size field names (12 bytes
// for a core header, read as such whatever other size it states).
bool DibHeaderFits(const void* header, std::size_t bytes);
