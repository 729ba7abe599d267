#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace kazoon {

QString settingsFilePath(const QString &appDir, bool appDirWritable, const QString &configDir)
{
    const QString beside = QDir(appDir).filePath(QStringLiteral("Kazoon.ini"));
    // Portable use: the file lives beside the program when it can be
    // written there (it is replaced through a rename in that folder).
    if (appDirWritable)
        return beside;
    const QString personal = QDir(configDir).filePath(QStringLiteral("kazoon/Kazoon.ini"));
    // A file placed beside a program in a read-only folder seeds the personal
    // one, so its settings are kept and can be saved.
    if (QFileInfo::exists(beside) && !QFileInfo::exists(personal)) {
        QDir().mkpath(QFileInfo(personal).absolutePath());
        QFile::copy(beside, personal);
    }
    return personal;
}

QString settingsFilePath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    return settingsFilePath(appDir, QFileInfo(appDir).isWritable(),
                            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString helpFilePath(const QString &appDir)
{
    const QDir dir(appDir);
    const QString beside = dir.filePath(QStringLiteral("help/index.html"));
    const QString installed = QDir::cleanPath(dir.filePath(QStringLiteral("../share/kazoon/help/index.html")));
    return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

QString helpFilePath()
{
    return helpFilePath(QCoreApplication::applicationDirPath());
}

} // namespace kazoon
