// The reader's tables (fonts, colours, lists), numbering, pictures and the formats that runs
// and paragraphs receive.
#include "platform/richedit/model/FormatPool.h"
#include "platform/richedit/picture/PictureBytes.h"
#include "platform/richedit/rtf/RtfReaderEngine.h"

#include <algorithm>
#include <limits>

namespace richedit {

namespace {

int32_t clamp32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

uint16_t clamp16(int64_t value)
{
    return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 0xFFFF));
}

int32_t paramOr0(const RtfToken& token)
{
    return token.hasParam ? token.param : 0;
}

// The numbering kind of a \levelnfc value.
uint16_t numberingForLevelFormat(int32_t format)
{
    switch (format) {
        case 23:
            return Bullet;
        case 4:
            return LowerLetter;
        case 3:
            return UpperLetter;
        case 2:
            return LowerRoman;
        case 1:
            return UpperRoman;
        case 255:
            return NoNumbering;
        default:
            return Arabic;  // arabic and the other numbered forms
    }
}

// The numbering style that the text after and before a number stands for.
uint16_t numberingStyleFor(QStringView before, QStringView after)
{
    after = after.trimmed();
    if (after.startsWith(u'.'))
        return 0x200;
    if (after.startsWith(u')'))
        return before.trimmed().endsWith(u'(') ? 0x100 : 0;
    return 0x300;
}

}  // namespace

const RtfFontEntry* RtfReaderEngine::fontFor(int32_t index) const
{
    const auto found = m_fonts.find(index);
    return found == m_fonts.end() ? nullptr : &found->second;
}

int RtfReaderEngine::currentCodePage()
{
    const RtfGroupState& current = m_stack.back();
    if (current.dest == RtfDestination::FontTable)
        return codePageOf(fontFor(m_fontBeingDefined));
    // The text of a document changes font far less often than it is decoded.
    const int32_t index = current.chars.font >= 0 ? current.chars.font : m_defaultFont;
    if (!m_codePageKnown || m_codePageFont != index) {
        m_codePage = codePageOf(fontFor(index));
        m_codePageFont = index;
        m_codePageKnown = true;
    }
    Q_ASSERT(m_codePage == codePageOf(fontFor(index)));
    return m_codePage;
}

int RtfReaderEngine::codePageOf(const RtfFontEntry* font) const
{
    if (font) {
        if (font->codePage > 0)
            return font->codePage;
        if (font->charset >= 0) {
            if (const int codePage = codePageForCharset(font->charset); codePage > 0)
                return codePage;
        }
    }
    return m_ansiCodePage;
}

const CharFormat& RtfReaderEngine::effectiveFormat()
{
    if (!m_effectiveDirty)
        return *m_effective;
    const RtfCharProps& chars = m_stack.back().chars;
    m_effectiveDirty = false;
    m_lastRunMatches = false;
    for (size_t k = 0; k < m_recentFormatCount; ++k) {
        if (m_recentFormats[k].first == chars) {
            m_effective = &m_recentFormats[k].second;
            // Debug builds check the remembered format against one made afresh, so that every
            // reader test also tests the remembering.
            Q_ASSERT(sameCharFormat(*m_effective, makeEffectiveFormat(chars)));
            return *m_effective;
        }
    }
    auto& [props, made] = m_recentFormats[m_nextRecentFormat];
    props = chars;
    made = makeEffectiveFormat(chars);
    m_effective = &made;
    m_nextRecentFormat = (m_nextRecentFormat + 1) % m_recentFormats.size();
    m_recentFormatCount = std::max(m_recentFormatCount, m_nextRecentFormat);
    return made;
}

