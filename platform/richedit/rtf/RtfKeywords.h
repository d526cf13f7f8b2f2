// The RTF control words the reader acts on, looked up by name.
#pragma once

#include <QByteArrayView>
#include <cstdint>

namespace richedit {

enum class RtfKeyword : uint8_t {
    Unknown,
    // Destinations
    FontTable,
    ColorTable,
    ListTable,
    ListOverrideTable,
    Pict,
    FieldInstruction,
    FieldResult,
    Object,
    ObjectResult,
    ShapePicture,
    NonShapePicture,
    ShapeResult,
    ParaNumbering,
    ParaNumberingTextAfter,
    ParaNumberingTextBefore,
    LevelText,
    NestTableProps,
    ListText,            // a list paragraph's number as text, for readers without lists
    UnicodePair,         // \upr: a code-page group, then the same text as \ud
    SkippedDestination,  // \info, \stylesheet, headers, footers, notes, \pntext, ...
    // Document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    DefaultLanguage,
    UnicodeSkip,
    Unicode,
    UnicodeText,  // \ud, the second group of a \upr pair
    // Font and colour tables
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    // Character formatting
    Plain,
    Font,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    StrikeDouble,
    ForeColor,
    BackColor,  // \highlight, \cb, \chcbpat
    Superscript,
    Subscript,
    NoSuperSub,
    Up,
    Down,
    Language,
    Protect,
    Hidden,  // \v
    // Paragraph formatting
    ParagraphDefault,
    Paragraph,
    SectionEnd,  // \sect, \page, \column
    LeftIndent,
    RightIndent,
    FirstIndent,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineSpacingMultiple,
    TabStop,  // \tx, \tb
    // Tables
    InTable,
    TableNesting,
    Cell,  // \cell, \nestcell
    Row,
    NestRow,
    // Lists
    ListNumber,
    ListLevel,
    ListDefinition,
    ListLevelDefinition,
    ListId,
    ListOverride,
    LevelNumberFormat,
    LevelStartAt,
    PnBullet,
    PnBody,
    PnContinue,
    PnLevel,
    PnDecimal,
    PnLowerLetter,
    PnUpperLetter,
    PnLowerRoman,
    PnUpperRoman,
    PnStart,
    // Pictures
    PngBlip,
    JpegBlip,
    DeviceIndependentBitmap,
    DeviceBitmap,
    WindowsMetafile,
    EnhancedMetafile,
    PictureWidth,
    PictureHeight,
    PictureGoalWidth,
    PictureGoalHeight,
    PictureScaleX,
    PictureScaleY,
    PictureCropLeft,
    PictureCropRight,
    PictureCropTop,
    PictureCropBottom,
    // Special characters
    Tab,
    Line,
    EmDash,
    EnDash,
    BulletChar,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    EmSpace,
    EnSpace,
    QuarterEmSpace,
    ZeroWidthJoiner,
    ZeroWidthNonJoiner,
    ZeroWidthBreak,
    LeftToRightMark,
    RightToLeftMark,
};

RtfKeyword lookupRtfKeyword(QByteArrayView name);

// True for the words that open a destination (they may follow \*).
bool isDestinationKeyword(RtfKeyword keyword);

}  // namespace richedit
