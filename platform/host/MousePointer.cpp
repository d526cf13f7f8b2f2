#include "platform/host/MousePointer.h"

#include <QPixmap>

namespace host {

bool isMousePointer(int pointer)
{
    return (pointer >= vbDefault && pointer <= vbSizeAll) || pointer == vbCustom;
}

QCursor cursorForMousePointer(int pointer, const QImage& icon, const QCursor& standard)
{
    switch (pointer) {
        case vbArrow:
            return Qt::ArrowCursor;
        case vbCrosshair:
            return Qt::CrossCursor;
        case vbIbeam:
            return Qt::IBeamCursor;
        // The icon pointer is a small square; the nearest Qt shape is the size-all cross.
        case vbIconPointer:
        case vbSizePointer:
        case vbSizeAll:
            return Qt::SizeAllCursor;
        case vbSizeNESW:
            return Qt::SizeBDiagCursor;
        case vbSizeNS:
            return Qt::SizeVerCursor;
        case vbSizeNWSE:
            return Qt::SizeFDiagCursor;
        case vbSizeWE:
            return Qt::SizeHorCursor;
        case vbUpArrow:
            return Qt::UpArrowCursor;
        case vbHourglass:
            return Qt::WaitCursor;
        case vbNoDrop:
            return Qt::ForbiddenCursor;
        case vbArrowHourglass:
            return Qt::BusyCursor;
        case vbArrowQuestion:
            return Qt::WhatsThisCursor;
        case vbCustom:
            if (icon.isNull())
                return standard;
            return QCursor(QPixmap::fromImage(icon));
        default:
            return standard;
    }
}

}  // namespace host
