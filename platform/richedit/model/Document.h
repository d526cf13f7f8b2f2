// The rich-edit document: paragraphs of formatted runs and pictures, each ended by a mark that
// owns the paragraph format, with UTF-16 positions in which a paragraph end counts two.
#pragma once

#include "platform/richedit/model/BlockSequence.h"
#include "platform/richedit/model/DocumentFragment.h"
#include "platform/richedit/model/FormatPool.h"
#include "platform/richedit/model/InlineVector.h"
#include "platform/richedit/model/ParagraphText.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace richedit {

// A range of positions; cpMax -1 stands for the end of the text.
struct CharRange {
    int32_t cpMin = 0;
    int32_t cpMax = 0;
    bool operator==(const CharRange&) const = default;
};

// Characters in one format (`format` indexes the document's pool), or one picture.
struct TextRun {
    int32_t length = 0;
    uint32_t format = 0;
    std::shared_ptr<const Picture> picture;
};

// Most paragraphs hold a single run: it lives in the paragraph, not in a heap block of its own.
using RunList = InlineVector<TextRun, 1>;

// A paragraph's text (without its mark), its runs covering that text exactly, the paragraph
// format and the mark's character format.
struct Paragraph {
    ParagraphText text;
    RunList runs;
    uint32_t format = 0;  // the mark's paragraph format, an index of the document's records
    uint32_t mark = 0;
};

enum class ChangeKind {
    Text,    // characters replaced (formats may have changed too)
    Format,  // formats only; removed == added
    Reset,   // the whole document replaced
};

// What changed: `removed` positions from `position` of the old text became `added` positions.
struct ChangeRecord {
    ChangeKind kind = ChangeKind::Text;
    int32_t position = 0;
    int32_t removed = 0;
    int32_t added = 0;
    bool operator==(const ChangeRecord&) const = default;
};

// Told before and after paragraphs are replaced, and before one paragraph's text is edited in
// place (`removed` units at `offset` becoming `added`; its runs may change, its mark stays), so
// that an undo buffer can keep what was there before.
class ParagraphObserver {
public:
    virtual ~ParagraphObserver() = default;
    virtual void aboutToReplace(int first, int count) = 0;
    virtual void replaced(int first, int oldCount, int newCount) = 0;
    virtual void aboutToEdit(int paragraph, int32_t offset, int32_t removed, int32_t added) = 0;
    // Runs [firstRun, lastRun) of a paragraph, covering `length` characters from `offset`, are
    // about to change their formats, and then are `newCount` runs over the same characters.
    virtual void aboutToFormat(int paragraph, size_t firstRun, size_t lastRun, int32_t offset,
                               int32_t length) = 0;
    virtual void formatted(int paragraph, size_t newCount) = 0;
};

class Document {
public:
    explicit Document(const CharFormat& defaultFormat = defaultCharFormat());
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // The format of plain text written over the whole document and of an emptied document.
    const CharFormat& defaultFormat() const { return m_defaultFormat; }
    void setDefaultFormat(const CharFormat& format);

    // --- Content and positions ---
    // The whole text as one string, made on first use after a change: whole-document passes
    // only. Edits and reads near a position use the accessors below, which read the
    // paragraphs' own text and cost no more than what they read.
    const QString& text() const;
    int32_t length() const;
    QString textRange(CharRange range) const;
    // The unit at a position; 0 outside the text.
    QChar charAt(int32_t position) const;
    // Up to `count` units from `position`, clamped to the text (no snapping).
    QString mid(int32_t position, int32_t count) const;
    // One step back or forward from a position: a paragraph end and a surrogate pair are one.
    int32_t previousPosition(int32_t position) const;
    int32_t nextPosition(int32_t position) const;
    // Clamped to 0..length(); between CR and LF or inside a surrogate pair moves forward.
    int32_t snap(int32_t position) const;
    // Clamps and snaps both ends, -1 as cpMax meaning the end, and orders them.
    CharRange normalized(CharRange range) const;

    int paragraphCount() const { return m_paragraphs.size(); }
    const Paragraph& paragraph(int index) const { return *m_paragraphs[index].paragraph; }
    int32_t paragraphStart(int index) const;
    // The paragraph holding a (snapped) position; a position on a CR is its paragraph's.
    int paragraphAt(int32_t position) const;
    const CharFormat& format(uint32_t index) const { return m_pool.at(index); }
    const ParaFormat& paraFormat(uint32_t index) const { return m_paraPool.at(index); }
    const ParaFormat& paragraphFormat(int index) const
    {
        return paraFormat(paragraph(index).format);
    }

