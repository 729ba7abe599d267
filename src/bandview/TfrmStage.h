#pragma once

#include <QWidget>
#include <functional>

#include "bandview/StageContent.h"

class QLabel;

namespace kazoon {

class IniFile;

struct StageWindowHooks {
    // Keys pressed here act as in the main window, so that the show goes on
    // when this window has the focus; keyDown is true when it took the key.
    std::function<bool(QObject *sender, int key, Qt::KeyboardModifiers modifiers)> keyDown;
    std::function<void(QObject *sender, int key, Qt::KeyboardModifiers modifiers)> keyUp;
};

// The stage view: the current song, the next song, the state and the time
// left in type large enough to read from a few metres, for a second screen
// facing the band or the performer's own glance. It shows the same content
// as the band view's page.
class TfrmStage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 640;
    static constexpr int kDefaultHeight = 360;

    explicit TfrmStage(StageWindowHooks hooks);

    void showContent(const StageContent &content);
    // Makes the window visible and brings it to the front.
    void showWindow();

    // [Stage]: position, size, state and whether it was open.
    void readSettings(const IniFile &ini);
    void writeSettings(IniFile &ini) const;
    bool openAtStart() const { return openAtStart_; }

    QLabel *lblStageState = nullptr, *lblStageTime = nullptr, *lblStageSong = nullptr,
           *lblStageMedley = nullptr, *lblStageNext = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void fitType();

    StageWindowHooks hooks_;
    bool openAtStart_ = false;
};

} // namespace kazoon
