#include "ui/Layout.h"

#include <cmath>

namespace tavrel::layout {

int toPixels(int twips, qreal logicalDpi)
{
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

int toTwips(int pixels, qreal logicalDpi)
{
    return static_cast<int>(std::lround(pixels * 1440.0 / logicalDpi));
}

QRect toPixels(const Twips &rect, qreal logicalDpi)
{
    return QRect(toPixels(rect.left, logicalDpi), toPixels(rect.top, logicalDpi), toPixels(rect.width, logicalDpi),
                 toPixels(rect.height, logicalDpi));
}

} // namespace tavrel::layout
