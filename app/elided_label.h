// A one-line label that never asks for the width of its text: a text too
// long for the room it is given ends in "…", and its tooltip shows it whole.
// The status bar's message pane is one, so that a long message (the
// residuals of many pairs) cannot widen the main window.
#pragma once

#include <QLabel>
#include <QString>

class CElidedLabel : public QLabel {
  public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return m_full; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Elide();

    QString m_full;
};
