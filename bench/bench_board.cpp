// Speed of the board editor on a full board: 20000 pads and 20000 tracks
// over an 8000 x 6000 scan in a 1600 x 1000 view.
//   DrawBoard           the board part of a repaint (a device context that
//                       only counts calls, so the figure is the board code's
//                       own: culling, mapping, pens)
//   DrawBoardPainter    the same, drawn with the program's QPainter device
//                       context into a 1600 x 1000 picture, as on screen
//   DragMove            one mouse move while dragging a pad with 40 joined
//                       track ends (model update and invalidation, no paint)
//   ZoomIn / Rotate / Mirror   one key press in select-all mode, no paint
#include "board/dib_view.h"
#include "board/keys.h"
#include "platform/qt/qt_dc.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <random>

namespace {

constexpr int kImageWidth = 8000;
constexpr int kImageHeight = 6000;
const CRect kClient(0, 0, 1600, 1000);

// Counts drawing calls and keeps nothing, so that the board code is measured
// rather than a recorder.
class CountingDC : public CDC {
  public:
    Pen SelectPen(const Pen& p) override {
        const Pen old = pen;
        pen = p;
        return old;
    }
    Brush SelectBrush(const Brush& b) override {
        const Brush old = brush;
        brush = b;
        return old;
    }
    CPoint MoveTo(int x, int y) override { return {x, y}; }
    bool LineTo(int, int) override { return ++lines > 0; }
    bool Ellipse(int, int, int, int) override { return ++ellipses > 0; }
    int SetStretchBltMode(int) override { return 0; }
    CPalette* SelectPalette(CPalette*, bool) override { return nullptr; }
    UINT RealizePalette() override { return 0; }
    int GetDeviceCaps(int) const override { return 0; }
    bool IsPrinting() const override { return false; }
    CRect GetClipBox() const override { return kClient; }
    int SetDIBitsToDevice(int, int, DWORD, DWORD, int, int, UINT, UINT, const void*,
                          const BITMAPINFO*, UINT, std::size_t) override {
        return 0;
    }
    int StretchDIBits(int, int, int, int, int, int, int, int, const void*, const BITMAPINFO*,
                      UINT, DWORD, std::size_t) override {
        return 0;
    }
    Pen pen;
    Brush brush;
    long long lines = 0;
    long long ellipses = 0;
};

// Client contexts count calls, or paint into a picture of the view's size.
class BenchHost : public ScriptedViewHost {
  public:
    BenchHost() : ScriptedViewHost(kClient) {}
    void Invalidate(bool) override { ++invalidated; }
    void InvalidateRect(const CRect&, bool) override { ++invalidated; }
    std::unique_ptr<CDC> GetClientDC() override {
        if (picture)
            return std::make_unique<QtPainterDC>(*picture);
        return std::make_unique<CountingDC>();
    }
    long long invalidated = 0;
    QImage* picture = nullptr;
};

struct Board {
    ScriptedServices services;
    BenchHost host;
    CDibView view;

