// The common-controls progress bar: Min, Max and a Value shown as a filled bar without text.
#pragma once

#include <QProgressBar>

class ProgressBar : public QProgressBar {
    Q_OBJECT

public:
    // The range starts as 0 to 100.
    explicit ProgressBar(QWidget* parent = nullptr);

    int Min() const { return minimum(); }
    void setMin(int min);
    int Max() const { return maximum(); }
    void setMax(int max);

    // A value outside Min..Max is shown at the nearer end instead of failing, so a progress
    // figure that overshoots (a counter not reset between runs) cannot stop its caller.
    double Value() const { return m_value; }
    void setValue(double value);

    bool Visible() const { return !isHidden(); }

private:
    void apply(double value);

    double m_value = 0.0;
};
