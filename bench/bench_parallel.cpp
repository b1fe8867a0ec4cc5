// What sharing work out over the cores costs and gains: a call whose parts
// do nothing (the price of waking the helpers and waiting for them), and a
// copy of one 32-bit frame on one core and shared out.
#include "platform/parallel_parts.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void BM_EmptyParts(benchmark::State& state) {
    const int parts = static_cast<int>(state.range(0));
    for (auto _ : state)
        parallel::RunParts(parts, [](int part) { benchmark::DoNotOptimize(part); });
}
BENCHMARK(BM_EmptyParts)->Arg(1)->Arg(2)->Arg(8);

// Copies a frame of the given width and height, rows shared out over
// state.range(2) parts.
void BM_FrameCopy(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const int parts = static_cast<int>(state.range(2));
    std::vector<std::uint32_t> from(std::size_t(width) * height, 0xFF336699u), to(from.size());
    for (auto _ : state) {
        parallel::RunParts(parts, [&](int k) {
            const std::size_t first = from.size() * std::size_t(k) / std::size_t(parts);
            const std::size_t end = from.size() * std::size_t(k + 1) / std::size_t(parts);
            std::memcpy(to.data() + first, from.data() + first, (end - first) * 4);
        });
        benchmark::DoNotOptimize(to.data());
    }
}
BENCHMARK(BM_FrameCopy)->Args({1600, 1000, 1})->Args({1600, 1000, 2})->Args({3840, 2160, 1})->Args({3840, 2160, 2})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
