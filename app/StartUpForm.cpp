#include "app/StartUpForm.h"

#include "app/ArtWork.h"
#include "app/InitMod.h"
#include "app/ScrivetApplication.h"
#include "controls/progressbar/XrucProgressBar.h"
#include "platform/host/ControlFactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace app {
namespace {

constexpr qint16 ProgressSteps = 73;

QLabel* makeLabel(const QString& text, double scale, bool bold, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

}  // namespace

StartUpForm::StartUpForm(std::function<void()> showMainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_showMainWindow(std::move(showMainWindow))
{
    setObjectName(QStringLiteral("StartUpForm"));
    setWindowTitle(ProductName);
    setFixedSize(440, 250);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xf4, 0xf6, 0xf9));
    setPalette(colours);

    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(drawDocumentIcon(96)));
    auto* title = makeLabel(ProductName, 2.0, true, this);
    auto* subtitle = makeLabel(QStringLiteral("Word processing with live links"), 1.0, false, this);
    subtitle->setStyleSheet(QStringLiteral("color: #5a6470"));

    XrucProgressBar1 = qobject_cast<XrucProgressBar*>(
        host::createControl(QStringLiteral("XrSpecStatusBar.XrucProgressBar"), this));
    if (XrucProgressBar1) {
        XrucProgressBar1->setObjectName(QStringLiteral("XrucProgressBar1"));
        XrucProgressBar1->setFixedHeight(18);
    }
    Label1 = new QLabel(QStringLiteral("Loading"), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    auto* heading = new QHBoxLayout;
    heading->addWidget(picture);
    auto* names = new QVBoxLayout;
    names->addStretch(1);
    names->addWidget(title);
    names->addWidget(subtitle);
    names->addStretch(1);
    heading->addLayout(names, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 18);
    layout->addLayout(heading, 1);
    if (XrucProgressBar1)
        layout->addWidget(XrucProgressBar1);
    layout->addWidget(Label1);

    Timer1 = new QTimer(this);
    Timer2 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &StartUpForm::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &StartUpForm::Timer2_Timer);
}

void StartUpForm::Form_Load()
{
    InitialiseApplication();
    m_progress = 0;
    m_labelState = 1;
    Timer1->start(1);
    Timer2->start(73);
}

void StartUpForm::Timer1_Timer()
{
    ++m_progress;
    if (XrucProgressBar1)
        XrucProgressBar1->LetValue(m_progress);
    if (m_progress < ProgressSteps)
        return;
    Timer1->stop();
    Timer2->stop();
    if (m_showMainWindow)
        m_showMainWindow();
    close();
}

void StartUpForm::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // A frameless window draws its own edge.
    QPainter painter(this);
    painter.setPen(QColor(0x8a, 0x94, 0xa0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void StartUpForm::Timer2_Timer()
{
    static const char* const Captions[] = {"Loading", "Loading.", "Loading..", "Loading...",
                                           "Loading...."};
    if (m_labelState < 1 || m_labelState > 5)
        return;
    Label1->setText(QString::fromLatin1(Captions[m_labelState - 1]));
    m_labelState = m_labelState == 5 ? 1 : m_labelState + 1;
}

}  // namespace app
