// The about window: the program's about text in a read-only editing control, a link label to
// the maker's web site and an OK button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class XrFrameControl;
class XrLinkControl;
class XrRTB;

namespace app {

// The maker's web site, as the about text names it.
inline const QString MakerWebAddress = QStringLiteral("http://www.wexmoor.test");

class AboutForm : public QDialog {
    Q_OBJECT

public:
    explicit AboutForm(QWidget* owner = nullptr);

    // Shows the about text stored at [Settings] ABOUTLOC; a missing file shows an empty text.
    void Form_Load();

    XrRTB* XrRTB1 = nullptr;
    XrLinkControl* XrLinkControl1 = nullptr;
    QPushButton* OKCmd = nullptr;
    QLabel* Label1 = nullptr;
    XrFrameControl* XrFrameControl1 = nullptr;
};

}  // namespace app
