#include "options/OutputPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "app/AppTitle.h"
#include "options/PageLayout.h"
#include "options/PortList.h"

namespace kazoon {

namespace {

// The audio systems offered, in this order and under these names, when the
// installed synthesizer has them. Others stay as the settings name them.
const std::pair<const char *, const char *> kDrivers[] = {
    {"pulseaudio", "PulseAudio/PipeWire"},
    {"pipewire", "PipeWire"},
    {"jack", "JACK"},
    {"alsa", "ALSA"},
};

using engine::SynthSetting;

int intSetting(const engine::OutputConfig &config, SynthSetting setting, int def)
{
    const std::string *value = config.synthSetting(setting);
    bool ok = false;
    const int number = value ? QString::fromStdString(*value).trimmed().toInt(&ok) : 0;
    return ok ? number : def;
}

bool sameOutput(const engine::OutputConfig &a, const engine::OutputConfig &b)
{
    return a.device == b.device && a.port == b.port && a.soundFont == b.soundFont &&
           a.fluidSettings == b.fluidSettings && a.gmReset == b.gmReset;
}

} // namespace

OutputPage::OutputPage(OutputControl *output, UiDialogs *dialogs, MessageFn message,
                       QWidget *parent)
    : QWidget(parent), output_(output), dialogs_(dialogs), message_(std::move(message))
{
    setObjectName(QStringLiteral("TabSheet3"));
    RadioSynth = named(new QRadioButton(QStringLiteral("内蔵シンセサイザー(&I)"), this),
                       "RadioSynth", QRect(12, 8, 200, 20));
    named(new QLabel(QStringLiteral("サウンドフォント:"), this), "lblSoundFont",
          QRect(28, 32, 120, 16))
        ->setBuddy(cmbSoundFont = named(new QComboBox(this), "cmbSoundFont",
                                        QRect(28, 50, 212, 22)));
    cmbSoundFont->setEditable(true);
    cmbSoundFont->setInsertPolicy(QComboBox::NoInsert);
    cmbSoundFont->lineEdit()->setPlaceholderText(QStringLiteral("標準のGMサウンドフォント"));
    cmdSoundFont = named(new QPushButton(QStringLiteral("参照..."), this), "cmdSoundFont",
                         QRect(246, 49, 75, 24));
    named(new QLabel(QStringLiteral("オーディオ:"), this), "lblDriver",
          QRect(28, 80, 70, 16))
        ->setBuddy(cmbDriver = named(new QComboBox(this), "cmbDriver",
                                     QRect(100, 77, 160, 22)));
    named(new QLabel(QStringLiteral("バッファ:"), this), "lblBuffer", QRect(28, 106, 70, 16))
        ->setBuddy(spnPeriodSize = named(new QSpinBox(this), "spnPeriodSize",
                                         QRect(100, 103, 64, 22)));
    named(new QLabel(QStringLiteral("×"), this), "lblTimes", QRect(168, 106, 12, 16));
    spnPeriods = named(new QSpinBox(this), "spnPeriods", QRect(182, 103, 48, 22));
    lblLatency = named(new QLabel(this), "lblLatency", QRect(236, 106, 90, 16));
    RadioPort = named(new QRadioButton(QStringLiteral("外部MIDIポート(&P)"), this),
                      "RadioPort", QRect(12, 132, 200, 20));
    cmbPort = named(new QComboBox(this), "cmbPort", QRect(28, 154, 293, 22));
    RadioNone = named(new QRadioButton(QStringLiteral("出力しない(&N)"), this), "RadioNone",
                      QRect(12, 182, 200, 20));
    chkGmReset = named(new QCheckBox(QStringLiteral("曲の前にGMリセットを送る"), this),
                       "chkGmReset", QRect(12, 208, 300, 20));
    cmdTest = named(new QPushButton(QStringLiteral("テスト(&T)"), this), "cmdTest",
                    QRect(12, 236, 90, 25));
    RadioSynth->setChecked(true);


    // Controls without a caption of their own are named for screen readers.
    cmbSoundFont->setAccessibleName(QStringLiteral("サウンドフォント"));
    cmbDriver->setAccessibleName(QStringLiteral("オーディオ"));
    spnPeriodSize->setAccessibleName(QStringLiteral("バッファの長さ(フレーム)"));
    spnPeriods->setAccessibleName(QStringLiteral("バッファの数"));
    cmbPort->setAccessibleName(QStringLiteral("外部MIDIポート"));
    // A label that shows a value is read as its value; this says what it is.
    lblLatency->setAccessibleDescription(QStringLiteral("遅延"));

    for (QRadioButton *radio : {RadioSynth, RadioPort, RadioNone})
        connect(radio, &QRadioButton::toggled, this, &OutputPage::updateOutputControls);
    connect(spnPeriodSize, &QSpinBox::valueChanged, this, &OutputPage::updateLatency);
    connect(spnPeriods, &QSpinBox::valueChanged, this, &OutputPage::updateLatency);
    connect(cmdSoundFont, &QPushButton::clicked, this, &OutputPage::cmdSoundFontClick);
    connect(cmdTest, &QPushButton::clicked, this, &OutputPage::cmdTestClick);
    updateOutputControls();
}

QString OutputPage::latencyText(int periodSize, int periods, double sampleRate)
{
    if (sampleRate <= 0)
        return QString();
    const double ms = audioLatencyMs(periods, periodSize, sampleRate);
    return QStringLiteral("%1 ミリ秒").arg(ms, 0, 'f', 1);
}

void OutputPage::showCurrent()
{
    OutputControl *out = output_;
    const engine::OutputConfig config = out ? out->config() : engine::OutputConfig();
    audio_ = out ? out->synthAudio() : SynthAudio();
    const SynthAudio &audio = audio_;
    saved_ = config;

    switch (config.device) {
    case engine::OutputConfig::Device::Synth: RadioSynth->setChecked(true); break;
    case engine::OutputConfig::Device::Port: RadioPort->setChecked(true); break;
    case engine::OutputConfig::Device::None: RadioNone->setChecked(true); break;
    }

    cmbSoundFont->clear();
    if (out)
        cmbSoundFont->addItems(out->soundFonts());
    cmbSoundFont->setEditText(QString::fromStdString(config.soundFont));

    cmbDriver->clear();
    cmbDriver->addItem(QStringLiteral("自動"), QString());
    for (const auto &[name, caption] : kDrivers)
        if (audio.drivers.contains(QLatin1String(name)))
            cmbDriver->addItem(QString::fromUtf8(caption), QString::fromLatin1(name));
    const std::string *driver = config.synthSetting(SynthSetting::AudioDriver);
    const QString chosen = driver ? QString::fromStdString(*driver).trimmed() : QString();
    int at = cmbDriver->findData(chosen);
    if (at < 0) {
        // A system the page does not offer (a file, oss) stays as written.
        cmbDriver->addItem(chosen, chosen);
        at = cmbDriver->count() - 1;
    }
    cmbDriver->setCurrentIndex(at);

    spnPeriodSize->setRange(audio.minPeriodSize, audio.maxPeriodSize);
    spnPeriods->setRange(audio.minPeriods, audio.maxPeriods);
    spnPeriodSize->setValue(intSetting(config, SynthSetting::PeriodSize, audio.periodSize));
    spnPeriods->setValue(intSetting(config, SynthSetting::Periods, audio.periods));
    chkGmReset->setChecked(config.gmReset);

    cmbPort->clear();
    refreshPorts();
    updateOutputControls();
    updateLatency();
}

void OutputPage::refreshPorts()
{
    OutputControl *out = output_;
    if (!out)
        return;
    // The port chosen on the page, or else the one in use.
    QString wanted = cmbPort->currentData().toString();
    if (wanted.isEmpty())
        wanted = QString::fromStdString(out->config().port);
    // Nothing remembered: no port is chosen until the performer picks one.
    showPortList(cmbPort, portList(out->ports(), wanted));
}

void OutputPage::updateOutputControls()
{
    const bool synth = RadioSynth->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{cmbSoundFont, cmdSoundFont, cmbDriver, spnPeriodSize,
                                                       spnPeriods, lblLatency})
        w->setEnabled(synth);
    cmbPort->setEnabled(RadioPort->isChecked());
    if (RadioPort->isChecked() && cmbPort->currentIndex() < 0 && cmbPort->count() > 0)
        cmbPort->setCurrentIndex(0);
    cmdTest->setEnabled(!RadioNone->isChecked());
}

