#pragma once

#include <QDialog>

namespace kazoon {

class TfrmMain;

// The song list editor (placeholder until the editor is built).
class TfrmSelect : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelect(TfrmMain *main, QWidget *parent = nullptr);

private:
    TfrmMain *main_;
};

} // namespace kazoon
