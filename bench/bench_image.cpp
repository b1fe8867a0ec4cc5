// Opening and painting a big scan.
//
//   bench_image [--dir DIR] [--frames N]
//
// Writes an 8000 x 6000 24-bit scan (144 MB) into DIR (default /tmp), then
// measures, in this one run:
//  - reading the file into memory with plain reads, against opening it as a
//    document (median of several runs each, alternating, file in the page
//    cache for both);
//  - the peak memory of a fresh process that opens it, over the same process
//    before the open;
//  - painting a 1600 x 1000 viewport scrolled to the middle of the picture
//    at zoom 1, 2, 8 and 32 through the view's OnDraw into a QImage with
//    Qt's raster engine (median time per frame).
//
//   bench_image --reduced [--frames N]
//
// Reduced paints, each against painting a 1600 x 1000 viewport of the same
// picture at zoom 1 in the same run (median time per frame, and the ratio):
//  - a 16000 x 10000 24-bit scan (160 megapixels, in memory) shrunk whole
//    into 1600 x 1000, as a page of it is drawn;
//  - a 1,082-byte run-length bitmap declaring 2147483647 x 2147483647
//    pixels shrunk onto a 4800 x 4800 page (a page width at 600 dpi), the
//    print preview case.
#include "bench/bench_util.h"
#include "board/dib_view.h"
#include "image/dib_doc.h"
#include "platform/qt/dib_blit.h"
#include "platform/scripted/scripted_services.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;
constexpr int kViewWidth = 1600;
constexpr int kViewHeight = 1000;

using bench::Clock;
using bench::Median;
using bench::Millis;
using bench::StatusKb;

bool WriteScan(const std::string& path) { return bench::WriteBmpScan(path, kWidth, kHeight, 7874); }

double PlainRead(const std::string& path) {
    const auto start = Clock::now();
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    std::fseek(fp, 0, SEEK_END);
    const long size = std::ftell(fp);
    std::fseek(fp, 0, SEEK_SET);
    char* buffer = static_cast<char*>(std::malloc(std::size_t(size)));
    const std::size_t got = std::fread(buffer, 1, std::size_t(size), fp);
    std::fclose(fp);
    const double ms = Millis(Clock::now() - start);
    if (got != std::size_t(size))
        std::fprintf(stderr, "short read\n");
    std::free(buffer);
    return ms;
}

double DocumentOpen(const std::string& path) { return bench::TimedDocumentOpen(path); }

// Run in a fresh process: peak memory before and after opening.
int MeasureOpenMemory(const std::string& path) {
    ScriptedServices services;
    const long before = StatusKb("VmHWM:");
    CDibDoc doc;
    if (!doc.OnOpenDocument(path))
        return 1;
    const long after = StatusKb("VmHWM:");
    std::printf("%ld %ld\n", before, after);
    return 0;
}

long ChildPeakGrowthKb(const std::string& self, const std::string& path) {
    long before = 0, after = 0;
    const std::string text = bench::RunMeasuringChild(self, path);
    if (std::sscanf(text.c_str(), "%ld %ld", &before, &after) != 2)
        return -1;
    return after - before;
}

