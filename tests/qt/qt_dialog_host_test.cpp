// Template dialogs on Qt: controls placed in dialog units, data exchange
// with the user's input, handlers that change the controls, clicks on the
// dialog, and closing with Escape.
#include "platform/qt/qt_dialog_host.h"
#include "platform/qt/qt_user_services.h"
#include "platform/scroll_view.h"

#include "modal_driver.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>

#include <algorithm>
#include <vector>

namespace {
constexpr int kEdit = 101;
constexpr int kList = 102;
constexpr int kLabel = 103;
constexpr int kHideMe = 104;
constexpr int kChange = 200;
constexpr int kIcon = 109;

DialogControl Make(int id, ControlKind kind, CRect dlu, std::string text,
                   std::vector<std::string> items = {}, std::string image = {}) {
    DialogControl c;
    c.id = id;
    c.kind = kind;
    c.dlu = dlu;
    c.text = std::move(text);
    c.items = std::move(items);
    c.image = std::move(image);
    return c;
}

DialogTemplate ParamsTemplate() {
    DialogTemplate t;
    t.id = 7;
    t.title = "Parameters";
    t.cx = 200;
    t.cy = 120;
    t.fontName = "MS Sans Serif";
    t.fontPoints = 8;
    t.controls = {
        Make(-1, ControlKind::LText, DluRect(7, 10, 50, 8), "&Pad radius:"),
        Make(kEdit, ControlKind::Edit, DluRect(66, 8, 40, 12), ""),
        Make(kList, ControlKind::DropList, DluRect(66, 30, 65, 133), "", {"Top", "Mid", "Bottom"}),
        Make(kLabel, ControlKind::LText, DluRect(7, 50, 120, 8), "before"),
        Make(kHideMe, ControlKind::RText, DluRect(7, 62, 120, 8), "visible"),
        Make(kIcon, ControlKind::Icon, DluRect(150, 50, 20, 20), "", {}, "app-icon"),
        Make(IDOK, ControlKind::DefPushButton, DluRect(140, 8, 50, 14), "OK"),
        Make(IDCANCEL, ControlKind::PushButton, DluRect(140, 26, 50, 14), "Cancel"),
        Make(kChange, ControlKind::PushButton, DluRect(140, 44, 50, 14), "&Change"),
    };
    return t;
}

class ParamsDialog : public CDialog {
  public:
    ParamsDialog() : CDialog(ParamsTemplate()) {}
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, kEdit, radius);
        DDX_CBIndex(dx, kList, layer);
    }
    void OnCommand(int id) override {
        commands.push_back(id);
        if (id == kChange) {
            SetDlgItemText(kLabel, "after: " + GetDlgItemText(kEdit));
            ShowDlgItem(kHideMe, false);
            return;
        }
        CDialog::OnCommand(id);
    }
    void OnLButtonDown(UINT flags, CPoint point) override {
        clickFlags = flags;
        clicks.push_back(point);
    }
    int radius = 5;
    int layer = 1;
    std::vector<int> commands;
    std::vector<CPoint> clicks;
    UINT clickFlags = 0;
};

template <typename W> W* Control(QWidget* dialog, int id) {
    return dialog->findChild<W*>(QStringLiteral("control_%1").arg(id));
}

QPixmap RedIcon(const std::string& name) {
    if (name != "app-icon")
        return {};
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return pixmap;
}

class QtDialogHostTest : public ::testing::Test {
  protected:
    QtUserServices services;
};
} // namespace