    // Tracks run from a random point to a neighbour within 200 pixels, as a
    // traced board's do; pads sit at random points.
    explicit Board(int scale) {
        view.AttachHost(&host);
        view.m_nImageWidth = kImageWidth;
        view.m_nImageHeight = kImageHeight;
        view.SetScrollSizes(MM_TEXT, CSize(kImageWidth, kImageHeight));
        std::mt19937 rng(42);
        std::uniform_real_distribution<float> x(0, kImageWidth), y(0, kImageHeight);
        std::uniform_real_distribution<float> step(-200, 200);
        std::uniform_int_distribution<int> layer(1, 12);
        while (view.m_nPadCount < g_nMaxItems)
            view.AppendPad(std::floor(x(rng)), std::floor(y(rng)));
        while (view.m_nTrackCount < g_nMaxItems) {
            const float x1 = std::floor(x(rng)), y1 = std::floor(y(rng));
            view.AppendTrack(x1, y1, x1 + std::floor(step(rng)), y1 + std::floor(step(rng)),
                             layer(rng));
        }
        host.PutPointer({800, 500});
        for (int s = 1; s < scale; s *= 2)
            view.OnKeyDown(VK_PRIOR, 1, 0);
        view.ScrollToPosition({kImageWidth * scale / 2, kImageHeight * scale / 2});
    }
    ~Board() { view.ClearBoard(); }
};

void BM_DrawBoard(benchmark::State& state) {
    Board board(static_cast<int>(state.range(0)));
    for (auto _ : state)
        board.view.DrawBoard();
}
BENCHMARK(BM_DrawBoard)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_DrawBoardPainter(benchmark::State& state) {
    Board board(static_cast<int>(state.range(0)));
    QImage picture(kClient.Width(), kClient.Height(), QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    board.host.picture = &picture;
    if (state.range(1) == 1) {
        for (int layer = 1; layer <= kLayerCount; ++layer)
            board.view.m_bLayerVisible[layer] = 0;
        state.SetLabel("pads only");
    } else if (state.range(1) == 2) {
        board.view.m_nPadCount = 0;
        state.SetLabel("tracks only");
    }
    for (auto _ : state)
        board.view.DrawBoard();
}
BENCHMARK(BM_DrawBoardPainter)
    ->Args({1, 0})->Args({8, 0})->Args({1, 1})->Args({1, 2})
    ->Unit(benchmark::kMicrosecond);

// A pad in the middle of the view with 40 track ends on it, all tracks of
// the board in place; each iteration is one mouse move of the drag.
void BM_DragMove(benchmark::State& state) {
    Board board(1);
    CDibView& view = board.view;
    const CPoint scroll = view.GetScrollPosition();
    const float cx = static_cast<float>(scroll.x + 800), cy = static_cast<float>(scroll.y + 500);
    view.m_pPads[0] = Pad{cx, cy};
    for (int i = 0; i < 40; ++i)
        view.m_pTracks[i] = Track{cx, cy, cx + 50, cy + static_cast<float>(i), 1.0f};
    view.OnMoveStatus();
    view.OnLButtonDown(0, {800, 500});
    if (view.m_nSelPad != 0 || view.m_TrackBackup.size() < 40)
        state.SkipWithError("the pad was not grabbed with its 40 ends");
    int i = 0;
    for (auto _ : state) {
        const CPoint p(800 + (i & 15), 500 + ((i >> 4) & 15));
        view.OnMouseMove(0, p);
        ++i;
        // The redraw rectangle only grows during a drag; start a fresh drag
        // now and then so that the figure is that of a drag of ordinary length.
        if ((i & 255) == 0) {
            state.PauseTiming();
            view.OnRButtonDown(0, p);
            view.OnLButtonDown(0, {800, 500});
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_DragMove)->Unit(benchmark::kMicrosecond);

void BM_ZoomInOut(benchmark::State& state) {
    Board board(1);
    for (auto _ : state) {
        board.view.OnKeyDown(VK_PRIOR, 1, 0);
        board.view.OnKeyDown(VK_NEXT, 1, 0);
    }
    state.SetLabel("one zoom in and one zoom out per iteration");
}
BENCHMARK(BM_ZoomInOut)->Unit(benchmark::kMillisecond);

void BM_SelectAllKey(benchmark::State& state) {
    Board board(1);
    board.view.OnSelectAll();
    const UINT key = static_cast<UINT>(state.range(0));
    for (auto _ : state)
        board.view.OnKeyDown(key, 1, 0);
    state.SetLabel(key == VK_SPACE ? "rotate" : key == VK_KEY_X ? "mirror" : "move all");
}
BENCHMARK(BM_SelectAllKey)->Arg(VK_SPACE)->Arg(VK_KEY_X)->Arg(VK_RIGHT)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