CharFormat RtfReaderEngine::makeEffectiveFormat(const RtfCharProps& chars) const
{
    CharFormat format = defaultCharFormat();
    const RtfFontEntry* font = fontFor(chars.font >= 0 ? chars.font : m_defaultFont);
    if (!font)
        font = fontFor(m_defaultFont);  // a font the table does not define
    if (font) {
        format.face = font->face;
        format.charset = static_cast<uint8_t>(std::clamp(font->charset, 0, 255));
    }
    format.effects = chars.effects;
    format.heightTw = clamp32(int64_t{chars.sizeHalfPoints} * 10);
    format.offsetTw = clamp32(int64_t{chars.offsetHalfPoints} * 10);
    auto colorAt = [this](int32_t index) -> std::optional<uint32_t> {
        // Entry 0 and entries the table lacks are the automatic colour.
        if (index <= 0 || static_cast<size_t>(index) >= m_colors.size())
            return std::nullopt;
        return m_colors[static_cast<size_t>(index)];
    };
    if (const auto color = colorAt(chars.colorIndex))
        format.color = *color;
    else
        format.effects |= AutoColorEffect;
    if (const auto back = colorAt(chars.backColorIndex))
        format.backColor = *back;
    else
        format.effects |= AutoBackColorEffect;
    const int64_t language = chars.language >= 0 ? chars.language : m_defaultLanguage;
    format.lcid = static_cast<uint32_t>(std::clamp<int64_t>(language, 0, 0xFFFFFFFF));
    if (format.lcid == LinkLcid)
        format.effects |= Link;  // only the control writes this locale, for its links
    return format;
}

void RtfReaderEngine::formatTablesChanged()
{
    m_effectiveDirty = true;
    m_codePageKnown = false;
    m_recentFormatCount = 0;
    m_nextRecentFormat = 0;
}

ParaFormat RtfReaderEngine::paraFormatFrom(const RtfParaProps& props) const
{
    ParaFormat format = defaultParaFormat();
    format.alignment = props.alignment;
    // RTF's left indent is that of the following lines; \fi moves the first line from it.
    format.startIndent = clamp32(int64_t{props.leftIndent} + props.firstIndent);
    format.offset = clamp32(-int64_t{props.firstIndent});
    format.rightIndent = props.rightIndent;
    format.spaceBefore = props.spaceBefore;
    format.spaceAfter = props.spaceAfter;

    const int64_t spacing = props.lineSpacing;
    if (spacing < 0) {
        format.lineSpacingRule = 4;
        format.lineSpacing = clamp32(-spacing);
    } else if (spacing > 0 && !props.lineSpacingMultiple) {
        format.lineSpacingRule = 3;
        format.lineSpacing = clamp32(spacing);
    } else if (spacing == 360) {
        format.lineSpacingRule = 1;
    } else if (spacing == 480) {
        format.lineSpacingRule = 2;
    } else if (spacing > 0) {
        format.lineSpacingRule = 5;
        format.lineSpacing = clamp32((spacing + 6) / 12);
    }

    format.tabs.assign(props.tabs.begin(), props.tabs.begin() + props.tabCount);

    switch (props.numbering.level) {
        case RtfParaNumbering::Bullet:
            format.numbering = Bullet;
            format.numberingStyle = 0;
            break;
        case RtfParaNumbering::Body:
            format.numbering = props.numbering.kind;
            format.numberingStart = clamp16(props.numbering.start);
            format.numberingStyle = props.numbering.style;
            break;
        default:
            break;
    }
    if (props.listOverride != 0)
        applyListNumbering(props, format);
    return format;
}

bool RtfReaderEngine::applyListNumbering(const RtfParaProps& props, ParaFormat& format) const
{
    const auto override = m_overrideByNumber.find(props.listOverride);
    if (override == m_overrideByNumber.end())
        return false;
    const auto list = m_listById.find(m_overrides[override->second].listId);
    if (list == m_listById.end() || m_lists[list->second].levels.empty())
        return false;
    const std::vector<RtfListLevel>& levels = m_lists[list->second].levels;
    const size_t level = std::min<size_t>(std::max(props.listLevel, 0), levels.size() - 1);
    const RtfListLevel& definition = levels[level];
    format.numbering = numberingForLevelFormat(definition.numberFormat);
    format.numberingStart = clamp16(definition.startAt);
    format.numberingStyle = format.numbering == Bullet ? 0 : definition.style;
    return true;
}

bool RtfReaderEngine::listLabelStaysText(const RtfParaProps& props) const
{
    ParaFormat unused;
    return !m_listLabel.empty() && props.listOverride != 0 && !applyListNumbering(props, unused);
}

