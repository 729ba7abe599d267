#pragma once

#include <QString>

namespace kazoon {

// The program's name, the caption of its boxes, and the main window's
// caption while the song list has no file yet.
inline const QString kAppTitle = QStringLiteral("カズーン");
inline const QString kNewListCaption = QStringLiteral("カズーン - 新規曲リスト");

} // namespace kazoon
