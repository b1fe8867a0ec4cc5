#include "app/recent_files.h"

#include <QDir>
#include <QFileInfo>

namespace {
const char* const kGroup = "Recent File List";
constexpr int kMenuPathLength = 40;

// Two paths name the same file when their cleaned absolute forms match.
QString Canonical(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString ShortPath(const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    const QString home = QDir::homePath();
    if (!home.isEmpty() && shown.startsWith(home + '/'))
        shown = "~" + shown.mid(home.size());
    if (shown.size() <= kMenuPathLength)
        return shown;
    // Keep the file name whole and as much of the start as fits.
    const QString name = QFileInfo(path).fileName();
    const int head = kMenuPathLength - static_cast<int>(name.size()) - 4;
    if (head <= 0)
        return name;
    return shown.left(head) + ".../" + name;
}
} // namespace

RecentFileList::RecentFileList(int capacity) : m_capacity(capacity) {}

void RecentFileList::Add(const QString& path) {
    if (path.isEmpty())
        return;
    const QString canonical = Canonical(path);
    m_files.removeIf([&](const QString& file) { return Canonical(file) == canonical; });
    m_files.prepend(canonical);
    while (m_files.size() > m_capacity)
        m_files.removeLast();
}

void RecentFileList::Remove(int index) {
    if (index >= 0 && index < m_files.size())
        m_files.removeAt(index);
}

void RecentFileList::Load(QSettings& settings) {
    m_files.clear();
    settings.beginGroup(kGroup);
    for (int i = 1; i <= m_capacity; ++i) {
        const QString file = settings.value(QString("File%1").arg(i)).toString();
        if (!file.isEmpty() && m_files.size() < m_capacity)
            m_files.append(file);
    }
    settings.endGroup();
}

void RecentFileList::Save(QSettings& settings) const {
    settings.beginGroup(kGroup);
    settings.remove("");
    for (int i = 0; i < m_files.size(); ++i)
        settings.setValue(QString("File%1").arg(i + 1), m_files[i]);
    settings.endGroup();
    settings.sync();
}

QString RecentFileList::MenuText(int index) const {
    if (index < 0 || index >= m_files.size())
        return {};
    QString path = ShortPath(m_files[index]);
    // A literal '&' in a path must not become a mnemonic.
    path.replace("&", "&&");
    return QString("&%1 %2").arg(index + 1).arg(path);
}
