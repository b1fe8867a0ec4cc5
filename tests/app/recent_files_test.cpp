// The recent-file list: most recent first, no duplicates, at most its
// capacity, kept in the settings between runs.
#include "app/recent_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>

namespace {
QString Scratch(const QString& name) {
    return QDir::current().absoluteFilePath(name);
}
} // namespace

TEST(RecentFiles, KeepsTheFourMostRecentNewestFirst) {
    RecentFileList list(4);
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"})
        list.Add(Scratch(name));
    ASSERT_EQ(list.Files().size(), 4);
    EXPECT_EQ(list.Files().front(), Scratch("e.bmp"));
    EXPECT_EQ(list.Files().back(), Scratch("b.bmp"));
}

TEST(RecentFiles, ReopeningAFileMovesItToTheTop) {
    RecentFileList list(4);
    list.Add(Scratch("a.bmp"));
    list.Add(Scratch("b.bmp"));
    list.Add(Scratch("sub/../a.bmp")); // the same file, written differently
    ASSERT_EQ(list.Files().size(), 2);
    EXPECT_EQ(list.Files()[0], Scratch("a.bmp"));
    EXPECT_EQ(list.Files()[1], Scratch("b.bmp"));
}

TEST(RecentFiles, RemoveDropsOneEntryAndIgnoresBadIndexes) {
    RecentFileList list(4);
    list.Add(Scratch("a.bmp"));
    list.Add(Scratch("b.bmp"));
    list.Remove(5);
    list.Remove(-1);
    EXPECT_EQ(list.Files().size(), 2);
    list.Remove(0);
    ASSERT_EQ(list.Files().size(), 1);
    EXPECT_EQ(list.Files()[0], Scratch("a.bmp"));
}

TEST(RecentFiles, SurviveASaveAndLoadAndNeverLoadMoreThanTheCapacity) {
    const QString file = Scratch("recent.ini");
    {
        QSettings settings(file, QSettings::IniFormat);
        for (int i = 1; i <= 6; ++i)
            settings.setValue(QString("Recent File List/File%1").arg(i),
                              Scratch(QString("x%1.bmp").arg(i)));
    }
    QSettings settings(file, QSettings::IniFormat);
    RecentFileList loaded(4);
    loaded.Load(settings);
    ASSERT_EQ(loaded.Files().size(), 4);
    EXPECT_EQ(loaded.Files()[0], Scratch("x1.bmp"));

    RecentFileList list(4);
    list.Add(Scratch("one.bmp"));
    list.Add(Scratch("two.bmp"));
    list.Save(settings);
    RecentFileList again(4);
    again.Load(settings);
    EXPECT_EQ(again.Files(), list.Files());
    // Entries past the list's end are gone from the settings.
    EXPECT_FALSE(settings.contains("Recent File List/File3"));
}

TEST(RecentFiles, MenuTextsAreNumberedAndKeepAmpersandsLiteral) {
    RecentFileList list(4);
    list.Add(Scratch("b&w.bmp"));
    list.Add(Scratch("a.bmp"));
    EXPECT_TRUE(list.MenuText(0).startsWith("&1 "));
    EXPECT_TRUE(list.MenuText(0).endsWith("a.bmp"));
    EXPECT_TRUE(list.MenuText(1).startsWith("&2 "));
    EXPECT_TRUE(list.MenuText(1).endsWith("b&&w.bmp"));
    EXPECT_TRUE(list.MenuText(2).isEmpty());
}

TEST(RecentFiles, LongPathsAreShortenedButKeepTheFileName) {
    RecentFileList list(4);
    const QString deep = "/" + QString("very-long-directory-name/").repeated(5) + "scan.bmp";
    list.Add(deep);
    const QString text = list.MenuText(0);
    EXPECT_LT(text.size(), deep.size());
    EXPECT_TRUE(text.endsWith("/scan.bmp"));
    EXPECT_TRUE(text.contains("..."));
}
