#include "app/FileErrors.h"

#include <cerrno>
#include <cstring>

namespace kazoon {

QString fileErrorReason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // the file cannot grow: to the user the disk is full
        return QStringLiteral("ディスクの空き容量が足りません。");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセス権がありません。");
    case EROFS:
        return QStringLiteral("読み取り専用のファイルシステムです。");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("ファイルまたはフォルダが見つかりません。");
    case EIO:
        return QStringLiteral("入出力エラーが発生しました。");
    case 0:
        return QStringLiteral("原因不明のエラーが発生しました。");
    default:
        return QStringLiteral("エラーが発生しました。(") + QString::fromLocal8Bit(std::strerror(error))
               + u')';
    }
}

} // namespace kazoon
