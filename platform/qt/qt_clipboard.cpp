#include "platform/qt/qt_clipboard.h"

#include "platform/dib_types.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>
#include <limits>

namespace {
const QString kBmpMime = QStringLiteral("image/bmp");

QClipboard* SystemClipboard() {
    return QGuiApplication::clipboard();
}

// Bytes from the start of the DIB to its pixel bits: header, colour masks
// and colour table. Clamped to the block so that a bad header cannot point
// the file header's offset past the data.
std::size_t BitsOffset(const BYTE* dib, std::size_t bytes) {
    DWORD headerSize = 0;
    std::memcpy(&headerSize, dib, sizeof headerSize);
    std::size_t offset = headerSize;
    if (headerSize == sizeof(BITMAPCOREHEADER) && bytes >= sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        std::memcpy(&core, dib, sizeof core);
        if (core.bcBitCount <= 8)
            offset += (std::size_t{1} << core.bcBitCount) * sizeof(RGBTRIPLE);
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) && bytes >= sizeof(BITMAPINFOHEADER)) {
        BITMAPINFOHEADER info;
        std::memcpy(&info, dib, sizeof info);
        if (headerSize == sizeof(BITMAPINFOHEADER) && info.biCompression == BI_BITFIELDS)
            offset += 3 * sizeof(DWORD);
        // Colour counts are 16-bit, as everywhere in the block's layout.
        std::size_t colors = info.biClrUsed & 0xFFFFu;
        if (colors == 0 && info.biBitCount <= 8)
            colors = std::size_t{1} << info.biBitCount;
        offset += std::min<std::size_t>(colors, bytes) * sizeof(RGBQUAD);
    }
    return std::min(offset, bytes);
}
} // namespace

QByteArray PackedDibToBmpFile(const void* dib, std::size_t bytes) {
    const auto* p = static_cast<const BYTE*>(dib);
    if (!p || bytes < sizeof(DWORD) ||
        bytes > std::numeric_limits<DWORD>::max() - sizeof(BITMAPFILEHEADER) ||
        bytes > static_cast<std::size_t>(std::numeric_limits<qsizetype>::max() / 2))
        return {};
    BITMAPFILEHEADER file{};
    file.bfType = DIB_FILE_TYPE;
    file.bfSize = static_cast<DWORD>(sizeof file + bytes);
    file.bfOffBits = static_cast<DWORD>(sizeof file + BitsOffset(p, bytes));
    QByteArray out;
    out.reserve(static_cast<qsizetype>(sizeof file + bytes));
    out.append(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(p), static_cast<qsizetype>(bytes));
    return out;
}

QByteArray BmpFileToPackedDib(const QByteArray& bmp) {
    if (bmp.size() <= static_cast<qsizetype>(sizeof(BITMAPFILEHEADER)) || bmp[0] != 'B' ||
        bmp[1] != 'M')
        return {};
    return bmp.mid(sizeof(BITMAPFILEHEADER));
}

std::size_t BmpFileBitsOffset(const QByteArray& bmp) {
    if (bmp.size() < static_cast<qsizetype>(sizeof(BITMAPFILEHEADER)))
        return 0;
    BITMAPFILEHEADER file{};
    std::memcpy(&file, bmp.constData(), sizeof file);
    return file.bfOffBits > sizeof file ? file.bfOffBits - sizeof file : 0;
}

QByteArray ImageToPackedDib(const QImage& image) {
    if (image.isNull())
        return {};
    const bool alpha = image.hasAlphaChannel();
    const QImage src = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    const int width = src.width();
    const int height = src.height();
    const int bytesPerPixel = alpha ? 4 : 3;
    const qsizetype stride = ((qsizetype{width} * bytesPerPixel + 3) / 4) * 4;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bytesPerPixel * 8);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride * height);
    QByteArray out(static_cast<qsizetype>(sizeof header) + stride * height, '\0');
    std::memcpy(out.data(), &header, sizeof header);
    BYTE* bits = reinterpret_cast<BYTE*>(out.data()) + sizeof header;
    for (int y = 0; y < height; ++y) {
        BYTE* row = bits + stride * (height - 1 - y); // bottom-up
        const uchar* in = src.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (alpha) {
                const QRgb px = reinterpret_cast<const QRgb*>(in)[x];
                row[4 * x + 0] = static_cast<BYTE>(qBlue(px));
                row[4 * x + 1] = static_cast<BYTE>(qGreen(px));
                row[4 * x + 2] = static_cast<BYTE>(qRed(px));
                row[4 * x + 3] = static_cast<BYTE>(qAlpha(px));
            } else {
                row[3 * x + 0] = in[3 * x + 2];
                row[3 * x + 1] = in[3 * x + 1];
                row[3 * x + 2] = in[3 * x + 0];
            }
        }
    }
    return out;
}

QtClipboard::~QtClipboard() {
    FreeHeld();
}

void QtClipboard::FreeHeld() {
    if (m_held)
        GlobalFree(m_held);
    m_held = nullptr;
    m_heldBitsOffset = 0;
}

bool QtClipboard::Open() {
    if (m_open)
        return false;
    m_open = true;
    return true;
}

void QtClipboard::Close() {
    m_open = false;
    FreeHeld();
}

bool QtClipboard::Empty() {
    if (!m_open)
        return false;
    FreeHeld();
    SystemClipboard()->clear();
    return true;
}

bool QtClipboard::SetData(UINT format, HGLOBAL block) {
    if (!m_open || !block || format != CF_DIB)
        return false;
    QByteArray bmp;
    {
        GlobalLockGuard lock(block);
        if (!lock.get())
            return false;
        bmp = PackedDibToBmpFile(lock.get(), lock.size());
    }
    if (bmp.isEmpty())
        return false;
    auto* mime = new QMimeData;
    mime->setData(kBmpMime, bmp);
    const QImage image = QImage::fromData(bmp, "BMP");
    if (!image.isNull())
        mime->setImageData(image);
    SystemClipboard()->setMimeData(mime);
    // The desktop clipboard now holds its own copy.
    GlobalFree(block);
    return true;
}

HGLOBAL QtClipboard::GetData(UINT format) {
    if (!m_open || format != CF_DIB)
        return nullptr;
    const QMimeData* mime = SystemClipboard()->mimeData();
    if (!mime)
        return nullptr;
    QByteArray dib;
    std::size_t bitsOffset = 0;
    if (mime->hasFormat(kBmpMime)) {
        const QByteArray bmp = mime->data(kBmpMime);
        dib = BmpFileToPackedDib(bmp);
        bitsOffset = BmpFileBitsOffset(bmp);
    }
    if (dib.isEmpty() && mime->hasImage()) {
        dib = ImageToPackedDib(qvariant_cast<QImage>(mime->imageData()));
        bitsOffset = 0;
    }
    if (dib.isEmpty())
        return nullptr;
    HGLOBAL block = GlobalAlloc(GHND, static_cast<std::size_t>(dib.size()));
    if (!block)
        return nullptr;
    {
        GlobalLockGuard lock(block);
        if (!lock.get()) {
            GlobalFree(block);
            return nullptr;
        }
        std::memcpy(lock.get(), dib.constData(), static_cast<std::size_t>(dib.size()));
    }
    FreeHeld();
    m_held = block;
    m_heldBitsOffset = bitsOffset;
    return block;
}

bool QtClipboard::IsFormatAvailable(UINT format) const {
    if (format != CF_DIB)
        return false;
    const QMimeData* mime = SystemClipboard()->mimeData();
    return mime && (mime->hasFormat(kBmpMime) || mime->hasImage());
}
