// The per-user folders the system keeps its files in: application data and the temporary
// folder. Tests point application data at a folder of their own.
#pragma once

#include <QString>

namespace sys {

// The user's writable application-data folder (GenericDataLocation), without a trailing
// separator; the override when one is set.
QString applicationDataFolder();

// The desktop's per-user configuration folder (GenericConfigLocation); "config" inside the
// application-data override while one is set, so a redirected test keeps the desktop's lists.
QString desktopConfigFolder();

// The folder for temporary files, without a trailing separator.
QString tempFolder();

// Replaces the application-data folder for the whole process (an empty text removes the
// override) and returns the override it replaces, so that scoped redirections can nest.
QString setApplicationDataOverride(const QString& folder);

}  // namespace sys
