#include "platform/qt/qt_user_services.h"

#include <QApplication>
#include <QColorDialog>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QTreeView>

namespace {
QString ToQString(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

QMessageBox::StandardButtons QtMessageBoxButtons(UINT type) {
    switch (type & MB_BUTTONS_MASK) {
    case MB_OKCANCEL:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon QtMessageBoxIcon(UINT type) {
    switch (type & MB_ICON_MASK) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int QtMessageBoxAnswer(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

constexpr QSize kFileDialogSize(860, 540);

// Qt's own file dialog starts small, with the size, type and date of each
// file cut short: room for the columns, within the screen, and the name
// column takes what the others leave.
void ShowFileColumnsWhole(QFileDialog& dialog) {
    if (const QScreen* screen = dialog.screen())
        dialog.resize(kFileDialogSize.boundedTo(screen->availableSize() * 9 / 10));
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list || list->header()->count() < 4)
        return;
    const QFontMetrics metrics(list->font());
    const int padding = metrics.horizontalAdvance(QStringLiteral("MMM"));
    const QString widest[] = {
        QStringLiteral("1023.99 KiB"), QStringLiteral("Windows BMP image"),
        QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59)), QLocale::ShortFormat)};
    QHeaderView* header = list->header();
    for (int column = 1; column <= 3; ++column)
        header->resizeSection(column, metrics.horizontalAdvance(widest[column - 1]) + padding);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

QStringList QtNameFilters(const std::string& windowsFilter) {
    const QStringList parts = ToQString(windowsFilter).split(QLatin1Char('|'));
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty())
            break; // the "||" that ends the list
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString p = pattern.trimmed();
            if (!p.isEmpty())
                patterns << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        description.remove(trailingPatterns);
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QtUserServices::QtUserServices() {
    m_previous = SetServices(this);
}

QtUserServices::~QtUserServices() {
    while (m_waitDepth > 0)
        EndWaitCursor();
    SetServices(m_previous);
}

QWidget* QtUserServices::DialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (m_mainWindow)
        return m_mainWindow;
    return QApplication::activeWindow();
}

int QtUserServices::MessageBox(const std::string& text, const std::string& caption, UINT type) {
    const QString title =
        caption.empty() ? QGuiApplication::applicationDisplayName() : ToQString(caption);
    const QMessageBox::StandardButtons buttons = QtMessageBoxButtons(type);
    QMessageBox box(QtMessageBoxIcon(type), title, ToQString(text), buttons, DialogParent());
    // The first button is the default, as in Windows.
    box.setDefaultButton(buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    if (answer == QMessageBox::NoButton && buttons == QMessageBox::Ok)
        return IDOK;
    return QtMessageBoxAnswer(answer);
}

std::optional<std::string> QtUserServices::FileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(DialogParent());
    ShowFileColumnsWhole(dialog);
    QString title = ToQString(request.title);
    if (title.isEmpty())
        title = request.open ? QStringLiteral("Open") : QStringLiteral("Save As");
    dialog.setWindowTitle(title);
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!(request.flags & OFN_OVERWRITEPROMPT))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QString suffix = ToQString(request.defaultExt);
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    const QFileInfo initial(ToQString(request.initialName));
    if (!request.initialName.empty() && ToQString(request.initialName).contains(QLatin1Char('/'))) {
        dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    } else {
        dialog.setDirectory(m_lastDirectory.isEmpty() ? QDir::currentPath() : m_lastDirectory);
        if (!request.initialName.empty())
            dialog.selectFile(initial.fileName());
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().first();
        const std::string path = ApplyDefaultExtension(chosen.toStdString(), request.defaultExt);
        // The dialog asked about the name it saw; ask again when the default
        // extension made it another existing file.
        if (!request.open && (request.flags & OFN_OVERWRITEPROMPT) && ToQString(path) != chosen &&
            QFileInfo::exists(ToQString(path))) {
            const std::string question = QFileInfo(ToQString(path)).fileName().toStdString() +
                                         " already exists.\nDo you want to replace it?";
            if (MessageBox(question, title.toStdString(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
                continue;
        }
        m_lastDirectory = QFileInfo(ToQString(path)).absolutePath();
        return path;
    }
}

std::optional<COLORREF> QtUserServices::ChooseColor(COLORREF initial) {
    const QColor color = QColorDialog::getColor(
        QColor(GetRValue(initial), GetGValue(initial), GetBValue(initial)), DialogParent());
    if (!color.isValid())
        return std::nullopt;
    return RGB(color.red(), color.green(), color.blue());
}

void QtUserServices::MessageBeep(UINT) {
    QApplication::beep();
}

void QtUserServices::BeginWaitCursor() {
    if (m_waitDepth++ == 0)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUserServices::EndWaitCursor() {
    if (m_waitDepth > 0 && --m_waitDepth == 0)
        QGuiApplication::restoreOverrideCursor();
}

void QtUserServices::SetStatusPaneText(int pane, const std::string& text) {
    if (m_statusPane)
        m_statusPane(pane, text);
}

void QtUserServices::AddToRecentFileList(const std::string& path) {
    if (m_recentFile)
        m_recentFile(path);
}

int QtUserServices::RunModalDialog(CDialog& dialog) {
    QtDialogHost host(dialog, m_images, DialogParent());
    return host.Run();
}
