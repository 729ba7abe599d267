#include "TestApp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/MainWindow.h"
#include "smf/SmfWriter.h"

namespace kazoon::test {

TestApp::TestApp()
{
    env.settingsPath = dir_.filePath(QStringLiteral("Kazoon.ini"));
    env.helpPath = dir_.filePath(QStringLiteral("help/index.html"));
    env.dialogs = &dialogs;
    env.device = &device;
    env.output = &output;
    env.remote = &remote;
    env.openUrl = [this](const QUrl &url) { openedUrls.append(url); };
}

TestApp::~TestApp()
{
    stop();
}

TestApp &TestApp::start()
{
    if (!windows_)
        windows_ = createWindows(env);
    return *this;
}

void TestApp::stop()
{
    windows_.reset();
}

TfrmMain *TestApp::main() const
{
    return windows_ ? windows_->frmMain.get() : nullptr;
}

QString TestApp::path(const QString &relative) const
{
    return dir_.filePath(relative);
}

void TestApp::writeSettings(const QString &text) const
{
    makeFile(QFileInfo(env.settingsPath).fileName(), text.toUtf8());
}

QString TestApp::readSettings() const
{
    QFile file(env.settingsPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool TestApp::settingsExist() const
{
    return QFileInfo::exists(env.settingsPath);
}

QString TestApp::makeFile(const QString &relative, const QByteArray &content) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return full;
}

QString TestApp::makeSong(const QString &relative, FakeDevice::Song song)
{
    smf::SmfWriter writer(0, 480);
    writer.addTrack().note(0, 60, 100, 480);
    const std::vector<std::uint8_t> bytes = writer.bytes();
    const QString full =
        makeFile(relative, QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())));
    device.setSong(full, song);
    return full;
}

QString TestApp::makeList(const QString &relative, const QStringList &entries) const
{
    return makeFile(relative, entries.join(QStringLiteral("\r\n")).append(QStringLiteral("\r\n")).toUtf8());
}

TfrmMain *TestApp::openList(const QStringList &songs)
{
    QStringList entries;
    for (const QString &song : songs)
        entries << QStringLiteral("0 ") + makeSong(song);
    const QString list = makeList(QStringLiteral("show.mnu"), entries);
    start();
    dialogs.openFile(list);
    main()->mnuOpenItemClick();
    return main();
}

} // namespace kazoon::test
