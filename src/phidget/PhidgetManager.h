#pragma once

#include "phidget/PhidgetBoard.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

namespace tavrel {

// The library's device manager: it reports every board that is plugged in, pulled out or
// failing. Its signals always arrive through the event loop on the thread that owns it,
// one at a time, never from inside another handler and only while the owner's gate lets
// them through, so a handler may touch any cockpit state and may let events run.
class PhidgetManager : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~PhidgetManager() override;

    // What the manager is built on, for the operator ("virtual boards", a library path).
    virtual QString libraryName() const = 0;

    // Whoever owns the manager decides when its events may be delivered: while `open`
    // says no, they wait, in order. Without a gate they always may.
    void setGate(std::function<bool()> open) { gate_ = std::move(open); }
    // The gate has opened: what waited goes out, one event at a time, from the event loop.
    void resume();

Q_SIGNALS:
    void OnAttach(const tavrel::Board &board);
    void OnDetach(const tavrel::Board &board);
    void OnError(const tavrel::Board &board, const QString &description, int scode);

protected:
    enum class EventKind { Attach, Detach, Error };
    // Queues an event for delivery from the event loop. Call on the manager's thread.
    void post(EventKind kind, Board board, QString description = QString(), int scode = 0);
    // Whether the gate holds events back now.
    bool isHeld() const { return gate_ && !gate_(); }
    // Called first by resume(): a manager that keeps its library's reports back while
    // events are held acts on them here.
    virtual void releaseHeld() {}

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
    std::function<bool()> gate_;
    bool scheduled_ = false;
    bool delivering_ = false;
};

} // namespace tavrel
