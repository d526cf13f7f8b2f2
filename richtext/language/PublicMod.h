// Small routines of the library shared by its dialogs.
#pragma once

#include <QString>

namespace PublicMod {

// Whether a spelling correction can be taken back (the library's spelling-undo record).
bool GetSpellUndoAvailable();

// The whole document of the shared editing window (SharedRichText) as RTF, taken in memory.
// Raises vb::VbError 91 while no dialog holds a document.
QString GetSharedRTFString();

}  // namespace PublicMod
