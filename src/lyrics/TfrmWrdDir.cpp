#include "lyrics/TfrmWrdDir.h"

namespace kazoon {

TfrmWrdDir::TfrmWrdDir(TfrmMain *main, QWidget *parent) : QDialog(parent), main_(main)
{
    setObjectName(QStringLiteral("frmWrdDir"));
    setWindowTitle(QStringLiteral("フォルダの指定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

} // namespace kazoon
