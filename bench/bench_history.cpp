// Cost of the undo history on a full board: 20000 pads and 20000 tracks.
//   CopyBoard            reference: copying both arrays once (memcpy)
//   UndoRedoMove         undo and redo of one pad moved with its step
//   UndoRedoDelete       undo and redo of deleting pad 100 (the arrays close
//                        up and open again behind it)
//   UndoRedoRotateAll    undo and redo of a select-all rotation, a step
//                        that holds the whole board
//   HistoryOfSingleSteps memory of 10000 single-pad moves: the history's own
//                        count (history_bytes) and what the heap grew by
//                        (heap_bytes), both per run
//
// Run: build/bench/bench_history --benchmark_repetitions=5
//      --benchmark_report_aggregates_only=true
#include "board/dib_view.h"
#include "board/keys.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kImageWidth = 8000;
constexpr int kImageHeight = 6000;

// Repaint requests are counted, not kept, so that millions of runs stay small.
class CountingHost : public ScriptedViewHost {
  public:
    CountingHost() : ScriptedViewHost(CRect(0, 0, 1600, 1000)) {}
    void Invalidate(bool) override { ++invalidated; }
    void InvalidateRect(const CRect&, bool) override { ++invalidated; }
    long long invalidated = 0;
};

struct Board {
    ScriptedServices services;
    CountingHost host;
    CDibView view;

    Board() {
        view.AttachHost(&host);
        view.m_nImageWidth = kImageWidth;
        view.m_nImageHeight = kImageHeight;
        view.SetScrollSizes(MM_TEXT, CSize(kImageWidth, kImageHeight));
        std::mt19937 rng(42);
        std::uniform_real_distribution<float> x(0, kImageWidth), y(0, kImageHeight);
        std::vector<Pad> pads(static_cast<std::size_t>(g_nMaxItems));
        std::vector<Track> tracks(static_cast<std::size_t>(g_nMaxItems));
        for (Pad& p : pads)
            p = {std::floor(x(rng)), std::floor(y(rng))};
        for (Track& t : tracks) {
            const float x1 = std::floor(x(rng)), y1 = std::floor(y(rng));
            t = {x1, y1, x1 + 50, y1 + 20, 1};
        }
        view.ReplaceBoard(pads, tracks, board::StepKind::OpenWorkFile);
        view.m_History.Clear();
    }
    ~Board() { view.ClearBoard(); }
};

void BM_CopyBoard(benchmark::State& state) {
    Board board;
    std::vector<Pad> pads(static_cast<std::size_t>(g_nMaxItems));
    std::vector<Track> tracks(static_cast<std::size_t>(g_nMaxItems));
    for (auto _ : state) {
        std::memcpy(pads.data(), board.view.m_pPads, pads.size() * sizeof(Pad));
        std::memcpy(tracks.data(), board.view.m_pTracks, tracks.size() * sizeof(Track));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyBoard)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoMove(benchmark::State& state) {
    Board board;
    board.view.SetPadPosition(100, 5, 5);
    for (auto _ : state) {
        board.view.OnEditUndo();
        board.view.OnEditRedo();
    }
}
BENCHMARK(BM_UndoRedoMove)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoDelete(benchmark::State& state) {
    Board board;
    board.view.RemoveObjects({100}, {}, board::StepKind::Delete);
    for (auto _ : state) {
        board.view.OnEditUndo();
        board.view.OnEditRedo();
    }
}
BENCHMARK(BM_UndoRedoDelete)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoRotateAll(benchmark::State& state) {
    Board board;
    board.view.OnSelectAll();
    board.view.OnKeyDown(VK_SPACE, 1, 0);
    for (auto _ : state) {
        board.view.OnEditUndo();
        board.view.OnEditRedo();
    }
}
BENCHMARK(BM_UndoRedoRotateAll)->Unit(benchmark::kMicrosecond);

void BM_HistoryOfSingleSteps(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto board = std::make_unique<Board>();
        const std::size_t heapBefore = mallinfo2().uordblks;
        state.ResumeTiming();
        for (int i = 0; i < 10000; ++i)
            board->view.SetPadPosition(i, static_cast<float>(i), 7);
        state.PauseTiming();
        state.counters["history_bytes"] = static_cast<double>(board->view.m_History.Bytes());
        state.counters["heap_bytes"] = static_cast<double>(mallinfo2().uordblks - heapBefore);
        board.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HistoryOfSingleSteps)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
