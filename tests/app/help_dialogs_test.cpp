#include "app/help_dialogs.h"
#include "board/dib_view.h"
#include "board/help_hook.h"
#include "platform/scripted/scripted_services.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

CPoint CentreOf(const CRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

} // namespace

TEST(AboutBox, ClickOnTheIconHidesIconVersionAndFirstAuthor) {
    ScriptedServices services;
    CAboutDlg about;
    about.SetBaseUnits(6, 13);
    const CRect icon = about.GetDlgItemClientRect(109);
    ASSERT_FALSE(icon.IsRectEmpty());

    about.OnLButtonDown(0, CentreOf(icon));

    EXPECT_FALSE(about.IsDlgItemVisible(109));
    EXPECT_FALSE(about.IsDlgItemVisible(118));
    EXPECT_FALSE(about.IsDlgItemVisible(119));
    EXPECT_TRUE(about.IsDlgItemVisible(121)) << "the second author line stays";
    EXPECT_TRUE(about.IsDlgItemVisible(122));
    EXPECT_TRUE(about.IsDlgItemVisible(IDOK));
    EXPECT_EQ(about.GetDlgItem(117), nullptr) << "controls the box lacks are tolerated";
}

TEST(AboutBox, ClicksOutsideTheIconChangeNothing) {
    ScriptedServices services;
    CAboutDlg about;
    about.SetBaseUnits(6, 13);
    const CRect icon = about.GetDlgItemClientRect(109);
    // Right and bottom edges lie outside the icon; left and top inside.
    for (CPoint p : {CPoint(icon.right, icon.top), CPoint(icon.left, icon.bottom),
                     CPoint(icon.left - 1, icon.top), CPoint(200, 60)}) {
        about.OnLButtonDown(0, p);
        EXPECT_TRUE(about.IsDlgItemVisible(109)) << p.x << "," << p.y;
        EXPECT_TRUE(about.IsDlgItemVisible(118));
        EXPECT_TRUE(about.IsDlgItemVisible(119));
    }
    about.OnLButtonDown(0, CPoint(icon.left, icon.top));
    EXPECT_FALSE(about.IsDlgItemVisible(109)) << "the top left corner is inside";
}

TEST(AboutBox, TemplateCarriesTheVersionLineAndOk) {
    ScriptedServices services;
    CAboutDlg about;
    EXPECT_EQ(about.Template().id, static_cast<int>(IDD_ABOUTBOX));
    EXPECT_EQ(about.GetDlgItemText(118), "Pixboard file software, Version 2.0");
    EXPECT_EQ(about.GetDlgItemText(IDOK), "OK");
    EXPECT_EQ(about.Template().cx, 281);
    EXPECT_EQ(about.Template().cy, 73);
    RunAboutBox();
    EXPECT_EQ(services.dialogsRun, std::vector<int>{IDD_ABOUTBOX});
}

namespace {
// Each test starts the guide in English and leaves it so.
class Guide : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(SetGuideLanguage(GuideLanguage::English)); }
    void TearDown() override { SetGuideLanguage(GuideLanguage::English); }
    static void Use(GuideLanguage language) { ASSERT_TRUE(SetGuideLanguage(language)); }

    ScriptedServices services;
};

constexpr GuideLanguage kBothLanguages[] = {GuideLanguage::English, GuideLanguage::Chinese};

// Item captions stand at the left margin, the descriptions indented.
std::vector<std::string> Captions(CDialog& page) {
    std::vector<std::string> out;
    for (const DialogControl& c : page.Controls())
        if (c.kind == ControlKind::LText && c.dlu.left == 8)
            out.push_back(c.text);
    return out;
}

std::vector<std::string> Pictures(CDialog& page) {
    std::vector<std::string> out;
    for (const DialogControl& c : page.Controls())
        if (c.kind == ControlKind::Bitmap)
            out.push_back(c.image);
    return out;
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}
} // namespace

