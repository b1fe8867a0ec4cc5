// What the program asks of the desktop: message boxes, file and colour
// dialogs, the beep, the wait cursor, the main frame's status bar, the recent
// file list, modal dialogs and the clipboard. One implementation runs on Qt,
// another answers tests from a script.
#pragma once

#include "platform/types.h"

#include <optional>
#include <string>

class CDialog;
class IClipboard;

// MessageBox types and answers, with the Windows values.
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_OKCANCEL = 0x01;
constexpr UINT MB_YESNOCANCEL = 0x03;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_BUTTONS_MASK = 0x0F;
constexpr UINT MB_ICON_MASK = 0xF0;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// File dialog flags, with the Windows values.
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_SHOWHELP = 0x00000010;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

struct FileDialogRequest {
    bool open = true;         // open-file or save-as dialog
    std::string filter;       // "Name (*.ext)|*.ext|All Files (*.*)|*.*||"
    std::string defaultExt;   // appended when the name typed has no extension
    std::string initialName;
    DWORD flags = 0;
    std::string title;        // empty: "Open" or "Save As"
};

// The default extension rule of the common dialog: a name without an
// extension gets defaultExt (with or without its leading dot).
std::string ApplyDefaultExtension(const std::string& path, const std::string& defaultExt);

class IUserServices {
  public:
    virtual ~IUserServices() = default;

    // An empty caption means the program's default caption. Returns IDOK,
    // IDYES or IDNO.
    virtual int MessageBox(const std::string& text, const std::string& caption, UINT type) = 0;
    // The chosen path, or nothing when cancelled.
    virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<COLORREF> ChooseColor(COLORREF initial) = 0;
    virtual void MessageBeep(UINT type) = 0;
    // Nested: the wait cursor shows until every Begin has its End.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Writes a pane of the main frame's status bar directly, without border.
    virtual void SetStatusPaneText(int pane, const std::string& text) = 0;
    virtual void AddToRecentFileList(const std::string& path) = 0;
    // Runs a dialog modally; returns the value given to EndDialog.
    virtual int RunModalDialog(CDialog& dialog) = 0;
    virtual IClipboard& Clipboard() = 0;
};

// The services of the running program (or of a test).
IUserServices& Services();
// Installs the services; returns the previous ones.
IUserServices* SetServices(IUserServices* services);

// Shows the wait cursor for a scope.
class CWaitCursor {
  public:
    CWaitCursor() { Services().BeginWaitCursor(); }
    ~CWaitCursor() { Services().EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
