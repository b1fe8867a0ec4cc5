// User services for tests: records every message box, beep, status text and
// recent file, and answers questions and dialogs from queues the test fills.
// An unexpected question or dialog (empty queue) is recorded and answered
// with IDNO / cancel, so a test can assert that none was asked.
#pragma once

#include "platform/clipboard.h"
#include "platform/dialog.h"
#include "platform/user_services.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string caption;
    UINT type = 0;
    UINT icon() const { return type & MB_ICON_MASK; }
    UINT buttons() const { return type & MB_BUTTONS_MASK; }
};

class ScriptedClipboard : public IClipboard {
  public:
    ~ScriptedClipboard() override;
    bool Open() override;
    void Close() override;
    bool Empty() override;
    bool SetData(UINT format, HGLOBAL block) override;
    HGLOBAL GetData(UINT format) override;
    bool IsFormatAvailable(UINT format) const override;
    std::size_t DibBitsOffset() const override { return dibBitsOffset; }

    bool busy = false; // Open fails while set
    bool isOpen = false;
    std::map<UINT, HGLOBAL> data;
    std::size_t dibBitsOffset = 0; // what DibBitsOffset answers
};

class ScriptedServices : public IUserServices {
  public:
    ScriptedServices();
    ~ScriptedServices() override;

    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
    std::optional<COLORREF> ChooseColor(COLORREF initial) override;
    void MessageBeep(UINT type) override { beeps.push_back(type); }
    void BeginWaitCursor() override { ++waitDepth, ++waitCursors; }
    void EndWaitCursor() override { --waitDepth; }
    void SetStatusPaneText(int pane, const std::string& text) override;
    void AddToRecentFileList(const std::string& path) override { recentFiles.push_back(path); }
    int RunModalDialog(CDialog& dialog) override;
    IClipboard& Clipboard() override { return clipboard; }

    // Answers, consumed in order.
    std::deque<int> answers;                            // message boxes with Yes/No
    std::deque<std::optional<std::string>> fileAnswers; // nullopt: cancel
    std::deque<std::optional<COLORREF>> colorAnswers;
    // A dialog script gets the running dialog (after OnInitDialog) and acts
    // on it: set control texts, call OnCommand(IDOK), and so on. The run ends
    // when the dialog ends or the script returns; a script that leaves the
    // dialog open cancels it.
    std::deque<std::function<void(CDialog&)>> dialogScripts;

    // What happened.
    // The texts of the message boxes shown, in order.
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : messages)
            texts.push_back(m.text);
        return texts;
    }
    std::vector<ShownMessage> messages;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<COLORREF> colorRequests;
    std::vector<UINT> beeps;
    std::vector<std::pair<int, std::string>> statusTexts;
    std::map<int, std::string> statusPanes;
    std::vector<std::string> recentFiles;
    std::vector<int> dialogsRun; // template ids
    int waitDepth = 0;
    int waitCursors = 0;
    ScriptedClipboard clipboard;

  private:
    IUserServices* m_previous = nullptr;
};
