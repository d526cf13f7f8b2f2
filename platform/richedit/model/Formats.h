// Character and paragraph formats of the rich-edit engine: the masked values that callers set
// and read, and the complete values that the document stores for every run and mark.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace richedit {

// Mask bits and effect bits of a character format; a mask bit and its effect bit share a value
// where both exist.
enum CharMask : uint32_t {
    Bold = 0x1,
    Italic = 0x2,
    Underline = 0x4,
    StrikeOut = 0x8,
    Protected = 0x10,
    Link = 0x20,
    // Hidden text keeps its positions: it is part of Text, SelText and every position
    // count, so that regular-expression offsets and selections stay exact. It is not drawn,
    // takes no room, no display line and no page, and plain-text output leaves it out.
    Hidden = 0x100,
    Subscript = 0x10000,
    Superscript = 0x20000,
    SubSuperscript = 0x30000,
    Lcid = 0x02000000,
    BackColor = 0x04000000,
    Charset = 0x08000000,
    Offset = 0x10000000,
    Face = 0x20000000,
    Color = 0x40000000,
    Size = 0x80000000,
};

// Effect bits that share a mask bit's value but mean "automatic colour".
constexpr uint32_t AutoBackColorEffect = 0x04000000;
constexpr uint32_t AutoColorEffect = 0x40000000;

// Every field of a character format.
constexpr uint32_t AllCharFields = Bold | Italic | Underline | StrikeOut | Protected | Link |
                                   Hidden | SubSuperscript | Lcid | BackColor | Charset | Offset |
                                   Face | Color | Size;

// The locale of plain text and of a link the control made.
constexpr uint32_t PlainLcid = 1033;
constexpr uint32_t LinkLcid = 357;

// A character format. `mask` says which fields are valid: all of them in a stored format;
// the ones to change in a request; the ones that agree over a range in a query.
// Colours are 0x00BBGGRR; automatic colours are effect bits (colour value then unused).
struct CharFormat {
    uint32_t mask = 0;
    uint32_t effects = 0;
    int32_t heightTw = 240;  // twips (points × 20)
    int32_t offsetTw = 0;    // baseline offset, positive raises
    uint32_t color = 0;
    uint32_t backColor = 0;
    uint32_t lcid = PlainLcid;
    uint8_t charset = 0;
    QString face;

    bool has(uint32_t bits) const { return (mask & bits) == bits; }
    bool is(uint32_t effect) const { return (effects & effect) != 0; }
    bool operator==(const CharFormat&) const = default;
};

// The stored default: a complete format with automatic colours.
CharFormat defaultCharFormat(const QString& face = QStringLiteral("MS Sans Serif"),
                             int32_t heightTw = 165);

// Overwrites in `target` the fields that `change` masks (the effect bits of masked fields
// included).
void mergeCharFormat(CharFormat& target, const CharFormat& change);

enum ParaMask : uint32_t {
    StartIndent = 0x1,
    RightIndent = 0x2,
    OffsetIndent = 0x4,
    Alignment = 0x8,
    TabStops = 0x10,
    Numbering = 0x20,
    SpaceBefore = 0x40,
    SpaceAfter = 0x80,
    LineSpacing = 0x100,
    NumberingStyle = 0x2000,
    NumberingTab = 0x4000,
    NumberingStart = 0x8000,
};

constexpr uint32_t AllParaFields = StartIndent | RightIndent | OffsetIndent | Alignment | TabStops |
                                   Numbering | SpaceBefore | SpaceAfter | LineSpacing |
                                   NumberingStyle | NumberingTab | NumberingStart;

enum ParaAlignment : uint16_t { AlignLeft = 1, AlignRight = 2, AlignCenter = 3, AlignJustify = 4 };

// wNumbering values.
enum NumberingKind : uint16_t {
    NoNumbering = 0,
    Bullet = 1,
    Arabic = 2,
    LowerLetter = 3,
    UpperLetter = 4,
    LowerRoman = 5,
    UpperRoman = 6,
};

constexpr int MaxTabStops = 32;

// A paragraph format; lengths in twips. `startIndent` is the first line's indent from the left
// edge, `offset` the following lines' indent relative to the first line.
struct ParaFormat {
    uint32_t mask = 0;
    uint16_t numbering = NoNumbering;
    uint16_t numberingStart = 1;
    uint16_t numberingStyle = 0;
    uint16_t numberingTab = 0;
    uint16_t alignment = AlignLeft;
    int32_t startIndent = 0;
    int32_t rightIndent = 0;
    int32_t offset = 0;
    int32_t spaceBefore = 0;
    int32_t spaceAfter = 0;
    int32_t lineSpacing = 0;
    uint8_t lineSpacingRule =
        0;  // 0 single, 1 one and a half, 2 double, 3 at least, 4 exactly, 5 twentieths
    std::vector<int32_t> tabs;  // at most MaxTabStops, in the order set

    bool has(uint32_t bits) const { return (mask & bits) == bits; }
    bool operator==(const ParaFormat&) const = default;
};

ParaFormat defaultParaFormat();

void mergeParaFormat(ParaFormat& target, const ParaFormat& change);

}  // namespace richedit
