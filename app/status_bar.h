// The main frame's status bar: a stretching message pane (0) that cuts a text
// too long for it rather than widening the window, the layer pane (1), the
// CAP, NUM and SCRL indicators (2 to 4) and the mode pane (5, shown beside
// the layer pane). The board view writes panes 0, 1 and 5 directly;
// the frame writes prompts and "Ready" into pane 0.
#pragma once

#include <QLabel>
#include <QSlider>
#include <QStatusBar>
#include <QString>

#include <array>

class QKeyEvent;

class CStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    static constexpr int kPaneCount = 6;

    explicit CStatusBar(QWidget* parent = nullptr);

    void SetPaneText(int pane, const QString& text);
    QString PaneText(int pane) const;

    // The indicators show their text while the lock is on and stay blank
    // while it is off.
    void SetLockState(bool caps, bool num, bool scroll);
    // Follows the lock keys from key events seen anywhere in the program.
    void TrackKeyEvent(const QKeyEvent& event);
    // The same, saying whether the event's native modifiers are X11 ones.
    void TrackKeyEvent(const QKeyEvent& event, bool x11Modifiers);
    // The x-ray's opacity, 10 to 90 %, at the right of the bar; shown while
    // the active window has an other side.
    QSlider* XRaySlider() const { return m_xray; }
    bool CapsLock() const { return m_caps; }
    bool NumLock() const { return m_num; }
    bool ScrollLock() const { return m_scroll; }

  private:
    std::array<QLabel*, kPaneCount> m_panes{};
    QSlider* m_xray = nullptr;
    bool m_caps = false;
    bool m_num = false;
    bool m_scroll = false;
    // A key event passes the program's filter once per widget it is offered
    // to; a lock key toggles once.
    const QKeyEvent* m_lastEvent = nullptr;
    quint64 m_lastTimestamp = 0;
    int m_lastType = 0;
};