TEST_F(Guide, FirstPageOpensTheSecondAnyNumberOfTimes) {
    int secondPages = 0;
    services.dialogScripts.push_back([](CDialog& page1) {
        page1.OnCommand(kIdGuideNextPage);
        EXPECT_FALSE(page1.IsEnded()) << "page 1 stays open behind page 2";
        page1.OnCommand(kIdGuideNextPage);
        page1.OnCancel(); // Escape or the close box
    });
    for (int i = 0; i < 2; ++i)
        services.dialogScripts.push_back([&](CDialog& page2) {
            ++secondPages;
            EXPECT_EQ(page2.Template().id, static_cast<int>(IDD_GUIDE_PAGE2));
            page2.OnCancel();
        });

    RunGuide();

    EXPECT_EQ(secondPages, 2);
    EXPECT_EQ(services.dialogsRun,
              (std::vector<int>{IDD_GUIDE, IDD_GUIDE_PAGE2, IDD_GUIDE_PAGE2}));
}

TEST_F(Guide, EachPageHasALanguageButtonAndNoOkOrCancel) {
    for (GuideLanguage language : kBothLanguages) {
        Use(language);
        const bool chinese = language == GuideLanguage::Chinese;
        CGuideDlg page1;
        CGuidePage2Dlg page2;
        for (CDialog* page : {static_cast<CDialog*>(&page1), static_cast<CDialog*>(&page2)}) {
            EXPECT_EQ(page->GetDlgItem(IDOK), nullptr);
            EXPECT_EQ(page->GetDlgItem(IDCANCEL), nullptr);
            EXPECT_EQ(page->Template().title, chinese ? "操作指南" : "Operation guide");
            EXPECT_EQ(page->Template().language, chinese ? "zh-CN" : "")
                << "simplified Chinese glyphs";
            EXPECT_EQ(page->Template().cx, 382);
            EXPECT_EQ(page->Template().cy, 247);
            EXPECT_EQ(page->GetDlgItemText(kIdGuideLanguage), chinese ? "English" : "中文");
        }
        const DialogControl* next = page1.GetDlgItem(kIdGuideNextPage);
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->text, chinese ? "下一页" : "Next page");
        EXPECT_EQ(next->dlu, DluRect(173, 222, 35, 11));
        EXPECT_EQ(page2.GetDlgItem(kIdGuideNextPage), nullptr);
    }
}

TEST_F(Guide, ItemsAreNumberedOnceInOrderOverBothPages) {
    for (GuideLanguage language : kBothLanguages) {
        Use(language);
        CGuideDlg page1;
        CGuidePage2Dlg page2;
        std::vector<std::string> captions = Captions(page1);
        const std::size_t onFirstPage = captions.size();
        for (const std::string& caption : Captions(page2))
            captions.push_back(caption);
        ASSERT_EQ(captions.size(), 16u);
        EXPECT_EQ(onFirstPage, 7u);
        const char* separator = language == GuideLanguage::Chinese ? "、" : ". ";
        for (std::size_t i = 0; i < captions.size(); ++i)
            EXPECT_EQ(captions[i].rfind(std::to_string(i + 1) + separator, 0), 0u) << captions[i];
    }
    Use(GuideLanguage::Chinese);
    CGuideDlg page1;
    CGuidePage2Dlg page2;
    const auto first = Captions(page1), second = Captions(page2);
    for (const char* kept : {"1、打开扫描获得的印刷板的图文件", "3、颜色设置", "4、画线", "5、画焊盘"})
        EXPECT_NE(std::find(first.begin(), first.end(), kept), first.end()) << kept;
    for (const char* kept : {"8、放置元器件", "9、打开、保存当前的工作", "15、改变坐标显示模式"})
        EXPECT_NE(std::find(second.begin(), second.end(), kept), second.end()) << kept;
}

