#include "richtext/core/DocumentCleanup.h"

#include "platform/regex/RegExp.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/Windows1252.h"
#include "platform/system/FileSystem.h"

#include <utility>
#include <vector>

namespace DocumentCleanup {

bool readTextFile(richedit::RichTextBox& target, richedit::RichTextBox& scratch,
                  const QString& face, const QString& path)
{
    if (path.isEmpty() || !sys::fileExists(path))
        return false;
    const std::optional<QByteArray> bytes = sys::readWholeFile(path);
    if (!bytes)
        return false;
    // Sequential input stops at an end-of-file character; the window's own loader reads on.
    if (bytes->contains('\x1A')) {
        target.LoadFile(path, 1);
        return false;
    }
    QFont font = scratch.Font();
    font.setFamily(face);
    scratch.setFont(font);
    scratch.setText(vb::fromWindows1252(*bytes));
    target.setTextRTF(scratch.TextRTF());
    scratch.setTextRTF(QString());
    return true;
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
