#include "platform/host/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace host {
namespace {

struct ButtonSet {
    QMessageBox::StandardButton buttons[3];
    int count;
};

ButtonSet buttonsOf(int style)
{
    switch (style & 0xF) {
    case vbOKCancel: return {{QMessageBox::Ok, QMessageBox::Cancel}, 2};
    case vbAbortRetryIgnore: return {{QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}, 3};
    case vbYesNoCancel: return {{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, 3};
    case vbYesNo: return {{QMessageBox::Yes, QMessageBox::No}, 2};
    case vbRetryCancel: return {{QMessageBox::Retry, QMessageBox::Cancel}, 2};
    default: return {{QMessageBox::Ok}, 1};
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int resultOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Abort: return vbAbort;
    case QMessageBox::Retry: return vbRetry;
    case QMessageBox::Ignore: return vbIgnore;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbCancel;
    }
}

class QtMessageBoxService : public MessageBoxService {
public:
    int show(const MessageBoxRequest& request) override
    {
        QMessageBox box(iconOf(request.style),
                        request.title.isEmpty() ? QApplication::applicationName() : request.title,
                        request.text, QMessageBox::NoButton, request.owner);
        const ButtonSet set = buttonsOf(request.style);
        for (int index = 0; index < set.count; ++index)
            box.addButton(set.buttons[index]);
        const int defaultIndex = (request.style >> 8) & 0x3;
        if (defaultIndex < set.count)
            box.setDefaultButton(set.buttons[defaultIndex]);
        // Closing the box with Escape or the window's close button answers Cancel where the
        // box has one and its only button otherwise, as the platform's boxes do.
        box.setEscapeButton(set.count == 1 ? set.buttons[0] : set.buttons[set.count - 1]);
        box.exec();
        auto* clicked = box.clickedButton();
        return clicked ? resultOf(box.standardButton(clicked)) : resultOf(set.buttons[set.count - 1]);
    }
};

}  // namespace

ServiceSlot<MessageBoxService>& messageBoxService()
{
    static ServiceSlot<MessageBoxService> slot(
        []() -> std::unique_ptr<MessageBoxService> { return std::make_unique<QtMessageBoxService>(); });
    return slot;
}

int MsgBox(const QString& prompt, int style, const QString& title, QWidget* owner)
{
    return messageBoxService().get().show(MessageBoxRequest{prompt, style, title, owner});
}

}  // namespace host
