// The desktop clipboard with a DIB: the byte-for-byte round trip through
// image/bmp, what other programs see, pasting a plain picture, and pasting
// a bitmap file whose pixels lie after a gap.
#include "platform/qt/qt_clipboard.h"

#include "board/dib_view.h"
#include "image/dib_doc.h"
#include "image/dib_test_util.h"
#include "platform/dib_types.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>
#include <vector>

namespace {
// A 3 x 2 DIB with 8 bits per pixel and a 256-entry grey palette; pixel
// values count up so that every byte is distinct from its neighbours.
std::vector<BYTE> EightBitDib() {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = 3;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biCompression = BI_RGB;
    std::vector<BYTE> dib(sizeof h + 256 * sizeof(RGBQUAD) + 2 * 4);
    std::memcpy(dib.data(), &h, sizeof h);
    for (int i = 0; i < 256; ++i) {
        RGBQUAD q{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
        std::memcpy(dib.data() + sizeof h + i * sizeof q, &q, sizeof q);
    }
    BYTE* bits = dib.data() + sizeof h + 256 * sizeof(RGBQUAD);
    const BYTE rows[8] = {10, 20, 30, 0xEE, 40, 50, 60, 0xDD}; // padding bytes kept as they are
    std::memcpy(bits, rows, sizeof rows);
    return dib;
}

HGLOBAL ToBlock(const std::vector<BYTE>& bytes) {
    HGLOBAL block = GlobalAlloc(GHND, bytes.size());
    GlobalLockGuard lock(block);
    std::memcpy(lock.get(), bytes.data(), bytes.size());
    return block;
}

std::vector<BYTE> FromBlock(HGLOBAL block) {
    GlobalLockGuard lock(block);
    const auto* p = static_cast<const BYTE*>(lock.get());
    return std::vector<BYTE>(p, p + lock.size());
}

BITMAPINFOHEADER HeaderOf(const std::vector<BYTE>& dib) {
    BITMAPINFOHEADER h{};
    std::memcpy(&h, dib.data(), sizeof h);
    return h;
}
} // namespace

TEST(QtClipboard, DibRoundTripsByteForByteThroughImageBmp) {
    const std::vector<BYTE> dib = EightBitDib();
    QtClipboard clipboard;
    ASSERT_TRUE(clipboard.Open());
    EXPECT_TRUE(clipboard.Empty());
    EXPECT_TRUE(clipboard.SetData(CF_DIB, ToBlock(dib)));
    clipboard.Close();

    // Other programs see a bitmap file and a plain picture.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    const QByteArray bmp = mime->data(QStringLiteral("image/bmp"));
    ASSERT_EQ(bmp.size(), static_cast<qsizetype>(14 + dib.size()));
    BITMAPFILEHEADER file{};
    std::memcpy(&file, bmp.constData(), sizeof file);
    EXPECT_EQ(WORD{file.bfType}, DIB_FILE_TYPE);
    EXPECT_EQ(DWORD{file.bfSize}, 14 + dib.size());
    EXPECT_EQ(DWORD{file.bfOffBits}, 14u + 40u + 1024u);
    EXPECT_EQ(std::memcmp(bmp.constData() + 14, dib.data(), dib.size()), 0);
    ASSERT_TRUE(mime->hasImage());
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(qGray(image.pixel(0, 1)), 10); // bottom-up: first scan line is the bottom row
    EXPECT_EQ(qGray(image.pixel(2, 0)), 60);

    EXPECT_TRUE(clipboard.IsFormatAvailable(CF_DIB));
    EXPECT_FALSE(clipboard.IsFormatAvailable(2));
    ASSERT_TRUE(clipboard.Open());
    HGLOBAL pasted = clipboard.GetData(CF_DIB);
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(FromBlock(pasted), dib);
    clipboard.Close();
}

TEST(QtClipboard, PlainPictureBecomesABottomUpDib) {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(2, 0, qRgb(0, 0, 255));
    picture.setPixel(0, 1, qRgb(1, 2, 3));
    picture.setPixel(1, 1, qRgb(4, 5, 6));
    picture.setPixel(2, 1, qRgb(7, 8, 9));
    QGuiApplication::clipboard()->setImage(picture);

    QtClipboard clipboard;
    EXPECT_TRUE(clipboard.IsFormatAvailable(CF_DIB));
    ASSERT_TRUE(clipboard.Open());
    HGLOBAL block = clipboard.GetData(CF_DIB);
    ASSERT_NE(block, nullptr);
    const std::vector<BYTE> dib = FromBlock(block);
    clipboard.Close();

    ASSERT_EQ(dib.size(), 40u + 2 * 12u); // rows of 9 bytes padded to 12
    const BITMAPINFOHEADER h = HeaderOf(dib);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, BI_RGB);
    const BYTE* bits = dib.data() + 40;
    // First scan line = bottom row, blue green red.
    const BYTE bottom[9] = {3, 2, 1, 6, 5, 4, 9, 8, 7};
    const BYTE top[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};
    EXPECT_EQ(std::memcmp(bits, bottom, 9), 0);
    EXPECT_EQ(std::memcmp(bits + 12, top, 9), 0);
}

TEST(QtClipboard, PictureWithAlphaBecomesA32BitDib) {
    QImage picture(1, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(10, 20, 30, 128));
    const QByteArray dib = ImageToPackedDib(picture);
    ASSERT_EQ(dib.size(), 44);
    BITMAPINFOHEADER h{};
    std::memcpy(&h, dib.constData(), sizeof h);
    EXPECT_EQ(h.biBitCount, 32);
    EXPECT_EQ(static_cast<BYTE>(dib[40]), 30);
    EXPECT_EQ(static_cast<BYTE>(dib[41]), 20);
    EXPECT_EQ(static_cast<BYTE>(dib[42]), 10);
    EXPECT_EQ(static_cast<BYTE>(dib[43]), 128);
}

