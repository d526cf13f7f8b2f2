// The slider control of the outside slider library: a whole-number Value between Min and Max
// with two value events, Scroll while the thumb is dragged and Change for every other change.
#pragma once

#include <QSlider>

class XrSliderControl : public QSlider {
    Q_OBJECT

public:
    // The range starts as 0 to 100.
    explicit XrSliderControl(QWidget* parent = nullptr);

    int Min() const { return minimum(); }
    // A Min above Max raises Max to it (and Max below Min lowers Min); Value is kept inside.
    void setMin(int min) { setMinimum(min); }
    int Max() const { return maximum(); }
    void setMax(int max) { setMaximum(max); }

    // Written values are clamped into Min..Max; a change raises Change.
    int Value() const { return value(); }

signals:
    void Change();
    void Scroll();

private:
    void onValueChanged();
    void onReleased();

    int m_valueAtPress = 0;
};
