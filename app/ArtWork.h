// The program's own pictures, drawn in code: the document icon, the toolbar glyphs and the
// splash window's emblem.
#pragma once

#include <QIcon>
#include <QImage>

namespace app {

// The document icon at a square size in pixels: a page with a folded corner, lines of text and
// a quill stroke, on a transparent background.
QImage drawDocumentIcon(int size);

enum class ToolbarGlyph {
    Bold,
    Italic,
    Underline,
    Strikethrough,
    Bullets,
    Numbers,
    AlignLeft,
    Center,
    AlignRight,
    Undo,
    Cut,
    Copy,
    Paste,
    Find,
    Font,
    FontColor,
    ColorChoice,
    Highlight,
    SpellCheck,
    PrintPreview,
    Hyperlink,
};

// The glyph for a toolbar button, drawn at 20 by 20 pixels (and twice that for sharp screens).
QIcon toolbarIcon(ToolbarGlyph glyph);

}  // namespace app
