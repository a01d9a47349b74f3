#pragma once

#include "sources/LateBound.h"

#include <QString>

struct IDispatch;

namespace tavrel {

// A COM object created by ProgID and reached through its dispatch interface by member
// name, the way a late-binding runtime does it (Windows only): every get() and call()
// looks its member's number up anew with GetIDsOfNames, then invokes it. The object
// belongs to the thread that created it, which COM enters as a single-threaded apartment
// for the object's life.
class ComObject final : public LateBound
{
public:
    explicit ComObject(const QString &progId);
    ~ComObject() override;

    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    QVariant get(std::string_view name) override;
    QVariant call(std::string_view name) override;

private:
    QVariant invoke(std::string_view name, unsigned short flags);

    QString progId_;
    bool uninitialize_ = false; // this object's CoInitializeEx is to be balanced
    IDispatch *dispatch_ = nullptr;
};

} // namespace tavrel