TEST_F(QtDialogHostTest, ControlsSitAtTheirDialogUnitRectangles) {
    ParamsDialog dialog;
    QtDialogHost host(dialog, RedIcon);
    int baseX = 0;
    int baseY = 0;
    QtDialogBaseUnits(QtDialogHost::TemplateFont(dialog.Template()), &baseX, &baseY);
    EXPECT_GE(baseX, 4);
    EXPECT_GE(baseY, 8);
    // Four horizontal dialog units are one average character, eight
    // vertical ones a line.
    EXPECT_EQ(dialog.MapDialogRect(CRect(0, 0, 4, 8)), CRect(0, 0, baseX, baseY));
    EXPECT_EQ(host.size(), QSize(200 * baseX / 4, 120 * baseY / 8));
    EXPECT_EQ(host.minimumSize(), host.maximumSize()); // not resizable

    const CRect edit = dialog.GetDlgItemClientRect(kEdit);
    const QRect editGeometry = host.ControlWidget(kEdit)->geometry();
    EXPECT_EQ(editGeometry.left(), edit.left);
    EXPECT_EQ(editGeometry.width(), edit.Width());
    EXPECT_LE(editGeometry.top(), edit.top);
    EXPECT_GE(editGeometry.bottom() + 1, edit.bottom);
    const CRect ok = dialog.GetDlgItemClientRect(IDOK);
    EXPECT_EQ(host.ControlWidget(IDOK)->geometry().left(), ok.left);
    EXPECT_EQ(host.ControlWidget(IDOK)->geometry().width(), ok.Width());
    // A drop-down list's template height is that of the opened list.
    auto* list = qobject_cast<QComboBox*>(host.ControlWidget(kList));
    ASSERT_NE(list, nullptr);
    EXPECT_LT(list->height(), dialog.GetDlgItemClientRect(kList).Height());
    EXPECT_EQ(list->count(), 3);
    EXPECT_TRUE(Control<QPushButton>(&host, IDOK)->isDefault());
    EXPECT_FALSE(Control<QPushButton>(&host, IDCANCEL)->isDefault());
    // Static texts drop the mnemonic marker; the icon comes from the provider.
    EXPECT_EQ(Control<QLabel>(&host, -1)->text(), QStringLiteral("Pad radius:"));
    auto* icon = qobject_cast<QLabel*>(host.ControlWidget(kIcon));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixmap().toImage().pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(icon->size(), QSize(32, 32));
}

