#include "richtext/language/PublicMod.h"

#include "platform/runtime/VbError.h"
#include "richtext/common/RichTextLibraryState.h"

namespace PublicMod {

bool GetSpellUndoAvailable()
{
    return RichTextLibraryState::instance().SpellUndoRecord.Available;
}

QString GetSharedRTFString()
{
    const richedit::RichTextBox* shared = RichTextLibraryState::instance().SharedRichText;
    if (!shared)
        throw vb::VbError(vb::ErrObjectVariableNotSet,
                          QStringLiteral("Object variable or With block variable not set"));
    return shared->TextRTF();
}

}  // namespace PublicMod
