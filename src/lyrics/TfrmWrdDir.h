#pragma once

#include <QDialog>

namespace kazoon {

class TfrmMain;

// The lyrics folder chooser, opened from the options dialog.
class TfrmWrdDir : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWrdDir(TfrmMain *main, QWidget *parent = nullptr);

protected:
    TfrmMain *main_;
};

} // namespace kazoon
