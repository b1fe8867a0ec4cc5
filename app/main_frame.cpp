#include "app/main_frame.h"

#include "app/child_frame.h"
#include "app/command_router.h"
#include "app/command_table.h"
#include "app/recent_files.h"
#include "app/status_bar.h"
#include "app/navigator.h"
#include "app/toolbar_art.h"
#include "board/dib_view.h"
#include "board/mode_status.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiSubWindow>
#include <QFileInfo>
#include <QKeySequence>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <span>

namespace {
constexpr int kIdleUpdateMs = 200;
const char* const kRecentIndex = "recentIndex"; // entry actions of the recent-file list
const char* const kWindowList = "windowList";   // the menu that lists the windows

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// Key names as the command table writes them, in Qt's spelling.
QKeySequence KeySequenceOf(std::string_view keys) {
    QString text = Text(keys);
    text.replace("Insert", "Ins").replace("Delete", "Del");
    return QKeySequence::fromString(text, QKeySequence::PortableText);
}

QStringList LocalFiles(const QMimeData* mime) {
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}
} // namespace

CMainFrame::CMainFrame(CommandRouter& router, const RecentFileList& recentFiles)
    : m_router(router), m_recentFiles(recentFiles), m_idleMessage(Text(kIdleMessage)) {
    setObjectName("CMainFrame");
    setWindowTitle(Text(kMainFrameTitle));
    setWindowIcon(AppIcon());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableSize();
        resize(std::min(1280, available.width() * 9 / 10),
               std::min(900, available.height() * 9 / 10));
    }
}

CMainFrame::~CMainFrame() {
    if (qApp)
        qApp->removeEventFilter(this);
}

int CMainFrame::OnCreate() {
    m_area = new QMdiArea(this);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    connect(m_area, &QMdiArea::subWindowActivated, this, &CMainFrame::OnChildActivated);

    CreateToolBar();
    m_statusBar = new CStatusBar(this);
    setStatusBar(m_statusBar);
    if (!m_toolBar || !m_statusBar)
        return -1;
    m_navigator = new NavigatorDock(
        [this] { return dynamic_cast<CDibView*>(ActiveView()); }, this);
    addDockWidget(Qt::RightDockWidgetArea, m_navigator);
    m_navigator->hide();

    BuildMenuBarMenus(false, m_menusNoDocument);
    BuildMenuBarMenus(true, m_menusDocument);
    m_documentMenuShown = true; // so that the next call fills the menu bar
    ShowDocumentMenu(false);
    CreateAccelerators();
    CreateWindowKeys();

    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(kIdleUpdateMs);
    connect(m_idleTimer, &QTimer::timeout, this, &CMainFrame::UpdateToolbarStates);
    m_idleTimer->start();
    qApp->installEventFilter(this);
    UpdateCommandStates();
    return 0;
}

QAction* CMainFrame::CommandAction(UINT id, const QString& text, QObject* parent) {
    auto* action = new QAction(text, parent);
    action->setData(id);
    if (const CommandInfo* command = FindCommand(id))
        action->setStatusTip(Text(command->prompt));
    connect(action, &QAction::triggered, this, [this, id] {
        m_router.Execute(id);
        UpdateCommandStates();
    });
    m_commandActions.emplace(id, action);
    return action;
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar("Toolbar", this);
    m_toolBar->setObjectName("toolbar");
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(kButtonSize);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (UINT id : ToolbarLayout()) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = CommandAction(id, Text(ButtonTipOf(id)), m_toolBar);
        action->setIcon(ButtonIcon(id));
        action->setToolTip(Text(ButtonTipOf(id)));
        m_toolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::CreateAccelerators() {
    for (const CommandInfo& command : kCommands) {
        QList<QKeySequence> keys;
        for (std::string_view key : command.keys)
            if (!key.empty())
                keys << KeySequenceOf(key);
        if (keys.isEmpty())
            continue;
        // Accelerators stay enabled: the routing refuses a disabled command.
        QAction* action = CommandAction(command.id, Text(command.name), this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setProperty("accelerator", true);
        addAction(action);
    }
}

void CMainFrame::CreateWindowKeys() {
    // The keys of multiple-document windows: close the document window in
    // front, go to the next or the previous one.
    const auto add = [this](const QList<QKeySequence>& keys, auto act) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, act);
        addAction(action);
    };
    QList<QKeySequence> close{QKeySequence(Qt::CTRL | Qt::Key_F4)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close))
        if (!close.contains(key))
            close << key;
    add(close, [this] {
        if (CChildFrame* child = ActiveChild())
            child->close();
    });
    add({QKeySequence(Qt::CTRL | Qt::Key_F6)}, [this] { m_area->activateNextSubWindow(); });
    add({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6)},
        [this] { m_area->activatePreviousSubWindow(); });
}

