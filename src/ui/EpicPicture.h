#pragma once

#include <QPixmap>
#include <QSize>

namespace tavrel {

// The picture on the "EPIC (USB)" tab: the interface card drawn in a few strokes (board,
// connector rows, controller, USB socket), made for the size it is shown at.
QPixmap epicCardPicture(QSize size, qreal devicePixelRatio);

} // namespace tavrel
