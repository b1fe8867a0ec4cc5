// A document window inside the main frame: an MDI child window showing one
// board view of a document. The child owns its view; the view's window is a
// QtViewWidget.
#pragma once

#include <QMdiSubWindow>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class CDibDoc;
class CDibView;
class LoadingPanel;
class QtViewWidget;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
  public:
    // Asked before the window closes; false keeps it open.
    using CloseQuery = std::function<bool(CChildFrame*)>;

    CChildFrame(CDibDoc* document, std::unique_ptr<CDibView> view, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CDibView* View() const { return m_view.get(); }
    CDibDoc* Document() const { return m_document; }
    QtViewWidget* ViewWidget() const { return m_viewWidget; }

    // The window's name ("scan.bmp", "scan.bmp:2"). Its title adds the
    // asterisk that Qt shows while the window is marked modified.
    void SetName(const QString& name);
    const QString& Name() const { return m_name; }
    // The title as the title bar shows it.
    QString ShownTitle() const;

    void SetCloseQuery(CloseQuery query) { m_closeQuery = std::move(query); }
    // Destroys the view now (its destructor may ask to save the tracing); the
    // empty window is deleted later. Runs once; later calls do nothing.
    void DestroyView();
    bool IsViewDestroyed() const { return !m_view; }

    // While the scan is read the window shows how far the read has got over
    // its view, and a request to close it cancels the read instead.
    void BeginLoading(const QString& text);
    void ShowLoadingStatus(const QString& text, double seconds);
    void EndLoading();
    LoadingPanel* Loading() const { return m_loading; }

    // The size a new window takes, which Window, Cascade gives every window.
    QSize sizeHint() const override;

  signals:
    // The view is gone; the template drops the document when it was its last.
    void viewDestroyed(CChildFrame* frame, CDibDoc* document);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    CDibDoc* m_document;
    std::unique_ptr<CDibView> m_view;
    QtViewWidget* m_viewWidget;
    CloseQuery m_closeQuery;
    QString m_name;
    LoadingPanel* m_loading = nullptr;
};

// A window title for `name` with Qt's place for the modified mark at its
// end; a "[*]" in the name itself stays as it is.
QString TitleWithModifiedMark(const QString& name);

// Where the `index`-th new document window goes in an area of `area`: each
// one a title bar's height (`step`) further down and to the right of the
// one before, so that every title stays in sight, starting again at the top
// left when the next one would reach past the area. The window is no larger
// than the usual 640 x 480, nor than three quarters of the area, so that a
// few steps fit.
QRect CascadedChildGeometry(QSize area, int index, int step);
