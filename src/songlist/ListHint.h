#pragma once

#include <QString>

namespace kazoon::songlist {

// What follows the current song, in words, for the list's tool tip. `next`
// is the name of the following song (unused for the last one).
QString listHint(const QString &name, const QString &next, bool marked, bool last);

// The hint of a song the device could not load.
QString loadFailureHint(const QString &name);

} // namespace kazoon::songlist
