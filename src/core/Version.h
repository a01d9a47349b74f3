#pragma once

#include <QString>

namespace tavrel {

// The program's own version record, set once in the build.
struct VersionRecord
{
    QString productName;
    QString fileDescription;
    int major;
    int minor;
    int revision;
};

const VersionRecord &versionRecord();

// The window caption: description, " Version ", major "." minor and revision run
// together, so 0, 8, 0 reads "Tavrel Version 0.80".
QString windowCaption(const VersionRecord &version);

} // namespace tavrel