// A device context painting into a QImage through the Qt blits: the window
// shows kViewWidth x kViewHeight pixels from the scroll position on.
class ImageDC : public CDC {
  public:
    ImageDC(QPainter& painter, CPoint scroll)
        : m_painter(painter), m_visible(scroll.x, scroll.y, kViewWidth, kViewHeight) {
        m_painter.translate(-scroll.x, -scroll.y);
    }
    Pen SelectPen(const Pen& p) override { return p; }
    Brush SelectBrush(const Brush& b) override { return b; }
    CPoint MoveTo(int, int) override { return {}; }
    bool LineTo(int, int) override { return true; }
    bool Ellipse(int, int, int, int) override { return true; }
    void FillSolidRect(const CRect&, COLORREF) override {}
    int SetStretchBltMode(int) override { return COLORONCOLOR; }
    CPalette* SelectPalette(CPalette*, bool) override { return nullptr; }
    UINT RealizePalette() override { return 0; }
    int GetDeviceCaps(int) const override { return 96; }
    bool IsPrinting() const override { return false; }
    CRect GetClipBox() const override {
        return CRect(m_visible.left(), m_visible.top(), m_visible.right() + 1,
                     m_visible.bottom() + 1);
    }
    int SetDIBitsToDevice(int xd, int yd, DWORD w, DWORD h, int xs, int ys, UINT start, UINT n,
                          const void* bits, const BITMAPINFO* info, UINT usage,
                          std::size_t bytes) override {
        return QtSetDIBitsToDevice(m_painter, m_visible, xd, yd, w, h, xs, ys, start, n, bits,
                                   info, usage, bytes);
    }
    int StretchDIBits(int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs,
                      const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop,
                      std::size_t bytes) override {
        return QtStretchDIBits(m_painter, m_visible, xd, yd, wd, hd, xs, ys, ws, hs, bits, info,
                               usage, rop, bytes);
    }

  private:
    QPainter& m_painter;
    QRect m_visible;
};

double PaintFrames(CDibView& view, int zoom, int frames, QImage& target) {
    view.m_nScale = zoom;
    const CPoint scroll(kWidth * zoom / 2 - kViewWidth / 2, kHeight * zoom / 2 - kViewHeight / 2);
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const auto start = Clock::now();
        QPainter painter(&target);
        ImageDC dc(painter, scroll);
        view.OnDraw(&dc);
        painter.end();
        times.push_back(Millis(Clock::now() - start));
    }
    return Median(times);
}

// A bottom-up 24-bit picture in memory: header, then bits.
std::vector<BYTE> MemoryScan(int width, int height) {
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    std::vector<BYTE> block(40 + stride * height);
    BITMAPINFOHEADER ih{40, width, height, 1, 24, BI_RGB, DWORD(stride * height), 0, 0, 0, 0};
    std::memcpy(block.data(), &ih, sizeof ih);
    for (int y = 0; y < height; ++y) {
        BYTE* row = block.data() + 40 + stride * y;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = BYTE(x * 7 + y);
            row[3 * x + 1] = BYTE((x / 16 + y / 16) & 1 ? 200 : 40);
            row[3 * x + 2] = BYTE(y * 3);
        }
    }
    return block;
}

std::vector<BYTE> HugeRle() {
    std::vector<BYTE> block(40 + 1024);
    BITMAPINFOHEADER ih{40, 0x7FFFFFFF, 0x7FFFFFFF, 1, 8, BI_RLE8, 4, 0, 0, 0, 0};
    std::memcpy(block.data(), &ih, sizeof ih);
    for (int i = 0; i < 256; ++i)
        block[40 + 4 * i] = block[41 + 4 * i] = block[42 + 4 * i] = BYTE(i);
    block.insert(block.end(), {2, 5, 0, 1});
    return block;
}

// Median time to paint src (w x h of the block's picture from the top left)
// into the whole target.
double StretchFrames(const std::vector<BYTE>& block, int w, int h, QImage& target, int frames) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(block.data());
    const std::size_t infoBytes = info->bmiHeader.biCompression == BI_RLE8 ? 40 + 1024 : 40;
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const auto start = Clock::now();
        QPainter painter(&target);
        QtStretchDIBits(painter, target.rect(), 0, 0, target.width(), target.height(), 0, 0, w, h,
                        block.data() + infoBytes, info, DIB_RGB_COLORS, SRCCOPY,
                        block.size() - infoBytes);
        times.push_back(Millis(Clock::now() - start));
    }
    return Median(times);
}

