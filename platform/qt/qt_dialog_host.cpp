#include "platform/qt/qt_dialog_host.h"

#include "platform/scroll_view.h"
#include "platform/user_services.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {
QString ToQString(const std::string& s) {
    return QString::fromStdString(s);
}

// Static texts show "&x" as an underlined x in Windows; there is no
// keyboard focus to give here, so the marker is dropped ("&&" is an "&").
QString StaticText(const std::string& text) {
    QString out;
    const QString in = ToQString(text);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == QLatin1Char('&') && i + 1 < in.size()) {
            ++i;
        }
        out += in[i];
    }
    return out;
}

bool IsStatic(ControlKind kind) {
    return kind == ControlKind::LText || kind == ControlKind::RText || kind == ControlKind::CText ||
           kind == ControlKind::Icon || kind == ControlKind::Bitmap;
}

Qt::Alignment TextAlignment(ControlKind kind) {
    switch (kind) {
    case ControlKind::RText:
        return Qt::AlignRight | Qt::AlignTop;
    case ControlKind::CText:
        return Qt::AlignHCenter | Qt::AlignTop;
    default:
        return Qt::AlignLeft | Qt::AlignTop;
    }
}

// The standard icon size of dialogs (an icon control takes the icon's size).
constexpr int kIconSize = 32;

// Pixels kept free between a widened label and its neighbour.
constexpr int kLabelGap = 2;

bool VerticallyOverlap(const QRect& a, const QRect& b) {
    return a.top() <= b.bottom() && b.top() <= a.bottom();
}

// Width at which a word-wrapping label shows its text on one line, or 0 when
// it never does within `limit` pixels.
int OneLineWidth(const QLabel& label, int limit) {
    const int oneLine = label.heightForWidth(QWIDGETSIZE_MAX);
    for (int width = label.fontMetrics().horizontalAdvance(label.text()); width <= limit; ++width)
        if (label.heightForWidth(width) <= oneLine)
            return width;
    return 0;
}

// A one-line label whose text is a little wider than its template rectangle
// (the desktop font is wider than the one the dialog was laid out with)
// grows into the free space on its open side instead of wrapping onto a line
// the template has no room for: a left-aligned label to the right, a
// right-aligned one to the left, a centred one both ways. `others` are the
// rectangles of the other controls; nothing grows past them or the client.
QRect WidenOneLineLabel(QRect rect, ControlKind kind, const QLabel& label,
                        const std::vector<QRect>& others, const QRect& client) {
    if (label.heightForWidth(rect.width()) <= label.heightForWidth(QWIDGETSIZE_MAX))
        return rect;
    int leftLimit = client.left();
    int rightLimit = client.right();
    for (const QRect& other : others) {
        if (!VerticallyOverlap(rect, other))
            continue;
        if (other.left() > rect.right())
            rightLimit = std::min(rightLimit, other.left() - 1 - kLabelGap);
        else if (other.right() < rect.left())
            leftLimit = std::max(leftLimit, other.right() + 1 + kLabelGap);
    }
    const int width = OneLineWidth(label, rightLimit - leftLimit + 1);
    if (width == 0)
        return rect;
    const int extra = width - rect.width();
    QRect wide = rect;
    switch (kind) {
    case ControlKind::LText:
        wide.setRight(rect.right() + extra);
        break;
    case ControlKind::RText:
        wide.setLeft(rect.left() - extra);
        break;
    default:
        wide.adjust(-extra / 2, 0, extra - extra / 2, 0);
        break;
    }
    if (wide.left() < leftLimit || wide.right() > rightLimit)
        return rect;
    return wide;
}
} // namespace

void QtDialogBaseUnits(const QFont& font, int* baseX, int* baseY) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    *baseX = std::max(1, (letters / 26 + 1) / 2);
    *baseY = std::max(1, metrics.height());
}

