#include "app/status_bar.h"

#include "app/command_table.h"
#include "app/elided_label.h"
#include "board/mode_status.h"

#include <QDir>
#include <QGuiApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>

namespace {
// X11 key events carry the modifier state from before the key: Lock is the
// Caps Lock state, Mod2 the usual Num Lock modifier.
constexpr quint32 kX11LockMask = 0x02;
constexpr quint32 kX11Mod2Mask = 0x10;

// Keyboard LEDs as the kernel shows them; all off where none are visible
// (virtual displays, sandboxes).
bool LedOn(const char* suffix) {
    const QDir leds("/sys/class/leds");
    for (const QString& name :
         leds.entryList({QString("*::") + suffix}, QDir::Dirs | QDir::System)) {
        QFile brightness(leds.filePath(name + "/brightness"));
        if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed() != "0")
            return true;
    }
    return false;
}

QString IndicatorText(int pane) {
    switch (pane) {
    case 2:
        return QString::fromUtf8(kIndicatorCaps.data(), kIndicatorCaps.size());
    case 3:
        return QString::fromUtf8(kIndicatorNum.data(), kIndicatorNum.size());
    case 4:
        return QString::fromUtf8(kIndicatorScroll.data(), kIndicatorScroll.size());
    default:
        return {};
    }
}

// Pane numbers from left to right: the mode pane stands by the layer pane.
constexpr std::array<int, CStatusBar::kPaneCount> kPaneOrder{0, 1, board::kModePane, 2, 3, 4};

// The longest text a pane shows, which sets its width.
QString WidestText(int pane) {
    if (pane == 1)
        return "Keep Out Layer  ";
    if (pane == board::kModePane)
        return "Select all  x1/256  ";
    return IndicatorText(pane) + "  ";
}
} // namespace

CStatusBar::CStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    for (const int pane : kPaneOrder) {
        // The message pane takes the room the others leave, and no more.
        QLabel* label = pane == 0 ? new CElidedLabel(this) : new QLabel(this);
        label->setObjectName(QString("pane%1").arg(pane));
        label->setTextFormat(Qt::PlainText);
        m_panes[static_cast<std::size_t>(pane)] = label;
        if (pane == 0) {
            addWidget(label, 1);
            continue;
        }
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        const QFontMetrics metrics(label->font());
        label->setMinimumWidth(metrics.horizontalAdvance(WidestText(pane)) + 8);
        const bool text = pane == 1 || pane == board::kModePane;
        label->setAlignment(text ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        addPermanentWidget(label);
    }
    m_xray = new QSlider(Qt::Horizontal, this);
    m_xray->setObjectName("xraySlider");
    m_xray->setRange(10, 90);
    m_xray->setSingleStep(10);
    m_xray->setPageStep(10);
    m_xray->setValue(50);
    m_xray->setFixedWidth(100);
    m_xray->setToolTip("X-ray opacity");
    m_xray->setVisible(false);
    addPermanentWidget(m_xray);
    SetPaneText(0, QString::fromUtf8(kIdleMessage.data(), kIdleMessage.size()));
    SetLockState(LedOn("capslock"), LedOn("numlock"), LedOn("scrolllock"));
}

void CStatusBar::SetPaneText(int pane, const QString& text) {
    if (pane < 0 || pane >= kPaneCount)
        return;
    QLabel* label = m_panes[static_cast<std::size_t>(pane)];
    if (pane == 0)
        static_cast<CElidedLabel*>(label)->SetFullText(text);
    else
        label->setText(text);
    // While the wait cursor shows, the program is busy and no event loop
    // runs, so a progress text is painted at once.
    if (QGuiApplication::overrideCursor() && label->isVisible())
        label->repaint();
}

QString CStatusBar::PaneText(int pane) const {
    if (pane < 0 || pane >= kPaneCount)
        return {};
    if (pane == 0)
        return static_cast<const CElidedLabel*>(m_panes[0])->FullText();
    return m_panes[static_cast<std::size_t>(pane)]->text();
}

void CStatusBar::SetLockState(bool caps, bool num, bool scroll) {
    m_caps = caps;
    m_num = num;
    m_scroll = scroll;
    SetPaneText(2, caps ? IndicatorText(2) : QString());
    SetPaneText(3, num ? IndicatorText(3) : QString());
    SetPaneText(4, scroll ? IndicatorText(4) : QString());
}

void CStatusBar::TrackKeyEvent(const QKeyEvent& event) {
    TrackKeyEvent(event, QGuiApplication::platformName() == QLatin1String("xcb"));
}

void CStatusBar::TrackKeyEvent(const QKeyEvent& event, bool x11Modifiers) {
    if (&event == m_lastEvent && event.timestamp() == m_lastTimestamp && event.type() == m_lastType)
        return;
    m_lastEvent = &event;
    m_lastTimestamp = event.timestamp();
    m_lastType = event.type();
    bool caps = m_caps;
    bool num = m_num;
    bool scroll = m_scroll;
    const bool press = event.type() == QEvent::KeyPress;
    if (x11Modifiers) {
        // A lock key is let go of before X11 clears its lock, so its own
        // release still reports the lock on after a press that turned it off.
        const bool ownRelease = !press && !event.isAutoRepeat();
        if (!(ownRelease && event.key() == Qt::Key_CapsLock))
            caps = (event.nativeModifiers() & kX11LockMask) != 0;
        if (!(ownRelease && event.key() == Qt::Key_NumLock))
            num = (event.nativeModifiers() & kX11Mod2Mask) != 0;
    }
    // The state of a lock key's own press is the one before it.
    if (press && !event.isAutoRepeat()) {
        switch (event.key()) {
        case Qt::Key_CapsLock:
            caps = !caps;
            break;
        case Qt::Key_NumLock:
            num = !num;
            break;
        case Qt::Key_ScrollLock:
            scroll = !scroll;
            break;
        default:
            break;
        }
    }
    if (caps != m_caps || num != m_num || scroll != m_scroll)
        SetLockState(caps, num, scroll);
}