void OutputPage::updateLatency()
{
    OutputControl *out = output_;
    const engine::OutputConfig config = out ? out->config() : engine::OutputConfig();
    const std::string *rate = config.synthSetting(SynthSetting::SampleRate);
    bool ok = false;
    double sampleRate = rate ? QString::fromStdString(*rate).toDouble(&ok) : 0.0;
    if (!ok || sampleRate <= 0)
        sampleRate = audio_.sampleRate;
    lblLatency->setText(latencyText(spnPeriodSize->value(), spnPeriods->value(), sampleRate));
}

engine::OutputConfig OutputPage::config() const
{
    OutputControl *out = output_;
    engine::OutputConfig config = out ? out->config() : engine::OutputConfig();
    const SynthAudio &audio = audio_;
    config.device = RadioPort->isChecked()   ? engine::OutputConfig::Device::Port
                    : RadioNone->isChecked() ? engine::OutputConfig::Device::None
                                             : engine::OutputConfig::Device::Synth;
    config.soundFont = cmbSoundFont->currentText().trimmed().toStdString();

    // A setting the file does not hold is written only when it differs from
    // the synthesizer's own default, which may improve with the library.
    const std::string driver = cmbDriver->currentData().toString().toStdString();
    if (config.synthSetting(SynthSetting::AudioDriver) || !driver.empty())
        config.setSynthSetting(SynthSetting::AudioDriver, driver); // blank: the automatic choice
    if (config.synthSetting(SynthSetting::PeriodSize) || spnPeriodSize->value() != audio.periodSize)
        config.setSynthSetting(SynthSetting::PeriodSize, std::to_string(spnPeriodSize->value()));
    if (config.synthSetting(SynthSetting::Periods) || spnPeriods->value() != audio.periods)
        config.setSynthSetting(SynthSetting::Periods, std::to_string(spnPeriods->value()));

    const QString port = cmbPort->currentData().toString();
    if (!port.isEmpty())
        config.port = port.toStdString();
    config.gmReset = chkGmReset->isChecked();
    return config;
}

