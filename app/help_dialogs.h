// The About box and the two pages of the operation guide. They are plain
// dialog templates; the desktop's dialog host shows them.
#pragma once

#include "platform/dialog.h"

// Resource names of the pictures the dialogs show; the dialog host resolves
// them (the application icon, and the toolbar button of a command).
inline constexpr const char* kAppIconImage = "icon:app";
std::string ToolbarImageName(unsigned commandId);

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();
    // A click on the icon hides the icon, the version line and the first
    // author line, and shows the controls the box may hold in their place.
    void OnLButtonDown(UINT flags, CPoint point) override;
};

class CGuideDlg : public CDialog {
  public:
    CGuideDlg();
    void OnCommand(int id) override;
    // "下一页": runs the second page on top of this one.
    void OnNextPage();
};

class CGuidePage2Dlg : public CDialog {
  public:
    CGuidePage2Dlg();
};

// Runs the About box modally (the application's About command).
void RunAboutBox();
// Runs the first page of the guide modally (Help, Contents).
void RunGuide();
