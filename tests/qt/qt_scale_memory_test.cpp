// Remembered scales in a settings file: kept per image path, read back by
// a later instance, and nothing for a path never set or a damaged entry.
#include "platform/qt/qt_scale_memory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
QtScaleMemory MemoryIn(const QString& file) {
    return QtScaleMemory([file] { return std::make_unique<QSettings>(file, QSettings::IniFormat); });
}
} // namespace

TEST(QtScaleMemory, KeepsScanLinesPerImagePathInTheSettingsFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("settings.ini");
    // Slashes, spaces and bytes that are no UTF-8.
    const std::string odd = "/scans/a b/\xff\xfe.bmp";
    {
        QtScaleMemory memory = MemoryIn(file);
        EXPECT_FALSE(memory.Recall("/scans/board.bmp"));
        memory.Remember("/scans/board.bmp", 600, 300);
        memory.Remember(odd, 1200, 1200);
        memory.Remember("/scans/board.bmp", 601, 301);
    }
    QtScaleMemory later = MemoryIn(file);
    EXPECT_EQ(later.Recall("/scans/board.bmp"), std::make_pair(601, 301));
    EXPECT_EQ(later.Recall(odd), std::make_pair(1200, 1200));
    EXPECT_FALSE(later.Recall("/scans/BOARD.bmp"));
    EXPECT_FALSE(later.Recall("/scans/board.bmp/"));

    // An entry damaged by hand is no scale.
    {
        QSettings settings(file, QSettings::IniFormat);
        const QString hex = QString::fromLatin1(QByteArray("/scans/board.bmp").toHex());
        settings.setValue("ScanLines/" + hex + "/y", "lots");
    }
    EXPECT_FALSE(later.Recall("/scans/board.bmp"));
}
