// The main window: an MDI frame holding the document windows, with the
// toolbar at the top and the six-pane status bar at the bottom. It builds
// the menus (one set while no document is open, another while one is), the
// toolbar and the accelerators from the command table, keeps their enabled
// and checked states current, shows prompts in the status bar and relays
// palette changes to the board views.
#pragma once

#include "platform/types.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

class CChildFrame;
class CommandRouter;
class CScrollView;
class CStatusBar;
class NavigatorDock;
class QMdiArea;
class QMenu;
class QToolBar;
class QTimer;
class RecentFileList;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    CMainFrame(CommandRouter& router, const RecentFileList& recentFiles);
    ~CMainFrame() override;

    // Creates the MDI area, the toolbar, the status bar, the menus and the
    // accelerators: 0 when done, -1 when the frame could not be made.
    int OnCreate();

    QMdiArea* MdiArea() const { return m_area; }
    QToolBar* ToolBar() const { return m_toolBar; }
    CStatusBar* StatusBar() const { return m_statusBar; }
    // The overview of the active window's scan; hidden until asked for.
    NavigatorDock* Navigator() const { return m_navigator; }

    // The document window in front and its view (null when none).
    CChildFrame* ActiveChild() const;
    CScrollView* ActiveView() const;
    std::vector<CChildFrame*> Children() const;

    void SetPaneText(int pane, const QString& text);
    // What the message pane shows while nothing else is said there ("Ready"
    // unless changed); a change shows at once.
    void SetIdleMessage(const QString& text);
    const QString& IdleMessage() const { return m_idleMessage; }
    QString PaneText(int pane) const;

    // The document menu while a document window is open, else the other.
    void ShowDocumentMenu(bool documentOpen);
    bool IsDocumentMenuShown() const { return m_documentMenuShown; }
    // Top-level menus of the menu bar now shown.
    QList<QMenu*> ShownMenus() const;

    // "Quarzline", and " - " with the document title while one is active,
    // or " - [window title]" while the active window is maximised; with
    // the asterisk of the active window's unsaved changes.
    void UpdateFrameTitle(const QString& documentTitle);

    // Brings every menu item, button and accelerator in line with the state
    // the command routing reports.
    void UpdateCommandStates();
    // The buttons only, as the program idles; menus are brought up to date
    // as they open, accelerators as they are pressed.
    void UpdateToolbarStates();
    // The toolbar entries in order; separators are actions too.
    QList<QAction*> ToolbarActions() const;

    // Palette relays. A changed system palette makes every view realise its
    // palette, the active one in the foreground; activation of the frame
    // lets the active view realise in the foreground. False when no document
    // window is active.
    void OnPaletteChanged();
    bool OnQueryNewPalette();

    // The frame is closing: asks to save changed documents; false cancels.
    void SetCloseQuery(std::function<bool()> query) { m_closeQuery = std::move(query); }

  signals:
    void filesDropped(const QStringList& paths);
    void activeChildChanged();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // No toolbar menu on right clicks: the View menu shows and hides the bars.
    QMenu* createPopupMenu() override { return nullptr; }
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateToolBar();
    void CreateAccelerators();
    void CreateWindowKeys();
    QAction* CommandAction(UINT id, const QString& text, QObject* parent);
    void BuildMenuBarMenus(bool documentMenu, std::vector<QMenu*>& topLevel);
    void PrepareMenu(QMenu* menu);
    void RefreshRecentFiles(QMenu* menu);
    void RefreshWindowList(QMenu* menu);
    void ApplyState(QAction* action);
    void OnChildActivated();
    void ShowIdlePrompt();

    CommandRouter& m_router;
    const RecentFileList& m_recentFiles;
    QMdiArea* m_area = nullptr;
    QToolBar* m_toolBar = nullptr;
    CStatusBar* m_statusBar = nullptr;
    NavigatorDock* m_navigator = nullptr;
    QTimer* m_idleTimer = nullptr;
    QString m_idleMessage;
    std::vector<QMenu*> m_menusNoDocument;
    std::vector<QMenu*> m_menusDocument;
    bool m_documentMenuShown = false;
    // Every action that carries out a command, by command id.
    std::multimap<UINT, QAction*> m_commandActions;
    std::vector<QAction*> m_windowListActions;
    QPointer<CChildFrame> m_lastActiveChild;
    std::function<bool()> m_closeQuery;
    QString m_frameTitle;
};
