#include "app/shell_services.h"

#include "app/command_table.h"

ShellServices::ShellServices(IUserServices& base) : m_base(base), m_previous(SetServices(this)) {}

ShellServices::~ShellServices() {
    SetServices(m_previous);
}

int ShellServices::MessageBox(const std::string& text, const std::string& caption, UINT type) {
    // Boxes without a caption of their own carry the application's name.
    return m_base.MessageBox(text, caption.empty() ? std::string(kAppName) : caption, type);
}

std::optional<std::string> ShellServices::FileDialog(const FileDialogRequest& request) {
    return m_base.FileDialog(request);
}

std::optional<COLORREF> ShellServices::ChooseColor(COLORREF initial) {
    return m_base.ChooseColor(initial);
}

void ShellServices::MessageBeep(UINT type) {
    m_base.MessageBeep(type);
}

void ShellServices::BeginWaitCursor() {
    m_base.BeginWaitCursor();
}

void ShellServices::EndWaitCursor() {
    m_base.EndWaitCursor();
}

void ShellServices::SetStatusPaneText(int pane, const std::string& text) {
    m_base.SetStatusPaneText(pane, text);
    if (m_paneWriter)
        m_paneWriter(pane, text);
}

void ShellServices::AddToRecentFileList(const std::string& path) {
    m_base.AddToRecentFileList(path);
    if (m_recentAdder)
        m_recentAdder(path);
}

int ShellServices::RunModalDialog(CDialog& dialog) {
    return m_base.RunModalDialog(dialog);
}

IClipboard& ShellServices::Clipboard() {
    return m_base.Clipboard();
}
