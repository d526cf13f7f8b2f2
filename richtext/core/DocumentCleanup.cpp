#include "richtext/core/DocumentCleanup.h"

#include "platform/regex/RegExp.h"
#include "platform/richedit/model/PlainText.h"
#include "platform/richedit/view/LoadBudget.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/system/FileSystem.h"

#include <new>
#include <utility>
#include <vector>

namespace DocumentCleanup {

std::optional<vb::VbError> readTextFile(richedit::RichTextBox& target,
                                        richedit::RichTextBox& scratch, const QString& face,
                                        const QString& path)
{
    if (path.isEmpty() || !sys::fileExists(path))
        return vb::VbError::fromNumber(vb::ErrFileNotFound);
    const richedit::LoadBudget budget;
    QByteArray bytes;
    if (auto error = budget.readFile(path, bytes))
        return error;
    // Sequential input stops at an end-of-file character; the window's own loader reads on.
    if (bytes.contains('\x1A'))
        return target.LoadFile(path, 1);
    try {
        richedit::TextFileFormat format;
        const QString text = richedit::PlainText::decode(bytes, format);
        if (!budget.fitsText(text))
            return richedit::LoadBudget::tooLarge();
        QFont font = scratch.Font();
        font.setFamily(face);
        scratch.setFont(font);
        scratch.setText(text);
        target.setTextRTF(scratch.TextRTF());
        scratch.setTextRTF(QString());
        // Saved back as the file was written.
        target.engine().setTextFileFormat(format);
    } catch (const std::bad_alloc&) {
        scratch.setTextRTF(QString());
        return richedit::LoadBudget::tooLarge();
    }
    return std::nullopt;
}

int removeUnderlinedTags(richedit::RichTextBox& window)
{
    std::vector<std::pair<int32_t, int32_t>> tags;
    try {
        vbscript::RegExp expression;
        expression.setPattern(QStringLiteral("<[^<>]{2,}>"));
        expression.setIgnoreCase(true);
        expression.setGlobal(true);
        const vbscript::MatchCollection matches = expression.Execute(window.Text());
        for (const vbscript::Match match : matches) {
            window.setSelStart(match.FirstIndex() + 1);
            window.setSelLength(match.Length() - 2);
            if (window.engine().selUnderline().value_or(false))
                tags.emplace_back(match.FirstIndex(), match.Length());
        }
    } catch (const vb::VbError&) {
        return 0;
    }
    for (auto tag = tags.rbegin(); tag != tags.rend(); ++tag) {
        window.setSelStart(tag->first);
        window.setSelLength(tag->second);
        window.setSelText(QString());
    }
    return int(tags.size());
}

}  // namespace DocumentCleanup
