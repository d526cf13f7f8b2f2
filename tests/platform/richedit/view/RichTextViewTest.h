// A shown view over an engine at 96 dpi, with an ordered log of the view's and the engine's
// events, and the pixel places of document positions.
#pragma once

#include "platform/host/Units.h"
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/RichTextView.h"
#include "platform/richedit/view/ViewInput.h"

#include "tests/support/FakeClipboard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QStringList>
#include <QTest>
#include <cmath>
#include <memory>

namespace testsupport {

// The view's and the engine's events in one sequence, so that their order can be compared.
class ViewEventLog {
public:
    ViewEventLog(richedit::RichTextView& view, richedit::Engine& engine)
    {
        using richedit::RichTextView;
        QObject::connect(&view, &RichTextView::KeyDown, &m_context,
                         [this](int& code, int&) { add(QStringLiteral("KeyDown"), code); });
        QObject::connect(&view, &RichTextView::KeyPress, &m_context,
                         [this](int& ascii) { add(QStringLiteral("KeyPress"), ascii); });
        QObject::connect(&view, &RichTextView::KeyUp, &m_context,
                         [this](int& code, int&) { add(QStringLiteral("KeyUp"), code); });
        QObject::connect(&view, &RichTextView::MouseDown, &m_context,
                         [this](int& button, int&, float&, float&) {
                             add(QStringLiteral("MouseDown"), button);
                         });
        QObject::connect(
            &view, &RichTextView::MouseUp, &m_context,
            [this](int& button, int&, float&, float&) { add(QStringLiteral("MouseUp"), button); });
        QObject::connect(&view, &RichTextView::Click, &m_context,
                         [this] { add(QStringLiteral("Click")); });
        QObject::connect(&view, &RichTextView::DblClick, &m_context,
                         [this] { add(QStringLiteral("DblClick")); });
        QObject::connect(&engine, &richedit::Engine::changed, &m_context,
                         [this] { add(QStringLiteral("Change")); });
        QObject::connect(&engine, &richedit::Engine::selectionChanged, &m_context,
                         [this] { add(QStringLiteral("SelChange")); });
    }

    // "KeyDown", "KeyPress 97", ...: names, with the key or button code where there is one.
    const QStringList& entries() const { return m_entries; }
    void clear() { m_entries.clear(); }

private:
    void add(const QString& name, int code = -1)
    {
        m_entries.append(code < 0 ? name : name + u' ' + QString::number(code));
    }

    QObject m_context;
    QStringList m_entries;
};

class ViewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        view = std::make_unique<richedit::RichTextView>(engine);
        view->resize(400, 300);
        view->show();
        QApplication::setActiveWindow(view.get());
        view->setFocus();
        settle();
    }

    void TearDown() override { view.reset(); }

    // Runs the view's deferred refresh, then the repaint it asks for.
    static void settle()
    {
        for (int round = 0; round < 3; ++round)
            QApplication::processEvents();
    }

    void setText(const QString& text)
    {
        engine.setText(text);
        settle();
    }

    // A point on the left edge of the character at `position` (of a visible line).
    QPoint pixelOf(int32_t position, double intoCharacter = 0.5)
    {
        const double tpp = engine.layout().twipsPerPixel();
        const int line = engine.lineFromChar(position);
        const double top = double(engine.layout().lineTop(line) -
                                  engine.layout().lineTop(engine.firstVisibleLine()));
        const double x = richedit::viewinput::xOfPosition(engine, position);
        const double next = richedit::viewinput::xOfPosition(engine, position + 1);
        const QMargins insets = view->textInsets();
        const int scrolled = view->horizontalScrollBar()->value();
        return QPoint(
            int(std::lround(insets.left() + (x + (next - x) * intoCharacter) / tpp)) - scrolled,
            int(std::lround(insets.top() + top / tpp + 4)));
    }

    QWidget* client() { return view->viewport(); }

    host::ScopedLogicalDpi dpi{96, 96};
    FakeClipboard clipboard;
    richedit::Engine engine;
    std::unique_ptr<richedit::RichTextView> view;
};

}  // namespace testsupport
