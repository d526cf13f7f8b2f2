// The desktop shell: opening files and folders with their associated programs, asking whether
// a file type has one, and starting programs. Tests install a fake in shellService().
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace sys {

// Called on the caller's thread, after an open was handed over, when the program the desktop
// chose could not open it after all (its opener ended with an error).
using OpenFailed = std::function<void()>;

class ShellService {
public:
    virtual ~ShellService() = default;

    // Opens the file or folder with the program the desktop associates with it, as a double
    // click in the file manager would; false when the desktop refuses. `failed` hears of a
    // failure that comes only later.
    virtual bool openPath(const QString& path, const OpenFailed& failed = {}) = 0;

    // Opens an address (a web page, a mail address as mailto:) with the desktop's program for
    // its scheme; false when the desktop refuses.
    virtual bool openUrl(const QString& url) = 0;

    // True when the desktop has a program for the file's type; a folder always has one.
    virtual bool hasAssociatedProgram(const QString& path) = 0;

    // Starts the program as an independent process; false when it cannot be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              const QString& workingFolder = {}) = 0;
};

host::ServiceSlot<ShellService>& shellService();

// Hands an address (a file:// address for a file) to the desktop's opener; false when the
// desktop refuses, `failed` (when given) called when the opener ends with an error later.
using DesktopOpener = std::function<bool(const QString& url, const OpenFailed& failed)>;

// Whether the desktop has a program for a file's type (MimeAssociations by default).
using ProgramFinder = std::function<bool(const QString& path)>;

// The desktop shell over an opener. Compiled help files with known pages (HelpPages.h) are
// opened by handing their pages to the opener, which shows them in the web browser: they have
// a program when the desktop has one for web pages.
std::unique_ptr<ShellService> makeDesktopShell(DesktopOpener opener, ProgramFinder finder = {});

// The desktop's own opener: runs its open tool (xdg-open) without waiting for it, or, where
// there is none, hands the address to Qt's desktop services.
bool openWithDesktopOpener(const QString& url, const OpenFailed& failed);

}  // namespace sys
