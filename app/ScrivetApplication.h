// Start-up of the program: makes the control libraries known and shows the main window.
#pragma once

#include <QString>

class QWidget;

namespace app {

// The product name shown in captions and message boxes.
inline const QString ProductName = QStringLiteral("Wexmoor Scrivet");

// Registers the control classes of the four libraries with the control factory.
void registerControlLibraries();

// Builds the main window (not yet shown); the caller owns it.
QWidget* createMainWindow();

}  // namespace app
