#pragma once

#include <QWidget>

#include "app/Dialogs.h"
#include "app/OutputControl.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kazoon {

// The options dialog's sound output page: the built-in synthesizer with its
// sound font and audio buffer, an external MIDI port, or no output. It shows
// the output in use and switches the output itself, as the output is a
// device of its own and not a setting of the window.
class OutputPage : public QWidget {
    Q_OBJECT
public:
    // `output` null: the page shows the defaults and switches nothing.
    OutputPage(OutputControl *output, UiDialogs *dialogs, MessageFn message,
               QWidget *parent = nullptr);

    // Shows the output in use; Cancel puts it back.
    void showCurrent();
    // Switches to the page's output (`always`: even when it looks the same);
    // an empty text, or why it cannot be opened, the output in use staying.
    QString apply(bool always);
    // Puts back the output in use at opening, when a test switched it.
    void cancel();
    // The dialog closes: a test chord still sounding stops.
    void closed();

    void refreshPorts();
    void cmdSoundFontClick();
    void cmdTestClick();
    void updateLatency();
    // The output as the page's controls describe it.
    engine::OutputConfig config() const;

    // Frames × periods at the sample rate, as the page shows it ("2.7 ミリ秒").
    static QString latencyText(int periodSize, int periods, double sampleRate);

    QRadioButton *RadioSynth = nullptr, *RadioPort = nullptr, *RadioNone = nullptr;
    QComboBox *cmbSoundFont = nullptr, *cmbDriver = nullptr, *cmbPort = nullptr;
    QPushButton *cmdSoundFont = nullptr, *cmdTest = nullptr;
    QSpinBox *spnPeriodSize = nullptr, *spnPeriods = nullptr;
    QLabel *lblLatency = nullptr;
    QCheckBox *chkGmReset = nullptr;

private:
    void updateOutputControls();
    void reportFailure(const QString &reason);

    OutputControl *output_;
    UiDialogs *dialogs_;
    MessageFn message_;
    engine::OutputConfig saved_; // the output in use at opening
    SynthAudio audio_;           // what the synthesizer offers, asked at opening
};

} // namespace kazoon
