#include "platform/richedit/rtf/RtfKeywords.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace richedit {

namespace {

using K = RtfKeyword;

struct KeywordName {
    std::string_view name;
    RtfKeyword keyword;
};

constexpr KeywordName Keywords[] = {
    {"fonttbl", K::FontTable},
    {"colortbl", K::ColorTable},
    {"listtable", K::ListTable},
    {"listoverridetable", K::ListOverrideTable},
    {"pict", K::Pict},
    {"fldinst", K::FieldInstruction},
    {"fldrslt", K::FieldResult},
    {"object", K::Object},
    {"result", K::ObjectResult},
    {"shppict", K::ShapePicture},
    {"nonshppict", K::NonShapePicture},
    {"shprslt", K::ShapeResult},
    {"pn", K::ParaNumbering},
    {"pntxta", K::ParaNumberingTextAfter},
    {"pntxtb", K::ParaNumberingTextBefore},
    {"leveltext", K::LevelText},
    {"nesttableprops", K::NestTableProps},
    {"listtext", K::ListText},
    {"upr", K::UnicodePair},
    {"ud", K::UnicodeText},
    // Destinations whose content is never text of the document.
    {"info", K::SkippedDestination},
    {"stylesheet", K::SkippedDestination},
    {"header", K::SkippedDestination},
    {"headerl", K::SkippedDestination},
    {"headerr", K::SkippedDestination},
    {"headerf", K::SkippedDestination},
    {"footer", K::SkippedDestination},
    {"footerl", K::SkippedDestination},
    {"footerr", K::SkippedDestination},
    {"footerf", K::SkippedDestination},
    {"footnote", K::SkippedDestination},
    {"annotation", K::SkippedDestination},
    {"xe", K::SkippedDestination},
    {"tc", K::SkippedDestination},
    {"tcn", K::SkippedDestination},
    {"pntext", K::SkippedDestination},
    {"shpinst", K::SkippedDestination},
    {"objdata", K::SkippedDestination},
    {"objclass", K::SkippedDestination},
    {"objname", K::SkippedDestination},
    {"nonesttables", K::SkippedDestination},
    {"falt", K::SkippedDestination},
    {"revtbl", K::SkippedDestination},
    {"filetbl", K::SkippedDestination},
    {"template", K::SkippedDestination},
    {"ftnsep", K::SkippedDestination},
    {"ftnsepc", K::SkippedDestination},
    {"ftncn", K::SkippedDestination},
    {"aftnsep", K::SkippedDestination},
    {"aftnsepc", K::SkippedDestination},
    {"aftncn", K::SkippedDestination},
    {"txe", K::SkippedDestination},
    {"rxe", K::SkippedDestination},
    {"bxe", K::SkippedDestination},
    {"pnseclvl", K::SkippedDestination},
    {"nextfile", K::SkippedDestination},
    // Written with \* by most writers, not by all.
    {"title", K::SkippedDestination},
    {"subject", K::SkippedDestination},
    {"author", K::SkippedDestination},
    {"operator", K::SkippedDestination},
    {"keywords", K::SkippedDestination},
    {"comment", K::SkippedDestination},
    {"doccomm", K::SkippedDestination},
    {"bkmkstart", K::SkippedDestination},
    {"bkmkend", K::SkippedDestination},
    {"atnid", K::SkippedDestination},
    {"atnauthor", K::SkippedDestination},
    {"atndate", K::SkippedDestination},
    {"atnicn", K::SkippedDestination},
    {"atnref", K::SkippedDestination},
    {"atntime", K::SkippedDestination},
    {"sp", K::SkippedDestination},
    {"ansi", K::Ansi},
    {"mac", K::Mac},
    {"pc", K::Pc},
    {"pca", K::Pca},
    {"ansicpg", K::AnsiCodePage},
    {"deff", K::DefaultFont},
    {"deflang", K::DefaultLanguage},
    {"uc", K::UnicodeSkip},
    {"u", K::Unicode},
    {"fcharset", K::FontCharset},
    {"cpg", K::FontCodePage},
    {"red", K::Red},
    {"green", K::Green},
    {"blue", K::Blue},
    {"plain", K::Plain},
    {"f", K::Font},
    {"fs", K::FontSize},
    {"b", K::Bold},
    {"i", K::Italic},
    {"ul", K::Underline},
    {"ulnone", K::UnderlineNone},
    {"strike", K::Strike},
    {"striked", K::StrikeDouble},
    {"cf", K::ForeColor},
    {"highlight", K::BackColor},
    {"cb", K::BackColor},
    {"chcbpat", K::BackColor},
    {"super", K::Superscript},
    {"sub", K::Subscript},
    {"nosupersub", K::NoSuperSub},
    {"up", K::Up},
    {"dn", K::Down},
    {"lang", K::Language},
    {"protect", K::Protect},
    {"v", K::Hidden},
    {"pard", K::ParagraphDefault},
    {"par", K::Paragraph},
    {"sect", K::SectionEnd},
    {"page", K::SectionEnd},
    {"column", K::SectionEnd},
    {"li", K::LeftIndent},
    {"ri", K::RightIndent},
    {"fi", K::FirstIndent},
    {"ql", K::AlignLeft},
    {"qc", K::AlignCenter},
    {"qr", K::AlignRight},
    {"qj", K::AlignJustify},
    {"sb", K::SpaceBefore},
    {"sa", K::SpaceAfter},
    {"sl", K::LineSpacing},
    {"slmult", K::LineSpacingMultiple},
    {"tx", K::TabStop},
    {"tb", K::TabStop},
    {"intbl", K::InTable},
    {"itap", K::TableNesting},
    {"cell", K::Cell},
    {"nestcell", K::Cell},
    {"row", K::Row},
    {"nestrow", K::NestRow},
    {"ls", K::ListNumber},
    {"ilvl", K::ListLevel},
    {"list", K::ListDefinition},
    {"listlevel", K::ListLevelDefinition},
    {"listid", K::ListId},
    {"listoverride", K::ListOverride},
    {"levelnfc", K::LevelNumberFormat},
    {"levelnfcn", K::LevelNumberFormat},
    {"levelstartat", K::LevelStartAt},
    {"pnlvlblt", K::PnBullet},
    {"pnlvlbody", K::PnBody},
    {"pnlvlcont", K::PnContinue},
    {"pnlvl", K::PnLevel},
    {"pndec", K::PnDecimal},
    {"pnlcltr", K::PnLowerLetter},
    {"pnucltr", K::PnUpperLetter},
    {"pnlcrm", K::PnLowerRoman},
    {"pnucrm", K::PnUpperRoman},
    {"pnstart", K::PnStart},
    {"pngblip", K::PngBlip},
    {"jpegblip", K::JpegBlip},
    {"dibitmap", K::DeviceIndependentBitmap},
    {"wbitmap", K::DeviceBitmap},
    {"wmetafile", K::WindowsMetafile},
    {"emfblip", K::EnhancedMetafile},
    {"picw", K::PictureWidth},
    {"pich", K::PictureHeight},
    {"picwgoal", K::PictureGoalWidth},
    {"pichgoal", K::PictureGoalHeight},
    {"picscalex", K::PictureScaleX},
    {"picscaley", K::PictureScaleY},
    {"piccropl", K::PictureCropLeft},
    {"piccropr", K::PictureCropRight},
    {"piccropt", K::PictureCropTop},
    {"piccropb", K::PictureCropBottom},
    {"tab", K::Tab},
    {"line", K::Line},
    {"emdash", K::EmDash},
    {"endash", K::EnDash},
    {"bullet", K::BulletChar},
    {"lquote", K::LeftQuote},
    {"rquote", K::RightQuote},
    {"ldblquote", K::LeftDoubleQuote},
    {"rdblquote", K::RightDoubleQuote},
    {"emspace", K::EmSpace},
    {"enspace", K::EnSpace},
    {"qmspace", K::QuarterEmSpace},
    {"zwj", K::ZeroWidthJoiner},
    {"zwnj", K::ZeroWidthNonJoiner},
    {"zwbo", K::ZeroWidthBreak},
    {"ltrmark", K::LeftToRightMark},
    {"rtlmark", K::RightToLeftMark},
};

// A name of up to 23 bytes and its length as three numbers: looking a word up compares
// numbers, never strings.
struct PackedName {
    uint64_t words[3] = {};
    bool operator==(const PackedName&) const = default;
};

constexpr size_t PackedBytes = sizeof(PackedName::words);

// Up to eight bytes from `from` as one number, gathered in a register: bytes stored one by one
// and read back as words would stall.
uint64_t packedWord(std::string_view name, size_t from)
{
    uint64_t word = 0;
    const size_t to = std::min(name.size(), from + 8);
    for (size_t i = from; i < to; ++i)
        word |= uint64_t(static_cast<unsigned char>(name[i])) << (8 * (i - from));
    return word;
}

// False for a name too long to be any of ours.
bool packName(std::string_view name, PackedName& packed)
{
    if (name.empty() || name.size() >= PackedBytes)
        return false;
    packed.words[0] = packedWord(name, 0);
    packed.words[1] = packedWord(name, 8);
    packed.words[2] = packedWord(name, 16) | uint64_t(name.size()) << 56;
    return true;
}

// Open addressing over a power of two comfortably above the number of words.
constexpr size_t TableSize = 512;

size_t slotOf(const PackedName& packed)
{
    const uint64_t mixed = (packed.words[0] ^ (packed.words[1] * 0x9E3779B97F4A7C15ull) ^
                            (packed.words[2] * 0xC2B2AE3D27D4EB4Full)) *
                           0xFF51AFD7ED558CCDull;
    return size_t(mixed >> 40) & (TableSize - 1);
}

struct KeywordSlot {
    PackedName name;
    RtfKeyword keyword = RtfKeyword::Unknown;  // Unknown: the slot is free
};

const std::array<KeywordSlot, TableSize>& keywordTable()
{
    static const std::array<KeywordSlot, TableSize> table = [] {
        std::array<KeywordSlot, TableSize> entries{};
        for (const KeywordName& entry : Keywords) {
            PackedName packed;
            packName(entry.name, packed);
            size_t slot = slotOf(packed);
            while (entries[slot].keyword != RtfKeyword::Unknown && !(entries[slot].name == packed))
                slot = (slot + 1) & (TableSize - 1);
            if (entries[slot].keyword == RtfKeyword::Unknown)
                entries[slot] = {packed, entry.keyword};  // the first entry of a name wins
        }
        return entries;
    }();
    return table;
}

}  // namespace

RtfKeyword lookupRtfKeyword(QByteArrayView name)
{
    const std::string_view key(name.data(), static_cast<size_t>(name.size()));
    if (PackedName packed; packName(key, packed)) {
        const auto& table = keywordTable();
        for (size_t slot = slotOf(packed); table[slot].keyword != K::Unknown;
             slot = (slot + 1) & (TableSize - 1)) {
            if (table[slot].name == packed)
                return table[slot].keyword;
        }
    }
    // Every underline style (\ulw, \uldb, \ulwave, \ulthdash, ...) underlines; \ulc only
    // chooses the underline's colour.
    if (key.size() > 2 && key.starts_with("ul") && !key.starts_with("ulc"))
        return K::Underline;
    return K::Unknown;
}

bool isDestinationKeyword(RtfKeyword keyword)
{
    return keyword >= K::FontTable && keyword <= K::SkippedDestination;
}

}  // namespace richedit
