#include "FakeDevice.h"

#include <QFileInfo>

namespace kazoon::test {

void FakeDevice::requireOpen()
{
    if (mode_ == DeviceMode::NotOpen)
        throw DeviceError(kNoDeviceText);
}

bool FakeDevice::failing(const std::string &command)
{
    error_ = 0;
    errorText_.clear();
    if (nextFailure_ != command)
        return false;
    nextFailure_.clear();
    error_ = failCode_;
    errorText_ = failText_;
    return true;
}

void FakeDevice::Open(const std::string &fileName)
{
    if (mode_ != DeviceMode::NotOpen)
        Close();
    calls << QStringLiteral("Open %1").arg(QFileInfo(QString::fromStdString(fileName)).fileName());
    error_ = 0;
    if (auto f = openFailures_.find(fileName); f != openFailures_.end()) {
        error_ = f->second.first;
        errorText_ = f->second.second;
        openFailures_.erase(f);
        throw DeviceError(errorText_);
    }
    auto s = songs_.find(fileName);
    if (s == songs_.end()) {
        error_ = device_error::FileNotFound;
        errorText_ = "MIDIファイルが見つかりません。";
        throw DeviceError(errorText_);
    }
    ++generation_;
    openFile = fileName;
    steps_ = s->second.steps;
    smpte_ = s->second.smpte;
    position_ = 0;
    endSet_ = false;
    adjust_ = {};
    notifyNext_ = true;
    muteNext_ = false;
    countNext_ = 0;
    clickDuringSong = false;
    notifyPending_ = false;
    mode_ = DeviceMode::Stopped;
}

void FakeDevice::Close()
{
    calls << QStringLiteral("Close");
    error_ = 0;
    endNotified();
    ++generation_;
    openFile.clear();
    mode_ = DeviceMode::NotOpen;
    position_ = 0;
}

std::int64_t FakeDevice::Length()
{
    requireOpen();
    return format_ == TimeFormat::Smpte24 ? smpte_ : steps_;
}

std::int64_t FakeDevice::Position()
{
    return position_;
}

void FakeDevice::endNotified()
{
    if (notifyPending_) {
        notifyPending_ = false;
        pending_.push_back(generation_);
    }
}

void FakeDevice::Seek(std::int64_t position)
{
    requireOpen();
    calls << QStringLiteral("Seek %1").arg(position);
    if (failing("Seek"))
        return;
    endNotified();
    position_ = std::clamp<std::int64_t>(position, 0, steps_);
    mode_ = DeviceMode::Stopped;
}

void FakeDevice::startPlay(bool notify)
{
    endNotified(); // a running notified command is superseded
    playEnd_ = endSet_ ? std::min(endPosition_, steps_) : steps_;
    endSet_ = false;
    mode_ = DeviceMode::Playing;
    notifyPending_ = notify;
    lastPlayNotify = notify;
    notifyNext_ = true;
    lastPlayMuted = muteNext_;
    lastPlayCount = muteNext_ ? 0 : countNext_;
    muteNext_ = false;
    countNext_ = 0;
    if (position_ >= playEnd_) {
        position_ = std::max(position_, playEnd_);
        mode_ = DeviceMode::Stopped;
        endNotified();
    }
}

void FakeDevice::Play()
{
    requireOpen();
    calls << QStringLiteral("Play");
    if (failing("Play"))
        return;
    startPlay(notifyNext_);
}

void FakeDevice::Stop()
{
    requireOpen();
    calls << QStringLiteral("Stop");
    if (failing("Stop"))
        return;
    endNotified();
    mode_ = DeviceMode::Stopped;
}

void FakeDevice::Pause()
{
    requireOpen();
    calls << QStringLiteral("Pause");
    if (failing("Pause"))
        return;
    if (mode_ == DeviceMode::Playing)
        mode_ = DeviceMode::Paused;
    else if (mode_ == DeviceMode::Paused)
        mode_ = DeviceMode::Playing;
}

void FakeDevice::Resume()
{
    requireOpen();
    calls << QStringLiteral("Resume");
    if (failing("Resume"))
        return;
    muteNext_ = false;
    if (mode_ == DeviceMode::Paused) {
        lastPlayMuted = false;
        lastPlayCount = countNext_ = 0;
        mode_ = DeviceMode::Playing;
        endNotified();
        notifyPending_ = notifyNext_;
        lastPlayNotify = notifyNext_;
        notifyNext_ = true;
    } else {
        startPlay(notifyNext_);
    }
}

void FakeDevice::advance(std::int64_t steps)
{
    if (mode_ != DeviceMode::Playing)
        return;
    position_ = std::min(position_ + steps, playEnd_);
    if (position_ >= playEnd_) {
        mode_ = DeviceMode::Stopped;
        endNotified();
    }
}

// Recorded as "Adjust <key> <tempo>% <volume>%".
void FakeDevice::SetAdjust(const engine::SongAdjust &adjust)
{
    calls << QStringLiteral("Adjust %1 %2% %3%").arg(adjust.transpose).arg(adjust.tempoPercent).arg(adjust.volumePercent);
    if (mode_ != DeviceMode::NotOpen)
        adjust_ = adjust.clamped();
}

void FakeDevice::loseOutput(const std::string &text)
{
    mode_ = DeviceMode::Stopped;
    endNotified();
    error_ = device_error::PortInUse;
    errorText_ = text;
    failNext("Stop", device_error::PortInUse, text);
}

void FakeDevice::deliverNotifications()
{
    auto due = std::move(pending_);
    pending_.clear();
    for (int g : due)
        if (g == generation_)
            notifyOwner();
}

std::string FakeDevice::ErrorText() const
{
    return errorText_.empty() ? std::string(kUnknownErrorText) : errorText_;
}

} // namespace kazoon::test