void CMainFrame::BuildMenuBarMenus(bool documentMenu, std::vector<QMenu*>& topLevel) {
    std::vector<QMenu*> open;
    const auto entries = documentMenu ? std::span<const MenuEntry>(kMenuDocument)
                                      : std::span<const MenuEntry>(kMenuNoDocument);
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntryKind::PopupBegin: {
            QMenu* menu = open.empty() ? new QMenu(Text(entry.text), this)
                                       : open.back()->addMenu(Text(entry.text));
            if (open.empty())
                topLevel.push_back(menu);
            menu->setToolTipsVisible(true);
            if (entry.text == "&Window")
                menu->setProperty(kWindowList, true);
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { PrepareMenu(menu); });
            connect(menu, &QMenu::aboutToHide, this, &CMainFrame::ShowIdlePrompt);
            open.push_back(menu);
            break;
        }
        case MenuEntryKind::PopupEnd:
            open.pop_back();
            break;
        case MenuEntryKind::Separator:
            open.back()->addSeparator();
            break;
        case MenuEntryKind::Command: {
            const CommandInfo* command = FindCommand(entry.id);
            const std::string_view text = documentMenu ? command->menu3Text : command->menu2Text;
            if (entry.id == ID_FILE_MRU_FILE1) {
                // The entries of the list come before the greyed placeholder
                // that stands in for an empty list.
                for (int i = 0; i < static_cast<int>(kRecentFileCount); ++i) {
                    QAction* recent =
                        CommandAction(ID_FILE_MRU_FILE1 + static_cast<UINT>(i), {}, open.back());
                    recent->setProperty(kRecentIndex, i);
                    recent->setVisible(false);
                    open.back()->addAction(recent);
                }
            }
            QAction* item = CommandAction(entry.id, Text(text), open.back());
            if (const std::string_view tip = ButtonTipOf(entry.id); !tip.empty())
                item->setToolTip(Text(tip));
            open.back()->addAction(item);
            break;
        }
        }
    }
}

void CMainFrame::ShowDocumentMenu(bool documentOpen) {
    if (documentOpen == m_documentMenuShown)
        return;
    m_documentMenuShown = documentOpen;
    QMenuBar* bar = menuBar();
    for (QAction* action : bar->actions())
        bar->removeAction(action);
    for (QMenu* menu : documentOpen ? m_menusDocument : m_menusNoDocument)
        bar->addMenu(menu);
}

QList<QMenu*> CMainFrame::ShownMenus() const {
    QList<QMenu*> menus;
    for (QAction* action : menuBar()->actions())
        if (action->menu())
            menus << action->menu();
    return menus;
}

void CMainFrame::PrepareMenu(QMenu* menu) {
    RefreshRecentFiles(menu);
    if (menu->property(kWindowList).toBool())
        RefreshWindowList(menu);
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && !action->menu() && action->data().isValid())
            ApplyState(action);
}

void CMainFrame::RefreshRecentFiles(QMenu* menu) {
    const int count = static_cast<int>(m_recentFiles.Files().size());
    for (QAction* action : menu->actions()) {
        const QVariant index = action->property(kRecentIndex);
        if (index.isValid()) {
            action->setVisible(index.toInt() < count);
            action->setText(m_recentFiles.MenuText(index.toInt()));
        } else if (action->data().toUInt() == ID_FILE_MRU_FILE1) {
            action->setVisible(count == 0);
        }
    }
}

void CMainFrame::RefreshWindowList(QMenu* menu) {
    for (QAction* action : m_windowListActions) {
        menu->removeAction(action);
        delete action;
    }
    m_windowListActions.clear();
    const std::vector<CChildFrame*> children = Children();
    if (children.empty())
        return;
    m_windowListActions.push_back(menu->addSeparator());
    const CChildFrame* active = ActiveChild();
    int number = 1;
    for (CChildFrame* child : children) {
        QAction* action =
            menu->addAction(QString("&%1 %2").arg(number++).arg(child->ShownTitle()));
        action->setCheckable(true);
        action->setChecked(child == active);
        action->setStatusTip("Activate this window");
        connect(action, &QAction::triggered, this,
                [this, child] { m_area->setActiveSubWindow(child); });
        m_windowListActions.push_back(action);
    }
}

void CMainFrame::ApplyState(QAction* action) {
    const CCmdUI ui = m_router.QueryState(action->data().toUInt());
    action->setEnabled(ui.enabled);
    if (!ui.text.empty())
        action->setText(QString::fromStdString(ui.text));
    if (ui.checked && !action->isCheckable())
        action->setCheckable(true);
    if (action->isCheckable())
        action->setChecked(ui.checked);
}

void CMainFrame::UpdateCommandStates() {
    for (const auto& [id, action] : m_commandActions) {
        if (action->property("accelerator").toBool())
            continue;
        ApplyState(action);
    }
}

void CMainFrame::UpdateToolbarStates() {
    if (!m_toolBar || m_toolBar->isHidden() || isMinimized())
        return;
    for (QAction* action : m_toolBar->actions())
        if (!action->isSeparator())
            ApplyState(action);
}

