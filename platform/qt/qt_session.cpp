#include "platform/qt/qt_session.h"

#include <QFile>
#include <QStandardPaths>
#include <QTimer>

namespace {
class QtRepeatingTimer : public IRepeatingTimer {
  public:
    QtRepeatingTimer(int intervalMs, std::function<void()> tick) {
        QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
        m_timer.start(intervalMs);
    }

  private:
    QTimer m_timer;
};
} // namespace

QtSession::QtSession() {
    m_worker.setMaxThreadCount(1);
    m_previous = SetSessionServices(this);
}

QtSession::~QtSession() {
    SetSessionServices(m_previous);
    m_worker.waitForDone();
}

std::string QtSession::StateDirectory() {
    const QString location = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return location.isEmpty() ? std::string() : QFile::encodeName(location).toStdString();
}

std::unique_ptr<IRepeatingTimer> QtSession::StartRepeatingTimer(int intervalMs,
                                                                std::function<void()> tick) {
    return std::make_unique<QtRepeatingTimer>(intervalMs, std::move(tick));
}

void QtSession::RunInBackground(std::function<void()> job) {
    m_worker.start(std::move(job));
}

void QtSession::WaitForBackground() {
    m_worker.waitForDone();
}
