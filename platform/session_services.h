// What autosaving asks of the system besides files: the directory for the
// program's own state, a repeating timer on the interface thread, and one
// background worker that runs jobs in the order they were handed over.
// One implementation runs on Qt, another lets tests fire timers and run the
// queued jobs when they choose.
#pragma once

#include <functional>
#include <memory>
#include <string>

// Stops its timer when destroyed.
class IRepeatingTimer {
  public:
    virtual ~IRepeatingTimer() = default;
};

class ISessionServices {
  public:
    virtual ~ISessionServices() = default;

    // Where the program keeps state of its own between runs; empty when
    // there is no such place.
    virtual std::string StateDirectory() = 0;
    // Calls `tick` on the interface thread every `intervalMs` until the
    // returned timer is destroyed.
    virtual std::unique_ptr<IRepeatingTimer> StartRepeatingTimer(int intervalMs,
                                                                 std::function<void()> tick) = 0;
    // Runs `job` off the interface thread, after every job handed over
    // before it. A job must touch nothing the interface thread uses.
    virtual void RunInBackground(std::function<void()> job) = 0;
    // Returns once every job handed over so far has run.
    virtual void WaitForBackground() = 0;
};

// The session services of the running program or of a test; null when none
// were installed (then nothing is autosaved).
ISessionServices* SessionServices();
// Installs the services; returns the previous ones.
ISessionServices* SetSessionServices(ISessionServices* services);
