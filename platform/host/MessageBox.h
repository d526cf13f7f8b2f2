// Modal message boxes with the Basic runtime's styles and result codes; a test installs a
// scripted service in messageBoxService().
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QString>

class QWidget;

namespace host {

// Style bits: buttons (low nibble), icon, default button, modality.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
    vbApplicationModal = 0,
    vbSystemModal = 4096,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

struct MessageBoxRequest {
    QString text;
    int style = vbOKOnly;
    QString title;  // empty: the application's name
    QWidget* owner = nullptr;
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows the box and returns the MsgBoxResult of the button chosen.
    virtual int show(const MessageBoxRequest& request) = 0;
};

ServiceSlot<MessageBoxService>& messageBoxService();

// The Basic MsgBox: shows through the current service and returns its answer. The real box
// shows the text as plain text (CR LF starts a new line); Escape and its close button answer
// Cancel, or OK on an OK-only box, and do nothing on Yes/No and Abort/Retry/Ignore boxes.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {},
           QWidget* owner = nullptr);

}  // namespace host
