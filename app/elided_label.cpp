#include "app/elided_label.h"

#include <QFontMetrics>
#include <QResizeEvent>

#include <algorithm>

CElidedLabel::CElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void CElidedLabel::SetFullText(const QString& text) {
    m_full = text;
    Elide();
}

// The height of one line; no width, so that the layout gives what there is.
QSize CElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize CElidedLabel::sizeHint() const { return {0, QLabel::sizeHint().height()}; }

void CElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void CElidedLabel::Elide() {
    const int room = contentsRect().width();
    const QString shown = fontMetrics().elidedText(m_full, Qt::ElideRight, std::max(room, 0));
    setText(shown);
    setToolTip(shown == m_full ? QString() : m_full);
}
