// The About box and the two pages of the operation guide. They are plain
// dialog templates; the desktop's dialog host shows them.
#pragma once

#include "platform/dialog.h"

#include <string>

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

// The guide speaks English or Chinese: at first the system's language
// (Chinese for zh locales), then the one its language button chose.
enum class GuideLanguage { English, Chinese };
GuideLanguage GuideLanguageFor(const std::string& localeName);
GuideLanguage SystemGuideLanguage();
GuideLanguage CurrentGuideLanguage();
// Installs the guide's translation for Chinese, or removes it; false when
// the translation could not be loaded.
bool SetGuideLanguage(GuideLanguage language);

// Button ids of the guide's pages. A page closed by its language button
// ends with kIdGuideLanguage and runs again in the other language.
inline constexpr int kIdGuideNextPage = 124;
inline constexpr int kIdGuideLanguage = 125;

class CGuideDlg : public CDialog {
  public:
    CGuideDlg();
    void OnCommand(int id) override;
    // "Next page": runs the second page on top of this one. When the
    // language changed there, this page closes to come back in it.
    void OnNextPage();
};

class CGuidePage2Dlg : public CDialog {
  public:
    CGuidePage2Dlg();
    void OnCommand(int id) override;
};

// Runs the About box modally (the application's About command).
void RunAboutBox();
// Runs the first page of the guide modally (Help, Contents).
void RunGuide();