TEST_F(Guide, PicturesStandBetweenClickTheIconAndTheRestOfTheSentence) {
    for (GuideLanguage language : kBothLanguages) {
        Use(language);
        const std::string click = language == GuideLanguage::Chinese ? "点击小图标" : "Click";
        CGuideDlg page1;
        CGuidePage2Dlg page2;
        for (CDialog* page : {static_cast<CDialog*>(&page1), static_cast<CDialog*>(&page2)}) {
            const auto& controls = page->Controls();
            for (size_t i = 0; i < controls.size(); ++i) {
                if (controls[i].kind != ControlKind::Bitmap)
                    continue;
                // Walk back over neighbouring pictures to the words before them.
                size_t j = i;
                while (j > 0 && controls[j - 1].kind == ControlKind::Bitmap)
                    --j;
                ASSERT_GT(j, 0u);
                EXPECT_EQ(controls[j - 1].text, click);
                EXPECT_EQ(controls[j - 1].dlu.top, controls[i].dlu.top) << "on the same line";
                EXPECT_GE(controls[i].dlu.left, controls[j - 1].dlu.right);
                ASSERT_LT(i + 1, controls.size());
                EXPECT_FALSE(controls[i + 1].kind != ControlKind::Bitmap &&
                             controls[i + 1].text.empty())
                    << "the sentence goes on after the pictures";
            }
        }
        EXPECT_EQ(Pictures(page1),
                  (std::vector<std::string>{
                      ToolbarImageName(ID_PARAMETERS), ToolbarImageName(ID_MEASURE_SCALE),
                      ToolbarImageName(ID_LAYER_COLOR), ToolbarImageName(ID_LINE_MODE),
                      ToolbarImageName(ID_PAD_MODE)}));
        EXPECT_EQ(Pictures(page2), (std::vector<std::string>{
                                       ToolbarImageName(ID_COMPONENT_MARK),
                                       ToolbarImageName(ID_OPEN_WORK), ToolbarImageName(ID_SAVE_WORK),
                                       ToolbarImageName(ID_OPEN_PROTEL),
                                       ToolbarImageName(ID_FILE_PRINT)}));
    }
}

TEST_F(Guide, EveryLineLiesInsideThePageAndAboveTheButtons) {
    for (GuideLanguage language : kBothLanguages) {
        Use(language);
        CGuideDlg page1;
        CGuidePage2Dlg page2;
        for (CDialog* page : {static_cast<CDialog*>(&page1), static_cast<CDialog*>(&page2)}) {
            for (const DialogControl& c : page->Controls()) {
                if (c.kind == ControlKind::PushButton) {
                    EXPECT_EQ(c.dlu.top, 222) << c.text;
                    EXPECT_LE(c.dlu.right, page->Template().cx) << c.text;
                    continue;
                }
                EXPECT_GE(c.dlu.left, 0);
                EXPECT_LE(c.dlu.right, page->Template().cx) << c.text;
                EXPECT_LE(c.dlu.bottom, 222) << c.text;
            }
        }
    }
}

// The Chinese guide says the same as the English one, line for line, and
// every line of it is translated.
TEST_F(Guide, BothLanguagesSayTheSameAndEveryChineseLineIsTranslated) {
    CGuideDlg english1;
    CGuidePage2Dlg english2;
    Use(GuideLanguage::Chinese);
    CGuideDlg chinese1;
    CGuidePage2Dlg chinese2;
    for (auto [english, chinese] : {std::pair<CDialog*, CDialog*>{&english1, &chinese1},
                                    std::pair<CDialog*, CDialog*>{&english2, &chinese2}}) {
        ASSERT_EQ(english->Controls().size(), chinese->Controls().size());
        for (std::size_t i = 0; i < english->Controls().size(); ++i) {
            const DialogControl& e = english->Controls()[i];
            const DialogControl& c = chinese->Controls()[i];
            EXPECT_EQ(e.kind, c.kind) << e.text;
            EXPECT_EQ(e.dlu.top, c.dlu.top) << e.text;
            EXPECT_EQ(e.image, c.image);
            if (c.kind != ControlKind::Bitmap && c.id != kIdGuideLanguage) {
                EXPECT_FALSE(IsAscii(c.text)) << "not translated: " << e.text;
            }
            if (e.kind != ControlKind::Bitmap) {
                EXPECT_NE(e.text, c.text);
            }
        }
    }
}

