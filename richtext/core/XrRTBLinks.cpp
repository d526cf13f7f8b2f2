// The control's hyperlink mark, address zones, view keeper and link launching.
#include "richtext/core/XrRTB.h"

#include "richtext/scanning/HyperlinkMark.h"
#include "richtext/scanning/HyperlinkPasses.h"
#include "richtext/scanning/LinkLauncher.h"
#include "richtext/scanning/ViewKeeper.h"

// --- Hyperlink mark ---

bool XrRTB::DetectEmailZone(const int32_t& MyHitSpot, QString& ReturnMyEAddress)
{
    return m_links->DetectEmailZone(MyHitSpot, ReturnMyEAddress);
}

bool XrRTB::DetectURLZone(const int32_t& MyHitSpot, QString& ReturnMyURL)
{
    return m_links->DetectURLZone(MyHitSpot, ReturnMyURL);
}

void XrRTB::HyperLinkSelected(const int32_t& RTBSelStart, const int32_t& RTBSelectedLength)
{
    m_links->HyperLinkSelected(RTBSelStart, RTBSelectedLength);
}

bool XrRTB::IsSelectionHyperLink()
{
    return m_links->IsSelectionHyperLink();
}

void XrRTB::MarkSelectionLinked()
{
    m_links->MarkSelectionLinked();
}

void XrRTB::MarkSelectionUnlinked()
{
    m_links->MarkSelectionUnlinked();
}

// --- Hyperlink passes ---

void XrRTB::HyperLinkDocument()
{
    m_linkPasses->HyperLinkDocument();
}

void XrRTB::UnHyperLinkDocument()
{
    m_linkPasses->UnHyperLinkDocument();
}

void XrRTB::HyperLinkPass(int32_t& caret)
{
    m_linkPasses->HyperLinkPass(caret);
}

void XrRTB::UnlinkRange(int32_t caret)
{
    m_linkPasses->UnlinkRange(caret);
}

void XrRTB::AutoLinkWhileTyping(int32_t caret)
{
    m_linkPasses->AutoLinkWhileTyping(caret);
}

void XrRTB::UnlinkAtCaret(int32_t caret)
{
    m_linkPasses->UnlinkAtCaret(caret);
}

void XrRTB::RelinkAfterEnter(int32_t caret)
{
    m_linkPasses->RelinkAfterEnter(caret);
}

// --- View keeper ---

void XrRTB::SaveViewPos1()
{
    m_viewKeeper->SaveViewPos1();
}

void XrRTB::SaveViewPos2()
{
    m_viewKeeper->SaveViewPos2();
}

void XrRTB::RestoreViewPos1()
{
    m_viewKeeper->RestoreViewPos1();
}

void XrRTB::RestoreViewPos2()
{
    m_viewKeeper->RestoreViewPos2();
}

void XrRTB::RestoreViewPos3(int32_t& LinesAbove)
{
    m_viewKeeper->RestoreViewPos3(LinesAbove);
}

// --- Link launching ---

void XrRTB::GoToWebsite(const QString& MyWebSite)
{
    QString ignored;
    LinkLauncher::GoToWebsite(MyWebSite, ignored);
}

void XrRTB::GoToWebsite(const QString& MyWebSite, QString& MyErrorData)
{
    LinkLauncher::GoToWebsite(MyWebSite, MyErrorData);
}

void XrRTB::GoToEmailClient(const QString& MyEmail)
{
    QString ignored;
    LinkLauncher::GoToEmailClient(MyEmail, ignored);
}

void XrRTB::GoToEmailClient(const QString& MyEmail, QString& MyErrorData)
{
    LinkLauncher::GoToEmailClient(MyEmail, MyErrorData);
}
