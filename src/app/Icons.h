#pragma once

#include <QIcon>
#include <QPixmap>

namespace kazoon {

// The program's own artwork, drawn at run time so that every size stays sharp.
enum class IconId {
    New, Open, Save, Edit, Medley, Clear, Qs, Wrd, WrdEdit, Lesson, Sflg, Eflg, Help,
    Standby, Play, Stop, Prev,
    App, Lyrics,
};

QPixmap drawIcon(IconId id, int size);
// The 16 and 32 pixel images of one icon.
QIcon icon(IconId id);

} // namespace kazoon
