// Long work (decoding a big scan) run off the interface thread: the
// interface goes on painting and showing how far the work has got, user
// input is held off except the control that cancels, and the caller reads
// the work's result on the interface thread once Run returns.
//
// The job must touch only what it owns (the bytes it decodes into) and its
// WorkControl: documents, views, windows and messages stay on the interface
// thread, before Run and after it.
#pragma once

#include <atomic>
#include <functional>

// Shared by the job and the interface: the share done and the request to
// stop, both safe from any thread.
class WorkControl {
  public:
    WorkControl() = default;
    WorkControl(const WorkControl&) = delete;
    WorkControl& operator=(const WorkControl&) = delete;

    // The share done, 0 to 1 (clamped; NaN counts as 0). Returns false once
    // a stop was asked for: the job then returns soon.
    bool SetProgress(double done);
    double Progress() const { return m_progress.load(std::memory_order_relaxed); }
    void RequestStop() { m_stop.store(true, std::memory_order_relaxed); }
    bool StopRequested() const { return m_stop.load(std::memory_order_relaxed); }

    // Called on the job's thread after each SetProgress; runners that run
    // jobs in place use it to show progress.
    void SetProgressObserver(std::function<void(double)> observer) {
        m_observer = std::move(observer);
    }

  private:
    std::atomic<double> m_progress{0};
    std::atomic<bool> m_stop{false};
    std::function<void(double)> m_observer;
};

// What the interface is told, a few times a second, while a job runs.
struct WorkStatus {
    double progress = 0; // share done, 0 to 1
    double seconds = 0;  // since the job started
};

enum class WorkOutcome {
    Finished, // the job ran without being asked to stop
    Stopped,  // a stop was asked for (the job has returned all the same)
};

class IBackgroundWork {
  public:
    virtual ~IBackgroundWork() = default;
    // Runs `job` and returns once it has returned. `onStatus` is called on
    // the interface thread while it runs (and once at its end).
    virtual WorkOutcome Run(const std::function<void(WorkControl&)>& job,
                            const std::function<void(const WorkStatus&)>& onStatus) = 0;
    // Asks the running job to stop; nothing when none runs. Interface thread.
    virtual void RequestStop() = 0;
    // Whether a job is running (the interface is in Run).
    virtual bool Running() const = 0;
};

// Runs jobs in place, on the calling thread, telling `onStatus` of each
// step as it comes: what tools and tests without a window get.
class InPlaceWork : public IBackgroundWork {
  public:
    WorkOutcome Run(const std::function<void(WorkControl&)>& job,
                    const std::function<void(const WorkStatus&)>& onStatus) override;
    void RequestStop() override;
    bool Running() const override { return m_running != nullptr; }

  private:
    WorkControl* m_running = nullptr;
};

// The work runner of the program or of a test; in place unless one was
// installed.
IBackgroundWork& BackgroundWork();
// Installs a runner (null for the in-place one); returns the previous one.
IBackgroundWork* SetBackgroundWork(IBackgroundWork* work);
