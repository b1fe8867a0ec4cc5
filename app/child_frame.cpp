#include "app/child_frame.h"

#include "app/toolbar_art.h"
#include "board/dib_view.h"
#include "platform/qt/qt_view_widget.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(CDibDoc* document, std::unique_ptr<CDibView> view, QWidget* parent)
    : QMdiSubWindow(parent), m_document(document), m_view(std::move(view)),
      m_viewWidget(new QtViewWidget(m_view.get(), this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(m_viewWidget);
    setWindowIcon(DocumentIcon());
    resize(640, 480);
}

CChildFrame::~CChildFrame() {
    DestroyView();
}

void CChildFrame::DestroyView() {
    if (!m_view)
        return;
    // The widget must not paint or deliver events to a view being destroyed.
    m_viewWidget->DetachView();
    m_view.reset();
    emit viewDestroyed(this, m_document);
    m_document = nullptr;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_view && m_closeQuery && !m_closeQuery(this)) {
        event->ignore();
        return;
    }
    DestroyView();
    QMdiSubWindow::closeEvent(event);
}
