// Opening a big scan in the running program: how long from the open until
// its window is painted (showing how far the read has got), and until the
// picture is in, against decoding the same file in place as the program
// did before reads moved off the interface thread.
//
//   QT_QPA_PLATFORM=offscreen bench_open_window [MEGAPIXELS] [RUNS] [bmp|png|tif]
//
// Writes a 24-bit scan of 16000 x 10000 (160 megapixels; 480 MB) by
// default into the working directory (a PNG or TIFF from the BMP), and
// keeps it for the next run.
#include "app/child_frame.h"
#include "app/loading_panel.h"
#include "app/trace_app.h"
#include "bench/bench_util.h"
#include "board/params.h"
#include "image/formats/image_open.h"
#include "image/formats/image_writer.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using bench::Clock;

// Notes when a loading panel is first painted.
class FirstPaint : public QObject {
  public:
    std::optional<Clock::time_point> at;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!at && event->type() == QEvent::Paint && qobject_cast<LoadingPanel*>(watched))
            at = Clock::now();
        return false;
    }
};

double DecodeInPlaceMs(const std::string& path) {
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp)
        return -1;
    const auto start = Clock::now();
    DecodeResult result = DecodeImageStream(fp);
    const double ms = bench::Millis(Clock::now() - start);
    std::fclose(fp);
    GlobalFree(result.block);
    return result.failure == DecodeFailure::None ? ms : -1;
}

// The BMP's picture written as `format` to `path`.
bool WriteAs(const std::string& bmp, ImageFormat format, const std::string& path) {
    std::FILE* in = std::fopen(bmp.c_str(), "rb");
    if (!in)
        return false;
    DecodeResult decoded = DecodeImageStream(in);
    std::fclose(in);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::string refusal;
    const bool written = out && decoded.block && WriteImageFile(decoded.block, format, out, refusal);
    if (out)
        std::fclose(out);
    GlobalFree(decoded.block);
    return written;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", state.path().toLocal8Bit());
    QApplication application(argc, argv);
    const double megapixels = argc > 1 ? std::atof(argv[1]) : 160;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const int height = static_cast<int>(std::sqrt(megapixels * 1e6 / 1.6));
    const int width = static_cast<int>(megapixels * 1e6 / height);
    const std::string kind = argc > 3 ? argv[3] : "bmp";
    const std::string stem = std::filesystem::absolute(
        "bench-open-" + std::to_string(width) + "x" + std::to_string(height));
    const std::string bmp = stem + ".bmp";
    const std::string path = stem + "." + kind;
    if (!std::filesystem::exists(bmp) && !bench::WriteBmpScan(bmp, width, height, 39370)) {
        std::fprintf(stderr, "cannot write %s\n", bmp.c_str());
        return 1;
    }
    if (!std::filesystem::exists(path) &&
        !WriteAs(bmp, kind == "png" ? ImageFormat::Png : ImageFormat::Tiff, path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    // The views read and write their colour file in the working directory.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(state.path());
    WriteLayerColors(kLayerColorFile);

    std::vector<double> reference, firstWindow, total;
    for (int run = 0; run < runs; ++run) {
        reference.push_back(DecodeInPlaceMs(path));
        FirstPaint paint;
        application.installEventFilter(&paint);
        CTraceApp app(CTraceApp::Options{nullptr, state.path() + "/settings.ini"});
        const auto start = Clock::now();
        const bool opened = app.InitInstance(std::vector<std::string>{path});
        const auto end = Clock::now();
        application.removeEventFilter(&paint);
        if (!opened) {
            std::fprintf(stderr, "the scan did not open\n");
            return 1;
        }
        total.push_back(bench::Millis(end - start));
        firstWindow.push_back(paint.at ? bench::Millis(*paint.at - start) : -1);
    }
    QDir::setCurrent(cwd);
    const double ref = bench::Median(reference);
    const double first = bench::Median(firstWindow);
    const double all = bench::Median(total);
    std::printf("%d x %d 24-bit %s, %d runs, medians\n", width, height, kind.c_str(), runs);
    std::printf("decode in place (reference)   %8.1f ms\n", ref);
    std::printf("open: window painted after    %8.1f ms  (%.3f x reference)\n", first,
                first / ref);
    std::printf("open: picture in after        %8.1f ms  (%.3f x reference)\n", all, all / ref);
    return 0;
}
