#include "app/ShellLauncher.h"

#include "app/ScrivetApplication.h"
#include "platform/host/MessageBox.h"
#include "platform/system/FileSystem.h"
#include "platform/system/ShellService.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace app {
namespace {

// An executable binary of this platform: what the shell runs rather than opens.
bool isProgramFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray(
                                                                 "\x7F"
                                                                 "ELF",
                                                                 4);
}

// The desktop offers one action per file type: playing a sound or a video is opening it with
// its associated player, so both verbs end here.
void openWithVerb([[maybe_unused]] const QString& verb, const QString& file, QWidget* ownerWindow)
{
    sys::ShellService& shell = sys::shellService().get();
    if (isProgramFile(file)) {
        shell.startProgram(file, {}, QCoreApplication::applicationDirPath());
        return;
    }
    // There is no open-with dialog to fall back on.
    const auto unknownFiletype = [](QWidget* owner) {
        host::MsgBox(QStringLiteral("Unknown Filetype."), host::vbOKOnly | host::vbInformation,
                     ProductName, owner);
    };
    if (!shell.hasAssociatedProgram(file)) {
        unknownFiletype(ownerWindow);
        return;
    }
    // A program the desktop names that then cannot open the file (only a terminal program
    // for the type) is as good as none. The owner may be gone by the time that is known.
    shell.openPath(file, [owner = QPointer<QWidget>(ownerWindow), unknownFiletype] {
        unknownFiletype(owner.data());
    });
}

}  // namespace

QString ShellVerbFor(const QString& file)
{
    static const char* const Playable[] = {".WAV", ".MP2", ".MP3", ".MID", ".AVI"};
    const QString ending = file.right(4).toUpper();
    for (const char* suffix : Playable)
        if (ending == QLatin1String(suffix))
            return QStringLiteral("play");
    return QStringLiteral("open");
}

void OpenWithAssociatedProgram(const QString& file, QWidget* ownerWindow)
{
    if (file.isEmpty() || !PathExists(file))
        return;
    openWithVerb(ShellVerbFor(file), file, ownerWindow);
}

bool PathExists(const QString& path)
{
    return sys::pathExists(path);
}

}  // namespace app