TEST(QtClipboard, OpenFailsWhileOpenAndDataNeedsAnOpenClipboard) {
    QtClipboard clipboard;
    EXPECT_EQ(clipboard.GetData(CF_DIB), nullptr);
    HGLOBAL block = ToBlock(EightBitDib());
    EXPECT_FALSE(clipboard.SetData(CF_DIB, block)); // not open: the caller keeps the block
    EXPECT_EQ(GlobalFree(block), nullptr);
    ASSERT_TRUE(clipboard.Open());
    EXPECT_FALSE(clipboard.Open());
    EXPECT_TRUE(clipboard.Empty());
    EXPECT_FALSE(clipboard.IsFormatAvailable(CF_DIB));
    EXPECT_EQ(clipboard.GetData(CF_DIB), nullptr);
    clipboard.Close();
    EXPECT_TRUE(clipboard.Open());
    clipboard.Close();
}

TEST(QtClipboard, BitmapFileHeaderSkipsMasksAndColourTable) {
    // A 32-bit DIB with bit-field masks: pixels start after 40 + 12 bytes.
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = 1;
    h.biHeight = 1;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_BITFIELDS;
    std::vector<BYTE> dib(sizeof h + 12 + 4);
    std::memcpy(dib.data(), &h, sizeof h);
    QByteArray bmp = PackedDibToBmpFile(dib.data(), dib.size());
    BITMAPFILEHEADER file{};
    std::memcpy(&file, bmp.constData(), sizeof file);
    EXPECT_EQ(DWORD{file.bfOffBits}, 14u + 40u + 12u);
    // A colour count past the data never points past the block.
    h.biBitCount = 8;
    h.biCompression = BI_RGB;
    h.biClrUsed = 1000000;
    std::memcpy(dib.data(), &h, sizeof h);
    bmp = PackedDibToBmpFile(dib.data(), dib.size());
    std::memcpy(&file, bmp.constData(), sizeof file);
    EXPECT_LE(DWORD{file.bfOffBits}, 14u + dib.size());
    // The count is 16-bit, as the program reads the block: 0x10002 is 2 entries.
    h.biClrUsed = 0x10002;
    std::memcpy(dib.data(), &h, sizeof h);
    bmp = PackedDibToBmpFile(dib.data(), dib.size());
    std::memcpy(&file, bmp.constData(), sizeof file);
    EXPECT_EQ(DWORD{file.bfOffBits}, 14u + 40u + 2u * 4u);
    // Too short to be a DIB, or not a bitmap file at all.
    EXPECT_TRUE(PackedDibToBmpFile(dib.data(), 2).isEmpty());
    EXPECT_TRUE(BmpFileToPackedDib(QByteArray("PK\x03\x04 not a bitmap")).isEmpty());
}

namespace {
// Scripted services whose clipboard is the desktop's.
class DesktopClipboardServices : public ScriptedServices {
  public:
    IClipboard& Clipboard() override { return desktop; }
    QtClipboard desktop;
};
} // namespace

// A bitmap file from another program may leave a gap between its colour
// table and its pixels; the paste finds them where the file header says, as
// opening the file does.
TEST(QtClipboard, PastedBitmapFileWithAGapShowsItsOwnPixels) {
    int gaps = 0;
    for (const corpus::Recipe& recipe : corpus::AllKinds()) {
        if (recipe.gap == 0)
            continue;
        ++gaps;
        const corpus::Bitmap bmp = corpus::Make(recipe);
        DesktopClipboardServices services;
        CDibDoc doc;
        ScriptedViewHost host;
        CDibView view;
        view.AttachHost(&host);
        doc.AddView(&view);
        const corpus::Bitmap first = corpus::Make(corpus::Of("first", 24));
        ASSERT_TRUE(doc.OnOpenDocument(testutil::WriteTemp("first", first.file)));
        services.messages.clear();

        auto* mime = new QMimeData;
        mime->setData(QStringLiteral("image/bmp"),
                      QByteArray(reinterpret_cast<const char*>(bmp.file.data()),
                                 static_cast<qsizetype>(bmp.file.size())));
        QGuiApplication::clipboard()->setMimeData(mime);
        view.OnEditPaste();
        EXPECT_TRUE(services.messages.empty())
            << recipe.name << ": " << (services.messages.empty() ? "" : services.messages[0].text);
        EXPECT_EQ(doc.GetImageSize(), CSize(recipe.width, recipe.height)) << recipe.name;
        EXPECT_EQ(testutil::Decode(doc.GetDibBlock(), 0, 0, recipe.width, recipe.height),
                  bmp.expected)
            << recipe.name;
        doc.RemoveView(&view);
    }
    EXPECT_GE(gaps, 4);
}

TEST(QtClipboard, BitsOffsetIsTheFileHeadersLessItsOwnSize) {
    const corpus::Bitmap gap = [] {
        corpus::Recipe r = corpus::Of("gap", 8);
        r.gap = 50;
        return corpus::Make(r);
    }();
    const QByteArray file(reinterpret_cast<const char*>(gap.file.data()),
                          static_cast<qsizetype>(gap.file.size()));
    EXPECT_EQ(BmpFileBitsOffset(file), 40u + 1024u + 50u);
    // An offset inside the file header says nothing.
    QByteArray inside = file;
    inside[10] = 7;
    inside[11] = inside[12] = inside[13] = 0;
    EXPECT_EQ(BmpFileBitsOffset(inside), 0u);
    EXPECT_EQ(BmpFileBitsOffset(file.left(9)), 0u);
}
