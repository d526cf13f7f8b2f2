#include "richtext/scanning/KeywordColouring.h"

#include "platform/host/HourglassCursor.h"
#include "platform/host/MessageBox.h"
#include "platform/host/Resources.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbStrings.h"
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/WholeDocumentUndo.h"

#include <QScopeGuard>
#include <algorithm>
#include <vector>

using namespace richedit;

const QString VB6KeyWordPattern = QStringLiteral(
    R"(\b(AddressOf|Alias|And|Any|As|Base|Binary|Boolean|ByRef|Byte|ByVal|Call|Case|CBool|CByte|CCur|CDate|CDbl|CDec|CInt|CLng|Close|Compare|Const|CSng|CStr|Currency|CVar|CVErr|Date|Debug|Decimal|Declare|DefBool|DefByte|DefCur|DefDate|DefDbl|DefDec|DefInt|DefLng|DefObj|DefSng|DefStr|DefVar|Dim|Do|Double|Each|Else|ElseIf|Empty|End|Enum|Eqv|Erase|Error|Event|Exit|Explicit|False|For|Friend|Function|Get|Global|GoSub|GoTo|If|Imp|Implements|In|Input|Integer|Is|LBound|Len(?!\()|Let|Lib|Like|Line|Local|Lock|Long|Loop|LSet|Me|Mid|Mod|Name|New|Next|Not|Nothing|Null|Object|On|Open|Option|Option Base|Option Compare Binary|Option Compare|Option Explicit|Option Private|Optional|Or|Output|ParamArray|Preserve|Print|Private|Property|Public|Put|RaiseEvent|Random|Read|ReDim|Resume|Return|RSet|Seek|Select|Set|Single|Spc|Static|Step|Stop|String(?!\()|Sub|Tab|Then|To|True|Type|UBound|Unlock|Until|Variant|Wend|While|With|WithEvents|Write|Xor)\b)");
const QString VBNetKeyWordPattern = QStringLiteral(
    R"(\b(AddHandler|AddressOf|Alias|And|AndAlso|Ansi|As|Assembly|Auto|Boolean|ByRef|Byte|ByVal|Call|Case|Catch|CBool|CByte|CChar|CDate|CDbl|CDec|Char|CInt|Class|CLng|CObj|Const|CShort|CSng|CStr|CType|Date|Decimal|Declare|Default|Delegate|Dim|DirectCast|Do|Double|Each|Else|ElseIf|End|Enum|Erase|Error|Event|Exit|ExternalSource|False|Finally|For|Friend|Function|Get|GetType|Global|GoTo|Handles|If|Implements|Imports|In|Inherits|Integer|Interface|Is|Lib|Like|Long|Loop|Me|Mod|Module|MustInherit|MustOverride|MyBase|MyClass|Namespace|Narrowing|New|Next|Not|Nothing|NotInheritable|NotOverridable|Object|Of|On|Option|Optional|Or|OrElse|Overloads|Overridable|Overrides|ParamArray|Partial|Preserve|Private|Property|Protected|Public|RaiseEvent|ReadOnly|ReDim|Region|RemoveHandler|Resume|Return|Select|Set|Shadows|Shared|Short|Single|Static|Step|Stop|String|Structure|Sub|SyncLock|Then|Throw|To|True|Try|TryCast|TypeOf|Unicode|Until|Using|When|While|Widening|With|WithEvents|WriteOnly|Xor)\b)");
const QString CommentPattern = QStringLiteral(R"((')(.*)|\b(Rem)\b(.*))");

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

struct Found {
    int32_t offset;
    int32_t length;
};

// Every match of the expression over the subject, case ignored; none for an empty pattern.
std::vector<Found> collect(const QString& pattern, const QString& subject)
{
    std::vector<Found> found;
    if (pattern.isEmpty())
        return found;
    vbscript::RegExp expression;
    expression.setPattern(pattern);
    expression.setIgnoreCase(true);
    expression.setGlobal(true);
    const vbscript::MatchCollection matches = expression.Execute(subject);
    found.reserve(size_t(matches.Count()));
    for (const vbscript::Match match : matches)
        found.push_back({int32_t(match.FirstIndex()), int32_t(match.Length())});
    return found;
}

// The listed form of a keyword: proper case, then every letter that is upper case in the
// list's entry upper case too.
QString listedForm(const QString& keyword, const QString& list)
{
    QString result = vb::StrConv(keyword, vb::vbProperCase);
    const qsizetype entry = list.indexOf(u'|' + keyword + u'|', 0, Qt::CaseInsensitive);
    if (entry < 0)
        return result;
    const QString listed = list.mid(entry + 1, keyword.size());
    for (qsizetype i = 0; i < listed.size() && i < result.size(); ++i) {
        if (listed.at(i).isUpper())
            result[i] = result.at(i).toUpper();
    }
    return result;
}

