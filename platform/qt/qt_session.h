// Session services of the running program: the state directory is Qt's
// application-local data location, timers are QTimers, and the background
// worker is a pool of one thread, so jobs run one at a time in order.
// Installs itself while it lives; waits for the worker when destroyed.
#pragma once

#include "platform/session_services.h"

#include <QThreadPool>

class QtSession : public ISessionServices {
  public:
    QtSession();
    ~QtSession() override;
    QtSession(const QtSession&) = delete;
    QtSession& operator=(const QtSession&) = delete;

    std::string StateDirectory() override;
    std::unique_ptr<IRepeatingTimer> StartRepeatingTimer(int intervalMs,
                                                         std::function<void()> tick) override;
    void RunInBackground(std::function<void()> job) override;
    void WaitForBackground() override;

  private:
    QThreadPool m_worker;
    ISessionServices* m_previous = nullptr;
};