    // The stored format of the character at a position (a mark's format on a paragraph end,
    // the end mark's at the end).
    CharFormat formatAt(int32_t position) const;
    // The format new text at a caret takes from its surroundings: the character before it when
    // that is not a paragraph end, else the paragraph's first character, else its mark.
    CharFormat insertionFormat(int32_t position) const;

    // --- Text changes ---
    // Every text that comes in through insert, insertFragment and setPlainText loses its NULs
    // and has U+FFFD for each lone surrogate (see OutsideText.h).
    // CR LF, a lone CR and a lone LF each become a paragraph end; a new mark copies the split
    // paragraph's format and takes `format` as its character format.
    void insert(int32_t position, const QString& text, const CharFormat& format);
    // A merged paragraph keeps the later mark and its format.
    void remove(CharRange range);
    // remove(range), then insert at range.cpMin; one edit when both stay inside one
    // paragraph.
    void replace(CharRange range, const QString& text, const CharFormat& format);
    // Inserted marks keep their formats; the tail joins the insertion point's paragraph, which
    // ends in its original mark.
    void insertFragment(int32_t position, const DocumentFragment& fragment);
    // Replaces the document; the last paragraph's mark becomes the end mark. A fragment
    // handed over (moved) gives its text to the paragraphs without a copy.
    void replaceAll(DocumentFragment fragment);
    // The same with the paragraphs `produce` hands to its sink, in order, each taken as it
    // comes: a reader streams into the document without gathering a fragment first.
    void replaceAll(const std::function<void(const ParagraphSink&)>& produce);
    // Replaces the document with plain text in the default format and paragraph format.
    void setPlainText(const QString& text);
    // Overwrites characters in place with text of the same length, keeping every format
    // (paragraph ends must stay where they are).
    void overwrite(int32_t position, const QString& text);
    // Deletes every picture as one change; returns how many.
    int removePictures();

    // A range as rich text. The last paragraph has a mark only when the range ends right after
    // a paragraph end; pictures are shared.
    DocumentFragment extract(CharRange range) const;
    // The whole document, every paragraph with its mark (the last one the end mark).
    DocumentFragment extractAll() const;

    // --- Formats ---
    // A range that ends at the end of the text also changes the end mark.
    void applyChar(CharRange range, const CharFormat& change);
    // Every paragraph the range touches (a caret: its paragraph).
    void applyPara(CharRange range, const ParaFormat& change);
    // The first counted character's format; the mask keeps the fields that agree over all of
    // them. Paragraph marks count only when the range holds nothing else. A caret reads the
    // insertion format. Automatic colours read as 0 and 0xFFFFFFFF with their effect bits.
    CharFormat charFormatAt(CharRange range) const;
    ParaFormat paraFormatAt(CharRange range) const;

    // --- Notification and grouping ---
    // Watching does not change the document, so a reader holding it const may watch.
    int addWatcher(std::function<void(const ChangeRecord&)> watcher) const;
    void removeWatcher(int id) const;
    // Changes between begin and end reach the watchers as one record; blocks nest.
    void beginEditBlock();
    void endEditBlock();
    void setParagraphObserver(ParagraphObserver* observer) { m_observer = observer; }

