#pragma once

#include "phidget/PhidgetBoard.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>

namespace tavrel {

// The library's device manager: it reports every board that is plugged in, pulled out or
// failing. Its signals always arrive through the event loop on the thread that owns it,
// one at a time and never from inside another handler, so a handler may touch any
// cockpit state and may let events run.
class PhidgetManager : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~PhidgetManager() override;

    // What the manager is built on, for the operator ("virtual boards", a library path).
    virtual QString libraryName() const = 0;

Q_SIGNALS:
    void OnAttach(const tavrel::Board &board);
    void OnDetach(const tavrel::Board &board);
    void OnError(const tavrel::Board &board, const QString &description, int scode);

protected:
    enum class EventKind { Attach, Detach, Error };
    // Queues an event for delivery from the event loop. Call on the manager's thread.
    void post(EventKind kind, Board board, QString description = QString(), int scode = 0);

private:
    struct Event
    {
        EventKind kind;
        Board board;
        QString description;
        int scode;
    };
    void schedule();
    void deliverNext();

    std::deque<Event> pending_;
    bool scheduled_ = false;
    bool delivering_ = false;
};

} // namespace tavrel
