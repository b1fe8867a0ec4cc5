// User services for the command line: message boxes are printed on standard
// error, questions answered no, dialogs cancelled, and nothing is shown.
#pragma once

#include "platform/scripted/scripted_services.h"

class ConsoleServices : public IUserServices {
  public:
    ConsoleServices();
    ~ConsoleServices() override;

    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    std::optional<std::string> FileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<COLORREF> ChooseColor(COLORREF) override { return {}; }
    void MessageBeep(UINT) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void SetStatusPaneText(int, const std::string&) override {}
    void AddToRecentFileList(const std::string&) override {}
    int RunModalDialog(CDialog&) override { return IDCANCEL; }
    IClipboard& Clipboard() override { return m_clipboard; }

  private:
    IUserServices* m_previous = nullptr;
    ScriptedClipboard m_clipboard;
};
