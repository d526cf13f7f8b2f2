// When the association store's changes reach the desktop. By default each change is mirrored
// at once (DesktopAssociation). A program that registers as it starts defers the mirror until
// its window is painted: the files and the desktop's databases are then brought up to date on
// a thread of their own, one process at a time, so that a first start shows its window as
// quickly as any other and two first starts side by side never write the same files at once.
#pragma once

#include <QString>
#include <chrono>
#include <functional>

namespace sys {

class RegistryStore;

// From now on the store's changes are only noted.
void deferDesktopMirror();

// Runs a registration (changes of the association store) now, or while the mirror is deferred
// when it is released, on the calling thread, before the mirror.
void registerWithDesktop(std::function<void()> registration);

// Runs the registrations kept since deferDesktopMirror(), then mirrors the associations on a
// thread of their own, behind a lock file in the desktop's data folder; later changes are
// mirrored at once again. Returns once the registrations ran; nothing is mirrored when nothing
// changed.
void releaseDesktopMirror();

// Waits at most `bound` for a mirror started by releaseDesktopMirror(); true when none is
// under way afterwards.
bool waitForDesktopMirror(std::chrono::milliseconds bound);

// The store's change listener: mirrors the store now, or notes the change while deferred.
void desktopMirrorChanged(RegistryStore& store);

// Whether the desktop's files for the extension's association (its type package and the
// program's entry) are in place: a start that ended before its mirror leaves them missing.
bool desktopMirrorInPlace(const QString& extension);

// The lock file that keeps two processes from mirroring at the same time.
QString desktopMirrorLockPath();

}  // namespace sys
