#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "player/engine/InstrumentSetup.h"
#include "player/engine/Output.h"
#include "player/engine/SysexFile.h"

namespace kazoon::engine {
class SetupPort;
}

namespace kazoon {

// What the instrument set-ups ask of the window and the player.
struct InstrumentHost {
    // Hands the device the set-up for the song about to be opened (may be null).
    std::function<void(std::shared_ptr<const engine::SetupMessages>)> setupNext;
    // The port the songs play through; empty when it is not a port.
    std::function<std::string()> songPort;
    // Opens a port of its own for a song number (never null).
    std::function<std::unique_ptr<engine::Output>(const std::string &port)> openPort;
    // Shows a message later, once the load in hand has finished, so that a
    // song about to start is not held up by it.
    std::function<void(const QString &text)> report;
};

// The set-ups' SysEx files, read when chosen and when the list opens (never
// while a song loads or plays), and the ports that song numbers go to.
class InstrumentSetups {
public:
    explicit InstrumentSetups(InstrumentHost host);
    ~InstrumentSetups();

    // Reads a file and keeps its messages for the set-ups that name it;
    // returns the performer's text when it is refused.
    QString readFile(const QString &file);
    // Forgets the files read before and reads those of the set-ups given
    // (full paths); returns the texts of those refused.
    QStringList readFiles(const QStringList &files);
    // The messages for the song's output: the file's messages as read, when
    // it was usable.
    std::shared_ptr<const engine::SetupMessages> messages(const engine::InstrumentSetup &setup) const;
    // Before the song opens: its set-up to the device, its song number to a
    // port of its own when it has one. `setup` names its file by full path.
    void prepare(const engine::InstrumentSetup &setup);

private:
    InstrumentHost host_;
    std::map<QString, engine::SysexRead> files_;
    std::map<std::string, std::unique_ptr<engine::SetupPort>> ports_;
};

} // namespace kazoon
