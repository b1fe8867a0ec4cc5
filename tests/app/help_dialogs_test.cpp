#include "app/help_dialogs.h"
#include "board/dib_view.h"
#include "board/help_hook.h"
#include "platform/scripted/scripted_services.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

CPoint CentreOf(const CRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::vector<std::string> Texts(const CDialog& dlg) {
    std::vector<std::string> out;
    for (const DialogControl& c : const_cast<CDialog&>(dlg).Controls())
        if (c.kind == ControlKind::LText)
            out.push_back(c.text);
    return out;
}

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

TEST(Guide, FirstPageOpensTheSecondAnyNumberOfTimes) {
    ScriptedServices services;
    int secondPages = 0;
    services.dialogScripts.push_back([](CDialog& page1) {
        page1.OnCommand(124);
        EXPECT_FALSE(page1.IsEnded()) << "page 1 stays open behind page 2";
        page1.OnCommand(124);
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

TEST(Guide, PagesHaveNoOkOrCancelButtonAndTheNextPageButton) {
    ScriptedServices services;
    CGuideDlg page1;
    CGuidePage2Dlg page2;
    for (CDialog* page : {static_cast<CDialog*>(&page1), static_cast<CDialog*>(&page2)}) {
        EXPECT_EQ(page->GetDlgItem(IDOK), nullptr);
        EXPECT_EQ(page->GetDlgItem(IDCANCEL), nullptr);
        EXPECT_EQ(page->Template().title, "操作指南");
        EXPECT_EQ(page->Template().language, "zh-CN") << "simplified Chinese glyphs";
        EXPECT_EQ(page->Template().cx, 382);
        EXPECT_EQ(page->Template().cy, 247);
    }
    const DialogControl* next = page1.GetDlgItem(124);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->text, "下一页");
    EXPECT_EQ(next->dlu, DluRect(173, 222, 35, 11));
    EXPECT_EQ(page2.GetDlgItem(124), nullptr);
}

TEST(Guide, CaptionsAreThoseOfTheGuide) {
    ScriptedServices services;
    CGuideDlg page1;
    CGuidePage2Dlg page2;
    const auto texts1 = Texts(page1);
    const auto texts2 = Texts(page2);
    for (const char* caption :
         {"1、打开扫描获得的印刷板的图文件", "2、参数设置", "3、颜色设置", "4、画线",
          "5、设置走线方式", "6、画焊盘", "7、旋转所画的整个PCB线路图", "8、移动某线条或焊盘"})
        EXPECT_NE(std::find(texts1.begin(), texts1.end(), caption), texts1.end()) << caption;
    for (const char* caption : {"9、放置元器件", "10、打开、保存当前的工作",
                                "10、打开、保存PCB文件", "11、改变坐标显示模式"})
        EXPECT_NE(std::find(texts2.begin(), texts2.end(), caption), texts2.end()) << caption;
}

TEST(Guide, PicturesStandBetweenClickTheIconAndTheRestOfTheSentence) {
    ScriptedServices services;
    CGuidePage2Dlg page2;
    const auto& controls = page2.Controls();
    std::vector<std::string> pictures;
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind != ControlKind::Bitmap)
            continue;
        pictures.push_back(controls[i].image);
        // Walk back over neighbouring pictures to the words before them.
        size_t j = i;
        while (j > 0 && controls[j - 1].kind == ControlKind::Bitmap)
            --j;
        ASSERT_GT(j, 0u);
        EXPECT_EQ(controls[j - 1].text, "点击小图标");
        EXPECT_EQ(controls[j - 1].dlu.top, controls[i].dlu.top) << "on the same line";
        EXPECT_GE(controls[i].dlu.left, controls[j - 1].dlu.right);
    }
    EXPECT_EQ(pictures, (std::vector<std::string>{
                            ToolbarImageName(ID_COMPONENT_MARK), ToolbarImageName(ID_OPEN_WORK),
                            ToolbarImageName(ID_SAVE_WORK), ToolbarImageName(ID_OPEN_PROTEL),
                            ToolbarImageName(ID_FILE_PRINT)}));
}

TEST(Guide, EveryLineLiesInsideThePageAndAboveTheButton) {
    ScriptedServices services;
    CGuideDlg page1;
    CGuidePage2Dlg page2;
    for (CDialog* page : {static_cast<CDialog*>(&page1), static_cast<CDialog*>(&page2)}) {
        for (const DialogControl& c : page->Controls()) {
            if (c.id == 124)
                continue;
            EXPECT_GE(c.dlu.left, 0);
            EXPECT_LE(c.dlu.right, page->Template().cx) << c.text;
            EXPECT_LE(c.dlu.bottom, 222) << c.text;
        }
    }
}

TEST(Guide, ContentsCommandOfTheViewRunsTheGuide) {
    ScriptedServices services;
    SetOperationGuideRunner(RunGuide);
    {
        CDibView view;
        EXPECT_TRUE(view.OnCommand(ID_HELP_CONTENTS));
    }
    SetOperationGuideRunner(nullptr);
    EXPECT_EQ(services.dialogsRun, std::vector<int>{IDD_GUIDE});
}
