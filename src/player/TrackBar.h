#pragma once

#include <QSlider>

namespace kazoon {

// The position bar: the song position in steps, with the lesson passage
// (SelStart..SelEnd) drawn as a band. change() runs only when the position
// really changes, whoever changed it.
class TrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TrackBar(QWidget *parent = nullptr);

    int Position() const { return value(); }
    void setPosition(int position) { setValue(position); }
    int Max() const { return maximum(); }
    void setMax(int max) { setMaximum(max); }
    int SelStart() const { return selStart_; }
    int SelEnd() const { return selEnd_; }
    void setSelStart(int v);
    void setSelEnd(int v);

signals:
    void change();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int selStart_ = 0;
    int selEnd_ = 0;
};

} // namespace kazoon
