// The state machine behind readRtf: an explicit group stack with the character, paragraph and
// destination state of each group, the document's tables, and the fragment being built.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"
#include "platform/richedit/rtf/RtfCodePage.h"
#include "platform/richedit/rtf/RtfKeywords.h"
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/rtf/RtfTokenizer.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace richedit {

// Where the text of a group goes.
enum class RtfDestination : uint8_t {
    Body,
    Skip,
    FontTable,
    ColorTable,
    ListTable,
    ListOverrideTable,
    LevelText,
    Pict,
    ParaNumbering,
    ParaNumberingTextAfter,
    ParaNumberingTextBefore,
    Object,          // only its \result is read
    NestTableProps,  // only its \nestrow counts
    ListText,        // kept aside until the paragraph's list is known
};

struct RtfCharProps {
    int32_t font = -1;  // -1: the \deff font
    int32_t sizeHalfPoints = 24;
    uint32_t effects = 0;  // Bold, Italic, Underline, StrikeOut, Protected, Hidden, Sub/Superscript
    int32_t offsetHalfPoints = 0;
    int32_t colorIndex = 0;
    int32_t backColorIndex = 0;
    int64_t language = -1;  // -1: \deflang
    bool operator==(const RtfCharProps&) const = default;
};

// Older paragraph numbering (\pn) as read.
struct RtfParaNumbering {
    enum Level : uint8_t { None, Bullet, Body, Continue };
    Level level = None;
    uint16_t kind = Arabic;
    int32_t start = 1;
    uint16_t style = 0x200;
};

struct RtfParaProps {
    uint16_t alignment = AlignLeft;
    int32_t leftIndent = 0;
    int32_t rightIndent = 0;
    int32_t firstIndent = 0;
    int32_t spaceBefore = 0;
    int32_t spaceAfter = 0;
    int32_t lineSpacing = 0;
    bool lineSpacingMultiple = false;
    uint8_t tabCount = 0;
    std::array<int32_t, MaxTabStops> tabs{};
    bool inTable = false;
    int32_t listOverride = 0;  // \ls, 0 = none
    int32_t listLevel = 0;     // \ilvl
    RtfParaNumbering numbering;
};

struct RtfGroupState {
    RtfCharProps chars;
    RtfParaProps para;
    RtfDestination dest = RtfDestination::Body;
    bool ownsDest = false;        // this group opened `dest`
    bool inShapePicture = false;  // inside \shppict
    int32_t unicodeSkip = 1;      // \uc
    // Inside \upr: where the text of its \ud group goes (its code-page group is skipped).
    std::optional<RtfDestination> unicodePairDest;
};

struct RtfFontEntry {
    QString face;
    int32_t charset = -1;  // -1: none given
    int32_t codePage = 0;  // \cpg, 0: none given
};

struct RtfListLevel {
    int32_t numberFormat = 0;  // \levelnfc
    int32_t startAt = 1;
    uint16_t style = 0x200;
};

struct RtfList {
    int32_t id = 0;
    std::vector<RtfListLevel> levels;
};

struct RtfListOverride {
    int32_t listId = 0;
    int32_t number = 0;  // \ls
};

struct RtfPictureBuilder {
    std::optional<PictureKind> kind;
    QByteArray data;
    int nibble = -1;  // a pending high hex digit
    int32_t width = 0, height = 0, goalWidth = 0, goalHeight = 0;
    int32_t scaleX = 100, scaleY = 100;
    int32_t cropLeft = 0, cropRight = 0, cropTop = 0, cropBottom = 0;
    int32_t metafileMapping = 8;
};

class RtfReaderEngine {
public:
    RtfReaderEngine(QByteArrayView input, RtfReadMode mode, const ParagraphSink& sink,
                    RtfRunText runText);
    void run();

private:
    enum class ParagraphEnd { Par, Row, Other };

    RtfGroupState& state() { return m_stack.back(); }

    // Token handling (RtfReader.cpp)
    bool handleToken(const RtfToken& token);
    void openGroup();
    void closeGroup();
    void handleWord(RtfKeyword keyword, const RtfToken& token);
    void handleSymbol(char symbol);
    void handleBytes(QByteArrayView bytes);
    void handleHexByte(unsigned char byte);
    void handleBinary(QByteArrayView data);
    void openDestination(RtfKeyword keyword);
    void setDestination(RtfDestination dest);
    void finishDestination(const RtfGroupState& closed);
    void bodyWord(RtfKeyword keyword, const RtfToken& token);
    bool characterWord(RtfKeyword keyword, const RtfToken& token);
    bool paragraphWord(RtfKeyword keyword, const RtfToken& token);
    void tableWord(RtfKeyword keyword, const RtfToken& token);

    // Text and paragraphs (RtfReader.cpp, RtfReaderParagraphs.cpp)
    void flushBytes();
    // Decodes body bytes straight into the paragraph when they read byte by byte; false when
    // they must wait for the bytes that may follow.
    bool appendDirectly(QByteArrayView bytes);
    void emitUnicode(int32_t value);
    void emitText(QStringView text);
    void resolveSurrogate();
    void appendToSink(QStringView text);
    void appendBody(QStringView text);
    void appendRun(QStringView text);
    // Makes the last run one of text in the effective format, ready for m_paragraphText to grow.
    void prepareRun();
    // The paragraph's text gathers in a buffer kept from paragraph to paragraph, each run's
    // length noted as it closes; the finished paragraph gets its text in blocks of just its
    // size, one a run or one in all.
    void openRun(const CharFormat& format);
    void closeRun();
    void handOverText(const RtfParaProps& props);
    void sendParagraph();
    // Writes the tab between two cells once the next cell's content shows up.
    void flushCellTab();
    void appendPicture(std::shared_ptr<const Picture> picture);
    void endParagraph(ParagraphEnd kind);
    void cell();
    void finish();

    // Tables, formats and pictures (RtfReaderTables.cpp)
    void fontTableWord(RtfKeyword keyword, const RtfToken& token);
    void fontTableBytes(QByteArrayView bytes);
    void finishFontName();
    void colorTableWord(RtfKeyword keyword, const RtfToken& token);
    void colorTableBytes(QByteArrayView bytes);
    void listTableWord(RtfKeyword keyword, const RtfToken& token);
    void listOverrideWord(RtfKeyword keyword, const RtfToken& token);
    void finishLevelText();
    void paraNumberingWord(RtfKeyword keyword, const RtfToken& token);
    void finishParaNumbering();
    void pictureWord(RtfKeyword keyword, const RtfToken& token);
    void pictureHex(QByteArrayView bytes);
    void finishPicture(const RtfGroupState& closed);
    int currentCodePage();
    // The font's code page, or the document's when the font gives none.
    int codePageOf(const RtfFontEntry* font) const;
    const RtfFontEntry* fontFor(int32_t index) const;
    const CharFormat& effectiveFormat();
    CharFormat makeEffectiveFormat(const RtfCharProps& chars) const;
    // The fonts, colours or document defaults that effective formats and code pages are made
    // from changed.
    void formatTablesChanged();
    ParaFormat paraFormatFrom(const RtfParaProps& props) const;
    // False when the paragraph's \ls names no list of the tables (the format is left alone).
    bool applyListNumbering(const RtfParaProps& props, ParaFormat& format) const;
    // Puts the paragraph's \listtext label in front of its text when its list is missing, so
    // that a number such as "10." is not lost; a known list numbers the paragraph itself.
    void placeListLabel(const RtfParaProps& props);
    bool listLabelStaysText(const RtfParaProps& props) const;

    QByteArrayView m_input;
    RtfReadMode m_mode;
    RtfRunText m_runText;

    std::vector<RtfGroupState> m_stack;
    int m_overflowDepth = 0;  // groups opened past the nesting limit share the innermost state
    // The document group closed: what follows is still read, unless it is only NULs and
    // blanks (a saved file's trailing zero byte), so that a stray brace loses no text.
    bool m_documentClosed = false;
    bool m_star = false;         // \* seen: an unknown destination word skips its group
    int32_t m_skipFallback = 0;  // \uc fallback units still to skip

    // Document-wide settings and tables
    int32_t m_ansiCodePage = Windows1252CodePage;
    int32_t m_defaultFont = -1;
    int64_t m_defaultLanguage = PlainLcid;
    std::map<int32_t, RtfFontEntry> m_fonts;
    int32_t m_fontBeingDefined = -1;
    bool m_fontNameDone = true;
    QString m_fontName;
    std::vector<std::optional<uint32_t>> m_colors;  // nullopt: automatic
    std::array<int32_t, 3> m_colorParts{};
    bool m_colorGiven = false;
    std::vector<RtfList> m_lists;
    std::vector<RtfListOverride> m_overrides;
    std::map<int32_t, size_t> m_listById;          // \listid -> m_lists index, first one wins
    std::map<int32_t, size_t> m_overrideByNumber;  // \ls -> m_overrides index, first one wins
    QByteArray m_levelText;
    RtfParaNumbering m_pn;
    QString m_pnTextAfter;
    QString m_pnTextBefore;
    std::vector<FragmentRun> m_listLabel;
    RtfPictureBuilder m_picture;
    RtfTextDecoder m_decoder;
    bool m_codePageKnown = false;  // m_codePage is that of the font m_codePageFont
    int32_t m_codePageFont = 0;
    int m_codePage = 0;

    // Text on its way out
    QByteArray m_pendingBytes;
    bool m_pendingLineEndOrNul = false;  // an escaped CR, LF or NUL is among the bytes
    QString m_decoded;
    char16_t m_pendingHighSurrogate = 0;
    // The last few effective formats made, as groups switch back and forth between a handful;
    // the current one points into them and stays put until the next one is made.
    const CharFormat* m_effective = nullptr;
    bool m_effectiveDirty = true;
    std::array<std::pair<RtfCharProps, CharFormat>, 8> m_recentFormats{};
    size_t m_recentFormatCount = 0;
    size_t m_nextRecentFormat = 0;
    bool m_lastRunMatches = false;  // the last run is text in the current effective format
    bool m_runOpen = false;  // the last run is text, still growing at the end of m_paragraphText
    qsizetype m_runStart = 0;
    QString m_paragraphText;
    std::vector<int32_t> m_runLengths;  // of the closed runs

    // The paragraph being built; finished ones go to the sink
    const ParagraphSink& m_sink;
    FragmentParagraph m_paragraph;
    bool m_pendingCellTab = false;
    std::optional<RtfParaProps> m_rowFormat;  // the paragraph format at the row's last cell
    bool m_lastEndWasPar = false;
    bool m_shapePictureRead = false;  // a \shppict picture was just read: skip its \nonshppict
};

}  // namespace richedit
