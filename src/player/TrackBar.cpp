#include "player/TrackBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace kazoon {

TrackBar::TrackBar(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, 0);
    setSingleStep(16);
    setPageStep(128);
    setTickPosition(QSlider::NoTicks);
    setFocusPolicy(Qt::ClickFocus);
    connect(this, &QSlider::valueChanged, this, [this](int) { emit change(); });
}

void TrackBar::setSelStart(int v)
{
    selStart_ = v;
    update();
}

void TrackBar::setSelEnd(int v)
{
    selEnd_ = v;
    update();
}

void TrackBar::paintEvent(QPaintEvent *event)
{
    if (selEnd_ > selStart_ && maximum() > minimum()) {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
        const int span = groove.width() - handle.width();
        const auto x = [&](int v) {
            return groove.left() + handle.width() / 2
                   + QStyle::sliderPositionFromValue(minimum(), maximum(), v, span);
        };
        QPainter p(this);
        const QRect band(QPoint(x(selStart_), groove.center().y() - 3), QPoint(x(selEnd_), groove.center().y() + 3));
        p.fillRect(band, palette().highlight());
    }
    QSlider::paintEvent(event);
}

} // namespace kazoon
