// Whether a document about to be loaded fits in the memory the process can still get, so that
// one too large is refused while the current document is still whole, instead of failing
// half-way through reading or laying it out; and the errors a failed load reports.
#pragma once

#include "platform/runtime/VbError.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace richedit {

struct DocumentFragment;
struct FragmentParagraph;

class LoadBudget {
public:
    // Bytes still to be had; the system's answer when not given.
    explicit LoadBudget(uint64_t available);
    LoadBudget();

    // Enough memory to read and parse a file of that size.
    bool fitsFile(int64_t fileSize) const;
    // Reads a whole file that fits: nothing when read, else tooLarge() or unreadable().
    std::optional<vb::VbError> readFile(const QString& path, QByteArray& bytes) const;
    // Running totals of a document read paragraph by paragraph.
    struct Tally {
        uint64_t characters = 0;
        uint64_t paragraphs = 0;
        uint64_t longest = 0;
        void add(const FragmentParagraph& paragraph);
    };

    // Enough memory to hold and lay out the parsed document or text.
    bool fitsDocument(const DocumentFragment& document) const;
    bool fits(const Tally& tally) const;
    bool fitsText(const QString& text) const;

    // What a document costs beyond its parsed form: its text and per-paragraph records, the
    // copies the load's clean-up passes make, and the layout of its longest paragraph.
    static uint64_t documentCost(uint64_t characters, uint64_t paragraphs, uint64_t longest);

    // Error 7, a document too large for the memory left.
    static vb::VbError tooLarge();
    // A file that could not be read, by the system's error number: 70 for a missing right to
    // read it, else 75; the reason in plain words as the description.
    static vb::VbError unreadable(int errorNumber);

private:
    uint64_t m_available;
};

}  // namespace richedit
