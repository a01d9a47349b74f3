#include "sources/ComObject.h"

#include "core/Error.h"

#include <QAxObject>
#include <QMetaObject>

namespace tavrel {

namespace {
[[noreturn]] void memberNotFound(const QString &progId)
{
    throw Error(Error::MemberNotFound, QStringLiteral("Object doesn't support this property or method"), progId);
}
} // namespace

ComObject::ComObject(const QString &progId)
    : object_(std::make_unique<QAxObject>())
    , progId_(progId)
{
    if (!object_->setControl(progId) || object_->isNull())
        throw Error(Error::CannotCreateObject, QStringLiteral("ActiveX component can't create object"), progId);
}

ComObject::~ComObject() = default;

QVariant ComObject::get(std::string_view name)
{
    const QByteArray member(name.data(), static_cast<qsizetype>(name.size()));
    if (object_->metaObject()->indexOfProperty(member.constData()) < 0)
        memberNotFound(progId_);
    const QVariant value = object_->property(member.constData());
    if (!value.isValid())
        memberNotFound(progId_);
    return value;
}

QVariant ComObject::call(std::string_view name)
{
    const QByteArray member = QByteArray(name.data(), static_cast<qsizetype>(name.size())) + "()";
    if (object_->metaObject()->indexOfMethod(member.constData()) < 0)
        memberNotFound(progId_);
    return object_->dynamicCall(member.constData());
}

} // namespace tavrel
