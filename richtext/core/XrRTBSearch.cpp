// The control's searches, keyword colouring and the address test they share.
#include "richtext/core/XrRTB.h"

#include <QLineEdit>

#include "platform/runtime/VbStrings.h"
#include "richtext/core/SpecialUndo.h"
#include "richtext/scanning/DetectNotWords.h"
#include "richtext/scanning/KeywordColouring.h"
#include "richtext/scanning/TextFinder.h"

// --- Searching ---

int32_t XrRTB::Find2(const QString& TextToFind, const FindDirectionQ& FindDirection,
                     const FindOptionsQ& FindOptions, const bool& SkipURLEmail)
{
    return m_finder->Find2(TextToFind, FindDirection, FindOptions, SkipURLEmail);
}

bool XrRTB::FindVerify(const QString& FVTextToFind, const FindOptionsQ& FVFindOptions)
{
    return m_finder->FindVerify(FVTextToFind, FVFindOptions);
}

bool XrRTB::DetectNotWords(const int32_t& MyHitSpot)
{
    return ::DetectNotWords(*RichTextBox1, MyHitSpot);
}

// --- Keyword colouring ---

void XrRTB::createKeywordColouring()
{
    KeywordColouringHooks hooks;
    hooks.begin = [this] { emit Begin(); };
    hooks.finish = [this] { emit Finish(); };
    hooks.ready = [this] { emit Ready(); };
    hooks.lockWindowUpdate = [this](bool lock) { LockWindowUpdateEx(lock); };
    hooks.saveViewPos = [this] { SaveViewPos1(); };
    hooks.restoreViewPos = [this] { RestoreViewPos1(); };
    m_colouring = std::make_unique<KeywordColouring>(*RichTextBox1, std::move(hooks), SyntaxCancel,
                                                     SuppressSelChange);
    m_colouring->setUndo(m_undo.get());
}

KeywordSet XrRTB::vb6KeywordSet()
{
    static const QString list = KeywordColouring::keywordListResource(102);
    KeywordSet set;
    set.memberName = QStringLiteral("ApplyVB6Syntax");
    set.commentPattern = CommentPattern;
    set.stringPattern = vb::Trim(regexTxt->text());
    set.keywordPattern = VB6KeyWordPattern;
    set.commentColor = [this] { return ColorVB6Comment(); };
    set.stringColor = [this] { return ColorVB6String(); };
    set.keywordColor = [this] { return ColorVB6KeyWord(); };
    set.keywordList = list;
    set.suppressSelChangeWholeText = true;
    return set;
}

KeywordSet XrRTB::vbNetKeywordSet()
{
    static const QString list = KeywordColouring::keywordListResource(103);
    KeywordSet set;
    set.memberName = QStringLiteral("ApplyVBNetSyntax");
    set.commentPattern = CommentPattern;
    set.stringPattern = vb::Trim(regexTxt->text());
    set.keywordPattern = VBNetKeyWordPattern;
    set.commentColor = [this] { return ColorVBNetComment(); };
    set.stringColor = [this] { return ColorVBNetString(); };
    set.keywordColor = [this] { return ColorVBNetKeyWord(); };
    set.keywordList = list;
    return set;
}

KeywordSet XrRTB::myKeywordSet()
{
    KeywordSet set;
    set.memberName = QStringLiteral("ApplyMySyntax");
    set.commentPattern = m_settings.MySecondString;
    set.stringPattern = m_settings.MyThirdString;
    set.keywordPattern = m_settings.MyFirstString;
    set.commentColor = [this] { return ColorMySecondKeyWord(); };
    set.stringColor = [this] { return ColorMyThirdKeyWord(); };
    set.keywordColor = [this] { return ColorMyFirstKeyWord(); };
    set.builtIn = false;
    return set;
}

QVariant XrRTB::ApplyVB6Syntax(const Syntax_Behavior& Syntax_Method,
                               const Formatting_Options& Syntax_Formatting)
{
    m_colouring->apply(vb6KeywordSet(), Syntax_Method, Syntax_Formatting);
    return QVariant();
}

QVariant XrRTB::ApplyVBNetSyntax(const Syntax_Behavior& Syntax_Method,
                                 const Formatting_Options& Syntax_Formatting)
{
    m_colouring->apply(vbNetKeywordSet(), Syntax_Method, Syntax_Formatting);
    return QVariant();
}

QVariant XrRTB::ApplyMySyntax(const Syntax_Behavior& Syntax_Method,
                              const Formatting_Options& Syntax_Formatting)
{
    m_colouring->apply(myKeywordSet(), Syntax_Method, Syntax_Formatting);
    return QVariant();
}