TEST_F(QtDialogHostTest, OkCopiesTheUsersInputIntoTheMembers) {
    ParamsDialog dialog;
    WhenModal<QtDialogHost>([](QtDialogHost* host) {
        // Initial values came from the members.
        EXPECT_EQ(Control<QLineEdit>(host, kEdit)->text(), QStringLiteral("5"));
        EXPECT_EQ(Control<QComboBox>(host, kList)->currentIndex(), 1);
        Control<QLineEdit>(host, kEdit)->setText(QStringLiteral(" 42"));
        Control<QComboBox>(host, kList)->setCurrentIndex(2);
        Control<QPushButton>(host, IDOK)->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.radius, 42);
    EXPECT_EQ(dialog.layer, 2);
    EXPECT_EQ(dialog.commands, std::vector<int>{IDOK});
}

TEST_F(QtDialogHostTest, AFailedExchangeKeepsTheDialogOpen) {
    ParamsDialog dialog;
    QString told;
    WhenModal<QtDialogHost>([&told](QtDialogHost* host) {
        Control<QLineEdit>(host, kEdit)->setText(QStringLiteral("abc"));
        WhenModal<QMessageBox>([&told](QMessageBox* box) {
            told = box->text();
            box->button(QMessageBox::Ok)->click();
            WhenModal<QtDialogHost>(
                [](QtDialogHost* host) {
                    EXPECT_TRUE(host->isVisible());
                    auto* edit = Control<QLineEdit>(host, kEdit);
                    EXPECT_EQ(host->focusWidget(), edit) << "the refused entry takes the focus";
                    EXPECT_EQ(edit->selectedText(), QStringLiteral("abc"));
                    edit->setText(QStringLiteral("7"));
                    Control<QPushButton>(host, IDOK)->click();
                },
                200,
                // The refusing handler has returned once the entry is selected.
                [](QtDialogHost* host) { return Control<QLineEdit>(host, kEdit)->hasSelectedText(); });
        });
        Control<QPushButton>(host, IDOK)->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(told, QStringLiteral("Please enter an integer."));
    EXPECT_EQ(dialog.radius, 7);
}

TEST_F(QtDialogHostTest, HandlersChangeWhatTheDialogShows) {
    ParamsDialog dialog;
    QString label;
    bool hiddenShown = true;
    WhenModal<QtDialogHost>([&](QtDialogHost* host) {
        Control<QLineEdit>(host, kEdit)->setText(QStringLiteral("9"));
        Control<QPushButton>(host, kChange)->click();
        label = Control<QLabel>(host, kLabel)->text();
        hiddenShown = Control<QLabel>(host, kHideMe)->isVisible();
        QTest::keyClick(host, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(label, QStringLiteral("after: 9"));
    EXPECT_FALSE(hiddenShown);
    EXPECT_EQ(dialog.radius, 5); // cancelled: members untouched
}

TEST_F(QtDialogHostTest, ClicksOnStaticControlsReachTheDialog) {
    ParamsDialog dialog;
    QPoint iconCentre;
    WhenModal<QtDialogHost>([&](QtDialogHost* host) {
        iconCentre = host->ControlWidget(kIcon)->geometry().center();
        QTest::mouseClick(host, Qt::LeftButton, Qt::NoModifier, iconCentre);
        host->close(); // the close box
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(dialog.clicks.size(), 1u);
    EXPECT_EQ(dialog.clicks[0], CPoint(iconCentre.x(), iconCentre.y()));
    EXPECT_EQ(dialog.clickFlags & MK_LBUTTON, MK_LBUTTON);
}

TEST_F(QtDialogHostTest, ChineseTextInTheSystemFontIsNotCut) {
    DialogTemplate t;
    t.title = "操作指南";
    t.cx = 382;
    t.cy = 247;
    t.fontName = "System";
    t.fontPoints = 10;
    t.resizable = true;
    t.centered = true;
    t.sunkenEdge = true;
    t.controls = {
        Make(-1, ControlKind::LText, DluRect(10, 10, 300, 8), "1、打开扫描获得的印刷板的图文件"),
        Make(124, ControlKind::PushButton, DluRect(173, 222, 35, 11), "下一页"),
    };
    CDialog dialog(t);
    QtDialogHost host(dialog, nullptr);
    EXPECT_EQ(host.windowTitle(), QStringLiteral("操作指南"));
    EXPECT_EQ(QtDialogHost::TemplateFont(t).family(), QApplication::font().family());
    EXPECT_EQ(QtDialogHost::TemplateFont(t).pointSize(), 10);
    EXPECT_LT(host.minimumSize().width(), host.width()); // resizable
    auto* label = Control<QLabel>(&host, -1);
    ASSERT_NE(label, nullptr);
    const QFontMetrics metrics(label->font());
    EXPECT_GE(label->height(), metrics.boundingRect(label->text()).height());
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    auto* next = Control<QPushButton>(&host, 124);
    EXPECT_GE(next->height(), next->minimumSizeHint().height());
}

// The family that draws the first character of `text` in `font`.
QString FamilyDrawing(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    return runs.isEmpty() ? QString() : runs.first().rawFont().familyName();
}

TEST_F(QtDialogHostTest, SimplifiedChineseTextTakesTheSimplifiedFormsOfItsCharacters) {
    EXPECT_FALSE(QtHanFamilies("zh-CN").isEmpty());
    EXPECT_EQ(QtHanFamilies("zh_cn"), QtHanFamilies("zh-CN"));
    EXPECT_TRUE(QtHanFamilies("").isEmpty());
    EXPECT_TRUE(QtHanFamilies("en-GB").isEmpty());

    DialogTemplate t;
    t.cx = 200;
    t.cy = 40;
    t.fontName = "System";
    t.fontPoints = 10;
    t.language = "zh-CN";
    t.controls = {Make(-1, ControlKind::LText, DluRect(5, 5, 190, 10), "将光标放在线条上")};
    CDialog dialog(t);
    QtDialogHost host(dialog, nullptr);
    auto* label = Control<QLabel>(&host, -1);
    ASSERT_NE(label, nullptr);
    // The font the build's set-up installs for the guide.
    EXPECT_EQ(FamilyDrawing(label->text(), label->font()), QStringLiteral("Noto Sans CJK SC"));
    // Latin letters keep the desktop's family, so dialog units stay as they were.
    EXPECT_EQ(FamilyDrawing(QStringLiteral("File"), label->font()),
              FamilyDrawing(QStringLiteral("File"), QApplication::font()));
}

TEST_F(QtDialogHostTest, AOneLineLabelTooWideForItsBoxGrowsIntoFreeSpaceInsteadOfWrapping) {
    DialogTemplate t;
    t.cx = 200;
    t.cy = 60;
    t.fontName = "System";
    t.fontPoints = 10;
    // Both labels are far too narrow for their text; the first has room to
    // its right, the second is hemmed in by an edit box.
    t.controls = {
        Make(1, ControlKind::LText, DluRect(10, 10, 12, 8), "Current Layer"),
        Make(2, ControlKind::RText, DluRect(150, 10, 40, 8), "Right aligned"),
        Make(3, ControlKind::LText, DluRect(10, 30, 12, 8), "Current Layer"),
        Make(kEdit, ControlKind::Edit, DluRect(24, 28, 40, 12), ""),
    };
    CDialog dialog(t);
    QtDialogHost host(dialog, nullptr);
    const QRect edit = host.ControlWidget(kEdit)->geometry();
    for (int id : {1, 2}) {
        auto* label = Control<QLabel>(&host, id);
        const CRect box = dialog.GetDlgItemClientRect(id);
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << id;
        EXPECT_LT(label->height(), std::max(box.Height(), 2 * label->fontMetrics().lineSpacing()))
            << id << " stays one line";
    }
    EXPECT_EQ(host.ControlWidget(1)->x(), dialog.GetDlgItemClientRect(1).left) << "grows right";
    EXPECT_EQ(host.ControlWidget(2)->geometry().right() + 1, dialog.GetDlgItemClientRect(2).right)
        << "grows left";
    const QRect hemmed = host.ControlWidget(3)->geometry();
    EXPECT_GE(hemmed.height(), 2 * Control<QLabel>(&host, 3)->fontMetrics().lineSpacing())
        << "wrapped, nothing cut";
    EXPECT_EQ(hemmed.width(), dialog.GetDlgItemClientRect(3).Width());
    EXPECT_LT(hemmed.right(), edit.left()) << "never over a neighbour";
}

namespace {
constexpr int kCheck = 105;

// A dialog that follows every change of its controls, as the measure
// dialog does.
class FollowingDialog : public CDialog {
  public:
    FollowingDialog() : CDialog(Following()) {}
    static DialogTemplate Following() {
        DialogTemplate t = ParamsTemplate();
        DialogControl check = Make(kCheck, ControlKind::CheckBox, DluRect(7, 80, 100, 12), "Both");
        check.checked = true;
        t.controls.insert(t.controls.begin() + 3, check);
        return t;
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Check(dx, kCheck, both); }
    void OnControlChanged(int id) override {
        changes.push_back(id);
        SetDlgItemText(kLabel, GetDlgItemText(kEdit) + (IsDlgButtonChecked(kCheck) ? " both" : " one"));
    }
    bool both = false;
    std::vector<int> changes;
};
} // namespace

TEST_F(QtDialogHostTest, CheckBoxesAndChangesOfTheControlsReachTheDialog) {
    FollowingDialog dialog;
    QString afterTyping;
    QString afterUnchecking;
    bool shownChecked = false;
    WhenModal<QtDialogHost>([&](QtDialogHost* host) {
        auto* check = Control<QCheckBox>(host, kCheck);
        ASSERT_NE(check, nullptr);
        shownChecked = check->isChecked();
        EXPECT_EQ(check->text(), QStringLiteral("Both"));
        auto* edit = Control<QLineEdit>(host, kEdit);
        edit->setFocus();
        QTest::keyClicks(edit, "12");
        afterTyping = Control<QLabel>(host, kLabel)->text();
        EXPECT_EQ(edit->cursorPosition(), 2) << "the text shown again keeps the cursor";
        check->click();
        afterUnchecking = Control<QLabel>(host, kLabel)->text();
        Control<QComboBox>(host, kList)->activated(2);
        Control<QPushButton>(host, IDOK)->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(shownChecked) << "DDX_Check put the member's false into the box";
    EXPECT_EQ(afterTyping, QStringLiteral("12 one"));
    EXPECT_EQ(afterUnchecking, QStringLiteral("12 both"));
    EXPECT_EQ(dialog.both, true);
    EXPECT_EQ(dialog.changes, (std::vector<int>{kEdit, kEdit, kCheck, kList}));
}
