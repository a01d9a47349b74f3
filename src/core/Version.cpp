#include "core/Version.h"

namespace tavrel {

const VersionRecord &versionRecord()
{
    static const VersionRecord record{
        QStringLiteral(TAVREL_PRODUCT_NAME),
        QStringLiteral(TAVREL_PRODUCT_NAME),
        TAVREL_VERSION_MAJOR,
        TAVREL_VERSION_MINOR,
        TAVREL_VERSION_REVISION,
    };
    return record;
}

QString windowCaption(const VersionRecord &version)
{
    return version.fileDescription + QLatin1String(" Version ") + QString::number(version.major) + QLatin1Char('.')
           + QString::number(version.minor) + QString::number(version.revision);
}

} // namespace tavrel
