// The splash window, the program's start-up object: it runs the start-up initialisation, counts
// its progress bar up to 73 while its label animates, then shows the main window and closes.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QTimer;
class XrucProgressBar;

namespace app {

class StartUpForm : public QWidget {
    Q_OBJECT

public:
    // `showMainWindow` runs after the 73rd progress tick.
    explicit StartUpForm(std::function<void()> showMainWindow, QWidget* parent = nullptr);

    // Runs InitialiseApplication and starts both timers.
    void Form_Load();
    // Progress tick: one step of the bar; the 73rd stops both timers, shows the main window and
    // closes the splash.
    void Timer1_Timer();
    // Label tick: "Loading" with none to four points, in a cycle.
    void Timer2_Timer();

    int progressCounter() const { return m_progress; }

    XrucProgressBar* XrucProgressBar1 = nullptr;
    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void()> m_showMainWindow;
    qint16 m_progress = 0;
    qint16 m_labelState = 1;
};

}  // namespace app
