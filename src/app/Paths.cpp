#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kazoon {

QString settingsFilePath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString beside = QDir(appDir).filePath(QStringLiteral("Kazoon.ini"));
    if (QFileInfo::exists(beside) || QFileInfo(appDir).isWritable())
        return beside;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("kazoon/Kazoon.ini"));
}

QString helpFilePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help/index.html"));
}

} // namespace kazoon
