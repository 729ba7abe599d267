#pragma once

#include <QByteArray>
#include <QString>

namespace kazoon {

// Replaces a file's contents through a temporary file and a rename, so that a
// failed or interrupted write leaves the old file as it was.
//
// The temporary sits beside the file as "<name>.kazoon-XXXXXX" (six letters
// or digits) and is locked (flock) for as long as it is written. A temporary
// of that exact name that nobody holds locked was left by a Kazoon that died
// while writing; such leftovers are removed before each write.
struct FileWrite {
    enum Result { Ok, CannotOpen, CannotWrite };
    Result result = Ok;
    int error = 0; // errno of the step that failed when not Ok
};
FileWrite replaceFile(const QString &path, const QByteArray &bytes);

// Removes the leftovers of crashed writes of `path`; returns how many.
int removeStaleTemporaries(const QString &path);

} // namespace kazoon
