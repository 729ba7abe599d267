#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Files.h"

namespace kazoon {

// Replaces a file's contents through a temporary file and a rename, so that a
// failed or interrupted write leaves the old file as it was.
//
// The temporary sits beside the file as "<name>.kazoon-XXXXXX" (six letters
// or digits) and is locked for as long as it is written. A temporary of that
// exact name that nobody holds locked was left by a Kazoon that died while
// writing; such leftovers are removed before each write.
using platform::FileWrite;
FileWrite replaceFile(const QString &path, const QByteArray &bytes);

// Removes the leftovers of crashed writes of `path`; returns how many.
int removeStaleTemporaries(const QString &path);

} // namespace kazoon
