#include "platform/richedit/view/RichTextBox.h"

#include "platform/host/MousePointer.h"
#include "platform/richedit/view/EngineHandles.h"
#include "platform/richedit/view/RichTextView.h"

#include <QVariant>

namespace richedit {
namespace {

// The window's font as the engine's default character format describes it.
QFont defaultFontOf(const Engine& engine)
{
    const CharFormat& format = engine.document().defaultFormat();
    QFont font(format.face);
    font.setPointSizeF(format.heightTw / 20.0);
    font.setBold(format.is(Bold));
    font.setItalic(format.is(Italic));
    font.setUnderline(format.is(Underline));
    font.setStrikeOut(format.is(StrikeOut));
    return font;
}

}  // namespace

RichTextBox::RichTextBox(QObject* parent)
    : QObject(parent), m_engine(std::make_unique<Engine>()), m_font(defaultFontOf(*m_engine))
{
    connect(m_engine.get(), &Engine::changed, this, &RichTextBox::Change);
    connect(m_engine.get(), &Engine::selectionChanged, this, &RichTextBox::SelChange);
}

RichTextBox::~RichTextBox()
{
    // The view refers to the engine; it goes first.
    if (m_ownsView)
        delete m_view.data();
}

RichTextView& RichTextBox::view(QWidget* parent)
{
    if (m_view.isNull()) {
        m_view = new RichTextView(*m_engine, parent);
        m_ownsView = parent == nullptr;
        // Direct connections: the handlers' changes to the arguments reach the view.
        connect(m_view, &RichTextView::KeyDown, this, &RichTextBox::KeyDown, Qt::DirectConnection);
        connect(m_view, &RichTextView::KeyPress, this, &RichTextBox::KeyPress,
                Qt::DirectConnection);
        connect(m_view, &RichTextView::KeyUp, this, &RichTextBox::KeyUp, Qt::DirectConnection);
        connect(m_view, &RichTextView::MouseDown, this, &RichTextBox::MouseDown,
                Qt::DirectConnection);
        connect(m_view, &RichTextView::MouseMove, this, &RichTextBox::MouseMove,
                Qt::DirectConnection);
        connect(m_view, &RichTextView::MouseUp, this, &RichTextBox::MouseUp, Qt::DirectConnection);
        connect(m_view, &RichTextView::Click, this, &RichTextBox::Click, Qt::DirectConnection);
        connect(m_view, &RichTextView::DblClick, this, &RichTextBox::DblClick,
                Qt::DirectConnection);
        applyWidgetProperties();
    }
    return *m_view;
}

intptr_t RichTextBox::hWnd()
{
    return handleOf(*m_engine);
}

std::optional<vb::VbError> RichTextBox::LoadFile(const QString& path, int kind)
{
    return m_engine->loadFile(path, kind == 1 ? FileKind::Text : FileKind::Rtf);
}

std::optional<vb::VbError> RichTextBox::SaveFile(const QString& path, int kind)
{
    return m_engine->saveFile(path, kind == 1 ? FileKind::Text : FileKind::Rtf);
}

std::optional<vb::VbError> RichTextBox::SelPrint(bool startDoc)
{
    return m_engine->printSelection(startDoc);
}

void RichTextBox::setFont(const QFont& font)
{
    m_font = font;
    m_engine->setDefaultFont(font);
}

void RichTextBox::setRightMargin(double twips)
{
    m_rightMargin = twips;
    m_engine->setRightMargin(twips);
}

void RichTextBox::setBackColor(host::OLE_COLOR color)
{
    m_backColor = color;
    applyWidgetProperties();
}

std::optional<vb::VbError> RichTextBox::setBorderStyle(int style)
{
    if (style != 0 && style != 1)
        return vb::VbError::fromNumber(vb::ErrInvalidPropertyValue);
    m_borderStyle = style;
    applyWidgetProperties();
    return std::nullopt;
}

void RichTextBox::setEnabled(bool enabled)
{
    m_enabled = enabled;
    applyWidgetProperties();
}

std::optional<vb::VbError> RichTextBox::setMousePointer(int pointer)
{
    if (!host::isMousePointer(pointer))
        return vb::VbError::fromNumber(vb::ErrInvalidPropertyValue);
    m_mousePointer = pointer;
    applyCursor();
    return std::nullopt;
}

void RichTextBox::setMouseIcon(const QImage& icon)
{
    m_mouseIcon = icon;
    applyCursor();
}

void RichTextBox::setToolTipText(const QString& text)
{
    m_toolTipText = text;
    applyWidgetProperties();
}

void RichTextBox::setWhatsThisHelpID(int id)
{
    m_whatsThisHelpId = id;
    applyWidgetProperties();
}

void RichTextBox::applyWidgetProperties()
{
    if (m_view.isNull())
        return;
    m_view->setBackColor(m_backColor);
    m_view->setFrameShape(m_borderStyle == 1 ? QFrame::StyledPanel : QFrame::NoFrame);
    m_view->setEnabled(m_enabled);
    m_view->setToolTip(m_toolTipText);
    m_view->setProperty("WhatsThisHelpID", m_whatsThisHelpId);
    applyCursor();
}

void RichTextBox::applyCursor()
{
    if (!m_view.isNull())
        m_view->viewport()->setCursor(
            host::cursorForMousePointer(m_mousePointer, m_mouseIcon, Qt::IBeamCursor));
}

void RichTextBox::Refresh()
{
    if (!m_view.isNull() && !m_engine->frozen())
        m_view->viewport()->repaint();
}

void RichTextBox::SetFocus()
{
    if (!m_view.isNull())
        m_view->setFocus(Qt::OtherFocusReason);
}

}  // namespace richedit
