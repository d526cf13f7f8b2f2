#include "richtext/core/DocumentText.h"

#include "platform/regex/RegExp.h"
#include "platform/richedit/model/PlainText.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/TextObjectModel.h"
#include "platform/runtime/VbError.h"
#include "richtext/common/RichTextLibraryState.h"

#include <cstdlib>

using namespace richedit;

namespace {

const QString FormattingPattern =
    QStringLiteral(R"((\\cf|\\b|\\i|\\ulnone|\\strike|\\pn|\\qc|\\qr|\\highlight))");

}  // namespace

DocumentText::DocumentText(RichTextBox& window, const TextDocument& document)
    : m_window(window), m_document(document)
{
}

TextRange DocumentText::caretRange() const
{
    // The find dialog lets the control's handle go while it selects words: the status of the
    // caret is then read through a handle of the window's own.
    const TextDocument document = m_document.isValid() ? m_document : m_window.textDocument();
    return document.Selection().GetDuplicate();
}

int32_t DocumentText::VanticLine() const
{
    return int32_t(caretRange().GetIndex(tomLine));
}

int32_t DocumentText::VanticColumn() const
{
    TextRange range = caretRange();
    return int32_t(std::labs(range.StartOf(tomLine, 0))) + 1;
}

int32_t DocumentText::VanticChar() const
{
    return int32_t(caretRange().GetIndex(tomCharacter));
}

void DocumentText::changeCase(CaseCode code)
{
    if (m_document.isValid())
        m_document.Selection().ChangeCase(code);
}

QString DocumentText::GetRTFString() const
{
    return m_window.TextRTF();
}

QString DocumentText::GetTextString()
{
    RichTextBox* shared = RichTextLibraryState::instance().SharedRichText;
    if (!shared)
        vb::raiseError(vb::ErrObjectVariableNotSet);
    return PlainText::decode(PlainText::encode(shared->Text()));
}

bool DocumentText::ContainSpecialFormatting() const
{
    vbscript::RegExp formatting;
    formatting.setPattern(FormattingPattern);
    formatting.setIgnoreCase(true);
    formatting.setGlobal(true);
    return formatting.Test(GetRTFString());
}