QStringList QtHanFamilies(const std::string& language) {
    const QString tag = ToQString(language).toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    if (tag == QLatin1String("zh-cn") || tag == QLatin1String("zh-sg") ||
        tag == QLatin1String("zh-hans") || tag.startsWith(QLatin1String("zh-hans-")))
        return {QStringLiteral("Noto Sans CJK SC"),    QStringLiteral("Noto Sans SC"),
                QStringLiteral("Source Han Sans SC"),  QStringLiteral("Source Han Sans CN"),
                QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei")};
    return {};
}

QFont QtDialogHost::TemplateFont(const DialogTemplate& dialogTemplate) {
    QFont font = QApplication::font();
    const std::string& name = dialogTemplate.fontName;
    const bool windowsDialogFont = name.empty() || name == "MS Sans Serif" || name == "System" ||
                                   name == "MS Shell Dlg" || name == "MS Shell Dlg 2";
    if (!windowsDialogFont)
        font.setFamily(ToQString(name));
    if (dialogTemplate.fontPoints > 0)
        font.setPointSize(dialogTemplate.fontPoints);
    // Without a hint the desktop picks Han glyphs in the forms of its own
    // language, often the Japanese ones: the fonts of the text's language
    // come right after the family for Latin letters.
    if (const QStringList han = QtHanFamilies(dialogTemplate.language); !han.isEmpty())
        font.setFamilies(QStringList{QFontInfo(font).family()} + han);
    return font;
}

QtDialogHost::QtDialogHost(CDialog& dialog, QtImageProvider images, QWidget* parent)
    : QDialog(parent), m_dialog(dialog), m_images(std::move(images)) {
    const DialogTemplate& t = dialog.Template();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(ToQString(t.title));
    if (!t.language.empty())
        setLocale(QLocale(ToQString(t.language)));
    setFont(TemplateFont(t));
    int baseX = 0;
    int baseY = 0;
    QtDialogBaseUnits(font(), &baseX, &baseY);
    m_dialog.SetBaseUnits(baseX, baseY);
    if (t.sunkenEdge) {
        m_edge = new QFrame(this);
        m_edge->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        m_edge->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    CreateControls();
    const CRect client = m_dialog.MapDialogRect(CRect(0, 0, t.cx, t.cy));
    if (t.resizable)
        resize(client.Width(), client.Height());
    else
        setFixedSize(client.Width(), client.Height());
}

void QtDialogHost::CreateControls() {
    std::vector<DialogControl>& controls = m_dialog.Controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        QWidget* widget = CreateControl(controls[i]);
        widget->setObjectName(QStringLiteral("control_%1").arg(controls[i].id));
        if (IsStatic(controls[i].kind))
            widget->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (controls[i].id != -1)
            m_byId.emplace(controls[i].id, widget);
        m_widgets.push_back(widget);
    }
    ShowState();
}

QWidget* QtDialogHost::CreateControl(const DialogControl& control) {
    const int id = control.id;
    switch (control.kind) {
    case ControlKind::DefPushButton:
    case ControlKind::PushButton: {
        auto* button = new QPushButton(ToQString(control.text), this);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        connect(button, &QPushButton::clicked, this, [this, id] { OnButton(id); });
        return button;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(ToQString(control.text), this);
        connect(edit, &QLineEdit::textEdited, this, [this, id] { OnChanged(id); });
        return edit;
    }
    case ControlKind::DropList: {
        auto* combo = new QComboBox(this);
        connect(combo, &QComboBox::activated, this, [this, id] { OnChanged(id); });
        return combo;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(ToQString(control.text), this);
        connect(box, &QCheckBox::clicked, this, [this, id] { OnChanged(id); });
        return box;
    }
    case ControlKind::Icon:
    case ControlKind::Bitmap: {
        auto* label = new QLabel(this);
        QPixmap pixmap = LoadImage(control.image);
        if (control.kind == ControlKind::Icon && !pixmap.isNull() &&
            (pixmap.deviceIndependentSize().width() > kIconSize ||
             pixmap.deviceIndependentSize().height() > kIconSize)) {
            const qreal ratio = devicePixelRatioF();
            pixmap = pixmap.scaled(QSize(kIconSize, kIconSize) * ratio, Qt::KeepAspectRatio,
                                   Qt::SmoothTransformation);
            pixmap.setDevicePixelRatio(ratio);
        }
        label->setPixmap(pixmap);
        return label;
    }
    case ControlKind::LText:
    case ControlKind::RText:
    case ControlKind::CText: {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(TextAlignment(control.kind));
        return label;
    }
    }
    return new QWidget(this);
}

QPixmap QtDialogHost::LoadImage(const std::string& name) const {
    if (name.empty())
        return {};
    if (m_images) {
        QPixmap pixmap = m_images(name);
        if (!pixmap.isNull())
            return pixmap;
    }
    const QIcon icon = QIcon::fromTheme(ToQString(name));
    return icon.isNull() ? QPixmap()
                         : icon.pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF());
}

