#include "app/SafeFile.h"

#include <QSaveFile>

namespace kazoon {

FileWrite replaceFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {FileWrite::CannotOpen, file.errorString()};
    // The explicit flush matters: commit() misses a flush that fails part way
    // (a full disk) and would put a cut-off file in place of the old one.
    // Without a commit the temporary file is discarded.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return {FileWrite::CannotWrite, file.errorString()};
    return {};
}

} // namespace kazoon