void RtfReaderEngine::placeListLabel(const RtfParaProps& props)
{
    if (listLabelStaysText(props)) {
        auto& runs = m_paragraph.runs;
        // Merge the label's last run with the text's first when they share a format.
        if (!runs.empty() && !runs.front().picture &&
            runs.front().format == m_listLabel.back().format) {
            runs.front().text.prepend(m_listLabel.back().text);
            m_listLabel.pop_back();
        }
        runs.insert(runs.begin(), m_listLabel.begin(), m_listLabel.end());
    }
    m_listLabel.clear();
}

void RtfReaderEngine::fontTableWord(RtfKeyword keyword, const RtfToken& token)
{
    formatTablesChanged();
    switch (keyword) {
        case RtfKeyword::Font:
            finishFontName();
            m_fontBeingDefined = paramOr0(token);
            m_fonts[m_fontBeingDefined] = {};
            m_fontName.clear();
            m_fontNameDone = false;
            break;
        case RtfKeyword::FontCharset:
            if (auto it = m_fonts.find(m_fontBeingDefined); it != m_fonts.end() && token.hasParam)
                it->second.charset = token.param;
            break;
        case RtfKeyword::FontCodePage:
            if (auto it = m_fonts.find(m_fontBeingDefined); it != m_fonts.end() && token.hasParam)
                it->second.codePage = std::max(0, token.param);
            break;
        default:
            break;
    }
}

void RtfReaderEngine::fontTableBytes(QByteArrayView bytes)
{
    // A semicolon ends the face name; the name's bytes are in the font's own code page.
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype semicolon = bytes.indexOf(';', start);
        const qsizetype end = semicolon < 0 ? bytes.size() : semicolon;
        m_pendingBytes.append(bytes.sliced(start, end - start));
        if (semicolon < 0)
            break;
        flushBytes();
        finishFontName();
        start = semicolon + 1;
    }
}

void RtfReaderEngine::finishFontName()
{
    if (m_fontNameDone)
        return;
    m_fontNameDone = true;
    if (auto it = m_fonts.find(m_fontBeingDefined); it != m_fonts.end())
        it->second.face = m_fontName;  // kept exactly as given
    m_fontName.clear();
    formatTablesChanged();
}

void RtfReaderEngine::colorTableWord(RtfKeyword keyword, const RtfToken& token)
{
    int part = -1;
    if (keyword == RtfKeyword::Red)
        part = 0;
    else if (keyword == RtfKeyword::Green)
        part = 1;
    else if (keyword == RtfKeyword::Blue)
        part = 2;
    if (part < 0)
        return;
    m_colorParts[static_cast<size_t>(part)] = std::clamp(paramOr0(token), 0, 255);
    m_colorGiven = true;
}

void RtfReaderEngine::colorTableBytes(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (c != ';')
            continue;
        if (m_colorGiven) {
            m_colors.push_back(static_cast<uint32_t>(m_colorParts[0]) |
                               static_cast<uint32_t>(m_colorParts[1]) << 8 |
                               static_cast<uint32_t>(m_colorParts[2]) << 16);
        } else {
            m_colors.push_back(std::nullopt);
        }
        m_colorParts = {};
        m_colorGiven = false;
        formatTablesChanged();
    }
}

void RtfReaderEngine::listTableWord(RtfKeyword keyword, const RtfToken& token)
{
    switch (keyword) {
        case RtfKeyword::ListDefinition:
            m_lists.emplace_back();
            break;
        case RtfKeyword::ListLevelDefinition:
            if (!m_lists.empty())
                m_lists.back().levels.emplace_back();
            break;
        case RtfKeyword::ListId:
            if (!m_lists.empty()) {
                m_lists.back().id = paramOr0(token);
                m_listById.emplace(m_lists.back().id, m_lists.size() - 1);
            }
            break;
        case RtfKeyword::LevelNumberFormat:
            if (!m_lists.empty() && !m_lists.back().levels.empty())
                m_lists.back().levels.back().numberFormat = paramOr0(token);
            break;
        case RtfKeyword::LevelStartAt:
            if (!m_lists.empty() && !m_lists.back().levels.empty())
                m_lists.back().levels.back().startAt = paramOr0(token);
            break;
        default:
            break;
    }
}

