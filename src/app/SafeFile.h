#pragma once

#include <QByteArray>
#include <QString>

namespace kazoon {

// Replaces a file's contents through a temporary file and a rename, so that a
// failed or interrupted write leaves the old file as it was.
struct FileWrite {
    enum Result { Ok, CannotOpen, CannotWrite };
    Result result = Ok;
    QString errorString; // the system's reason when not Ok
};
FileWrite replaceFile(const QString &path, const QByteArray &bytes);

} // namespace kazoon
