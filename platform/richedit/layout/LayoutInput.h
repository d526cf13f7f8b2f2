// What the layout needs to know of one paragraph, independent of how a document stores it.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"
#include "platform/richedit/model/Formats.h"
#include "platform/richedit/model/ParagraphText.h"

#include <QString>
#include <memory>
#include <vector>

namespace richedit {

// Characters in one format, or a picture (one position each).
struct LayoutRun {
    int32_t length = 0;
    const CharFormat* format = nullptr;
    std::shared_ptr<const Picture> picture;
};

// A paragraph's text without its mark, runs covering that text, its format, its mark's
// character format and the list label to draw (empty: none). The pointers need to live only
// while a layout is made; the layout keeps its own copies. Runs that fall short of the text
// leave the rest in the mark's format, and runs past its end are ignored.
struct LayoutParagraphInput {
    ParagraphText text;
    // A document's own text, read where it is instead of `text`: copying it would share its
    // blocks, and the document's next edit would copy them. A layout made from it is made or
    // laid out again after every change of that text, before anything reads it.
    const ParagraphText* source = nullptr;
    const ParagraphText& characters() const { return source ? *source : text; }
    std::vector<LayoutRun> runs;
    const ParaFormat* format = nullptr;
    const CharFormat* markFormat = nullptr;
    QString listLabel;
    // The document's last paragraph: its mark, the end mark, always shows a line.
    bool endsDocument = false;
};

// True when the paragraph shows nothing at all: its mark and every character are hidden (the
// end mark never is). Such a paragraph takes no display line, no height and no page space.
bool paragraphShowsNothing(const LayoutParagraphInput& input);

}  // namespace richedit
