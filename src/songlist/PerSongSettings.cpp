#include "songlist/PerSongSettings.h"

#include <QFileInfo>
#include <QLabel>

#include "app/AppTitle.h"
#include "app/Dialogs.h"
#include "app/ShortText.h"
#include "songlist/TfrmSong.h"

namespace kazoon {

PerSongSettings::PerSongSettings(SongSettingsHost host, UiDialogs *dialogs, QLabel *panelLabel,
                                 QWidget *dialogParent)
    : host_(std::move(host)), dialogs_(dialogs), label_(panelLabel), dialogParent_(dialogParent)
{
}

bool PerSongSettings::isLoaded(const QString &songPath) const
{
    return !songPath.isEmpty() && host_.loadedSong() == songPath;
}

void PerSongSettings::edit(const QString &path)
{
    if (path.isEmpty())
        return;
    const engine::SongAdjust before = settings_.value(path).adjust;
    const engine::SongAdjust heard = isLoaded(path) ? host_.playerAdjust() : before;
    SongTrial trial;
    trial.loaded = [this, path] { return isLoaded(path); };
    trial.mayPlay = host_.mayPlay;
    trial.apply = [this](const engine::SongAdjust &adjust) { apply(adjust); };
    trial.play = host_.play;
    TfrmSong dialog(std::move(trial), path, before, dialogParent_);
    dialog.setCount(settings_.value(path).count, host_.defaultCountBars ? host_.defaultCountBars() : 0);
    if (dialogs_->exec(&dialog) != QDialog::Accepted) {
        if (isLoaded(path))
            apply(heard);
        return;
    }
    songlist::SongRecord record = settings_.value(path);
    const songlist::SongRecord old = record;
    record.adjust = dialog.adjust();
    record.count = dialog.count();
    if (record != old) {
        if (record.neutral())
            settings_.remove(path);
        else
            settings_.insert(path, record);
        host_.listChanged();
    }
    if (isLoaded(path))
        applyStored(path);
    show();
}

void PerSongSettings::applyStored(const QString &songPath)
{
    const songlist::SongRecord record = settings_.value(songPath);
    apply(record.adjust);
    if (host_.applyClick)
        host_.applyClick(record.count.clickDuringSong);
}

int PerSongSettings::countBars(const QString &songPath) const
{
    const int bars = settings_.value(songPath).count.bars;
    if (bars != songlist::SongCount::kDefaultBars)
        return bars;
    return host_.defaultCountBars ? host_.defaultCountBars() : 0;
}

void PerSongSettings::apply(const engine::SongAdjust &adjust)
{
    if (const std::optional<engine::SongAdjust> heard = host_.applyToPlayer(adjust))
        label_->setText(songlist::settingsBadge(*heard));
}

void PerSongSettings::show()
{
    const QStringList paths = host_.songPaths();
    for (int i = 0; i < host_.listRows(); ++i)
        host_.setBadge(i, songlist::settingsBadge(settings_.value(paths.value(i)).adjust));
    if (host_.loadedSong().isEmpty())
        label_->clear();
}

void PerSongSettings::clearPanel() { label_->clear(); }

void PerSongSettings::load(const QString &listPath)
{
    if (listPath.isEmpty()) { // a new list, brought back after a crash: no file of its own
        settings_.clear();
        file_.clear();
        return;
    }
    const songlist::SettingsRead read = songlist::readSongSettings(listPath);
    settings_ = songlist::matchSongSettings(read.settings, host_.songPaths());
    file_ = read.status == songlist::SettingsRead::Ok ? songlist::settingsPath(listPath) : QString();
    if (read.status == songlist::SettingsRead::Damaged)
        host_.showMessage(QStringLiteral("曲の設定ファイルを読み込めません。\r\n")
                              + shortenMiddle(QFileInfo(songlist::settingsPath(listPath)).fileName())
                              + QStringLiteral("\r\n\r\nこのファイルは壊れているか、正しい形式ではありません。"
                                               "\r\n曲リストは曲の設定なしで開きます。"),
                          kAppTitle, mb::Ok | mb::IconExclamation);
}

QString PerSongSettings::save(const QString &listPath)
{
    const QStringList paths = host_.songPaths();
    bool any = false;
    for (const QString &path : paths)
        any = any || !settings_.value(path).neutral();
    const QString file = songlist::settingsPath(listPath);
    // A list without settings leaves no file behind, and touches none that
    // this program did not read or write itself (a damaged one stays).
    if (!any && file_ != file)
        return {};
    const QString error = songlist::writeSongSettings(listPath, settings_, paths);
    if (error.isEmpty())
        file_ = any ? file : QString();
    return error;
}

} // namespace kazoon
