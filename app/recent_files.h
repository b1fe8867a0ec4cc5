// The recent-file list: the last files opened or saved, most recent first,
// kept between runs in the program's settings.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

class RecentFileList {
  public:
    explicit RecentFileList(int capacity);

    // Puts the path first, dropping an older entry for the same file and the
    // oldest entry when the list is full.
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Files() const { return m_files; }
    int Capacity() const { return m_capacity; }

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;

    // The text of entry `index` in the File menu: "&1 " and the path, short
    // enough for a menu.
    QString MenuText(int index) const;

  private:
    int m_capacity;
    QStringList m_files;
};
