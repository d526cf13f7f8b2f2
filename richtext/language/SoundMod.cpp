#include "richtext/language/SoundMod.h"

#include "platform/host/Resources.h"
#include "platform/sound/SoundPlayer.h"

#include <QByteArray>

namespace {

// The bytes of the last sound asked for, kept until the next call replaces them.
QByteArray& heldSound()
{
    static QByteArray bytes;
    return bytes;
}

}  // namespace

namespace SoundMod {

bool PlayResourceSound(const int16_t& id)
{
    const std::optional<QByteArray> wave =
        host::resourceData(QStringLiteral("XrRichTextBox"), QStringLiteral("WAVE"), id);
    if (!wave)
        return false;
    // The player cuts off a sound still playing before it lets go of its bytes.
    heldSound() = *wave;
    sound::PlaySound(heldSound());
    return true;
}

}  // namespace SoundMod
