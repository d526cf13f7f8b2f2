// The control's searches, keyword colouring and the address test they share.
#include "richtext/core/XrRTB.h"

#include "richtext/scanning/DetectNotWords.h"
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
