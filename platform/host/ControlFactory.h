// Creates the controls of the four libraries by class name ("XrRichTextBox.XrRTB", ...),
// the way the program places them on its windows.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace host {

using ControlCreator = std::function<QWidget*(QWidget* parent)>;

// Registers a class name (compared without regard to case); a later registration replaces
// an earlier one.
void registerControlClass(const QString& className, ControlCreator creator);

// A new control of that class, or nullptr when no library registered the name.
QWidget* createControl(const QString& className, QWidget* parent = nullptr);

QStringList registeredControlClasses();

}  // namespace host
