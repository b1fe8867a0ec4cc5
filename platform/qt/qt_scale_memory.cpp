#include "platform/qt/qt_scale_memory.h"

#include <QByteArray>

namespace {
QString KeyOf(const std::string& imagePath, const char* axis) {
    const QByteArray hex = QByteArray::fromStdString(imagePath).toHex();
    return QStringLiteral("ScanLines/%1/%2").arg(QString::fromLatin1(hex), QLatin1String(axis));
}
} // namespace

std::optional<std::pair<int, int>> QtScaleMemory::Recall(const std::string& imagePath) {
    const std::unique_ptr<QSettings> settings = m_open();
    bool okX = false;
    bool okY = false;
    const int x = settings->value(KeyOf(imagePath, "x")).toInt(&okX);
    const int y = settings->value(KeyOf(imagePath, "y")).toInt(&okY);
    if (!okX || !okY)
        return std::nullopt;
    return std::pair{x, y};
}

void QtScaleMemory::Remember(const std::string& imagePath, int x, int y) {
    const std::unique_ptr<QSettings> settings = m_open();
    settings->setValue(KeyOf(imagePath, "x"), x);
    settings->setValue(KeyOf(imagePath, "y"), y);
}
