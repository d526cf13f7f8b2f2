#include "platform/host/MessageBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <memory>

namespace host {
namespace {

struct ButtonSet {
    QMessageBox::StandardButton buttons[3];
    int count;
    // The button that Escape and the window's close button answer; NoButton where the
    // platform's box cannot be closed that way (Yes/No, Abort/Retry/Ignore).
    QMessageBox::StandardButton escape;
};

ButtonSet buttonsOf(int style)
{
    using Box = QMessageBox;
    switch (style & 0xF) {
        case vbOKCancel:
            return {{Box::Ok, Box::Cancel}, 2, Box::Cancel};
        case vbAbortRetryIgnore:
            return {{Box::Abort, Box::Retry, Box::Ignore}, 3, Box::NoButton};
        case vbYesNoCancel:
            return {{Box::Yes, Box::No, Box::Cancel}, 3, Box::Cancel};
        case vbYesNo:
            return {{Box::Yes, Box::No}, 2, Box::NoButton};
        case vbRetryCancel:
            return {{Box::Retry, Box::Cancel}, 2, Box::Cancel};
        default:
            return {{Box::Ok}, 1, Box::Ok};
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
        case vbCritical:
            return QMessageBox::Critical;
        case vbQuestion:
            return QMessageBox::Question;
        case vbExclamation:
            return QMessageBox::Warning;
        case vbInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int resultOf(QMessageBox::StandardButton button)
{
    switch (button) {
        case QMessageBox::Ok:
            return vbOK;
        case QMessageBox::Cancel:
            return vbCancel;
        case QMessageBox::Abort:
            return vbAbort;
        case QMessageBox::Retry:
            return vbRetry;
        case QMessageBox::Ignore:
            return vbIgnore;
        case QMessageBox::Yes:
            return vbYes;
        case QMessageBox::No:
            return vbNo;
        default:
            return vbCancel;
    }
}

// The answer of a box that ended without a button being chosen (the program closed it): the
// escape button where there is one, otherwise the answer that goes ahead with nothing.
int unansweredResult(const ButtonSet& set)
{
    if (set.escape != QMessageBox::NoButton)
        return resultOf(set.escape);
    return set.buttons[0] == QMessageBox::Yes ? vbNo : vbAbort;
}

// Message texts are plain text with CR LF line ends; shown as they are, never as markup.
QString displayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A box that Escape and the close button leave open when it has no escape button.
class PlatformMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool escapable = true;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!escapable && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        if (!escapable) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

// The box of a request, owned by the caller; its parent is the owner or the active window.
std::unique_ptr<PlatformMessageBox> makeBox(const MessageBoxRequest& request, const ButtonSet& set)
{
    QWidget* owner = request.owner ? request.owner : QApplication::activeWindow();
    auto box = std::make_unique<PlatformMessageBox>(
        iconOf(request.style),
        request.title.isEmpty() ? QApplication::applicationName() : request.title,
        displayText(request.text), QMessageBox::NoButton, owner);
    box->setTextFormat(Qt::PlainText);
    if (request.style & vbSystemModal)
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    for (int index = 0; index < set.count; ++index)
        box->addButton(set.buttons[index]);
    // A default button beyond the box's buttons falls back to the first, as on the platform.
    const int defaultIndex = (request.style >> 8) & 0x3;
    box->setDefaultButton(set.buttons[defaultIndex < set.count ? defaultIndex : 0]);
    box->escapable = set.escape != QMessageBox::NoButton;
    if (box->escapable)
        box->setEscapeButton(set.escape);
    return box;
}

class QtMessageBoxService : public MessageBoxService {
public:
    int show(const MessageBoxRequest& request) override
    {
        const ButtonSet set = buttonsOf(request.style);
        std::unique_ptr<PlatformMessageBox> owned = makeBox(request, set);
        // The owner may be destroyed while the box is up, and the box with it.
        QPointer<PlatformMessageBox> box = owned.get();
        box->exec();
        if (!box) {
            (void)owned.release();
            return unansweredResult(set);
        }
        QAbstractButton* clicked = box->clickedButton();
        const QMessageBox::StandardButton chosen =
            clicked ? box->standardButton(clicked) : QMessageBox::NoButton;
        return chosen != QMessageBox::NoButton ? resultOf(chosen) : unansweredResult(set);
    }
};

}  // namespace

ServiceSlot<MessageBoxService>& messageBoxService()
{
    static ServiceSlot<MessageBoxService> slot([]() -> std::unique_ptr<MessageBoxService> {
        return std::make_unique<QtMessageBoxService>();
    });
    return slot;
}

int MsgBox(const QString& prompt, int style, const QString& title, QWidget* owner)
{
    return messageBoxService().get().show(MessageBoxRequest{prompt, style, title, owner});
}

}  // namespace host
