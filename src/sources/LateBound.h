#pragma once

#include <QVariant>

#include <string_view>

namespace tavrel {

// An outside object reached by member name at run time (the data server). Each access
// names its member anew; a member the object does not have, or a call that fails, raises
// tavrel::Error, never crashes.
class LateBound
{
public:
    virtual ~LateBound() = default;

    // Reads the property `name` (no arguments).
    virtual QVariant get(std::string_view name) = 0;
    // Calls the method `name` with no arguments; the result is often unused.
    virtual QVariant call(std::string_view name) = 0;
};

} // namespace tavrel
