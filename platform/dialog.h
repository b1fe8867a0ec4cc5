// Modal dialogs described by a template (controls placed in dialog units),
// with the data exchange of the Windows dialogs. The dialog object holds the
// state of every control; the host window that shows it copies what the user
// typed into that state before each handler runs, and shows the state again
// afterwards. Dialog logic is therefore plain code that tests can drive.
#pragma once

#include "platform/types.h"

#include <string>
#include <utility>
#include <vector>

enum class ControlKind {
    DefPushButton,
    PushButton,
    LText,
    RText,
    CText,
    Edit,
    DropList,
    Icon,
    Bitmap,
    CheckBox,
};

struct DialogControl {
    int id = -1; // -1: a static control without an id
    ControlKind kind = ControlKind::LText;
    CRect dlu;   // left, top, right, bottom in dialog units
    std::string text;
    std::vector<std::string> items; // list entries of a drop-down list
    int sel = -1;                   // selected entry of a drop-down list
    bool checked = false;           // state of a check box
    std::string image;              // resource name of an icon or bitmap
    bool visible = true;
};

// A control of a template, by its id, kind, rectangle and text.
inline DialogControl MakeControl(int id, ControlKind kind, CRect dlu, std::string text = {}) {
    DialogControl c;
    c.id = id;
    c.kind = kind;
    c.dlu = dlu;
    c.text = std::move(text);
    return c;
}

// Builds the rectangle from the template's x, y, width, height.
constexpr CRect DluRect(int x, int y, int cx, int cy) { return CRect(x, y, x + cx, y + cy); }

struct DialogTemplate {
    int id = 0;
    std::string title;
    int cx = 0; // size in dialog units
    int cy = 0;
    std::string fontName;
    int fontPoints = 8;
    bool resizable = false;
    bool centered = false;
    bool sunkenEdge = false;
    // Language of the texts as a BCP 47 tag ("zh-CN"); empty for the
    // program's own. Han characters take the forms of that language.
    std::string language;
    std::vector<DialogControl> controls;
};

class CDialog;

class CDataExchange {
  public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    // Marks the exchange failed after the user was told why.
    void Fail() { m_bFailed = true; }
    bool Failed() const { return m_bFailed; }

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;

  private:
    bool m_bFailed = false;
};

// Integer text of an edit box; on saving, text that is not a whole number
// shows "Please enter an integer." and fails the exchange.
void DDX_Text(CDataExchange* dx, int id, int& value);
// Selection index of a drop-down list.
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
// State of a check box.
void DDX_Check(CDataExchange* dx, int id, bool& checked);

class CDialog {
  public:
    explicit CDialog(DialogTemplate dialogTemplate);
    virtual ~CDialog() = default;

    // Runs the dialog modally through the user services.
    int DoModal();

    const DialogTemplate& Template() const { return m_template; }

    // Handlers the host calls.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* /*dx*/) {}
    virtual void OnOK();
    virtual void OnCancel();
    // A button was pressed; IDOK and IDCANCEL go to OnOK and OnCancel.
    virtual void OnCommand(int id);
    // A click on the dialog's client area (not on a control that takes clicks).
    virtual void OnLButtonDown(UINT /*flags*/, CPoint /*point*/) {}
    // The user changed an edit box's text, a list's selection or a check
    // box; the control's state already holds the new value.
    virtual void OnControlChanged(int /*id*/) {}

    void EndDialog(int result);
    bool IsEnded() const { return m_ended; }
    int Result() const { return m_result; }
    // Resets the end state when a dialog runs again.
    void BeginRun();

    // Copies controls into members (true) or members into controls (false).
    bool UpdateData(bool saveAndValidate = true);

    // Controls. Unknown ids are tolerated: getters give empty values,
    // setters do nothing.
    DialogControl* GetDlgItem(int id);
    const DialogControl* GetDlgItem(int id) const;
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    int GetCurSel(int id) const;
    void SetCurSel(int id, int index);
    bool IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, bool checked);
    // Asks the host to put the keyboard focus on a control (and select an
    // edit box's text), as after an entry was refused; taken once.
    void GotoDlgCtrl(int id) { m_focusRequest = id; }
    int TakeFocusRequest() { return std::exchange(m_focusRequest, 0); }
    void ShowDlgItem(int id, bool show);
    bool IsDlgItemVisible(int id) const;
    std::vector<DialogControl>& Controls() { return m_template.controls; }

    // Dialog units to client pixels, from the base units of the dialog's font
    // (average character width and height), which the host sets.
    void SetBaseUnits(int baseX, int baseY) {
        m_baseX = baseX;
        m_baseY = baseY;
    }
    CRect MapDialogRect(const CRect& dlu) const;
    // Client rectangle of a control in pixels; empty for unknown ids.
    CRect GetDlgItemClientRect(int id) const;

  private:
    DialogTemplate m_template;
    bool m_ended = false;
    int m_result = 0;
    int m_focusRequest = 0; // 0: none
    int m_baseX = 6;
    int m_baseY = 13;
};
