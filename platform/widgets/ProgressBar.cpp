#include "platform/widgets/ProgressBar.h"

#include <algorithm>
#include <cmath>

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setTextVisible(false);
    QProgressBar::setValue(0);
}

void ProgressBar::setMin(int min)
{
    setMinimum(min);
    apply(m_value);
}

void ProgressBar::setMax(int max)
{
    setMaximum(max);
    apply(m_value);
}

void ProgressBar::setValue(double value)
{
    apply(value);
}

void ProgressBar::apply(double value)
{
    if (std::isnan(value))
        value = minimum();
    m_value = std::clamp(value, double(minimum()), double(maximum()));
    QProgressBar::setValue(static_cast<int>(std::lround(m_value)));
}