QString OutputPage::apply(bool always)
{
    if (!output_)
        return QString();
    const engine::OutputConfig next = config();
    if (!always && sameOutput(next, output_->config()))
        return QString();
    return output_->apply(next);
}

void OutputPage::cancel()
{
    // A test may have switched the output: the one in use at opening comes back.
    if (output_ && !sameOutput(output_->config(), saved_)) {
        const QString reason = output_->apply(saved_);
        if (!reason.isEmpty())
            reportFailure(reason);
    }
}

void OutputPage::closed()
{
    if (output_)
        output_->stopTestChord();
}

void OutputPage::reportFailure(const QString &reason)
{
    if (message_)
        message_(reason, kAppTitle, mb::IconStop);
}

void OutputPage::cmdSoundFontClick()
{
    if (!dialogs_)
        return;
    const QString current = cmbSoundFont->currentText().trimmed();
    QString folder = QFileInfo(current).absolutePath();
    if (current.isEmpty() || !QFileInfo(folder).isDir())
        folder = soundFontFolder();
    const QString chosen = dialogs_->getOpenFileName(
        this, folder, QStringLiteral("サウンドフォント(*.sf2 *.sf3);;すべてのファイル(*)"));
    if (!chosen.isEmpty())
        cmbSoundFont->setEditText(chosen);
}

void OutputPage::cmdTestClick()
{
    OutputControl *out = output_;
    if (!out)
        return;
    QString reason;
    if (const engine::OutputConfig next = config(); !sameOutput(next, out->config()))
        reason = out->apply(next);
    if (reason.isEmpty())
        reason = out->testChord();
    if (!reason.isEmpty())
        reportFailure(reason);
}

} // namespace kazoon
