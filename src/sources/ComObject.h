#pragma once

#include "sources/LateBound.h"

#include <QString>

#include <memory>

class QAxObject;

namespace tavrel {

// A COM object created by ProgID and reached through its dispatch interface by member
// name (Windows only).
class ComObject final : public LateBound
{
public:
    explicit ComObject(const QString &progId);
    ~ComObject() override;

    QVariant get(std::string_view name) override;
    QVariant call(std::string_view name) override;

private:
    std::unique_ptr<QAxObject> object_;
    QString progId_;
};

} // namespace tavrel
