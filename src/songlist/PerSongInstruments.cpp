// Each song's instrument set-up: the dialog over 曲の設定, the SysEx files
// beside the list, and the set-up handed to the player before a song opens.
#include <QFileInfo>

#include "app/AppTitle.h"
#include "app/Dialogs.h"
#include "songlist/PerSongSettings.h"
#include "songlist/SetupLines.h"
#include "songlist/TfrmInstruments.h"

namespace kazoon {

engine::InstrumentSetup PerSongSettings::fullSetup(const QString &songPath) const
{
    engine::InstrumentSetup setup = settings_.value(songPath).instruments;
    setup.sysexFile = songlist::sysexFilePath(listPath_, QString::fromStdString(setup.sysexFile)).toStdString();
    return setup;
}

void PerSongSettings::editInstruments(const QString &songPath, engine::InstrumentSetup &setup)
{
    InstrumentDialogHooks hooks;
    hooks.ports = host_.ports;
    hooks.readSysex = [this](const QString &file) { return instruments_.readFile(file); };
    hooks.chooseSysex = [this](const QString &folder) {
        return dialogs_->getOpenFileName(dialogParent_, folder.isEmpty() ? QFileInfo(listPath_).absolutePath() : folder,
                                         QStringLiteral("システムエクスクルーシブ(*.syx);;すべてのファイル(*)"));
    };
    hooks.showMessage = host_.showMessage;
    TfrmInstruments dialog(std::move(hooks), QFileInfo(songPath).fileName(), setup, dialogParent_);
    if (dialogs_->exec(&dialog) == QDialog::Accepted)
        setup = dialog.setup();
}

bool PerSongSettings::storeSetup(const QString &songPath, const engine::InstrumentSetup &setup)
{
    if (setup == fullSetup(songPath))
        return false;
    songlist::SongRecord record = settings_.value(songPath);
    record.instruments = setup;
    record.instruments.sysexFile =
        songlist::storedSysexPath(listPath_, QString::fromStdString(setup.sysexFile)).toStdString();
    if (record.neutral())
        settings_.remove(songPath);
    else
        settings_.insert(songPath, record);
    if (isLoaded(songPath) && host_.replaceSetup)
        host_.replaceSetup(instruments_.messages(setup));
    return true;
}

void PerSongSettings::prepareLoad(const QString &songPath) { instruments_.prepare(fullSetup(songPath)); }

void PerSongSettings::readSysexFiles()
{
    QStringList files;
    for (auto it = settings_.cbegin(); it != settings_.cend(); ++it)
        if (!it.value().instruments.sysexFile.empty())
            files << QString::fromStdString(fullSetup(it.key()).sysexFile);
    const QStringList refused = instruments_.readFiles(files);
    if (!refused.isEmpty())
        host_.showMessage(refused.join(QStringLiteral("\r\n\r\n")) +
                              QStringLiteral("\r\n\r\n曲はこのファイルなしで演奏します。"),
                          kAppTitle, mb::Ok | mb::IconExclamation);
}

void PerSongSettings::moveSysexPaths(const QString &listPath)
{
    if (listPath == listPath_)
        return;
    for (auto it = settings_.begin(); it != settings_.end(); ++it) {
        std::string &stored = it.value().instruments.sysexFile;
        if (!stored.empty())
            stored = songlist::storedSysexPath(listPath, songlist::sysexFilePath(listPath_, QString::fromStdString(stored)))
                         .toStdString();
    }
    listPath_ = listPath;
}

} // namespace kazoon