void RtfReaderEngine::finishLevelText()
{
    if (m_lists.empty() || m_lists.back().levels.empty())
        return;
    // The first byte is the length; bytes below 9 stand for the numbers of the levels.
    const QByteArray text = m_levelText.left(m_levelText.indexOf(';'));
    qsizetype lastNumber = -1;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) < 9)
            lastNumber = i;
    }
    if (lastNumber < 0)
        return;
    const QString before = QString::fromLatin1(text.mid(1, lastNumber - 1));
    const QString after = QString::fromLatin1(text.mid(lastNumber + 1));
    m_lists.back().levels.back().style = numberingStyleFor(before, after);
}

void RtfReaderEngine::listOverrideWord(RtfKeyword keyword, const RtfToken& token)
{
    switch (keyword) {
        case RtfKeyword::ListOverride:
            m_overrides.emplace_back();
            break;
        case RtfKeyword::ListId:
            if (!m_overrides.empty())
                m_overrides.back().listId = paramOr0(token);
            break;
        case RtfKeyword::ListNumber:
            if (!m_overrides.empty()) {
                m_overrides.back().number = paramOr0(token);
                m_overrideByNumber.emplace(m_overrides.back().number, m_overrides.size() - 1);
            }
            break;
        default:
            break;
    }
}

void RtfReaderEngine::paraNumberingWord(RtfKeyword keyword, const RtfToken& token)
{
    using K = RtfKeyword;
    switch (keyword) {
        case K::PnBullet:
            m_pn.level = RtfParaNumbering::Bullet;
            break;
        case K::PnBody:
        case K::PnLevel:
            m_pn.level = RtfParaNumbering::Body;
            break;
        case K::PnContinue:
            m_pn.level = RtfParaNumbering::Continue;
            break;
        case K::PnDecimal:
            m_pn.kind = Arabic;
            break;
        case K::PnLowerLetter:
            m_pn.kind = LowerLetter;
            break;
        case K::PnUpperLetter:
            m_pn.kind = UpperLetter;
            break;
        case K::PnLowerRoman:
            m_pn.kind = LowerRoman;
            break;
        case K::PnUpperRoman:
            m_pn.kind = UpperRoman;
            break;
        case K::PnStart:
            m_pn.start = paramOr0(token);
            break;
        default:
            break;
    }
}

void RtfReaderEngine::finishParaNumbering()
{
    // The \pn group describes the paragraph around it.
    m_pn.style = numberingStyleFor(m_pnTextBefore, m_pnTextAfter);
    state().para.numbering = m_pn;
}

void RtfReaderEngine::pictureWord(RtfKeyword keyword, const RtfToken& token)
{
    using K = RtfKeyword;
    RtfPictureBuilder& p = m_picture;
    switch (keyword) {
        case K::PngBlip:
            p.kind = PictureKind::Png;
            break;
        case K::JpegBlip:
            p.kind = PictureKind::Jpeg;
            break;
        case K::DeviceIndependentBitmap:
            p.kind = PictureKind::Dib;
            break;
        case K::DeviceBitmap:
            p.kind = PictureKind::DeviceBitmap;
            break;
        case K::WindowsMetafile:
            p.kind = PictureKind::Metafile;
            if (token.hasParam && token.param >= 1 && token.param <= 8)
                p.metafileMapping = token.param;
            break;
        case K::EnhancedMetafile:
            p.kind = PictureKind::EnhancedMetafile;
            break;
        case K::PictureWidth:
            p.width = paramOr0(token);
            break;
        case K::PictureHeight:
            p.height = paramOr0(token);
            break;
        case K::PictureGoalWidth:
            p.goalWidth = paramOr0(token);
            break;
        case K::PictureGoalHeight:
            p.goalHeight = paramOr0(token);
            break;
        case K::PictureScaleX:
            p.scaleX = paramOr0(token);
            break;
        case K::PictureScaleY:
            p.scaleY = paramOr0(token);
            break;
        case K::PictureCropLeft:
            p.cropLeft = paramOr0(token);
            break;
        case K::PictureCropRight:
            p.cropRight = paramOr0(token);
            break;
        case K::PictureCropTop:
            p.cropTop = paramOr0(token);
            break;
        case K::PictureCropBottom:
            p.cropBottom = paramOr0(token);
            break;
        default:
            break;
    }
}

