// The user services of the running program: Qt message boxes, file and
// colour dialogs, the beep, the wait cursor, modal dialogs built from
// templates, and the desktop clipboard. The status bar and the recent-file
// list belong to the main window, which connects them through handlers.
#pragma once

#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialog_host.h"
#include "platform/user_services.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QWidget;

class QtUserServices : public IUserServices {
  public:
    // Installs itself as the program's services (Services()) and puts the
    // previous ones back when destroyed.
    QtUserServices();
    ~QtUserServices() override;
    QtUserServices(const QtUserServices&) = delete;
    QtUserServices& operator=(const QtUserServices&) = delete;

    // Window that message boxes and dialogs belong to when no modal dialog
    // is open (normally the main window).
    void SetMainWindow(QWidget* window) { m_mainWindow = window; }
    void SetStatusPaneHandler(std::function<void(int, const std::string&)> handler) {
        m_statusPane = std::move(handler);
    }
    void SetRecentFileHandler(std::function<void(const std::string&)> handler) {
        m_recentFile = std::move(handler);
    }
    // Icons and bitmaps of dialog templates, by resource name.
    void SetImageProvider(QtImageProvider provider) { m_images = std::move(provider); }

    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
    std::optional<COLORREF> ChooseColor(COLORREF initial) override;
    void MessageBeep(UINT type) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void SetStatusPaneText(int pane, const std::string& text) override;
    void AddToRecentFileList(const std::string& path) override;
    int RunModalDialog(CDialog& dialog) override;
    IClipboard& Clipboard() override { return m_clipboard; }

    int WaitCursorDepth() const { return m_waitDepth; }

  private:
    QWidget* DialogParent() const;

    IUserServices* m_previous = nullptr;
    QPointer<QWidget> m_mainWindow;
    std::function<void(int, const std::string&)> m_statusPane;
    std::function<void(const std::string&)> m_recentFile;
    QtImageProvider m_images;
    QtClipboard m_clipboard;
    QString m_lastDirectory;
    int m_waitDepth = 0;
};

// Message box parts from a MessageBox type, and the answer of a button.
QMessageBox::StandardButtons QtMessageBoxButtons(UINT type);
QMessageBox::Icon QtMessageBoxIcon(UINT type);
int QtMessageBoxAnswer(QMessageBox::StandardButton button);

// Qt name filters from the Windows filter form
// "Image Files (*.bmp)|*.bmp|All Files (*.*)|*.*||": each description keeps
// its words and gets the patterns of its pair ("*.*" matches every name).
QStringList QtNameFilters(const std::string& windowsFilter);
