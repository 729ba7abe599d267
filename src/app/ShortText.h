#pragma once

#include <QString>

namespace kazoon {

// Paths and names quoted in boxes, hints, captions and the status line are cut
// to this many characters, so that a freak of a path cannot fill the screen.
constexpr qsizetype kShownTextMax = 100;

// The text as it is when it fits; otherwise its start and its end (the file
// name matters most, so the end gets the larger share) joined by "…".
// A character is never split.
QString shortenMiddle(const QString &text, qsizetype max = kShownTextMax);

} // namespace kazoon
