#include "app/AboutForm.h"

#include "app/ArtWork.h"
#include "app/InitMod.h"
#include "app/ScrivetApplication.h"
#include "app/SettingsFile.h"
#include "controls/frame/XrFrameControl.h"
#include "platform/host/ControlFactory.h"
#include "platform/host/KeyCodes.h"
#include "platform/host/PropertyBag.h"
#include "platform/widgets/XrLinkControl.h"
#include "richtext/core/XrRTB.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

AboutForm::AboutForm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About ") + ProductName);
    setModal(true);

    XrFrameControl1 = qobject_cast<XrFrameControl*>(
        host::createControl(QStringLiteral("XrFrame.XrFrameControl"), this));
    auto* heading = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(drawDocumentIcon(48)));
    Label1 = new QLabel(ProductName, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = Label1->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    heading->addWidget(picture);
    heading->addWidget(Label1, 1);
    if (XrFrameControl1) {
        XrFrameControl1->setObjectName(QStringLiteral("XrFrameControl1"));
        XrFrameControl1->LetStyle(XrFrame::Panel);
        XrFrameControl1->LetThemeColor(XrFrame::Silver);
        XrFrameControl1->LetCaption(QString());
        XrFrameControl1->setLayout(heading);
        XrFrameControl1->setMinimumHeight(72);
    }

    XrRTB1 = qobject_cast<XrRTB*>(host::createControl(QStringLiteral("XrRichTextBox.XrRTB"), this));
    if (XrRTB1) {
        XrRTB1->setObjectName(QStringLiteral("XrRTB1"));
        host::AmbientProperties ambient;
        ambient.DisplayName = XrRTB1->objectName();
        ambient.Font = font();
        XrRTB1->setAmbientProperties(ambient);
        XrRTB1->UserControl_ReadProperties(host::PropertyBag());
        XrRTB1->LetDisplayRuler(false);
        XrRTB1->LetLocked(true);
        XrRTB1->setMinimumSize(540, 320);
        // The read-only text holds the focus: Return and Escape must still close the window,
        // as they do in any dialog.
        connect(XrRTB1, &XrRTB::KeyDown, this, [this](int& KeyCode, int& Shift) {
            if (Shift != 0 || (KeyCode != host::vbKeyReturn && KeyCode != host::vbKeyEscape))
                return;
            const bool accepted = KeyCode == host::vbKeyReturn;
            KeyCode = 0;
            if (accepted)
                accept();
            else
                reject();
        });
    }

    XrLinkControl1 = new XrLinkControl(this);
    XrLinkControl1->setObjectName(QStringLiteral("XrLinkControl1"));
    XrLinkControl1->setCaption(QStringLiteral("www.wexmoor.test"));
    connect(XrLinkControl1, &XrLinkControl::Click, this,
            [this] { XrLinkControl1->Navigate(MakerWebAddress); });

    OKCmd = new QPushButton(QStringLiteral("OK"), this);
    OKCmd->setObjectName(QStringLiteral("OKCmd"));
    OKCmd->setDefault(true);
    connect(OKCmd, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    if (XrFrameControl1)
        layout->addWidget(XrFrameControl1);
    else
        layout->addLayout(heading);
    if (XrRTB1)
        layout->addWidget(XrRTB1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(XrLinkControl1);
    bottom->addStretch(1);
    bottom->addWidget(OKCmd);
    layout->addLayout(bottom);
}

void AboutForm::Form_Load()
{
    if (!XrRTB1)
        return;
    const QString path = IniRead(SettingsSection, QStringLiteral("ABOUTLOC"), settingsFilePath());
    // A missing file shows an empty text.
    try {
        XrRTB1->LoadFileRTBOriginal(path);
    } catch (const std::exception&) {
    }
    XrRTB1->HyperLinkDocument();
}

}  // namespace app
