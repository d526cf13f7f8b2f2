// Opening a file with the program the desktop associates with it, and the exact existence
// test that the installation, the main window and the file commands use.
#pragma once

#include <QString>

class QWidget;

namespace app {

// The shell verb for a file: "play" for names ending in .wav, .mp2, .mp3, .mid or .avi (any
// case), "open" for every other name.
QString ShellVerbFor(const QString& file);

// Opens the file as a double click in the file manager would: a program file is started (in
// the program's own folder), anything else is opened with its associated program. When the
// desktop has no program for the file's type, shows "Unknown Filetype." owned by
// `ownerWindow`. A missing or empty file is passed over; no other failure is reported.
void OpenWithAssociatedProgram(const QString& file, QWidget* ownerWindow);

// True when an entry of exactly that name exists: files, folders and links count; '*' and '?'
// are ordinary characters. An empty path does not exist.
bool PathExists(const QString& path);

}  // namespace app