TEST_F(Guide, NamesWhatANewUserNeeds) {
    CGuideDlg page1;
    CGuidePage2Dlg page2;
    std::string all;
    for (CDialog* page : {static_cast<CDialog*>(&page1), static_cast<CDialog*>(&page2)})
        for (const DialogControl& c : page->Controls())
            all += c.text + "\n";
    for (const char* needed :
         {"Move Status (Ctrl+M)", "drag", "scan lines", "dots per inch", "measure", "Page Up",
          "Page Down", "Toggle Layers", "current layer", "Toggle Units", "work file", "Protel",
          "Select All (Ctrl+A)", "2, 4, 6 and 8", "Enter or Space", "X and Y", "Ctrl+Z", "Ctrl+Y",
          "Delete", "Snap to Pads", "Home", "Ctrl+1", "Ctrl+wheel", "Space held", "Navigator",
          "Show Real Sizes", "Alt+Return", "I takes"})
        EXPECT_NE(all.find(needed), std::string::npos) << needed;
}

TEST_F(Guide, TheLanguageButtonShowsTheSamePageInTheOtherLanguage) {
    std::vector<std::string> titles;
    const auto note = [&](CDialog& page) {
        titles.push_back(std::to_string(page.Template().id) + " " + page.Template().title);
    };
    services.dialogScripts.push_back([&](CDialog& page1) {
        note(page1);
        page1.OnCommand(kIdGuideLanguage);
    });
    services.dialogScripts.push_back([&](CDialog& page1) {
        note(page1);
        page1.OnCommand(kIdGuideNextPage);
        EXPECT_TRUE(page1.IsEnded()) << "page 2 changed the language: page 1 comes again";
    });
    services.dialogScripts.push_back([&](CDialog& page2) {
        note(page2);
        page2.OnCommand(kIdGuideLanguage);
    });
    services.dialogScripts.push_back([&](CDialog& page2) {
        note(page2);
        page2.OnCancel();
    });
    services.dialogScripts.push_back([&](CDialog& page1) {
        note(page1);
        page1.OnCancel();
    });

    RunGuide();

    const std::string guide = std::to_string(IDD_GUIDE) + " ";
    const std::string page2 = std::to_string(IDD_GUIDE_PAGE2) + " ";
    EXPECT_EQ(titles, (std::vector<std::string>{guide + "Operation guide", guide + "操作指南",
                                                page2 + "操作指南", page2 + "Operation guide",
                                                guide + "Operation guide"}));
    EXPECT_EQ(CurrentGuideLanguage(), GuideLanguage::English);
}

TEST(GuideLanguage, ChineseForZhLocalesEnglishOtherwise) {
    for (const char* name : {"zh_CN", "zh_TW", "zh_HK", "zh"})
        EXPECT_EQ(GuideLanguageFor(name), GuideLanguage::Chinese) << name;
    for (const char* name : {"en_US", "C", "de_DE", "", "ja_JP"})
        EXPECT_EQ(GuideLanguageFor(name), GuideLanguage::English) << name;
}

TEST_F(Guide, ContentsCommandOfTheViewRunsTheGuide) {
    SetOperationGuideRunner(RunGuide);
    {
        CDibView view;
        EXPECT_TRUE(view.OnCommand(ID_HELP_CONTENTS));
    }
    SetOperationGuideRunner(nullptr);
    EXPECT_EQ(services.dialogsRun, std::vector<int>{IDD_GUIDE});
}
