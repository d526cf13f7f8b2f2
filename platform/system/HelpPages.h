// The platform's help viewer on a desktop that has none for compiled help files: a program that
// carries the pages of its compiled help file as well declares them here, and opening the
// compiled file shows its pages, written beside it, in the desktop's web browser.
#pragma once

#include <QString>

namespace sys {

// The compiled help file named `fileName` ("Scrivet.chm", any folder) holds the pages found in
// the resource folder `pagesFolder` (":/Scrivet/HELPPAGES/102"), which has an "index.htm".
void registerHelpPages(const QString& fileName, const QString& pagesFolder);

// True when `helpPath` ("/x/Scrivet.chm", or with a topic: "/x/Scrivet.chm::/edit.htm") names a
// compiled help file whose pages are known.
bool hasHelpPages(const QString& helpPath);

// Writes the pages into the folder beside the help file named as the file with "-html" for its
// extension (only pages that differ) and returns the page to show: the topic when it is one of
// the pages, else "index.htm". Empty when the pages are unknown or cannot be written.
QString writeHelpPages(const QString& helpPath);

}  // namespace sys