void switchEffectsOff(Engine& engine, int32_t formatting)
{
    switch (formatting) {
        case Remove_All_Formatting:
            engine.setSelBold(false);
            engine.setSelBullet(false);
            engine.setSelItalic(false);
            engine.setSelStrikeThru(false);
            engine.setSelUnderline(false);
            break;
        case Remove_Bold:
            engine.setSelBold(false);
            break;
        case Remove_Bullets:
            engine.setSelBullet(false);
            break;
        case Remove_Italics:
            engine.setSelItalic(false);
            break;
        case Remove_StrikeThru:
            engine.setSelStrikeThru(false);
            break;
        case Remove_UnderLine:
            engine.setSelUnderline(false);
            break;
        default:
            break;
    }
}

QString invalidMethodMessage(const QString& memberName)
{
    const QString indent(17, u' ');
    return QStringLiteral("Invalid Syntax_Method assigned to ") + memberName +
           QStringLiteral(" function\r\nValid Methods:\r\n") + indent +
           QStringLiteral("Syntax_All_Text or 1\r\n") + indent +
           QStringLiteral("Syntax_Selected_Text or 2\r\n");
}

}  // namespace

KeywordColouring::KeywordColouring(RichTextBox& window, KeywordColouringHooks hooks,
                                   bool& syntaxCancel, bool& suppressSelChange)
    : m_window(window),
      m_hooks(std::move(hooks)),
      m_syntaxCancel(syntaxCancel),
      m_suppressSelChange(suppressSelChange)
{
}

QString KeywordColouring::keywordListResource(int id)
{
    const std::optional<QByteArray> data =
        host::resourceData(QStringLiteral("XrRichTextBox"), QStringLiteral("STRING"), id);
    return data ? QString::fromUtf8(*data) : QString();
}

void KeywordColouring::apply(const KeywordSet& set, int32_t method, int32_t formatting)
{
    if (library().SyntaxRunning)
        return;
    if (method != Syntax_All_Text && method != Syntax_Selected_Text) {
        host::MsgBox(invalidMethodMessage(set.memberName), host::vbInformation,
                     QStringLiteral("Invalid Syntax_Method"));
        return;
    }
    m_hooks.begin();
    const int32_t selStartBefore = m_window.SelStart();
    host::HourglassCursor hourglass;
    try {
        if (m_undo)
            m_undo->SaveSpecialUndoData();
        runPass(set, method == Syntax_Selected_Text, formatting);
    } catch (const vb::VbError&) {
        // A malformed user expression: the pass has run its end steps; the call ends as usual.
    }
    hourglass.restore();
    if (method == Syntax_All_Text)
        m_window.setSelStart(selStartBefore);
    m_hooks.finish();
    m_hooks.ready();
}

