#include <QAction>

#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "player/PlayerSupport.h"
#include "player/SequencerDevice.h"
#include "player/TrackBar.h"

namespace kazoon {

void TfrmMain::mnuQsItemClick()
{
    const bool on = !cmdQs->menuItem()->isChecked();
    cmdQs->setDown(on);
    LoadSelectedSong();
}

void TfrmMain::ButtonSBClick()
{
    SequencerDevice &dev = Player();
    standbyPosition = liveSettings().standbyOffset() + 15;
    if (dev.Length() <= standbyPosition) {
        showMessage(QStringLiteral("スタンバイの長さが、MIDIファイル全体の長さを超えています。\r\n"
                                   "設定を調整するか、QSモードを解除してください。"),
                    QStringLiteral("スタンバイの設定エラー"), mb::Ok | mb::IconStop);
        LeavePlayingState();
        return;
    }
    if (standbyPosition > 0) {
        // The run ends exactly at the standby step, however fast the song:
        // the device stops there and the next tick finds it parked.
        dev.SetNotifyNext(false);
        dev.SetEndPosition(standbyPosition);
        dev.SetMuteNotesNext(liveSettings().muteStandby());
        dev.Play();
        if (player::checkDevice(*this) == player::DeviceCheck::PortBusy)
            return;
    }
    cmdSB->setEnabled(false);
    cmdSB->setDown(true);
    cmdPlay->setEnabled(false);
    cmdStop->setEnabled(false);
    cmdPrev->setEnabled(false);
    EnterPlayingState();
    trackBar->setEnabled(false);
    playerState = StandingBy;
    ShowInfoMessage();
}

} // namespace kazoon
