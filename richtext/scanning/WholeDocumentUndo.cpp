#include "richtext/scanning/WholeDocumentUndo.h"

std::function<void(const ReplaceUndoRecord&)>& replaceUndoWriter()
{
    static std::function<void(const ReplaceUndoRecord&)> writer;
    return writer;
}
