// Measuring, palettes, copying and painting of a DIB block: one packed
// device-independent bitmap (header, colour table, pixel bits) in a global
// memory block.
#pragma once

#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/global_memory.h"
#include "platform/palette.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

using HDIB = HGLOBAL;

WORD DibColorCount(const void* header);
WORD DibColorTableBytes(const void* header);
// The three colour masks that follow a 40-byte header with bit fields: 12,
// otherwise 0. They lie between the header and the colour table.
WORD DibMaskBytes(const void* header);
BYTE* DibPixelData(const void* header);
DWORD DibGetWidth(const void* header);
DWORD DibGetHeight(const void* header);
bool DibMakePalette(HDIB dib, CPalette* palette);
HGLOBAL DuplicateGlobalBlock(HGLOBAL block);
int DibRender(CDC* dc, const CRect& dest, HDIB dib, const CRect& src, CPalette* palette);

// Whether a block can be shown: every part its header asks for lies inside
// the block, and its format is one the painter understands.
enum class DibCheck { Ok, TooLarge, Invalid };
DibCheck DibCheckBlock(const void* block, std::size_t bytes);
DibCheck DibCheckBlock(HDIB dib);
// The same check for a block of headers and colour table alone, whose
// uncompressed pixels lie elsewhere (pixelBytes of them). Run-length
// pictures are Invalid here: only their data tell whether they are whole.
DibCheck DibCheckHeaders(const void* headers, std::size_t bytes, std::uint64_t pixelBytes);

// Rewrites a block in place into the layout the functions above read: the
// longer headers (52, 56, 108, 124 bytes) become 40-byte ones with their
// masks after them, and pixel bits found at bitsOffset (a file's pixel
// offset less the file header; 0 when unknown) are moved up against the
// colour table; the block then ends where its data end. A run-length image
// without an image size gets the size of the data it has. A block whose
// header or colour table does not fit is left as it is, for the check to
// refuse.
void DibNormalizeBlock(HDIB dib, std::size_t bitsOffset);

// BMP files.
HDIB DibReadFile(CFile& file);
// The same, telling `goOn` the share of the pixels read now and then (0 to
// 1); when it returns false the read stops and gives null.
HDIB DibReadFile(CFile& file, const std::function<bool(double)>& goOn);
// Reads only a .bmp file's headers and colour table, laid out as
// DibReadFile lays them out, and the number of pixel bytes the file holds
// after them, for DibCheckHeaders. Null when the file is not a BMP, or when
// only the whole file can tell (run-length pictures, pipes, short headers).
HDIB DibReadFileHeaders(CFile& file, std::uint64_t* pixelBytes);
bool DibWriteFile(HDIB dib, CFile& file);
// Writes to a stream; a failed write throws CFileException naming fileName.
bool DibWriteFile(HDIB dib, std::FILE* stream, const std::string& fileName);
// Whether DibWriteFile would write this block (an information header whose
// parts lie inside the block).
bool DibCanWrite(HDIB dib);

// What a .bmp file holds, for reports.
struct DibFileInfo {
    DWORD fileHeaderSize = 0; // the header size field as stored in the file
    bool coreHeader = false;
    DWORD width = 0;
    DWORD height = 0;
    WORD bitCount = 0;
    DWORD compression = 0;
    WORD colors = 0;          // colour-table entries
    bool hasPalette = false;
    DibCheck check = DibCheck::Invalid;
};
enum class DibInfoResult { Ok, CannotOpen, NotBmp };
// Reads the file as the program would open it. The file-system error, if
// any, goes to error.
DibInfoResult DibReadFileInfo(const std::string& path, DibFileInfo* info,
                              CFileException* error = nullptr);
