#include "app/child_frame.h"

#include "app/loading_panel.h"
#include "app/toolbar_art.h"
#include "board/dib_view.h"
#include "platform/background_work.h"
#include "platform/qt/qt_view_widget.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>

#include <algorithm>

namespace {
constexpr QSize kUsualChildSize(640, 480);
constexpr QSize kSmallestChildSize(160, 120);
} // namespace

CChildFrame::CChildFrame(CDibDoc* document, std::unique_ptr<CDibView> view, QWidget* parent)
    : QMdiSubWindow(parent), m_document(document), m_view(std::move(view)),
      m_viewWidget(new QtViewWidget(m_view.get(), this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(m_viewWidget);
    setWindowIcon(DocumentIcon());
    resize(640, 480);
    // The window menu shows its keys, but the main window carries them out
    // (one key, one action: Ctrl+F4 closes the window in front).
    if (QMenu* menu = systemMenu())
        for (QAction* action : menu->actions())
            action->setShortcutContext(Qt::WidgetShortcut);
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

void CChildFrame::SetName(const QString& name) {
    m_name = name;
    setWindowTitle(TitleWithModifiedMark(name));
}

QString CChildFrame::ShownTitle() const {
    return isWindowModified() ? m_name + "*" : m_name;
}

QString TitleWithModifiedMark(const QString& name) {
    // Qt reads a doubled placeholder as the text "[*]".
    return QString(name).replace("[*]", "[*][*]") + "[*]";
}

QSize CChildFrame::sizeHint() const {
    const QMdiArea* area = mdiArea();
    return area ? CascadedChildGeometry(area->viewport()->size(), 0, 1).size() : kUsualChildSize;
}

void CChildFrame::BeginLoading(const QString& text) {
    if (!m_loading) {
        m_loading = new LoadingPanel(m_viewWidget);
        connect(m_loading, &LoadingPanel::cancelRequested, this,
                [] { BackgroundWork().RequestStop(); });
    }
    m_loading->ShowStatus(text, 0);
}

void CChildFrame::ShowLoadingStatus(const QString& text, double seconds) {
    if (m_loading)
        m_loading->ShowStatus(text, seconds);
}

void CChildFrame::EndLoading() {
    delete m_loading;
    m_loading = nullptr;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_loading) {
        event->ignore();
        BackgroundWork().RequestStop();
        return;
    }
    if (m_view && m_closeQuery && !m_closeQuery(this)) {
        event->ignore();
        return;
    }
    DestroyView();
    QMdiSubWindow::closeEvent(event);
}

QRect CascadedChildGeometry(QSize area, int index, int step) {
    const QSize size(std::max(std::min(kUsualChildSize.width(), area.width() * 3 / 4),
                              kSmallestChildSize.width()),
                     std::max(std::min(kUsualChildSize.height(), area.height() * 3 / 4),
                              kSmallestChildSize.height()));
    step = std::max(step, 1);
    const int roomX = std::max(area.width() - size.width(), 0) / step;
    const int roomY = std::max(area.height() - size.height(), 0) / step;
    const int positions = std::min(roomX, roomY) + 1;
    const int offset = (std::max(index, 0) % positions) * step;
    return QRect(QPoint(offset, offset), size);
}
