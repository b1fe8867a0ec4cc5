// The desktop clipboard holding a device-independent bitmap. A DIB placed
// on it is offered as `image/bmp` (a bitmap file: the 14-byte file header
// and then the packed DIB, byte for byte) and as a plain image for programs
// that paste pictures in other forms. Reading takes `image/bmp` when it is
// offered and otherwise converts a plain image to a bottom-up DIB.
#pragma once

#include "platform/clipboard.h"

#include <QByteArray>
#include <QImage>

class QMimeData;

class QtClipboard : public IClipboard {
  public:
    QtClipboard() = default;
    ~QtClipboard() override;
    QtClipboard(const QtClipboard&) = delete;
    QtClipboard& operator=(const QtClipboard&) = delete;

    // Fails while already open (busy).
    bool Open() override;
    void Close() override;
    bool Empty() override;
    bool SetData(UINT format, HGLOBAL block) override;
    HGLOBAL GetData(UINT format) override;
    bool IsFormatAvailable(UINT format) const override;
    std::size_t DibBitsOffset() const override { return m_heldBitsOffset; }

    bool IsOpen() const { return m_open; }

  private:
    void FreeHeld();

    bool m_open = false;
    HGLOBAL m_held = nullptr; // the block GetData handed out
    std::size_t m_heldBitsOffset = 0;
};

// A packed DIB (header, colour table, bits) with a bitmap file header in
// front; empty when the DIB's header cannot be read.
QByteArray PackedDibToBmpFile(const void* dib, std::size_t bytes);
// The packed DIB of a bitmap file (the bytes after the 14-byte file header);
// empty when the data is not a bitmap file.
QByteArray BmpFileToPackedDib(const QByteArray& bmp);
// Where a bitmap file's pixel bits begin in its packed DIB: the file
// header's pixel offset less the file header, or 0 when the offset points
// into the file header (unknown).
std::size_t BmpFileBitsOffset(const QByteArray& bmp);
// A bottom-up DIB with a 40-byte header: 32 bits per pixel when the image
// has an alpha channel, else 24. Empty for a null image.
QByteArray ImageToPackedDib(const QImage& image);
