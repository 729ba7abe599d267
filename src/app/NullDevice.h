#pragma once

#include "player/SequencerDevice.h"

namespace kazoon {

// A device without an output: every song fails to open with the device's
// own "no device" text. Stands in where no sequencer is available.
class NullDevice : public SequencerDevice {
public:
    void Open(const std::string &) override { fail(); }
    void Close() override { error_ = 0; }
    void SetTimeFormat(TimeFormat) override {}
    std::int64_t Length() override { fail(); }
    std::int64_t Position() override { return 0; }
    DeviceMode Mode() override { return DeviceMode::NotOpen; }
    void Seek(std::int64_t) override { fail(); }
    void SeekToStart() override { fail(); }
    void Play() override { fail(); }
    void Stop() override { fail(); }
    void Pause() override { fail(); }
    void Resume() override { fail(); }
    void SetNotifyNext(bool) override {}
    void SetEndPosition(std::int64_t position) override { end_ = position; }
    std::int64_t EndPosition() const override { return end_; }
    int Error() const override { return error_; }
    std::string ErrorText() const override { return error_ ? kNoDeviceText : std::string(); }

private:
    [[noreturn]] void fail()
    {
        error_ = device_error::NotOpen;
        throw DeviceError(kNoDeviceText);
    }
    int error_ = 0;
    std::int64_t end_ = 0;
};

} // namespace kazoon
