// What the tests of the control's colouring, find and replace share: a control with a stand-in
// for its whole-document undo, and readers of the format of a range.
#pragma once

#include "platform/richedit/view/Engine.h"
#include "richtext/scanning/WholeDocumentUndo.h"
#include "tests/richtext/core/XrRTBTestSupport.h"

#include <optional>

// Keeps the document's RTF and selection, and swaps them back in, the way the control's
// whole-document undo does.
class SnapshotUndo : public WholeDocumentUndo {
public:
    explicit SnapshotUndo(richedit::RichTextBox& window) : m_window(window) {}

    void SaveSpecialUndoData() override
    {
        ++saves;
        m_rtf = m_window.TextRTF();
        m_selStart = m_window.SelStart();
        m_selLength = m_window.SelLength();
    }
    void HyperUndo() override
    {
        ++undos;
        const QString rtf = m_window.TextRTF();
        const int32_t selStart = m_window.SelStart();
        const int32_t selLength = m_window.SelLength();
        m_window.setTextRTF(m_rtf);
        m_window.setSelStart(m_selStart);
        m_window.setSelLength(m_selLength);
        m_rtf = rtf;
        m_selStart = selStart;
        m_selLength = selLength;
    }

    int saves = 0;
    int undos = 0;

private:
    richedit::RichTextBox& m_window;
    QString m_rtf;
    int32_t m_selStart = 0;
    int32_t m_selLength = 0;
};

class XrRTBSearchTest : public testsupport::XrRTBTestBase {
protected:
    XrRTBSearchTest() { installUndo(m_control, &m_undo); }

    static void installUndo(XrRTB& control, WholeDocumentUndo* undo)
    {
        control.m_colouring->setUndo(undo);
    }

    richedit::RichTextBox& window() { return testsupport::editingWindow(m_control); }
    richedit::Engine& engine() { return window().engine(); }
    bool syntaxCancel() const { return m_control.SyntaxCancel; }

    // The format of a range, read through the selection, which is put back afterwards.
    richedit::CharFormat formatOf(int32_t start, int32_t length)
    {
        const int32_t selStart = window().SelStart();
        const int32_t selLength = window().SelLength();
        window().setSelStart(start);
        window().setSelLength(length);
        const richedit::CharFormat format = engine().charFormat();
        window().setSelStart(selStart);
        window().setSelLength(selLength);
        return format;
    }
    std::optional<uint32_t> colorOf(int32_t start, int32_t length)
    {
        const int32_t selStart = window().SelStart();
        const int32_t selLength = window().SelLength();
        window().setSelStart(start);
        window().setSelLength(length);
        const std::optional<uint32_t> color = engine().selColor();
        window().setSelStart(selStart);
        window().setSelLength(selLength);
        return color;
    }
    std::optional<bool> protectedAt(int32_t start, int32_t length)
    {
        window().setSelStart(start);
        window().setSelLength(length);
        return engine().selProtected();
    }

    XrRTB m_control;
    SnapshotUndo m_undo{testsupport::editingWindow(m_control)};
};