double ViewportFrames(const std::vector<BYTE>& block, int w, int h, int frames) {
    QImage target(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(block.data());
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const auto start = Clock::now();
        QPainter painter(&target);
        QtSetDIBitsToDevice(painter, target.rect(), 0, 0, kViewWidth, kViewHeight,
                            w / 2 - kViewWidth / 2, h / 2 - kViewHeight / 2, 0, UINT(h),
                            block.data() + 40, info, DIB_RGB_COLORS, block.size() - 40);
        times.push_back(Millis(Clock::now() - start));
    }
    return Median(times);
}

int ReducedFigures(int frames, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    constexpr int kScanW = 16000, kScanH = 10000;
    const std::vector<BYTE> scan = MemoryScan(kScanW, kScanH);
    const double reference = ViewportFrames(scan, kScanW, kScanH, frames);
    std::printf("reference: 1600x1000 viewport of the 160-megapixel scan at zoom 1: median %.2f ms "
                "(%d frames)\n",
                reference, frames);
    QImage view(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const double reduced = StretchFrames(scan, kScanW, kScanH, view, frames);
    std::printf("whole 16000x10000 scan shrunk into 1600x1000: median %.2f ms, %.2f x reference\n",
                reduced, reduced / reference);
    const std::vector<BYTE> huge = HugeRle();
    QImage page(4800, 4800, QImage::Format_RGB32); // a page width at 600 dpi
    const int hugeFrames = std::max(1, std::min(frames, 3));
    const double preview = StretchFrames(huge, 0x7FFFFFFF, 0x7FFFFFFF, page, hugeFrames);
    std::printf("1082-byte RLE of 2147483647^2 shrunk onto a 4800x4800 page (600 dpi): median %.2f ms "
                "(%d frames), %.2f x reference\n",
                preview, hugeFrames, preview / reference);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string dir = "/tmp";
    int frames = 60;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--measure-open" && i + 1 < argc)
            return MeasureOpenMemory(argv[i + 1]);
        if (arg == "--reduced") {
            for (int k = i + 1; k + 1 < argc; ++k)
                if (std::string(argv[k]) == "--frames")
                    frames = std::max(1, std::atoi(argv[k + 1]));
            return ReducedFigures(frames, argv);
        }
        if (arg == "--dir" && i + 1 < argc)
            dir = argv[++i];
        else if (arg == "--frames" && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));
    }
    const std::string path = dir + "/bench-image-8000x6000.bmp";
    if (!WriteScan(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    const double fileMb = (14.0 + 40 + 3.0 * kWidth * kHeight) / (1024 * 1024);
    std::printf("scan: %s, %d x %d, 24 bits, %.1f MiB\n", path.c_str(), kWidth, kHeight, fileMb);

    PlainRead(path); // into the page cache
    std::vector<double> reads, opens;
    for (int i = 0; i < 5; ++i) {
        reads.push_back(PlainRead(path));
        opens.push_back(DocumentOpen(path));
    }
    const double read = Median(reads), open = Median(opens);
    std::printf("read into memory: %.1f ms   open as document: %.1f ms   ratio %.2f (limit 1.50)\n",
                read, open, open / read);

    const long growthKb = ChildPeakGrowthKb("/proc/self/exe", path);
    std::printf("peak memory of a fresh process opening it: +%.1f MiB over the empty program "
                "(limit %.1f MiB)\n",
                growthKb / 1024.0, fileMb + 100);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    ScriptedServices services;
    CDibDoc doc;
    if (!doc.OnOpenDocument(path))
        return 1;
    {
        CDibView view;
        doc.AddView(&view);
        QImage target(kViewWidth, kViewHeight, QImage::Format_RGB32);
        for (int zoom : {1, 2, 8, 32})
            std::printf("paint %dx%d at zoom %2d, scrolled to the middle: median %.2f ms per frame "
                        "(%d frames)\n",
                        kViewWidth, kViewHeight, zoom, PaintFrames(view, zoom, frames, target),
                        frames);
        doc.RemoveView(&view);
    }
    std::remove(path.c_str());
    return 0;
}
