#include "platform/richedit/view/LoadBudget.h"

#include "platform/richedit/model/DocumentFragment.h"
#include "platform/system/FileSystem.h"
#include "platform/system/MemoryBudget.h"

#include <QFileInfo>
#include <cerrno>
#include <new>
#include <utility>

#include <algorithm>
#include <limits>

namespace richedit {
namespace {

// Reading holds the file's bytes and the parsed text (up to two bytes a byte) with its runs.
constexpr uint64_t ParseBytesPerFileByte = 4;
// The text (two bytes a character), the RTF copy and its regular-expression passes that the
// clean-up after a load makes, several bytes a character each.
constexpr uint64_t BytesPerCharacter = 16;
// A paragraph's records and line index.
constexpr uint64_t BytesPerParagraph = 400;
// Laying out a paragraph holds its lines and, while it is shaped, glyphs and advances for
// its characters (about six bytes a character measured; room left for fonts that need more).
constexpr uint64_t LayoutBytesPerCharacter = 32;

uint64_t saturatingAdd(uint64_t a, uint64_t b)
{
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max()
                                                        : a + b;
}

uint64_t saturatingTimes(uint64_t a, uint64_t b)
{
    return b != 0 && a > std::numeric_limits<uint64_t>::max() / b
               ? std::numeric_limits<uint64_t>::max()
               : a * b;
}

}  // namespace

LoadBudget::LoadBudget(uint64_t available) : m_available(available)
{
}

LoadBudget::LoadBudget()
    : m_available(sys::availableMemory().value_or(std::numeric_limits<uint64_t>::max()))
{
}

bool LoadBudget::fitsFile(int64_t fileSize) const
{
    return saturatingTimes(uint64_t(std::max<int64_t>(fileSize, 0)), ParseBytesPerFileByte) <=
           m_available;
}

std::optional<vb::VbError> LoadBudget::readFile(const QString& path, QByteArray& bytes) const
{
    if (!fitsFile(QFileInfo(path).size()))
        return tooLarge();
    try {
        int reason = 0;
        std::optional<QByteArray> contents = sys::readWholeFile(path, &reason);
        if (!contents)
            return unreadable(reason);
        bytes = std::move(*contents);
    } catch (const std::bad_alloc&) {
        return tooLarge();
    }
    return std::nullopt;
}

uint64_t LoadBudget::documentCost(uint64_t characters, uint64_t paragraphs, uint64_t longest)
{
    return saturatingAdd(saturatingAdd(saturatingTimes(characters, BytesPerCharacter),
                                       saturatingTimes(paragraphs, BytesPerParagraph)),
                         saturatingTimes(longest, LayoutBytesPerCharacter));
}

void LoadBudget::Tally::add(const FragmentParagraph& paragraph)
{
    uint64_t length = uint64_t(paragraph.joinedText.size());
    for (const FragmentRun& run : paragraph.runs)
        length += uint64_t(run.text.size());
    characters += length + 2;
    ++paragraphs;
    longest = std::max(longest, length);
}

bool LoadBudget::fits(const Tally& tally) const
{
    return documentCost(tally.characters, tally.paragraphs, tally.longest) <= m_available;
}

bool LoadBudget::fitsDocument(const DocumentFragment& document) const
{
    Tally tally;
    for (const FragmentParagraph& paragraph : document.paragraphs)
        tally.add(paragraph);
    return fits(tally);
}

bool LoadBudget::fitsText(const QString& text) const
{
    uint64_t paragraphs = 1;
    uint64_t longest = 0;
    uint64_t current = 0;
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n') {
            ++paragraphs;
            longest = std::max(longest, current);
            current = 0;
        } else {
            ++current;
        }
    }
    longest = std::max(longest, current);
    return documentCost(uint64_t(text.size()), paragraphs, longest) <= m_available;
}

vb::VbError LoadBudget::tooLarge()
{
    return vb::VbError(vb::ErrOutOfMemory,
                       QStringLiteral("the document is too large for the memory available"));
}

vb::VbError LoadBudget::unreadable(int errorNumber)
{
    const bool noRight = errorNumber == EACCES || errorNumber == EPERM;
    return vb::VbError(noRight ? vb::ErrPermissionDenied : vb::ErrPathFileAccess,
                       sys::describeFileError(errorNumber));
}

}  // namespace richedit
