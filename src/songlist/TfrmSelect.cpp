#include "songlist/TfrmSelect.h"

namespace kazoon {

TfrmSelect::TfrmSelect(TfrmMain *main, QWidget *parent) : QDialog(parent), main_(main)
{
    setObjectName(QStringLiteral("frmSelect"));
}

} // namespace kazoon
