// A piece of rich text outside any document: what the RTF reader produces, what the RTF writer
// consumes, and what the document inserts or hands out for a range.
#pragma once

#include "platform/richedit/model/Formats.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace richedit {

enum class PictureKind { Png, Jpeg, Dib, DeviceBitmap, Metafile, EnhancedMetafile };

// An inline picture: its encoded bytes as read and its size on the page; the layout keeps the
// decoded image. It counts one position (U+FFFC in the text). The page shows the goal size less
// the crops.
struct Picture {
    QByteArray encoded;
    PictureKind kind = PictureKind::Png;
    int32_t pixelWidth = 0;
    int32_t pixelHeight = 0;
    int32_t goalWidthTw = 0;
    int32_t goalHeightTw = 0;
    // Twips cut off each side of the goal size (scaled with it); a negative crop adds a white
    // margin instead.
    int32_t cropLeftTw = 0;
    int32_t cropRightTw = 0;
    int32_t cropTopTw = 0;
    int32_t cropBottomTw = 0;
    // The mapping mode a Windows metafile is played in (\wmetafileN), written back as read.
    int32_t metafileMapping = 8;
};

constexpr char16_t ObjectReplacementCharacter = u'\xFFFC';

// A run of characters in one format, or one picture (text is then U+FFFC).
struct FragmentRun {
    QString text;
    CharFormat format;
    std::shared_ptr<const Picture> picture;
};

struct FragmentParagraph {
    std::vector<FragmentRun> runs;
    ParaFormat format;      // belongs to the paragraph mark
    CharFormat markFormat;  // the mark's own character format
    // False for a last paragraph whose end is not part of the fragment (a selection or an
    // insertion that does not end with a paragraph end).
    bool hasMark = true;
    // False when the producer has made sure no run's text holds a CR or LF, which would
    // otherwise each end a paragraph; the text need not be searched for them then.
    bool hasLineEnds = true;
    // A reader may hand the text over in one piece, as the document keeps it: joinedText then
    // holds every run's text in order (U+FFFC for a picture) and never a CR or LF, each run's
    // own text is empty and runLengths gives the runs' lengths. Only a consumer that asked
    // for this form receives it.
    bool textJoined = false;
    QString joinedText{};
    std::vector<int32_t> runLengths{};
};

// In a whole document every paragraph has a mark and the last one is the end mark, which is
// not part of the text.
struct DocumentFragment {
    std::vector<FragmentParagraph> paragraphs;
};

// Takes paragraphs one at a time as a reader finishes them, so that what was read can be kept
// once rather than gathered into a fragment first.
using ParagraphSink = std::function<void(FragmentParagraph&&)>;

}  // namespace richedit
