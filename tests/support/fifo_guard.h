// A named pipe with no writer, for tests that a reader never waits for one.
// Should an open still wait, an alarm interrupts it (no restart), so that the
// test fails instead of hanging the suite.
#pragma once

#include <csignal>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

class FifoGuard {
  public:
    explicit FifoGuard(std::string path) : m_path(std::move(path)) {
        ::unlink(m_path.c_str());
        m_made = ::mkfifo(m_path.c_str(), 0600) == 0;
        s_released = 0;
        struct sigaction action {};
        action.sa_handler = &FifoGuard::Release;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the waiting open fails with EINTR
        sigaction(SIGALRM, &action, &m_previous);
        ::alarm(3);
    }
    ~FifoGuard() {
        ::alarm(0);
        sigaction(SIGALRM, &m_previous, nullptr);
        ::unlink(m_path.c_str());
    }
    FifoGuard(const FifoGuard&) = delete;
    FifoGuard& operator=(const FifoGuard&) = delete;

    bool Made() const { return m_made; }
    const std::string& Path() const { return m_path; }
    // True once a reader waited long enough for the alarm to interrupt it.
    bool Released() const { return s_released != 0; }

  private:
    // Re-armed, so that every later wait is interrupted too.
    static void Release(int) {
        s_released = 1;
        ::alarm(1);
    }

    static inline volatile std::sig_atomic_t s_released = 0;
    std::string m_path;
    bool m_made = false;
    struct sigaction m_previous {};
};
