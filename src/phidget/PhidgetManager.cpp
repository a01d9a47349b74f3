#include "phidget/PhidgetManager.h"

namespace tavrel {

PhidgetManager::~PhidgetManager() = default;

void PhidgetManager::post(EventKind kind, Board board, QString description, int scode)
{
    pending_.push_back({kind, std::move(board), std::move(description), scode});
    schedule();
}

void PhidgetManager::resume()
{
    releaseHeld();
    schedule();
}

void PhidgetManager::schedule()
{
    if (scheduled_ || pending_.empty())
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &PhidgetManager::deliverNext, Qt::QueuedConnection);
}

void PhidgetManager::deliverNext()
{
    scheduled_ = false;
    // Called again from a yield inside a handler: the handler's own delivery goes on
    // when it returns. Held back: resume() schedules again.
    if (delivering_ || pending_.empty() || isHeld())
        return;
    const Event event = std::move(pending_.front());
    pending_.pop_front();
    delivering_ = true;
    switch (event.kind) {
    case EventKind::Attach:
        Q_EMIT OnAttach(event.board);
        break;
    case EventKind::Detach:
        Q_EMIT OnDetach(event.board);
        break;
    case EventKind::Error:
        Q_EMIT OnError(event.board, event.description, event.scode);
        break;
    }
    delivering_ = false;
    schedule();
}

} // namespace tavrel
