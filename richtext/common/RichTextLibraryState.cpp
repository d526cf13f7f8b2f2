#include "richtext/common/RichTextLibraryState.h"

#include <limits>

namespace {

// done x 100 needs up to 71 bits; the compiler's 128-bit integer keeps the quotient exact.
__extension__ typedef __int128 WideInt;

// Floor division: the quotient rounded down, also when the signs differ.
WideInt floorDivide(WideInt numerator, WideInt denominator)
{
    WideInt quotient = numerator / denominator;
    if (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) {
        --quotient;
    }
    return quotient;
}

}  // namespace

RichTextLibraryState& RichTextLibraryState::instance()
{
    static RichTextLibraryState state;
    return state;
}

void RichTextLibraryState::reset()
{
    *this = RichTextLibraryState();
}

int RichTextLibraryState::ProgressPercentage() const
{
    if (ProgressTotal == 0) {
        return 0;
    }
    const WideInt percent = floorDivide(WideInt(ProgressDone) * 100, WideInt(ProgressTotal));
    if (percent > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (percent < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(percent);
}

SharedRichTextScope::SharedRichTextScope(richedit::RichTextBox* window)
    : m_previous(RichTextLibraryState::instance().SharedRichText)
{
    RichTextLibraryState::instance().SharedRichText = window;
}

SharedRichTextScope::~SharedRichTextScope()
{
    RichTextLibraryState::instance().SharedRichText = m_previous;
}
