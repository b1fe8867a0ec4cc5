// Frames of the other side, painted as the window paints them: a front and a
// back scan of 8000 x 5000 pixels (24-bit), the back registered through a
// projective transform (mirrored, turned by 3 degrees, 1.02 times as large,
// in perspective), painted through PaintSides and the Qt device context into
// a 1600 x 1000 and a 3840 x 2160 RGB32 back buffer at zoom exponents -2, -1,
// 0, 1 and 3, each frame at a random place:
//  - front     the front alone, through PaintScan (what the window paints
//              without an other side), for comparison;
//  - back      the back shown, through its transform;
//  - xray      the back shown with the front blended over it at 50 %.
//
//   bench_other_side [--frames N] [--cores N] [--only TEXT]
//
// Each figure is the median over N frames (default 15) and a ratio against
// a memcpy of one 32-bit frame of the same size, measured in the same run.
// --cores 1 paints on one core; --only runs the cases whose name, such as
// "1600x1000 2^-2 back", contains TEXT.
#include "bench/bench_util.h"
#include "board/registration.h"
#include "image/dib_doc.h"
#include "image/other_side_paint.h"
#include "image/scan_paint.h"
#include "platform/parallel_parts.h"
#include "platform/qt/qt_dc.h"
#include "platform/scripted/scripted_services.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 5000;
constexpr int kExponents[] = {-2, -1, 0, 1, 3};

using bench::Clock;
using bench::Median;
using bench::Millis;

registration::Transform PhotoOfBack() {
    const double a = 3.0 * M_PI / 180.0, s = 1.02;
    const double cx = (kWidth - 1) / 2.0, cy = (kHeight - 1) / 2.0;
    const double m00 = -s * std::cos(a), m01 = -s * std::sin(a), m10 = -s * std::sin(a), m11 = s * std::cos(a);
    const registration::Transform affine(
        {m00, m01, cx - m00 * cx - m01 * cy, m10, m11, cy - m10 * cx - m11 * cy, 0, 0, 1});
    const double p = 2e-6;
    return registration::Transform({1, 0, 0, 0, 1, 0, p, -p, 1 - p * cx + p * cy}).After(affine);
}

enum class Kind { Front, Back, XRay };
const char* Name(Kind kind) { return kind == Kind::Front ? "front" : kind == Kind::Back ? "back" : "xray"; }

double FrameMs(QImage& buffer, const CDibDoc& doc, Kind kind, int exponent, QPoint scroll) {
    SidesShown shown;
    shown.back = kind != Kind::Front;
    shown.xray = kind == Kind::XRay;
    const auto start = Clock::now();
    {
        QPainter painter(&buffer);
        QtPainterDC dc(painter, QTransform::fromTranslate(-scroll.x(), -scroll.y()),
                       buffer.rect().translated(scroll));
        CRect painted;
        if (kind == Kind::Front)
            PaintScan(dc, doc, exponent, &painted);
        else
            PaintSides(dc, doc, shown, ScanLines{600, 600}, exponent, &painted);
    }
    return Millis(Clock::now() - start);
}

void Run(const CDibDoc& doc, const QSize& view, int frames, const std::string& only) {
    QImage buffer(view, QImage::Format_RGB32);
    std::mt19937 random(42);
    const double memcpyMs = bench::MemcpyFrameMs(view.width(), view.height(), frames * 4);
    std::printf("%dx%d view, memcpy of one frame %.3f ms\n", view.width(), view.height(), memcpyMs);
    for (const int exponent : kExponents) {
        const int zoomedW = ScanExtentAtZoom(kWidth, exponent), zoomedH = ScanExtentAtZoom(kHeight, exponent);
        std::uniform_int_distribution<int> x(0, std::max(0, zoomedW - view.width()));
        std::uniform_int_distribution<int> y(0, std::max(0, zoomedH - view.height()));
        for (const Kind kind : {Kind::Front, Kind::Back, Kind::XRay}) {
            const std::string name = std::to_string(view.width()) + "x" + std::to_string(view.height()) +
                                     " 2^" + std::to_string(exponent) + " " + Name(kind);
            if (name.find(only) == std::string::npos)
                continue;
            std::vector<double> times;
            for (int i = 0; i < frames; ++i)
                times.push_back(FrameMs(buffer, doc, kind, exponent, QPoint(x(random), y(random))));
            const double ms = Median(times);
            std::printf("  zoom 2^%-2d %-5s %8.2f ms  %6.1f x memcpy\n", exponent, Name(kind), ms, ms / memcpyMs);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    int frames = 15;
    std::string only;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--frames") == 0)
            frames = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--cores") == 0)
            parallel::LimitPartsAtOnce(std::max(1, std::atoi(argv[i + 1])));
        else if (std::strcmp(argv[i], "--only") == 0)
            only = argv[i + 1];
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    ScriptedServices services;
    CDibDoc doc;
    if (!doc.AcceptDibBlock(bench::MakeStructuredScan(kWidth, kHeight, 24)))
        return 1;
    auto side = std::make_unique<OtherSide>();
    side->scan = std::make_unique<CDibDoc>();
    if (!side->scan->AcceptDibBlock(bench::MakeStructuredScan(kWidth, kHeight, 24)))
        return 1;
    side->lines = {600, 600};
    side->registered = PhotoOfBack();
    doc.SetOtherSide(std::move(side));
    for (const QSize view : {QSize(1600, 1000), QSize(3840, 2160)})
        Run(doc, view, frames, only);
    return 0;
}
