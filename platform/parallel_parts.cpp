#include "platform/parallel_parts.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <vector>

namespace parallel {
namespace {

// More helpers than this gain nothing for a frame's bands.
constexpr int kMaxHelpers = 7;

thread_local bool t_inPart = false;

// A process forked from one with helpers has none of them running: it does
// everything on its own thread.
std::atomic<bool> g_forked{false};

// Helper threads that sleep until a batch of parts comes, take parts from
// it until none are left, and sleep again. A frame hands over several
// batches in a row, so a helper done with one watches for the next a short
// while before it sleeps, and the caller watches for the helpers to finish
// before it sleeps: waking a sleeping thread takes tens of microseconds.
class Pool {
  public:
    static Pool& Instance() {
        static Pool pool;
        return pool;
    }

    int Helpers() const { return static_cast<int>(m_threads.size()); }

    // Runs the batch with the helpers; false when they are busy with
    // another caller's batch. The caller takes parts too; once none are
    // left it closes the batch and waits only for the helpers that joined,
    // so a helper slow to wake never holds the caller up.
    bool TryRun(int count, const std::function<void(int)>& work, int helpers) {
        std::unique_lock<std::mutex> busy(m_busy, std::try_to_lock);
        if (!busy.owns_lock())
            return false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_work = &work;
            m_count = count;
            m_next.store(0, std::memory_order_relaxed);
            m_seats = std::min(helpers, Helpers());
            m_open = true;
            m_generation.fetch_add(1, std::memory_order_release);
        }
        m_wake.notify_all();
        TakeParts(work, count);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_open = false;
        m_finished.wait(lock, [&] { return m_active == 0; });
        return true;
    }

  private:
    Pool() {
        pthread_atfork(nullptr, nullptr, [] { g_forked.store(true, std::memory_order_relaxed); });
        const unsigned cores = std::thread::hardware_concurrency();
        const int helpers = std::clamp(static_cast<int>(cores) - 1, 0, kMaxHelpers);
        for (int i = 0; i < helpers; ++i)
            m_threads.emplace_back([this] { Serve(); });
    }
    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }

    // True as soon as `done` holds, false when it still does not after
    // kWatchTime.
    template <typename Done>
    static bool WatchFor(Done done) {
        const auto until = std::chrono::steady_clock::now() + kWatchTime;
        for (;;) {
            for (int i = 0; i < 64; ++i) {
                if (done())
                    return true;
                Pause();
            }
            if (std::chrono::steady_clock::now() >= until)
                return done();
        }
    }

    static void Pause() {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }

    void TakeParts(const std::function<void(int)>& work, int count) {
        t_inPart = true;
        for (int part; (part = m_next.fetch_add(1, std::memory_order_relaxed)) < count;)
            work(part);
        t_inPart = false;
    }

    void Serve() {
        unsigned long seen = 0;
        for (;;) {
            WatchFor([&] { return m_generation.load(std::memory_order_acquire) != seen; });
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] {
                return m_stop || m_generation.load(std::memory_order_relaxed) != seen;
            });
            if (m_stop)
                return;
            seen = m_generation.load(std::memory_order_relaxed);
            if (!m_open || m_seats == 0)
                continue; // the batch is over, or has helpers enough
            --m_seats;
            ++m_active;
            const std::function<void(int)>* work = m_work;
            const int count = m_count;
            lock.unlock();
            TakeParts(*work, count);
            lock.lock();
            if (--m_active == 0 && !m_open)
                m_finished.notify_one();
        }
    }

    static constexpr std::chrono::microseconds kWatchTime{50};

    std::vector<std::thread> m_threads;
    std::mutex m_busy;  // held by the caller whose batch runs
    std::mutex m_mutex; // guards everything below but m_next and m_generation's reads
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    const std::function<void(int)>* m_work = nullptr;
    int m_count = 0;
    std::atomic<int> m_next{0};
    int m_seats = 0;     // helpers the batch may still take
    bool m_open = false; // helpers may join
    int m_active = 0;    // helpers taking parts
    std::atomic<unsigned long> m_generation{0};
    bool m_stop = false;
};

std::atomic<int> g_limit{0};

} // namespace

int PartsAtOnce() {
    if (g_forked.load(std::memory_order_relaxed))
        return 1;
    const int all = Pool::Instance().Helpers() + 1;
    const int limit = g_limit.load(std::memory_order_relaxed);
    return limit > 0 ? std::min(limit, all) : all;
}

void RunParts(int count, const std::function<void(int part)>& work) {
    if (count <= 0)
        return;
    const int helpers = std::min(PartsAtOnce(), count) - 1;
    if (helpers > 0 && !t_inPart && Pool::Instance().TryRun(count, work, helpers))
        return;
    for (int part = 0; part < count; ++part)
        work(part);
}

void LimitPartsAtOnce(int limit) { g_limit.store(std::max(limit, 0), std::memory_order_relaxed); }

} // namespace parallel
