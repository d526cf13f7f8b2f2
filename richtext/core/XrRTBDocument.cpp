// The control's line, caret and view queries, its text object model members and the document
// handed over as strings.
#include "richtext/core/XrRTB.h"

#include "richtext/common/LineQueries.h"
#include "richtext/core/DocumentText.h"

// --- Line, caret and view queries ---

QVariant XrRTB::FreezeRichText(bool& FreezeRTB)
{
    bool lock = FreezeRTB;
    LockWindowUpdateEx(lock);
    return QVariant();
}

QVariant XrRTB::SelectLine()
{
    m_lines->SelectLine();
    return QVariant();
}

QString XrRTB::GetLineText()
{
    int32_t start = 0;
    int32_t length = 0;
    return GetLineText(start, length);
}

QString XrRTB::GetLineText(int32_t& LineStart, int32_t& LineLength)
{
    return m_lines->GetLineText(LineStart, LineLength);
}

QString XrRTB::GetPrevLineText()
{
    return m_lines->GetPrevLineText();
}

QString XrRTB::GetAnyLineText(const int32_t& MyLineNum)
{
    return m_lines->GetAnyLineText(MyLineNum);
}

int32_t XrRTB::GetPosOfFirstCharInLine(const int32_t& MyLine)
{
    return m_lines->GetPosOfFirstCharInLine(MyLine);
}

int32_t XrRTB::GetPosOfFirstCharInPrevLine()
{
    return m_lines->GetPosOfFirstCharInPrevLine();
}

int32_t XrRTB::FirstVisibleLine()
{
    return m_lines->FirstVisibleLine();
}

int32_t XrRTB::LastVisibleLine()
{
    return m_lines->LastVisibleLine();
}

int32_t XrRTB::TotalLineCount()
{
    return m_lines->TotalLineCount();
}

int32_t XrRTB::CurrentLine()
{
    return m_lines->CurrentLine();
}

void XrRTB::GoToLine(const int32_t& LineNumQ, bool SelectLineQ)
{
    m_lines->GoToLine(LineNumQ, SelectLineQ);
}

// --- Text object model members ---

int32_t XrRTB::VanticLine()
{
    return m_documentText->VanticLine();
}

int32_t XrRTB::VanticColumn()
{
    return m_documentText->VanticColumn();
}

int32_t XrRTB::VanticChar()
{
    return m_documentText->VanticChar();
}

void XrRTB::VanticUpperCase()
{
    m_documentText->changeCase(DocumentText::UpperCase);
}

void XrRTB::VanticLowerCase()
{
    m_documentText->changeCase(DocumentText::LowerCase);
}

void XrRTB::VanticSentenceCase()
{
    m_documentText->changeCase(DocumentText::SentenceCase);
}

void XrRTB::VanticToggleCase()
{
    m_documentText->changeCase(DocumentText::ToggleCase);
}

void XrRTB::VanticTitleCase()
{
    m_documentText->changeCase(DocumentText::TitleCase);
}

// --- The document as a string ---

QString XrRTB::GetRTFString()
{
    return m_documentText->GetRTFString();
}

QString XrRTB::GetTextString()
{
    return DocumentText::GetTextString();
}

bool XrRTB::ContainSpecialFormatting()
{
    return m_documentText->ContainSpecialFormatting();
}
