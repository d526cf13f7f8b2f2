// Start-up of the program: makes the control libraries known, reads the command line and opens
// the main window.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace app {

class Form1;

// The product name shown in captions and message boxes.
inline const QString ProductName = QStringLiteral("Wexmoor Scrivet");

// Registers the control classes of the four libraries with the control factory.
void registerControlLibraries();

// The command line after the program's name, as one text: the arguments joined by blanks.
QString commandLineOf(const QStringList& arguments);

// Builds the main window and runs its load with the command line (not yet shown); the caller
// owns it.
Form1* createMainWindow(const QString& commandLine = {});

// Registers with the desktop what the start-up noted (the document association, the menu
// entry) once `window` has been painted, or a few seconds after it was shown when it never is
// (a minimised start): the window appears first.
void registerWithDesktopAfterFirstPaint(QWidget* window);

}  // namespace app
