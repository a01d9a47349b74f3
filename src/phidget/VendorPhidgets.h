#pragma once

#include "phidget/PhidgetManager.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace tavrel {

struct Phidget21Api;

// The device manager of the vendor's phidget21 library, loaded at run time and reached by
// symbol name. The library reports boards on threads of its own; every report is handed
// to the manager's thread before anything is touched, and kept there while the manager's
// events are held, so no board is opened before the owner lets boards in. For each board
// the manager reports it opens the board's own device object by serial number, which then
// reports the board attached, pulled and failing. A board pulled and plugged in again
// keeps that device object but comes back as a new board: the one handed out before
// stays dead, as a board that is gone.
class VendorPhidgetManager : public PhidgetManager
{
    Q_OBJECT
public:
    // Loads the library (a file name such as "phidget21", or a path) and opens its
    // manager; null when the library, one of its functions, or the manager is missing,
    // with the reason in `why`.
    static std::unique_ptr<VendorPhidgetManager> open(const QString &library, QObject *parent = nullptr,
                                                      QString *why = nullptr);
    ~VendorPhidgetManager() override;

    QString libraryName() const override;

private:
    friend struct Phidget21Callbacks;
    class Board21;

    VendorPhidgetManager(std::shared_ptr<const Phidget21Api> api, QObject *parent);
    // What the library's threads hand over arrives here on the manager's thread: acted on
    // at once, or kept in order while events are held.
    void receive(std::function<void()> report);
    void releaseHeld() override;
    void boardFound(const QString &type, std::int32_t serial, float version);
    void boardLost(std::int32_t serial);
    void deviceEvent(void *handle, EventKind kind, const QString &description = QString(), int code = 0);

    std::shared_ptr<const Phidget21Api> api_;
    QString path_; // the library file, as loaded
    void *manager_ = nullptr;
    QHash<std::int32_t, std::shared_ptr<Board21>> boards_; // by serial number, the board as now bound
    std::deque<std::function<void()>> heldReports_;
};

} // namespace tavrel
