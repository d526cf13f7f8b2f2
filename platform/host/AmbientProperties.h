// What a container tells the controls it holds about itself: its background, its font and the
// name it gives each control.
#pragma once

#include "platform/host/OleColor.h"

#include <QFont>
#include <QString>

namespace host {

struct AmbientProperties {
    // The container's background: a form's button face.
    OLE_COLOR BackColor = 0x8000000Fu;
    // The container's name for the control; controls fall back on their object name.
    QString DisplayName;
    QFont Font;
};

}  // namespace host
