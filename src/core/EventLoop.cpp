#include "core/EventLoop.h"

#include <QByteArray>
#include <QtGlobal>

namespace tavrel {

void preferPlainEventDispatcher()
{
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", QByteArrayLiteral("1"));
}

} // namespace tavrel
