#pragma once

#include <QString>

namespace kazoon {

// Why a file could not be read or written, for a box: plain Japanese for the
// common causes (a full disk, no permission, a read-only file system, a
// missing file or folder, an I/O error); for any other cause a general text
// followed by the system's own words in brackets. `error` is an errno value.
QString fileErrorReason(int error);

} // namespace kazoon
