#include "app/OutputControl.h"

#include "player/engine/FluidSynthOutput.h"
#include "player/engine/PortOutput.h"

namespace kazoon {

double audioLatencyMs(int periods, int periodSize, double sampleRate)
{
    return engine::audioLatencyMs(periods, periodSize, sampleRate);
}

QString soundFontFolder() { return QString::fromStdString(engine::soundFontFolder()); }

int findPort(const QStringList &ports, const QString &wanted)
{
    std::vector<std::string> names;
    names.reserve(std::size_t(ports.size()));
    for (const QString &name : ports)
        names.push_back(name.toStdString());
    return engine::PortOutput::findPort(names, wanted.toStdString());
}

} // namespace kazoon
