#include "EngineShow.h"

#include "smf/SmfWriter.h"
#include "app/EngineDevice.h"
#include "app/MainWindow.h"

namespace kazoon::test {

EngineShow::EngineShow(engine::Driver::Mode mode)
{
    auto out = std::make_unique<engine::RecordingOutput>(mode);
    output = out.get();
    sequencer = std::make_unique<engine::MidiSequencer>(std::move(out), uiPoster());
    app.env.device = sequencer.get();
}

EngineShow::~EngineShow()
{
    app.stop(); // the windows go before the device they play on
}

TfrmMain *EngineShow::open(const QStringList &entries)
{
    const QString list = app.makeList(QStringLiteral("show.mnu"), entries);
    app.start();
    app.dialogs.openFile(list);
    app.main()->mnuOpenItemClick();
    return app.main();
}

void writeQuarterNotes(const QString &path, int key, int beats, double bpm)
{
    smf::SmfWriter w(0, 480);
    smf::Track &t = w.addTrack();
    t.bpm(bpm).programChange(0, 0);
    for (int beat = 0; beat < beats; ++beat)
        t.note(0, key, 100, 480);
    w.writeFile(path.toStdString());
}

} // namespace kazoon::test
