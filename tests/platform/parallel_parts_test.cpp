#include "platform/parallel_parts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sys/wait.h>
#include <unistd.h>
#include <set>
#include <thread>
#include <vector>

namespace {

// Every part of `count` runs exactly once, whatever the number of threads.
void ExpectEachPartOnce(int count) {
    std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
    parallel::RunParts(count, [&](int part) { runs[static_cast<std::size_t>(part)].fetch_add(1); });
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(runs[static_cast<std::size_t>(i)].load(), 1) << "part " << i << " of " << count;
}

TEST(ParallelParts, RunsEveryPartOnceForAnyCountAndLimit) {
    for (int limit : {0, 1, 2, 5}) {
        parallel::LimitPartsAtOnce(limit);
        for (int count : {1, 2, 3, 7, 64, 1000})
            ExpectEachPartOnce(count);
    }
    parallel::LimitPartsAtOnce(0);
    int calls = 0;
    parallel::RunParts(0, [&](int) { ++calls; });
    parallel::RunParts(-3, [&](int) { ++calls; });
    EXPECT_EQ(calls, 0);
}

TEST(ParallelParts, LimitOfOneRunsOnTheCallersThread) {
    parallel::LimitPartsAtOnce(1);
    EXPECT_EQ(parallel::PartsAtOnce(), 1);
    const std::thread::id caller = std::this_thread::get_id();
    bool elsewhere = false;
    parallel::RunParts(50, [&](int) { elsewhere = elsewhere || std::this_thread::get_id() != caller; });
    EXPECT_FALSE(elsewhere);
    parallel::LimitPartsAtOnce(0);
    EXPECT_GE(parallel::PartsAtOnce(), 1);
}

TEST(ParallelParts, WaitsForEveryPartBeforeReturning) {
    // Slow parts: a return before they finish would leave sums unwritten.
    std::vector<long> sums(16, 0);
    parallel::RunParts(16, [&](int part) {
        long s = 0;
        for (long i = 0; i < 200000; ++i)
            s += i % (part + 2);
        sums[static_cast<std::size_t>(part)] = s;
    });
    for (int part = 0; part < 16; ++part) {
        long s = 0;
        for (long i = 0; i < 200000; ++i)
            s += i % (part + 2);
        EXPECT_EQ(sums[static_cast<std::size_t>(part)], s);
    }
}

TEST(ParallelParts, NestedAndConcurrentCallsEachFinishTheirParts) {
    std::atomic<int> inner{0};
    parallel::RunParts(8, [&](int) { parallel::RunParts(5, [&](int) { inner.fetch_add(1); }); });
    EXPECT_EQ(inner.load(), 40);

    std::atomic<int> a{0}, b{0};
    std::thread other([&] {
        for (int i = 0; i < 200; ++i)
            parallel::RunParts(9, [&](int) { a.fetch_add(1); });
    });
    for (int i = 0; i < 200; ++i)
        parallel::RunParts(7, [&](int) { b.fetch_add(1); });
    other.join();
    EXPECT_EQ(a.load(), 200 * 9);
    EXPECT_EQ(b.load(), 200 * 7);
}

TEST(ParallelParts, AForkedChildRunsItsPartsAlone) {
    parallel::RunParts(4, [](int) {}); // the helpers are running
    const pid_t child = fork();
    if (child == 0) {
        int sum = 0;
        parallel::RunParts(10, [&](int part) { sum += part; }); // would hang waiting for helpers
        _exit(sum == 45 && parallel::PartsAtOnce() == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
