#include "FakeOutputControl.h"

#include <utility>

#include "FakeDevice.h"

namespace kazoon::test {

QString FakeOutputControl::apply(const engine::OutputConfig &config)
{
    if (device_ && device_->Mode() == DeviceMode::Playing)
        return kOutputBusyText;
    if (!failText_.isEmpty())
        return std::exchange(failText_, QString());
    config_ = config;
    applied.append(config);
    return {};
}

QString FakeOutputControl::testChord()
{
    if (device_ && device_->Mode() == DeviceMode::Playing)
        return kOutputBusyText;
    ++chords;
    chordSounding = true;
    return {};
}

} // namespace kazoon::test
