// The paragraph being read: its text gathered in one buffer with the lengths of its runs, and
// handed to the sink when its end is read.
#include "platform/richedit/model/FormatPool.h"
#include "platform/richedit/rtf/RtfReaderEngine.h"

namespace richedit {

void RtfReaderEngine::flushCellTab()
{
    if (!m_pendingCellTab)
        return;
    m_pendingCellTab = false;
    if (!effectiveFormat().is(Hidden)) {
        appendRun(u"\t");
        return;
    }
    // The tab stands for the boundary between two cells, which shows even when the next
    // cell's text is hidden.
    CharFormat shown = effectiveFormat();
    shown.effects &= ~uint32_t(Hidden);
    auto& runs = m_paragraph.runs;
    if (!m_runOpen || runs.back().format != shown)
        openRun(shown);
    m_paragraphText += u'\t';
    m_lastRunMatches = false;
}

void RtfReaderEngine::appendRun(QStringView text)
{
    prepareRun();
    m_paragraphText.append(text);
}

void RtfReaderEngine::prepareRun()
{
    m_shapePictureRead = false;
    if (m_effectiveDirty || !m_lastRunMatches) {
        const CharFormat& format = effectiveFormat();
        m_lastRunMatches = m_runOpen && sameCharFormat(m_paragraph.runs.back().format, format);
        if (!m_lastRunMatches) {
            openRun(format);
            m_lastRunMatches = true;
        }
    }
}

void RtfReaderEngine::openRun(const CharFormat& format)
{
    closeRun();
    m_paragraph.runs.push_back({QString(), format, nullptr});
    m_runStart = m_paragraphText.size();
    m_runOpen = true;
}

void RtfReaderEngine::closeRun()
{
    if (!m_runOpen)
        return;
    m_runLengths.push_back(int32_t(m_paragraphText.size() - m_runStart));
    m_runOpen = false;
}

void RtfReaderEngine::handOverText(const RtfParaProps& props)
{
    auto& runs = m_paragraph.runs;
    if (m_runText == RtfRunText::Joined && !listLabelStaysText(props)) {
        // One block of the paragraph's size: the document keeps it as it is.
        m_paragraph.joinedText = QString(m_paragraphText.constData(), m_paragraphText.size());
        m_paragraph.runLengths.assign(m_runLengths.begin(), m_runLengths.end());
        m_paragraph.textJoined = true;
    } else {
        qsizetype offset = 0;
        for (size_t i = 0; i < runs.size(); ++i) {
            const int32_t length = m_runLengths[i];
            runs[i].text = QString(m_paragraphText.constData() + offset, length);
            offset += length;
        }
    }
    m_paragraphText.resize(0);  // keeps the buffer
    m_runLengths.clear();
}

void RtfReaderEngine::sendParagraph()
{
    m_paragraph.hasLineEnds = false;  // appendBody drops every CR and LF
    m_sink(std::move(m_paragraph));
    // What the sink left is reused: the run list keeps its room for the next paragraph.
    m_paragraph.runs.clear();
    m_paragraph.format = {};
    m_paragraph.markFormat = {};
    m_paragraph.hasMark = true;
    m_paragraph.joinedText = QString();
    m_paragraph.runLengths.clear();
    m_paragraph.textJoined = false;
}

void RtfReaderEngine::appendPicture(std::shared_ptr<const Picture> picture)
{
    resolveSurrogate();
    flushCellTab();
    closeRun();
    // Its character is in the paragraph's text like any other; see handOverText.
    m_paragraph.runs.push_back({QString(), effectiveFormat(), std::move(picture)});
    m_paragraphText += QChar(ObjectReplacementCharacter);
    m_runLengths.push_back(1);
    m_lastRunMatches = false;
}

void RtfReaderEngine::endParagraph(ParagraphEnd kind)
{
    resolveSurrogate();
    m_pendingCellTab = false;
    closeRun();
    const RtfParaProps& props =
        kind == ParagraphEnd::Row && m_rowFormat ? *m_rowFormat : state().para;
    m_paragraph.format = paraFormatFrom(props);
    handOverText(props);
    placeListLabel(props);
    m_paragraph.markFormat = effectiveFormat();
    m_paragraph.hasMark = true;
    sendParagraph();
    m_rowFormat.reset();
    m_lastRunMatches = false;
    m_lastEndWasPar = kind == ParagraphEnd::Par;
}

void RtfReaderEngine::finish()
{
    // Missing closing braces end the document: every open group closes here.
    m_overflowDepth = 0;
    m_skipFallback = 0;
    while (m_stack.size() > 2)
        closeGroup();
    flushBytes();
    resolveSurrogate();
    m_pendingCellTab = false;
    closeRun();

    const bool whole = m_mode == RtfReadMode::WholeDocument;
    // A whole document's final \par is its end mark when nothing but formatting follows it.
    const bool finalParIsEndMark = whole && m_paragraph.runs.empty() && m_lastEndWasPar;
    const bool keepLast = whole ? !finalParIsEndMark : !m_paragraph.runs.empty();
    if (keepLast) {
        m_paragraph.format = paraFormatFrom(state().para);
        handOverText(state().para);
        placeListLabel(state().para);
        m_paragraph.markFormat = effectiveFormat();
        m_paragraph.hasMark = whole;
        sendParagraph();
    }
}

}  // namespace richedit
