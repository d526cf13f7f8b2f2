// Feeds arbitrary bytes to the metafile player as a WMF or EMF (a bare WMF gets a size), plays
// them at a small size, and checks that the sizes it believes stay within its bounds.
#include "fuzz/FuzzTarget.h"
#include "fuzz/GuiForFuzzing.h"
#include "platform/picture/Metafile.h"

#include <QImage>

int fuzzOne(std::span<const uint8_t> data)
{
    fuzz::ensureGuiApplication();
    auto metafile = picture::Metafile::parse(data, 2540, 2540);
    if (!metafile)
        return 0;
    const picture::Metafile& m = metafile.value();
    fuzz::require(m.widthHimetric() > 0 && m.heightHimetric() > 0, "a metafile has a size");
    const QImage image = m.render(48, 32);
    fuzz::require(!image.isNull() && image.width() == 48, "a small render is made");
    return 0;
}