QWidget* QtDialogHost::ControlWidget(int id) const {
    const auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

void QtDialogHost::CopyWidgetsToState() {
    std::vector<DialogControl>& controls = m_dialog.Controls();
    for (std::size_t i = 0; i < controls.size() && i < m_widgets.size(); ++i) {
        if (auto* edit = qobject_cast<QLineEdit*>(m_widgets[i]))
            controls[i].text = edit->text().toStdString();
        else if (auto* combo = qobject_cast<QComboBox*>(m_widgets[i]))
            controls[i].sel = combo->currentIndex();
        else if (auto* box = qobject_cast<QCheckBox*>(m_widgets[i]))
            controls[i].checked = box->isChecked();
    }
}

std::vector<QRect> QtDialogHost::OtherControlRects(std::size_t index) const {
    const std::vector<DialogControl>& controls = m_dialog.Template().controls;
    std::vector<QRect> rects;
    for (std::size_t i = 0; i < controls.size() && i < m_widgets.size(); ++i) {
        if (i == index || !controls[i].visible)
            continue;
        const CRect r = m_dialog.MapDialogRect(controls[i].dlu);
        QRect rect(r.left, r.top, r.Width(), r.Height());
        // A drop-down list's template height is that of the opened list.
        if (controls[i].kind == ControlKind::DropList)
            rect.setHeight(m_widgets[i]->sizeHint().height());
        rects.push_back(rect);
    }
    return rects;
}

void QtDialogHost::ShowState() {
    const std::vector<DialogControl>& controls = m_dialog.Controls();
    for (std::size_t i = 0; i < controls.size() && i < m_widgets.size(); ++i) {
        const DialogControl& c = controls[i];
        QWidget* widget = m_widgets[i];
        QRect rect = [&] {
            const CRect r = m_dialog.MapDialogRect(c.dlu);
            return QRect(r.left, r.top, r.Width(), r.Height());
        }();
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            button->setText(ToQString(c.text));
        } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            box->setText(ToQString(c.text));
            box->setChecked(c.checked);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            if (edit->text() != ToQString(c.text))
                edit->setText(ToQString(c.text));
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            QStringList items;
            for (const std::string& item : c.items)
                items << ToQString(item);
            QStringList shown;
            for (int k = 0; k < combo->count(); ++k)
                shown << combo->itemText(k);
            if (items != shown) {
                combo->clear();
                combo->addItems(items);
            }
            combo->setCurrentIndex(c.sel >= 0 && c.sel < combo->count() ? c.sel : -1);
            // The template's height is that of the opened list; the closed
            // box is as high as its font needs.
            rect.setHeight(combo->sizeHint().height());
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (c.kind == ControlKind::Icon || c.kind == ControlKind::Bitmap) {
                const QSize size = label->pixmap().deviceIndependentSize().toSize();
                if (!size.isEmpty())
                    rect.setSize(size);
            } else {
                label->setText(StaticText(c.text));
                if (!label->text().contains(QLatin1Char('\n')))
                    rect =
                        WidenOneLineLabel(rect, c.kind, *label, OtherControlRects(i), this->rect());
                // Never cut a line short: scripts with taller glyphs (CJK)
                // may need more height than the template gave.
                rect.setHeight(std::max(rect.height(), label->heightForWidth(rect.width())));
            }
        }
        if (qobject_cast<QPushButton*>(widget) || qobject_cast<QLineEdit*>(widget)) {
            const int needed = widget->minimumSizeHint().height();
            if (rect.height() < needed)
                rect.adjust(0, -(needed - rect.height()) / 2, 0,
                            needed - rect.height() - (needed - rect.height()) / 2);
        }
        widget->setGeometry(rect);
        widget->setVisible(c.visible);
    }
}

bool QtDialogHost::Initialize() {
    m_dialog.OnInitDialog();
    if (m_dialog.IsEnded())
        return false;
    ShowState();
    ApplyFocusRequest();
    return true;
}

int QtDialogHost::Run() {
    if (!Initialize())
        return m_dialog.Result();
    exec();
    return m_dialog.IsEnded() ? m_dialog.Result() : IDCANCEL;
}

void QtDialogHost::AfterHandler() {
    if (m_dialog.IsEnded()) {
        done(m_dialog.Result());
        return;
    }
    ShowState();
    ApplyFocusRequest();
}

void QtDialogHost::ApplyFocusRequest() {
    const int id = m_dialog.TakeFocusRequest();
    QWidget* widget = id != 0 ? ControlWidget(id) : nullptr;
    if (!widget)
        return;
    widget->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->selectAll();
}

void QtDialogHost::OnChanged(int id) {
    CopyWidgetsToState();
    m_dialog.OnControlChanged(id);
    AfterHandler();
}

void QtDialogHost::OnButton(int id) {
    CopyWidgetsToState();
    m_dialog.OnCommand(id);
    AfterHandler();
}

// Escape and the close box.
void QtDialogHost::reject() {
    CopyWidgetsToState();
    m_dialog.OnCancel();
    AfterHandler();
}

void QtDialogHost::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    CopyWidgetsToState();
    UINT flags = MK_LBUTTON;
    if (event->modifiers() & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier)
        flags |= MK_CONTROL;
    const QPoint p = event->position().toPoint();
    m_dialog.OnLButtonDown(flags, CPoint(p.x(), p.y()));
    AfterHandler();
}

void QtDialogHost::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_edge) {
        m_edge->setGeometry(rect());
        m_edge->lower();
    }
}