QList<QAction*> CMainFrame::ToolbarActions() const {
    return m_toolBar ? m_toolBar->actions() : QList<QAction*>();
}

std::vector<CChildFrame*> CMainFrame::Children() const {
    std::vector<CChildFrame*> children;
    if (!m_area)
        return children;
    for (QMdiSubWindow* window : m_area->subWindowList(QMdiArea::CreationOrder))
        if (auto* child = qobject_cast<CChildFrame*>(window); child && !child->IsViewDestroyed())
            children.push_back(child);
    return children;
}

CChildFrame* CMainFrame::ActiveChild() const {
    if (!m_area)
        return nullptr;
    auto* child = qobject_cast<CChildFrame*>(m_area->currentSubWindow());
    return child && !child->IsViewDestroyed() ? child : nullptr;
}

CScrollView* CMainFrame::ActiveView() const {
    CChildFrame* child = ActiveChild();
    return child ? child->View() : nullptr;
}

void CMainFrame::OnChildActivated() {
    CChildFrame* active = ActiveChild();
    CChildFrame* previous = m_lastActiveChild.data();
    if (active == previous)
        return;
    if (previous && previous->IsViewDestroyed())
        previous = nullptr;
    CScrollView* activeView = active ? active->View() : nullptr;
    CScrollView* previousView = previous ? previous->View() : nullptr;
    m_lastActiveChild = active;
    if (previousView)
        previousView->OnActivateView(false, activeView, previousView);
    if (activeView)
        activeView->OnActivateView(true, activeView, previousView);
    else if (Children().empty())
        SetPaneText(board::kModePane, {}); // no window, no mode
    emit activeChildChanged();
    UpdateCommandStates();
}

void CMainFrame::SetPaneText(int pane, const QString& text) {
    if (m_statusBar)
        m_statusBar->SetPaneText(pane, text);
}

QString CMainFrame::PaneText(int pane) const {
    return m_statusBar ? m_statusBar->PaneText(pane) : QString();
}

void CMainFrame::ShowIdlePrompt() {
    SetPaneText(0, m_idleMessage);
}

void CMainFrame::SetIdleMessage(const QString& text) {
    if (text == m_idleMessage)
        return;
    // Only the idle text is replaced, not something the view says there.
    const bool idle = PaneText(0) == m_idleMessage;
    m_idleMessage = text;
    if (idle)
        ShowIdlePrompt();
}

void CMainFrame::UpdateFrameTitle(const QString& documentTitle) {
    const QString title = Text(kMainFrameTitle);
    const CChildFrame* active = ActiveChild();
    if (documentTitle.isEmpty())
        m_frameTitle = title;
    else if (active && active->isMaximized())
        // A maximised window has no title bar of its own: its title follows
        // the program's in brackets.
        m_frameTitle = title + " - [" + TitleWithModifiedMark(active->Name()) + "]";
    else
        m_frameTitle = title + " - " + TitleWithModifiedMark(documentTitle);
    setWindowTitle(m_frameTitle);
    // The asterisk of the window in front.
    setWindowModified(!documentTitle.isEmpty() && active && active->isWindowModified());
}

void CMainFrame::OnPaletteChanged() {
    CScrollView* active = ActiveView();
    if (!active)
        return;
    for (CChildFrame* child : Children())
        child->View()->OnRealizeDibPalette(active, 0);
}

bool CMainFrame::OnQueryNewPalette() {
    CScrollView* active = ActiveView();
    if (!active)
        return false;
    active->OnRealizeDibPalette(active, 0);
    return true;
}

bool CMainFrame::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::StatusTip: {
        // Prompts go to the message pane; the other panes keep their text.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        SetPaneText(0, tip.isEmpty() ? m_idleMessage : tip);
        return true;
    }
    case QEvent::WindowTitleChange:
        // The MDI area writes titles of its own when a window is maximised
        // or restored; the frame keeps the one it chose.
        if (!m_frameTitle.isEmpty() && windowTitle() != m_frameTitle)
            setWindowTitle(m_frameTitle);
        break;
    case QEvent::WindowActivate:
        OnQueryNewPalette();
        break;
    case QEvent::ApplicationPaletteChange:
        OnPaletteChanged();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (m_statusBar && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        m_statusBar->TrackKeyEvent(*static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_closeQuery && !m_closeQuery()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    activateWindow();
    // A tracing file goes to the window it was dropped on.
    const QPoint at = m_area->viewport()->mapFrom(this, event->position().toPoint());
    const QList<QMdiSubWindow*> windows = m_area->subWindowList(QMdiArea::StackingOrder);
    for (auto window = windows.rbegin(); window != windows.rend(); ++window)
        if ((*window)->isVisible() && (*window)->geometry().contains(at)) {
            m_area->setActiveSubWindow(*window);
            break;
        }
    emit filesDropped(files);
}
