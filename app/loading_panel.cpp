#include "app/loading_panel.h"

#include "platform/qt/qt_background_work.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

LoadingPanel::LoadingPanel(QWidget* covered)
    : QWidget(covered), m_text(new QLabel(this)), m_cancel(new QPushButton(tr("Cancel"), this)) {
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_text, 0, Qt::AlignHCenter);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    layout->addStretch();
    m_cancel->hide();
    QtBackgroundWork::MarkCancelControl(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &LoadingPanel::cancelRequested);
    covered->installEventFilter(this);
    setGeometry(covered->rect());
    show();
    raise();
}

void LoadingPanel::ShowStatus(const QString& text, double seconds) {
    m_text->setText(text);
    if (seconds >= kCancelAfterSeconds && m_cancel->isHidden())
        m_cancel->show();
}

QString LoadingPanel::Text() const { return m_text->text(); }

bool LoadingPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(static_cast<QWidget*>(watched)->rect());
    return QWidget::eventFilter(watched, event);
}
