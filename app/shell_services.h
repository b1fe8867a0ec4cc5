// The user services the running shell installs: everything goes to the
// underlying services (the Qt ones in the program, scripted ones in tests),
// except that status-bar text and recent files also reach the main frame and
// the recent-file list of the application, and message boxes without a
// caption of their own get the application's name, "TRACEVU Application".
#pragma once

#include "platform/user_services.h"

#include <functional>

class ShellServices : public IUserServices {
  public:
    using PaneWriter = std::function<void(int pane, const std::string& text)>;
    using RecentAdder = std::function<void(const std::string& path)>;

    // Installs itself in place of `base`, which must outlive it; the
    // destructor puts back what was installed before.
    explicit ShellServices(IUserServices& base);
    ~ShellServices() override;
    ShellServices(const ShellServices&) = delete;
    ShellServices& operator=(const ShellServices&) = delete;

    void SetPaneWriter(PaneWriter writer) { m_paneWriter = std::move(writer); }
    void SetRecentAdder(RecentAdder adder) { m_recentAdder = std::move(adder); }

    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
    std::optional<COLORREF> ChooseColor(COLORREF initial) override;
    void MessageBeep(UINT type) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void SetStatusPaneText(int pane, const std::string& text) override;
    void AddToRecentFileList(const std::string& path) override;
    int RunModalDialog(CDialog& dialog) override;
    IClipboard& Clipboard() override;

  private:
    IUserServices& m_base;
    IUserServices* m_previous;
    PaneWriter m_paneWriter;
    RecentAdder m_recentAdder;
};
