// Measuring, palettes, copying and painting of a DIB block: one packed
// device-independent bitmap (header, colour table, pixel bits) in a global
// memory block.
#pragma once

#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/global_memory.h"
#include "platform/palette.h"

using HDIB = HGLOBAL;

WORD DibColorCount(const void* header);
WORD DibColorTableBytes(const void* header);
BYTE* DibPixelData(const void* header);
DWORD DibGetWidth(const void* header);
DWORD DibGetHeight(const void* header);
bool DibMakePalette(HDIB dib, CPalette* palette);
HGLOBAL DuplicateGlobalBlock(HGLOBAL block);
int DibRender(CDC* dc, const CRect& dest, HDIB dib, const CRect& src, CPalette* palette);

// BMP files.
HDIB DibReadFile(CFile& file);
bool DibWriteFile(HDIB dib, CFile& file);
