#include "platform/widgets/XrSliderControl.h"

XrSliderControl::XrSliderControl(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, 100);
    setPageStep(10);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(10);
    connect(this, &QSlider::valueChanged, this, &XrSliderControl::onValueChanged);
    connect(this, &QSlider::sliderPressed, this, [this] { m_valueAtPress = value(); });
    connect(this, &QSlider::sliderReleased, this, &XrSliderControl::onReleased);
}

void XrSliderControl::onValueChanged()
{
    if (isSliderDown())
        emit Scroll();
    else
        emit Change();
}

// A drag ends with one Change when it left the value somewhere else.
void XrSliderControl::onReleased()
{
    if (value() != m_valueAtPress)
        emit Change();
}
