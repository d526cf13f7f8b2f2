// The settings an editing control holds itself, with the values of a newly placed control, and
// the enumerations its properties take.
#pragma once

#include "platform/host/OleColor.h"

#include <QString>
#include <cstdint>

// The control's flat or 3-D look.
enum AppearEnum : int16_t {
    rtfFlat = 0,
    rtfThreeD = 1,
};

enum BorderEnum : int32_t {
    rtfNoBorder = 0,
    rtfFixedSingle = 1,
};

// Page margins, twips.
enum PrinterMarginSetting : int32_t {
    TenEighty = 1080,
    Academic = 1440,
};

enum WrapStyle : int32_t {
    NoWrap = 0,
    // Wrap at the printed line width.
    RulerWrap = 1,
    WindowWrap = 2,
};

// Document types: the content of the own type (".wmdf") is RTF. 0 and 1 are also the file
// kinds of the editing window's own load and save.
enum QFileType : int32_t {
    rtfRTF = 0,
    rtfText = 1,
    rtfWXF = 2,
};

// Every field is persisted under its own name; a value equal to its initial value here is not
// stored, so these are also the defaults every reader supplies.
struct XrRTBSettings {
    bool AllowImages = true;
    bool RemoveUnUsableData = true;
    host::OLE_COLOR ColorVBNetKeyWord = 0xFF0000;
    host::OLE_COLOR ColorVB6KeyWord = 0xC00000;
    host::OLE_COLOR ColorVBNetComment = 0x8000;
    host::OLE_COLOR ColorVB6Comment = 0x8000;
    host::OLE_COLOR ColorVBNetString = 0xC0;
    host::OLE_COLOR ColorVB6String = 0;
    host::OLE_COLOR ColorMyFirstKeyWord = 0xC00000;
    host::OLE_COLOR ColorMySecondKeyWord = 0x8000;
    host::OLE_COLOR ColorMyThirdKeyWord = 0;
    // The three user keyword patterns; an empty one is skipped.
    QString MyFirstString;
    QString MySecondString;
    QString MyThirdString;
    bool DetectHyperLinks = true;
    bool AutoVMenu = true;
    host::OLE_COLOR MyFontColor = 0;
    // Yellow.
    host::OLE_COLOR MyHLColor = 0xFFFF;
    bool ShowVB6Syntax = false;
    bool UseCustomFontDialog = true;
    int32_t PrinterMargin = Academic;
    QString WhatsThisHelpFile;
    bool InternalShutOFF = false;
    bool TurnOnSound = true;
    int32_t MyWrapStyle = RulerWrap;
    bool DisplayRuler = true;
    bool AllowRTFSave = false;
};
