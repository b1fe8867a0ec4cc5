#include "app/help_dialogs.h"

#include "platform/user_services.h"
#include "res/resource.h"

#include <string>
#include <vector>

std::string ToolbarImageName(unsigned commandId) { return "toolbar:" + std::to_string(commandId); }

namespace {

// ---- About box -------------------------------------------------------------

constexpr int kIdIcon = 109;
constexpr int kIdVersion = 118;
constexpr int kIdAuthor1 = 119;
constexpr int kIdAuthor2 = 121;
constexpr int kIdContact = 122;
// Controls the click shows; the box does not hold 117 and 120, which the
// click handler tolerates.
constexpr int kIdShownOnClick[] = {117, 120, 121};
constexpr int kIdHiddenOnClick[] = {118, 119, 109};

DialogTemplate AboutTemplate() {
    DialogTemplate t;
    t.id = IDD_ABOUTBOX;
    t.title = "";
    t.cx = 281;
    t.cy = 73;
    t.fontName = "MS Sans Serif";
    t.fontPoints = 8;
    DialogControl icon = MakeControl(kIdIcon, ControlKind::Icon, DluRect(9, 13, 20, 20));
    icon.image = kAppIconImage;
    t.controls = {
        icon,
        MakeControl(kIdVersion, ControlKind::LText, DluRect(41, 14, 161, 8),
                "Pixboard file software, Version 2.0"),
        MakeControl(kIdAuthor1, ControlKind::LText, DluRect(39, 25, 204, 8),
                "Written by the tracevu developers"),
        MakeControl(IDOK, ControlKind::DefPushButton, DluRect(241, 7, 32, 14), "OK"),
        MakeControl(kIdAuthor2, ControlKind::LText, DluRect(39, 36, 204, 8),
                "For everyone who repairs, clones and documents boards"),
        MakeControl(kIdContact, ControlKind::LText, DluRect(38, 47, 204, 8),
                "Contact: tracevu@example.org"),
    };
    return t;
}

// ---- Operation guide -------------------------------------------------------

constexpr int kIdNextPage = 124;

// One line of a guide item. A line with pictures reads "点击小图标", the
// toolbar pictures of the commands, then the rest of the sentence.
struct GuideLine {
    std::string text;
    std::vector<unsigned> pictures = {};
    std::string rest = {};
};

struct GuideItem {
    std::string caption;
    std::vector<GuideLine> lines;
};

const char* const kClickIcon = "点击小图标";

// Geometry of a guide page, in dialog units.
constexpr int kPageWidth = 382;
constexpr int kPageHeight = 247;
constexpr int kCaptionX = 8;
constexpr int kTextX = 22;
constexpr int kFirstLineY = 5;
constexpr int kLinePitch = 10;
constexpr int kLineHeight = 9;
constexpr int kClickIconWidth = 46;
constexpr int kPictureWidth = 12;

DialogTemplate GuideFrame(int id) {
    DialogTemplate t;
    t.id = id;
    t.title = "操作指南";
    t.cx = kPageWidth;
    t.cy = kPageHeight;
    t.fontName = "System";
    t.fontPoints = 10;
    t.resizable = true;
    t.centered = true;
    t.sunkenEdge = true;
    t.language = "zh-CN";
    return t;
}

void AddLine(DialogTemplate& t, const GuideLine& line, int y) {
    const int right = kPageWidth - 6;
    if (line.pictures.empty()) {
        t.controls.push_back(
            MakeControl(-1, ControlKind::LText, CRect(kTextX, y, right, y + kLineHeight), line.text));
        return;
    }
    int x = kTextX;
    t.controls.push_back(MakeControl(-1, ControlKind::LText,
                                 CRect(x, y, x + kClickIconWidth, y + kLineHeight), kClickIcon));
    x += kClickIconWidth;
    for (unsigned command : line.pictures) {
        DialogControl picture =
            MakeControl(-1, ControlKind::Bitmap, CRect(x, y, x + kPictureWidth, y + kLineHeight));
        picture.image = ToolbarImageName(command);
        t.controls.push_back(picture);
        x += kPictureWidth;
    }
    t.controls.push_back(
        MakeControl(-1, ControlKind::LText, CRect(x + 2, y, right, y + kLineHeight), line.rest));
}

DialogTemplate GuidePage(int id, const std::vector<GuideItem>& items) {
    DialogTemplate t = GuideFrame(id);
    int y = kFirstLineY;
    for (const GuideItem& item : items) {
        t.controls.push_back(MakeControl(-1, ControlKind::LText,
                                     CRect(kCaptionX, y, kPageWidth - 6, y + kLineHeight),
                                     item.caption));
        y += kLinePitch;
        for (const GuideLine& line : item.lines) {
            AddLine(t, line, y);
            y += kLinePitch;
        }
    }
    return t;
}

std::vector<GuideItem> FirstPageItems() {
    return {
        {"1、打开扫描获得的印刷板的图文件",
         {{"从主菜单 File 中选择 Open，打开扩展名为 BMP 的图文件。"}}},
        {"2、参数设置", {{kClickIcon, {ID_PARAMETERS}, "，设置焊盘大小、线宽和当前层。"}}},
        {"3、颜色设置", {{kClickIcon, {ID_LAYER_COLOR}, "，设置当前层的线条颜色。"}}},
        {"4、画线",
         {{kClickIcon, {ID_LINE_MODE}, "，进入画线状态，光标变为十字形，用鼠标画线。"}}},
        {"5、设置走线方式",
         {{"主菜单 View 中的 Track Mode 在 45 度走线和任意角度走线之间切换。"}}},
        {"6、画焊盘",
         {{kClickIcon, {ID_PAD_MODE}, "，进入画焊盘状态，光标变为向上的箭头，"},
          {"每单击一次左键画一个焊盘。"}}},
        {"7、旋转所画的整个PCB线路图",
         {{"用 EDIT 菜单中的 Select All 或按 Ctrl+A 选中全部；方向键每次移动一步，"},
          {"数字键 2、4、6、8 每次移动十步；回车键或空格键旋转；"},
          {"X 键和 Y 键使整个图形关于 X 轴或 Y 轴作镜像。"}}},
        {"8、移动某线条或焊盘",
         {{"用鼠标左键拖动线条或焊盘，拖动时单击右键可取消；或者将光标放在"},
          {"线条或焊盘上，用方向键移动：光标在线条中部时整条线移动，否则光标"},
          {"跳到最近的端点，移动该端点或焊盘。"}}},
    };
}

std::vector<GuideItem> SecondPageItems() {
    return {
        {"9、放置元器件",
         {{kClickIcon, {ID_COMPONENT_MARK}, "，进入放置元器件状态，每单击一次左键放置一个元器件。"}}},
        {"10、打开、保存当前的工作",
         {{kClickIcon, {ID_OPEN_WORK, ID_SAVE_WORK}, "，分别打开和保存当前的工作，以便以后继续编辑。"}}},
        {"10、打开、保存PCB文件",
         {{kClickIcon, {ID_OPEN_PROTEL, ID_FILE_PRINT}, "，分别调入已有的PCB文件，"},
          {"或把所画的线路图保存为PCB文件。"}}},
        {"11、改变坐标显示模式",
         {{"主菜单 VIEW 中的 Toggle Units 使窗口底部显示的坐标在 mil 和 mm 之间切换。"}}},
    };
}

DialogTemplate FirstPageTemplate() {
    DialogTemplate t = GuidePage(IDD_GUIDE, FirstPageItems());
    t.controls.push_back(
        MakeControl(kIdNextPage, ControlKind::PushButton, DluRect(173, 222, 35, 11), "下一页"));
    return t;
}

} // namespace

CAboutDlg::CAboutDlg() : CDialog(AboutTemplate()) {}

void CAboutDlg::OnLButtonDown(UINT flags, CPoint point) {
    const CRect icon = GetDlgItemClientRect(kIdIcon);
    if (GetDlgItem(kIdIcon) && icon.PtInRect(point)) {
        for (int id : kIdShownOnClick)
            ShowDlgItem(id, true);
        for (int id : kIdHiddenOnClick)
            ShowDlgItem(id, false);
    }
    CDialog::OnLButtonDown(flags, point);
}

CGuideDlg::CGuideDlg() : CDialog(FirstPageTemplate()) {}

void CGuideDlg::OnCommand(int id) {
    if (id == kIdNextPage)
        OnNextPage();
    else
        CDialog::OnCommand(id);
}

void CGuideDlg::OnNextPage() {
    CGuidePage2Dlg page;
    page.DoModal();
}

CGuidePage2Dlg::CGuidePage2Dlg() : CDialog(GuidePage(IDD_GUIDE_PAGE2, SecondPageItems())) {}

void RunAboutBox() {
    CAboutDlg about;
    about.DoModal();
}

void RunGuide() {
    CGuideDlg guide;
    guide.DoModal();
}
