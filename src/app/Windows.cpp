#include "app/Windows.h"

#include <QAction>

#include "app/Fonts.h"
#include "app/MainWindow.h"
#include "app/OptionCommands.h"
#include "app/TfrmAbout.h"
#include "lyrics/LyricsPages.h"
#include "lyrics/TfrmWrd.h"
#include "lyrics/TfrmWrdDir.h"
#include "options/TfrmOption.h"
#include "songlist/TfrmSelect.h"

namespace kazoon {

namespace {

LyricsWindowHooks lyricsWindowHooks(TfrmMain *main)
{
    LyricsWindowHooks hooks;
    hooks.keyDown = [main](QObject *sender, int key, Qt::KeyboardModifiers modifiers) {
        return main->FormKeyDown(sender, key, modifiers);
    };
    hooks.keyUp = [main](QObject *sender, int key, Qt::KeyboardModifiers modifiers) {
        main->FormKeyUp(sender, key, modifiers);
    };
    hooks.activated = [main] { main->FormActivate(); };
    hooks.standby = main->cmdSB;
    hooks.play = main->cmdPlay;
    hooks.stop = main->cmdStop;
    hooks.prev = main->cmdPrev;
    hooks.actions = main->findChildren<QAction *>();
    hooks.settingsPath = main->env().settingsPath;
    hooks.roomChanged = [main] { main->lyricsPages().roomChanged(); };
    return hooks;
}

} // namespace

Windows::Windows() = default;

Windows::~Windows()
{
    if (frmMain)
        frmMain->FormDestroy();
    // The dialogs are children of the main window: they go first.
    frmAbout.reset();
    frmWrd.reset();
    frmSelect.reset();
    frmOption.reset();
    frmWrdDir.reset();
    if (frmMain)
        frmMain->attachWindows(nullptr, nullptr, nullptr, nullptr, nullptr);
    frmMain.reset();
}

std::unique_ptr<Windows> createWindows(const Environment &env)
{
    installFontSubstitutes();
    auto w = std::make_unique<Windows>();
    w->frmMain = std::make_unique<TfrmMain>(env);
    TfrmMain *main = w->frmMain.get();
    // The dialogs' boxes are the main window's, so that they count as open.
    const MessageFn message = [main](const QString &text, const QString &caption, int flags) {
        return main->showMessage(text, caption, flags);
    };
    // Each window is known to the main window as soon as it exists, as a
    // later window's creation may look at an earlier one.
    w->frmWrdDir = std::make_unique<TfrmWrdDir>(main->dialogs(), message, main);
    main->frmWrdDir = w->frmWrdDir.get();
    w->frmOption = std::make_unique<TfrmOption>(optionsContextOf(main), main);
    main->frmOption = w->frmOption.get();
    w->frmSelect = std::make_unique<TfrmSelect>(&main->dialogs(), message, main);
    main->frmSelect = w->frmSelect.get();
    w->frmWrd = std::make_unique<TfrmWrd>(lyricsWindowHooks(main));
    main->frmWrd = w->frmWrd.get();
    w->frmAbout = std::make_unique<TfrmAbout>(main->env().openUrl, main);
    main->attachWindows(w->frmWrdDir.get(), w->frmOption.get(), w->frmSelect.get(),
                        w->frmWrd.get(), w->frmAbout.get());
    return w;
}

} // namespace kazoon