void KeywordColouring::runPass(const KeywordSet& set, bool selectedText, int32_t formatting)
{
    RichTextLibraryState& state = library();
    if (state.SyntaxRunning)
        return;
    const bool mutesSelChange = set.suppressSelChangeWholeText && !selectedText;
    state.SyntaxRunning = true;
    if (mutesSelChange)
        m_suppressSelChange = true;
    bool locked = false;
    LongPass pass(&m_syntaxCancel, LongPass::EventLoop::LetRun, LongPass::Progress::Tracked);
    // Whatever ends the pass, the library is left idle and the display unfrozen.
    const auto idle = qScopeGuard([&] {
        if (locked)
            m_hooks.lockWindowUpdate(false);
        state.SyntaxRunning = false;
        if (mutesSelChange)
            m_suppressSelChange = false;
    });
    m_hooks.saveViewPos();

    const int32_t base = selectedText ? m_window.SelStart() : 0;
    const QString subject = selectedText ? m_window.SelText() : m_window.Text();
    // Every change keeps the text's length, so matches found now stay valid to the end.
    const std::vector<Found> comments = collect(set.commentPattern, subject);
    const std::vector<Found> strings = collect(set.stringPattern, subject);
    const std::vector<Found> keywords = collect(set.keywordPattern, subject);
    const int64_t total = int64_t(comments.size() + strings.size() + keywords.size());
    if (total == 0) {
        pass.setTotal(100);
        return;
    }
    pass.setTotal(total);

    m_hooks.lockWindowUpdate(true);
    locked = true;
    Engine& engine = m_window.engine();
    const intptr_t handle = m_window.hWnd();
    auto selectRange = [&](int32_t start, int32_t end) {
        CharRange range{start, end};
        sendMessage(handle, EM_EXSETSEL, 0, reinterpret_cast<intptr_t>(&range));
    };
    auto selectMatch = [&](const Found& match) {
        if (selectedText) {
            m_window.setSelStart(base + match.offset);
            m_window.setSelLength(match.length);
        } else {
            selectRange(match.offset, match.offset + match.length);
        }
    };

    if (!selectedText)
        selectRange(0, -1);
    switchEffectsOff(engine, formatting);
    if (set.builtIn) {
        engine.setSelFontName(QStringLiteral("Courier New"));
        engine.setSelFontSize(10);
        engine.setSelColor(0);
    }

    // Gives the match its new letters (same length): only the span from the first to the last
    // changed character is replaced, so a comment's line end is never taken out and put back.
    auto rewrite = [&](const Found& match, const QString& before, const QString& after) {
        qsizetype first = 0;
        qsizetype last = std::min(before.size(), after.size()) - 1;
        while (first <= last && before.at(first) == after.at(first))
            ++first;
        while (last >= first && before.at(last) == after.at(last))
            --last;
        if (first > last)
            return;
        const int32_t start = base + match.offset + int32_t(first);
        const int32_t length = int32_t(last - first + 1);
        if (selectedText) {
            m_window.setSelStart(start);
            m_window.setSelLength(length);
        } else {
            selectRange(start, start + length);
        }
        m_window.setSelText(after.mid(first, length));
    };

    // The role's work on the selected match; false when the match is passed over without the
    // stop test (a keyword inside a literal).
    enum class Role { Comment, String, Keyword };
    auto work = [&](Role role, const Found& match) -> bool {
        const host::OLE_COLOR comment = set.commentColor();
        const std::optional<uint32_t> current = engine.selColor();
        if (!set.builtIn) {
            if (role == Role::Comment)
                engine.setSelColor(comment);
            else if (current != comment)
                engine.setSelColor(role == Role::String ? set.stringColor() : set.keywordColor());
            return true;
        }
        switch (role) {
            case Role::Comment: {
                engine.setSelColor(comment);
                // Comments are the first to change, so the text as matched is the text now;
                // reading it from the window would rebuild the whole document's text.
                const QString text = subject.mid(match.offset, match.length);
                if (vb::UCase(text.left(3)) == QStringLiteral("REM"))
                    rewrite(match, text, vb::StrConv(text, vb::vbProperCase));
                return true;
            }
            case Role::String:
                if (current != comment) {
                    // Colour and protection in one change.
                    CharFormat literal;
                    literal.mask = Color | Protected;
                    literal.effects = Protected;
                    literal.color = set.stringColor();
                    engine.session().setCharFormat(SelectionScope, literal);
                }
                return true;
            case Role::Keyword: {
                if (current == comment)
                    return true;
                if (engine.selProtected() == true)
                    return false;
                engine.setSelColor(set.keywordColor());
                const QString keyword = subject.mid(match.offset, match.length);
                if (set.keywordList.contains(u'|' + keyword + u'|', Qt::CaseSensitive))
                    return true;
                const QString listed = listedForm(keyword, set.keywordList);
                rewrite(match, keyword, listed);
                return true;
            }
        }
        return true;
    };

    const std::pair<Role, const std::vector<Found>*> passes[] = {
        {Role::Comment, &comments}, {Role::String, &strings}, {Role::Keyword, &keywords}};
    const QString* patterns[] = {&set.commentPattern, &set.stringPattern, &set.keywordPattern};
    for (size_t role = 0; role < 3; ++role) {
        if (patterns[role]->isEmpty())
            continue;
        for (const Found& match : *passes[role].second) {
            selectMatch(match);
            if (work(passes[role].first, match) && !pass.proceed())
                break;
            pass.stepDone();
        }
    }

    // End steps.
    selectRange(0, -1);
    engine.setSelProtected(false);
    // A request raised by the end steps' own events undoes the pass too.
    if (pass.stopRequested()) {
        m_syntaxCancel = false;
        if (m_undo)
            m_undo->HyperUndo();
    }
    m_window.setSelLength(0);
    locked = false;
    m_hooks.lockWindowUpdate(false);
    m_hooks.restoreViewPos();
    state.SyntaxRunning = false;
    if (mutesSelChange)
        m_suppressSelChange = false;
    sendMessage(handle, EM_EMPTYUNDOBUFFER, 0, 0);
}
