#include <QDesktopServices>
#include <QLibraryInfo>
#include <QTranslator>
#include <exception>

#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/Icons.h"
#include "app/MainWindow.h"
#include "app/EngineDevice.h"
#include "app/IniFile.h"
#include "remote/MidiRemoteInput.h"
#include "app/Paths.h"
#include "app/ShowRecorder.h"
#include "app/Windows.h"

using namespace kazoon;

// The program takes no arguments: nothing of the command line is read.
int main(int argc, char **argv)
{
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kazoon"));
    QGuiApplication::setDesktopFileName(QStringLiteral("kazoon"));
    QApplication::setWindowIcon(icon(IconId::App));

    // The toolkit's own dialogs (files, fonts, colours) speak Japanese too.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&toolkitTexts);

    QtDialogs dialogs;
    Environment env;
    env.settingsPath = settingsFilePath();
    env.helpPath = helpFilePath();
    env.dialogs = &dialogs;
    env.openUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    env.desktopBus = QStringLiteral("session");

    try {
        // The output is opened here and kept while songs come and go; only
        // the output control changes it.
        const engine::OutputConfig output = readOutputConfig(IniFile(env.settingsPath));
        std::unique_ptr<engine::MidiSequencer> device = makeSequencer(output);
        EngineOutputControl outputControl(*device, output);
        env.device = device.get();
        env.output = &outputControl;
        // Outlives the windows, which stop taking its messages as they go.
        MidiRemoteInput remote;
        env.remote = &remote;
        std::unique_ptr<Windows> windows = createWindows(env);
        TfrmMain *main = windows->frmMain.get();
        app.onException = [main](const QString &message) { main->AppException(message); };
        main->show();
        main->showRecorder().offerRestore();
        QApplication::exec();
        app.onException = nullptr;
    } catch (const std::exception &e) {
        dialogs.messageBox(nullptr, exceptionText(QString::fromUtf8(e.what())), kAppTitle,
                           mb::IconStop);
    }
    return 0;
}
