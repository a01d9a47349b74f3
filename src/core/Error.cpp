#include "core/Error.h"

namespace tavrel {

Error::Error(int number, QString description, QString source)
    : number_(number)
    , description_(std::move(description))
    , source_(std::move(source))
    , what_(description_.toStdString())
{
}

} // namespace tavrel
