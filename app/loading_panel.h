// What a document window shows while its scan is being read: how far the
// read has got ("Opening scan.tif... 40%") and, once it has taken a while,
// a Cancel button. It lies over the window's view and is deleted when the
// scan is in.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

class LoadingPanel : public QWidget {
    Q_OBJECT
  public:
    // Lies over `covered`, following its size.
    explicit LoadingPanel(QWidget* covered);

    // Shows the text; the Cancel button appears once `seconds` reaches
    // kCancelAfterSeconds.
    void ShowStatus(const QString& text, double seconds);
    QString Text() const;
    QPushButton* CancelButton() const { return m_cancel; }

    static constexpr double kCancelAfterSeconds = 2.0;

  signals:
    void cancelRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLabel* m_text;
    QPushButton* m_cancel;
};
