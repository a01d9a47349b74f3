#pragma once

#include "phidget/PhidgetBoard.h"

#include <QObject>
#include <QString>

#include <memory>

namespace tavrel {

// The library's device manager: it reports every board that is plugged in, pulled out or
// failing. Its signals always arrive through the event loop on the thread that owns it,
// never from inside another handler, so a handler may touch any cockpit state.
class PhidgetManager : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~PhidgetManager() override = default;

    // What the manager is built on, for the operator ("virtual boards", a library path).
    virtual QString libraryName() const = 0;

Q_SIGNALS:
    void OnAttach(const tavrel::Board &board);
    void OnDetach(const tavrel::Board &board);
    void OnError(const tavrel::Board &board, const QString &description, int scode);
};

} // namespace tavrel
