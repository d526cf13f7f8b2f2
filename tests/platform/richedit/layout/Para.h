// A paragraph under construction for the layout and painting tests: text, runs, formats and
// list label, turned into a paragraph layout.
#pragma once

#include "platform/richedit/layout/ParagraphLayout.h"

#include <deque>
#include <memory>
#include <utility>
#include <vector>

namespace testsupport {

inline richedit::CharFormat sans(int32_t heightTw = 240)
{
    return richedit::defaultCharFormat(QStringLiteral("DejaVu Sans"), heightTw);
}

// Keeps the formats the layout input points at, so it must outlive the input it gives.
struct Para {
    QString text;
    std::deque<richedit::CharFormat> formats;
    std::vector<std::pair<int32_t, std::shared_ptr<const richedit::Picture>>> runs;
    richedit::ParaFormat format = richedit::defaultParaFormat();
    richedit::CharFormat mark = sans();
    QString label;

    explicit Para(const QString& plain = {}) { add(plain); }

    // An empty piece adds no run.
    Para& add(const QString& piece, const richedit::CharFormat& charFormat = sans())
    {
        if (piece.isEmpty())
            return *this;
        text += piece;
        formats.push_back(charFormat);
        runs.emplace_back(int32_t(piece.size()), nullptr);
        return *this;
    }
    Para& addPicture(std::shared_ptr<const richedit::Picture> picture)
    {
        text += QChar(richedit::ObjectReplacementCharacter);
        formats.push_back(sans());
        runs.emplace_back(1, std::move(picture));
        return *this;
    }
    // A picture with no bytes: only its size on the page.
    Para& addPicture(int32_t widthTw, int32_t heightTw)
    {
        auto picture = std::make_shared<richedit::Picture>();
        picture->goalWidthTw = widthTw;
        picture->goalHeightTw = heightTw;
        return addPicture(std::move(picture));
    }
    richedit::LayoutParagraphInput input() const
    {
        richedit::LayoutParagraphInput in;
        in.text = text;
        for (size_t i = 0; i < runs.size(); ++i)
            in.runs.push_back({runs[i].first, &formats[i], runs[i].second});
        in.format = &format;
        in.markFormat = &mark;
        in.listLabel = label;
        return in;
    }
    richedit::ParagraphLayout layout(int32_t width, int32_t startOffset = 0) const
    {
        return richedit::ParagraphLayout(input(), width, nullptr, startOffset);
    }
    richedit::ParagraphLayout layout(int32_t width, const QPaintDevice* device) const
    {
        return richedit::ParagraphLayout(input(), width, device);
    }
};

}  // namespace testsupport
