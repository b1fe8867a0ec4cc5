// The system clipboard, holding a device-independent bitmap (CF_DIB) as a
// global memory block.
#pragma once

#include "platform/global_memory.h"
#include "platform/types.h"

#include <cstddef>

class IClipboard {
  public:
    virtual ~IClipboard() = default;
    // False when the clipboard is busy.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool Empty() = 0;
    // The clipboard takes ownership of the block.
    virtual bool SetData(UINT format, HGLOBAL block) = 0;
    // The clipboard keeps ownership; the handle stays valid until Close.
    virtual HGLOBAL GetData(UINT format) = 0;
    // Where the pixel bits of the DIB that GetData(CF_DIB) last returned
    // begin, counted from the block's start, when the desktop's data state it
    // (a bitmap file's pixel offset less its file header); 0 when unknown.
    virtual std::size_t DibBitsOffset() const = 0;
    virtual bool IsFormatAvailable(UINT format) const = 0;
};
