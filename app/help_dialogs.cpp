#include "app/help_dialogs.h"

#include "app/guide_text.h"
#include "platform/user_services.h"
#include "res/resource.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

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

// Geometry of a guide page, in dialog units.
constexpr int kPageWidth = 382;
constexpr int kPageHeight = 247;
constexpr int kCaptionX = 8;
constexpr int kTextX = 22;
constexpr int kFirstLineY = 5;
constexpr int kLinePitch = 10;
constexpr int kLineHeight = 9;
constexpr int kPictureWidth = 12;
constexpr CRect kNextPageButton = DluRect(173, 222, 35, 11);
constexpr CRect kLanguageButton = DluRect(327, 222, 45, 11);

std::string ToUtf8(const QString& text) { return text.toStdString(); }

// Room for words before a line's pictures: an average character is 4
// dialog units wide, a Han character nearly twice that.
int WordsWidth(const QString& text) {
    int width = 2;
    for (const QChar c : text)
        width += c.unicode() >= 0x1100 ? 7 : 4;
    return width;
}

QTranslator& ChineseTranslator() {
    static QTranslator translator;
    return translator;
}

GuideLanguage& ChosenLanguage() {
    static GuideLanguage language = GuideLanguage::English;
    return language;
}

DialogTemplate GuideFrame(int id) {
    DialogTemplate t;
    t.id = id;
    t.title = ToUtf8(GuideText::Title());
    t.cx = kPageWidth;
    t.cy = kPageHeight;
    t.fontName = "System";
    t.fontPoints = 10;
    t.resizable = true;
    t.centered = true;
    t.sunkenEdge = true;
    // Han characters take their simplified Chinese forms.
    t.language = CurrentGuideLanguage() == GuideLanguage::Chinese ? "zh-CN" : "";
    return t;
}

void AddLine(DialogTemplate& t, const GuideLine& line, int y) {
    const int right = kPageWidth - 6;
    if (line.pictures.empty()) {
        t.controls.push_back(MakeControl(-1, ControlKind::LText,
                                         CRect(kTextX, y, right, y + kLineHeight), ToUtf8(line.text)));
        return;
    }
    int x = kTextX;
    const int words = WordsWidth(line.text);
    t.controls.push_back(MakeControl(-1, ControlKind::LText,
                                     CRect(x, y, x + words, y + kLineHeight), ToUtf8(line.text)));
    x += words;
    for (unsigned command : line.pictures) {
        DialogControl picture =
            MakeControl(-1, ControlKind::Bitmap, CRect(x, y, x + kPictureWidth, y + kLineHeight));
        picture.image = ToolbarImageName(command);
        t.controls.push_back(picture);
        x += kPictureWidth;
    }
    t.controls.push_back(MakeControl(-1, ControlKind::LText,
                                     CRect(x + 2, y, right, y + kLineHeight), ToUtf8(line.rest)));
}

DialogTemplate GuidePage(int id, const std::vector<GuideItem>& items) {
    DialogTemplate t = GuideFrame(id);
    int y = kFirstLineY;
    for (const GuideItem& item : items) {
        t.controls.push_back(MakeControl(-1, ControlKind::LText,
                                         CRect(kCaptionX, y, kPageWidth - 6, y + kLineHeight),
                                         ToUtf8(item.caption)));
        y += kLinePitch;
        for (const GuideLine& line : item.lines) {
            AddLine(t, line, y);
            y += kLinePitch;
        }
    }
    t.controls.push_back(MakeControl(kIdGuideLanguage, ControlKind::PushButton, kLanguageButton,
                                     ToUtf8(GuideText::OtherLanguage())));
    return t;
}

DialogTemplate FirstPageTemplate() {
    DialogTemplate t = GuidePage(IDD_GUIDE, GuideText::FirstPage());
    t.controls.push_back(MakeControl(kIdGuideNextPage, ControlKind::PushButton, kNextPageButton,
                                     ToUtf8(GuideText::NextPage())));
    return t;
}

GuideLanguage OtherLanguage(GuideLanguage language) {
    return language == GuideLanguage::Chinese ? GuideLanguage::English : GuideLanguage::Chinese;
}

// The language button: switch, and close the page so that it comes again.
bool SwitchedLanguage(CDialog& page, int id) {
    if (id != kIdGuideLanguage)
        return false;
    SetGuideLanguage(OtherLanguage(CurrentGuideLanguage()));
    page.EndDialog(kIdGuideLanguage);
    return true;
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

GuideLanguage GuideLanguageFor(const std::string& localeName) {
    return localeName.rfind("zh", 0) == 0 ? GuideLanguage::Chinese : GuideLanguage::English;
}

GuideLanguage SystemGuideLanguage() {
    return GuideLanguageFor(QLocale::system().name().toStdString());
}

GuideLanguage CurrentGuideLanguage() {
    return ChosenLanguage();
}

bool SetGuideLanguage(GuideLanguage language) {
    QTranslator& chinese = ChineseTranslator();
    if (language == GuideLanguage::English) {
        QCoreApplication::removeTranslator(&chinese);
        ChosenLanguage() = language;
        return true;
    }
    if (chinese.isEmpty() && !chinese.load(QStringLiteral(":/i18n/tracevu_zh_CN.qm")))
        return false;
    if (!QCoreApplication::installTranslator(&chinese))
        return false;
    ChosenLanguage() = language;
    return true;
}

CGuideDlg::CGuideDlg() : CDialog(FirstPageTemplate()) {}

void CGuideDlg::OnCommand(int id) {
    if (id == kIdGuideNextPage)
        OnNextPage();
    else if (!SwitchedLanguage(*this, id))
        CDialog::OnCommand(id);
}

void CGuideDlg::OnNextPage() {
    const GuideLanguage shown = CurrentGuideLanguage();
    for (;;) {
        CGuidePage2Dlg page;
        if (page.DoModal() != kIdGuideLanguage)
            break;
    }
    if (CurrentGuideLanguage() != shown)
        EndDialog(kIdGuideLanguage);
}

CGuidePage2Dlg::CGuidePage2Dlg() : CDialog(GuidePage(IDD_GUIDE_PAGE2, GuideText::SecondPage())) {}

void CGuidePage2Dlg::OnCommand(int id) {
    if (!SwitchedLanguage(*this, id))
        CDialog::OnCommand(id);
}

void RunAboutBox() {
    CAboutDlg about;
    about.DoModal();
}

void RunGuide() {
    for (;;) {
        CGuideDlg guide;
        if (guide.DoModal() != kIdGuideLanguage)
            break;
    }
}
