#include "app/SafeFile.h"

#include <QFile>

namespace kazoon {

int removeStaleTemporaries(const QString &path)
{
    return platform::removeStaleTemporaries(QFile::encodeName(path).toStdString());
}

FileWrite replaceFile(const QString &path, const QByteArray &bytes)
{
    return platform::replaceFile(QFile::encodeName(path).toStdString(),
                                 std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

} // namespace kazoon