void RtfReaderEngine::pictureHex(QByteArrayView bytes)
{
    // Characters that are not hex digits are passed over; what decodes is kept.
    RtfPictureBuilder& p = m_picture;
    for (char c : bytes) {
        const int digit = rtfHexValue(c);
        if (digit < 0)
            continue;
        if (p.nibble < 0) {
            p.nibble = digit;
        } else {
            p.data.append(static_cast<char>(p.nibble << 4 | digit));
            p.nibble = -1;
        }
    }
}

void RtfReaderEngine::finishPicture(const RtfGroupState& closed)
{
    RtfPictureBuilder& p = m_picture;
    if (p.nibble >= 0)
        p.data.append(static_cast<char>(p.nibble << 4));
    if (!p.kind) {
        if (p.data.startsWith("\x89PNG"))
            p.kind = PictureKind::Png;
        else if (p.data.startsWith("\xFF\xD8"))
            p.kind = PictureKind::Jpeg;
        else
            return;  // a kind we cannot show (or no picture at all)
    }
    if (state().dest != RtfDestination::Body)
        return;

    auto picture = std::make_shared<Picture>();
    picture->kind = *p.kind;
    const bool metafile =
        *p.kind == PictureKind::Metafile || *p.kind == PictureKind::EnhancedMetafile;
    int64_t width = std::max(p.width, 0);
    int64_t height = std::max(p.height, 0);
    if (width == 0 && height == 0 && p.goalWidth <= 0 && p.goalHeight <= 0 &&
        (*p.kind == PictureKind::Png || *p.kind == PictureKind::Jpeg)) {
        const PixelSize size = encodedPixelSize(p.data);
        width = std::max(size.width, 0);
        height = std::max(size.height, 0);
    } else if (width == 0 && height == 0 && p.goalWidth <= 0 && p.goalHeight <= 0 && metafile) {
        // A metafile with a size of its own (an EMF, a placeable WMF) needs no \picw.
        const PixelSize size = metafileSizeHimetric(p.data);
        width = std::max(size.width, 0);
        height = std::max(size.height, 0);
    }
    // Goal sizes are in twips; \picw/\pich are pixels, or hundredths of a millimetre for
    // metafiles.
    auto goal = [metafile](int32_t goalTw, int64_t extent, int32_t scale) {
        int64_t size = goalTw > 0 ? goalTw : metafile ? extent * 1440 / 2540 : extent * 15;
        if (scale > 0)
            size = size * scale / 100;
        return static_cast<int32_t>(
            std::clamp<int64_t>(size, 0, std::numeric_limits<int32_t>::max()));
    };
    picture->goalWidthTw = goal(p.goalWidth, width, p.scaleX);
    picture->goalHeightTw = goal(p.goalHeight, height, p.scaleY);
    // Crops are twips of the goal size and shrink or grow with it.
    auto crop = [](int32_t cropTw, int32_t scale) {
        return clamp32(scale > 0 ? int64_t(cropTw) * scale / 100 : cropTw);
    };
    picture->cropLeftTw = crop(p.cropLeft, p.scaleX);
    picture->cropRightTw = crop(p.cropRight, p.scaleX);
    picture->cropTopTw = crop(p.cropTop, p.scaleY);
    picture->cropBottomTw = crop(p.cropBottom, p.scaleY);
    picture->pixelWidth = metafile ? picture->goalWidthTw / 15 : clamp32(width);
    picture->pixelHeight = metafile ? picture->goalHeightTw / 15 : clamp32(height);
    picture->metafileMapping = p.metafileMapping;
    picture->encoded = std::move(p.data);
    p = {};
    appendPicture(std::move(picture));
    if (closed.inShapePicture)
        m_shapePictureRead = true;
}

}  // namespace richedit
