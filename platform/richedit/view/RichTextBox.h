// An editing window under the names the editing control's code uses: the engine, its view
// (made when the window is shown) and its text object model, as one object.
#pragma once

#include "platform/host/OleColor.h"
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/TextObjectModel.h"

#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <memory>

class QWidget;

namespace richedit {

class RichTextView;

class RichTextBox : public QObject {
    Q_OBJECT
public:
    explicit RichTextBox(QObject* parent = nullptr);
    ~RichTextBox() override;

    Engine& engine() { return *m_engine; }
    const Engine& engine() const { return *m_engine; }
    // The window's widget, made on first use; hidden windows never need one. The box owns it
    // unless it is given a parent.
    RichTextView& view(QWidget* parent = nullptr);
    bool hasView() const { return !m_view.isNull(); }
    // The window's handle for the message adapter.
    intptr_t hWnd();
    // A new text object model document over this window.
    TextDocument textDocument() { return TextDocument(*m_engine); }

    // --- Document ---
    QString Text() const { return m_engine->text(); }
    void setText(const QString& text) { m_engine->setText(text); }
    QString TextRTF() const { return m_engine->textRtf(); }
    void setTextRTF(const QString& rtf) { m_engine->setTextRtf(rtf); }
    std::optional<vb::VbError> LoadFile(const QString& path, int kind = 0);
    std::optional<vb::VbError> SaveFile(const QString& path, int kind = 0);
    // Prints the selection, or everything when nothing is selected.
    std::optional<vb::VbError> SelPrint(bool startDoc = true);

    // --- Selection ---
    int32_t SelStart() const { return m_engine->selStart(); }
    std::optional<vb::VbError> setSelStart(int32_t position)
    {
        return m_engine->setSelStart(position);
    }
    int32_t SelLength() const { return m_engine->selLength(); }
    std::optional<vb::VbError> setSelLength(int32_t length)
    {
        return m_engine->setSelLength(length);
    }
    QString SelText() const { return m_engine->selText(); }
    void setSelText(const QString& text) { m_engine->setSelText(text); }
    QString SelRTF() const { return m_engine->selRtf(); }
    void setSelRTF(const QString& rtf) { m_engine->setSelRtf(rtf); }
    void Span(const QString& set, bool forward = true, bool negate = false)
    {
        m_engine->span(set, forward, negate);
    }
    void UpTo(const QString& set, bool forward = true, bool negate = false)
    {
        m_engine->upTo(set, forward, negate);
    }
    int GetLineFromChar(int32_t position) { return m_engine->lineFromChar(position); }

    // --- Window properties ---
    const QFont& Font() const { return m_font; }
    // Applies to the whole document and becomes the format of later Text writes.
    void setFont(const QFont& font);
    bool Locked() const { return m_engine->readOnly(); }
    void setLocked(bool locked) { m_engine->setReadOnly(locked); }
    int32_t MaxLength() const { return m_engine->maxLength(); }
    void setMaxLength(int32_t length) { m_engine->setMaxLength(length); }
    // Twips; 0 wraps at the window.
    double RightMargin() const { return m_rightMargin; }
    void setRightMargin(double twips);
    int32_t BulletIndent() const { return m_engine->bulletIndent(); }
    void setBulletIndent(int32_t twips) { m_engine->setBulletIndent(twips); }

    // --- Widget properties: kept by the box, and shown by its view once it has one ---
    host::OLE_COLOR BackColor() const { return m_backColor; }
    void setBackColor(host::OLE_COLOR color);
    // 0 no border, 1 a single border; any other value fails with error 380 and changes nothing.
    int BorderStyle() const { return m_borderStyle; }
    std::optional<vb::VbError> setBorderStyle(int style);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // The pointer shape by number (host::MousePointerConstants); an unknown number fails with
    // error 380 and changes nothing. 99 shows MouseIcon.
    int MousePointer() const { return m_mousePointer; }
    std::optional<vb::VbError> setMousePointer(int pointer);
    const QImage& MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(const QImage& icon);
    QString ToolTipText() const { return m_toolTipText; }
    void setToolTipText(const QString& text);
    int WhatsThisHelpID() const { return m_whatsThisHelpId; }
    void setWhatsThisHelpID(int id);

    // Free text for the window's users; the font dialog leaves "1" here so that the key
    // release that closed it is not taken as typing.
    QString Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    // Repaints now unless frozen.
    void Refresh();
    void SetFocus();

signals:
    void Change();
    void SelChange();
    // The view's input events, re-raised by reference before the view acts on them.
    void KeyDown(int& KeyCode, int& Shift);
    void KeyPress(int& KeyAscii);
    void KeyUp(int& KeyCode, int& Shift);
    void MouseDown(int& Button, int& Shift, float& X, float& Y);
    void MouseMove(int& Button, int& Shift, float& X, float& Y);
    void MouseUp(int& Button, int& Shift, float& X, float& Y);
    void Click();
    void DblClick();

private:
    // Shows the widget properties on the view; nothing while there is none.
    void applyWidgetProperties();
    void applyCursor();

    std::unique_ptr<Engine> m_engine;
    QPointer<RichTextView> m_view;
    bool m_ownsView = false;
    QFont m_font;
    double m_rightMargin = 0;
    host::OLE_COLOR m_backColor = 0x80000005u;
    int m_borderStyle = 0;
    bool m_enabled = true;
    int m_mousePointer = 0;
    QImage m_mouseIcon;
    QString m_toolTipText;
    int m_whatsThisHelpId = 0;
    QString m_tag;
};

}  // namespace richedit