    // --- Snapshots (undo) ---
    std::vector<Paragraph> copyParagraphs(int first, int count) const;
    // Puts saved runs in place of runs [first, first + count) of a paragraph, which cover
    // `length` characters from `offset` as they do, as one format change.
    void restoreRuns(int paragraph, size_t first, size_t count, RunList runs, int32_t offset,
                     int32_t length);
    // Puts saved paragraphs in place of [first, first + count) as one text change.
    void restoreParagraphs(int first, int count, std::vector<Paragraph> paragraphs);
    // Puts `text` in place of `removed` units at `offset` of one paragraph, with the runs and
    // paragraph format it had, without copying the rest of its text.
    void restoreEdit(int paragraph, int32_t offset, int32_t removed, const QString& text,
                     RunList runs, uint32_t format);
    // Positions covered by paragraphs [first, first + count), marks included except the end
    // mark.
    int32_t spanOf(int first, int count) const;

private:
    struct Location {
        int paragraph = 0;
        int32_t offset = 0;
    };
    Location locate(int32_t position) const;
    CharFormat complete(const CharFormat& format) const;
    void replaceParagraphs(int first, int count, std::vector<Paragraph> replacement,
                           const ChangeRecord& record);
    void replaceParagraphs(int first, int count,
                           std::vector<std::unique_ptr<Paragraph>> replacement,
                           const ChangeRecord& record);
    // Counts a change and tells the watchers, or keeps it for the end of the edit block.
    void notify(const ChangeRecord& record);
    void tellWatchers(const ChangeRecord& record);
    // An edit inside one paragraph: `mutate` changes its text and runs where they are, so that
    // the cost follows the edit, not the paragraph.
    template <typename Mutate>
    void editInPlace(int index, int32_t offset, int32_t removed, int32_t added, Mutate mutate);
    // Takes the fragment's text run by run, releasing each paragraph of it once converted.
    std::vector<Paragraph> paragraphsFrom(DocumentFragment&& fragment, uint32_t lastFormat,
                                          bool* lastHasMark);
    // The paragraphs of one source paragraph (more when its runs hold line ends), its text
    // taken and its runs released.
    void appendConverted(FragmentParagraph&& source, std::vector<Paragraph>& out);
    // The same for a paragraph whose text comes in one piece.
    void appendJoined(FragmentParagraph&& source, Paragraph& target);
    // Pool indexes of a fragment's formats once completed; the last few are remembered, as a
    // read document repeats a handful of formats in run after run.
    uint32_t convertedFormat(const CharFormat& source);
    uint32_t convertedParaFormat(const ParaFormat& source);
    FragmentParagraph toFragment(const Paragraph& paragraph, int32_t from, int32_t to,
                                 bool withMark) const;
    // The first run of a paragraph that ends after `offset` (the run count past the last),
    // and where it starts. The search begins at the run found or changed last when that is
    // still valid and not past the offset, so that a pass reading and marking from left to
    // right does not walk the runs before each of its ranges.
    std::pair<size_t, int32_t> runAt(int index, int32_t offset) const;
    // Gives the characters [from, to) of one paragraph the formats `remap` makes of theirs,
    // changing only the runs they lie in: a pass marking one address after another in a long
    // paragraph costs what it marks, not the paragraph's run list each time.
    template <typename Remap>
    void formatInPlace(int index, int32_t from, int32_t to, Remap remap);
    // Paragraphs [first, last] that a range touches for paragraph formatting.
    std::pair<int, int> touchedParagraphs(CharRange range) const;

    // A paragraph (boxed: splits move pointers) with its span, the text plus the two units of
    // its mark, kept beside it so that position lookups do not visit the paragraphs.
    struct ParagraphSlot {
        std::unique_ptr<Paragraph> paragraph;
        int32_t span = 2;
    };
    struct SpanOf {
        static constexpr size_t count = 1;
        static std::array<int64_t, 1> of(const ParagraphSlot& slot) { return {slot.span}; }
    };

    FormatPool m_pool;
    ParaFormatPool m_paraPool;
    CharFormat m_defaultFormat;
    std::array<std::pair<CharFormat, uint32_t>, 8> m_recentFormats{};
    size_t m_recentFormatCount = 0;
    size_t m_nextRecentFormat = 0;
    std::optional<std::pair<ParaFormat, uint32_t>> m_recentParaFormat;
    BlockSequence<ParagraphSlot, SpanOf> m_paragraphs;
    mutable QString m_text;  // the whole text, made on demand
    mutable bool m_textValid = false;
    mutable std::map<int, std::function<void(const ChangeRecord&)>> m_watchers;
    mutable int m_nextWatcher = 1;
    int m_blockDepth = 0;
    std::optional<ChangeRecord> m_blockRecord;
    ParagraphObserver* m_observer = nullptr;
    // Counts the changes told to watchers.
    uint64_t m_version = 0;
    // The run runAt found last, or where the last in-place format change began (run `run` of
    // `paragraph`, at offset `start`), valid while the version is the document's.
    struct RunHint {
        int paragraph = -1;
        size_t run = 0;
        int32_t start = 0;
        uint64_t version = 0;
    };
    mutable RunHint m_runHint;
};

// Groups the changes of one compound edit into one record.
class EditBlock {
public:
    explicit EditBlock(Document& document) : m_document(document) { document.beginEditBlock(); }
    ~EditBlock() { m_document.endEditBlock(); }
    EditBlock(const EditBlock&) = delete;
    EditBlock& operator=(const EditBlock&) = delete;

private:
    Document& m_document;
};

// A stored format as a reading reports it: with `mask`, automatic text colour as 0 and
// automatic background as 0xFFFFFFFF (their effect bits set).
CharFormat charFormatReading(const CharFormat& format, uint32_t mask);

// Merges two successive change records into one that covers both.
ChangeRecord combineChanges(const ChangeRecord& first, const ChangeRecord& second);

}  // namespace richedit
