#include "platform/system/DesktopRegistration.h"

#include "platform/system/DesktopAssociation.h"
#include "platform/system/RegistryCalls.h"
#include "platform/system/RegistryStore.h"
#include "platform/system/SpecialFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>
#include <memory>
#include <utility>
#include <vector>

namespace sys {
namespace {

struct MirrorState {
    bool deferred = false;
    bool changed = false;
    std::vector<std::function<void()>> registrations;
    std::unique_ptr<QThread> worker;
};

MirrorState& state()
{
    static MirrorState value;
    return value;
}

std::vector<FileAssociation> associationsOf(RegistryStore& store)
{
    std::vector<FileAssociation> associations;
    for (const QString& name : store.subKeyNames(HKEY_CLASSES_ROOT)) {
        if (!name.startsWith(QLatin1Char('.')))
            continue;
        if (const std::optional<FileAssociation> association = readFileAssociation(store, name))
            associations.push_back(*association);
    }
    return associations;
}

}  // namespace

QString desktopMirrorLockPath()
{
    return applicationDataFolder() + QStringLiteral("/scrivet/desktop-registration.lock");
}

bool desktopMirrorInPlace(const QString& extension)
{
    const DesktopAssociation desktop(applicationDataFolder(), desktopConfigFolder());
    return QFileInfo::exists(desktop.desktopEntryPath(extension)) &&
           QFileInfo::exists(desktop.mimePackagePath(extension));
}

void deferDesktopMirror()
{
    state().deferred = true;
}

void registerWithDesktop(std::function<void()> registration)
{
    if (state().deferred)
        state().registrations.push_back(std::move(registration));
    else
        registration();
}

void desktopMirrorChanged(RegistryStore& store)
{
    if (state().deferred) {
        state().changed = true;
        return;
    }
    DesktopAssociation(applicationDataFolder(), desktopConfigFolder()).mirrorAll(store);
}

void releaseDesktopMirror()
{
    MirrorState& s = state();
    if (!s.deferred)
        return;
    // Their changes are noted, and mirrored below with the rest.
    for (const std::function<void()>& registration : std::exchange(s.registrations, {}))
        registration();
    s.deferred = false;
    if (!s.changed)
        return;
    s.changed = false;
    waitForDesktopMirror(std::chrono::hours(1));
    // The store is read here, on its own thread; the worker gets plain values.
    std::vector<FileAssociation> associations = associationsOf(registryService().get());
    const QString dataHome = applicationDataFolder();
    const QString configHome = desktopConfigFolder();
    const QString lockPath = desktopMirrorLockPath();
    s.worker.reset(
        QThread::create([associations = std::move(associations), dataHome, configHome, lockPath] {
            QDir().mkpath(QFileInfo(lockPath).absolutePath());
            QLockFile lock(lockPath);
            // A first start beside this one mirrors the same files: one after the other.
            lock.setStaleLockTime(std::chrono::minutes(2));
            if (!lock.lock())
                return;
            DesktopAssociation mirror(dataHome, configHome);
            for (const FileAssociation& association : associations)
                mirror.mirror(association);
        }));
    s.worker->start(QThread::LowPriority);
}

bool waitForDesktopMirror(std::chrono::milliseconds bound)
{
    MirrorState& s = state();
    if (!s.worker)
        return true;
    if (!s.worker->wait(QDeadlineTimer(bound)))
        return false;
    s.worker.reset();
    return true;
}

}  // namespace sys
