// A stand-in for the vendor's phidget21 library, built as a shared library named like it,
// with the functions the program resolves by name. Boards are plugged in, pulled and made
// to fail by the test through the fakephidget21_* functions; the library then calls the
// program's handlers from a thread of its own, as the real library does. Every successful
// board write is kept in a journal of the virtual boards' format.
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using AttachHandler = int (*)(void *, void *);
using ErrorHandler = int (*)(void *, void *, int, const char *);

constexpr int kOk = 0;
constexpr int kInvalidArgument = 4;
constexpr int kNotAttached = 5;
constexpr int kOutOfBounds = 14;

struct Board
{
    std::string type;
    int version = 0;
    int count = 0; // outputs, LEDs, lines or motors
    bool attached = false;
};

// A library object: a manager, a device object of one type, or the short-lived object a
// manager's handler receives for a board.
struct Object
{
    std::string type; // device objects and board objects
    int serial = 0;
    int version = 0;
    bool open = false;
    AttachHandler onAttach = nullptr, onDetach = nullptr;
    ErrorHandler onError = nullptr;
    void *attachUser = nullptr, *detachUser = nullptr, *errorUser = nullptr;
};

std::mutex mutex;
std::map<int, Board> boards;
std::set<Object *> managers;
std::set<Object *> devices;
std::string journal;
std::string journalCopy;

// Runs the handlers collected under the lock once it is released, each on a thread of
// the library's own.
void run(std::vector<std::function<void()>> calls)
{
    for (auto &call : calls)
        std::thread(call).join();
}

std::vector<std::function<void()>> attachCalls(int serial, const Board &board)
{
    std::vector<std::function<void()>> calls;
    for (Object *m : managers)
        if (m->open && m->onAttach)
            calls.push_back([m, serial, board] {
                Object info{board.type, serial, board.version};
                m->onAttach(&info, m->attachUser);
            });
    for (Object *d : devices)
        if (d->open && d->serial == serial && d->type == board.type && d->onAttach)
            calls.push_back([d] { d->onAttach(d, d->attachUser); });
    return calls;
}

// A write to a device object: it must be attached and the index within the board's count.
int write(void *handle, const char *type, const char *member, int index, const std::string &value, int limit = -1,
          int valueMin = 0, int valueMax = 0, int number = 0)
{
    std::lock_guard lock(mutex);
    auto *d = static_cast<Object *>(handle);
    if (!devices.count(d) || d->type != type)
        return kInvalidArgument;
    const auto b = boards.find(d->serial);
    if (!d->open || b == boards.end() || !b->second.attached)
        return kNotAttached;
    if (limit >= 0 && (index < 0 || index >= b->second.count))
        return kOutOfBounds;
    if (valueMax > valueMin && (number < valueMin || number > valueMax))
        return kInvalidArgument;
    journal += std::to_string(d->serial) + '\t' + member + '\t' + (limit >= 0 ? std::to_string(index) : "") + '\t'
        + value + '\n';
    return kOk;
}

int count(void *handle, const char *type, int *out)
{
    std::lock_guard lock(mutex);
    auto *d = static_cast<Object *>(handle);
    const auto b = boards.find(d->serial);
    if (!devices.count(d) || d->type != type)
        return kInvalidArgument;
    if (!d->open || b == boards.end() || !b->second.attached)
        return kNotAttached;
    *out = b->second.count;
    return kOk;
}

int create(void **handle, const char *type)
{
    std::lock_guard lock(mutex);
    auto *d = new Object{type};
    devices.insert(d);
    *handle = d;
    return kOk;
}

} // namespace

// The test's hand.
FAKE_EXPORT void fakephidget21_plug(const char *type, int serial, int version, int count)
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(mutex);
        Board &board = boards[serial];
        board = {type, version, count, true};
        calls = attachCalls(serial, board);
    }
    run(std::move(calls));
}

FAKE_EXPORT void fakephidget21_unplug(int serial)
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(mutex);
        const auto b = boards.find(serial);
        if (b == boards.end())
            return;
        b->second.attached = false;
        const Board board = b->second;
        for (Object *m : managers)
            if (m->open && m->onDetach)
                calls.push_back([m, serial, board] {
                    Object info{board.type, serial, board.version};
                    m->onDetach(&info, m->detachUser);
                });
        for (Object *d : devices)
            if (d->open && d->serial == serial && d->onDetach)
                calls.push_back([d] { d->onDetach(d, d->detachUser); });
    }
    run(std::move(calls));
}

FAKE_EXPORT void fakephidget21_fail(int serial, int code, const char *text)
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(mutex);
        const std::string description = text;
        for (Object *d : devices)
            if (d->open && d->serial == serial && d->onError)
                calls.push_back([d, code, description] { d->onError(d, d->errorUser, code, description.c_str()); });
    }
    run(std::move(calls));
}

FAKE_EXPORT const char *fakephidget21_journal()
{
    std::lock_guard lock(mutex);
    journalCopy = journal;
    return journalCopy.c_str();
}

// Objects not yet deleted: managers and device objects.
FAKE_EXPORT int fakephidget21_objects()
{
    std::lock_guard lock(mutex);
    return int(managers.size() + devices.size());
}

FAKE_EXPORT void fakephidget21_reset()
{
    std::lock_guard lock(mutex);
    boards.clear();
    journal.clear();
}

// The library's functions.
FAKE_EXPORT int CPhidgetManager_create(void **handle)
{
    std::lock_guard lock(mutex);
    auto *m = new Object;
    managers.insert(m);
    *handle = m;
    return kOk;
}

FAKE_EXPORT int CPhidgetManager_set_OnAttach_Handler(void *handle, AttachHandler handler, void *user)
{
    std::lock_guard lock(mutex);
    auto *m = static_cast<Object *>(handle);
    m->onAttach = handler;
    m->attachUser = user;
    return kOk;
}

FAKE_EXPORT int CPhidgetManager_set_OnDetach_Handler(void *handle, AttachHandler handler, void *user)
{
    std::lock_guard lock(mutex);
    auto *m = static_cast<Object *>(handle);
    m->onDetach = handler;
    m->detachUser = user;
    return kOk;
}

FAKE_EXPORT int CPhidgetManager_open(void *handle)
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(mutex);
        static_cast<Object *>(handle)->open = true;
        for (const auto &[serial, board] : boards)
            if (board.attached)
                for (auto &call : attachCalls(serial, board))
                    calls.push_back(std::move(call));
    }
    run(std::move(calls));
    return kOk;
}

FAKE_EXPORT int CPhidgetManager_close(void *handle)
{
    std::lock_guard lock(mutex);
    static_cast<Object *>(handle)->open = false;
    return kOk;
}

FAKE_EXPORT int CPhidgetManager_delete(void *handle)
{
    std::lock_guard lock(mutex);
    auto *m = static_cast<Object *>(handle);
    managers.erase(m);
    delete m;
    return kOk;
}

FAKE_EXPORT int CPhidget_getDeviceType(void *handle, const char **type)
{
    *type = static_cast<Object *>(handle)->type.c_str();
    return kOk;
}

FAKE_EXPORT int CPhidget_getSerialNumber(void *handle, int *serial)
{
    *serial = static_cast<Object *>(handle)->serial;
    return kOk;
}

FAKE_EXPORT int CPhidget_getDeviceVersion(void *handle, int *version)
{
    *version = static_cast<Object *>(handle)->version;
    return kOk;
}

FAKE_EXPORT int CPhidget_set_OnAttach_Handler(void *handle, AttachHandler handler, void *user)
{
    return CPhidgetManager_set_OnAttach_Handler(handle, handler, user);
}

FAKE_EXPORT int CPhidget_set_OnDetach_Handler(void *handle, AttachHandler handler, void *user)
{
    return CPhidgetManager_set_OnDetach_Handler(handle, handler, user);
}

FAKE_EXPORT int CPhidget_set_OnError_Handler(void *handle, ErrorHandler handler, void *user)
{
    std::lock_guard lock(mutex);
    auto *d = static_cast<Object *>(handle);
    d->onError = handler;
    d->errorUser = user;
    return kOk;
}

FAKE_EXPORT int CPhidget_open(void *handle, int serial)
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(mutex);
        auto *d = static_cast<Object *>(handle);
        d->serial = serial;
        d->open = true;
        const auto b = boards.find(serial);
        if (b != boards.end() && b->second.attached && b->second.type == d->type && d->onAttach)
            calls.push_back([d] { d->onAttach(d, d->attachUser); });
    }
    run(std::move(calls));
    return kOk;
}

FAKE_EXPORT int CPhidget_close(void *handle)
{
    std::lock_guard lock(mutex);
    static_cast<Object *>(handle)->open = false;
    return kOk;
}

FAKE_EXPORT int CPhidget_delete(void *handle)
{
    std::lock_guard lock(mutex);
    auto *d = static_cast<Object *>(handle);
    devices.erase(d);
    delete d;
    return kOk;
}

FAKE_EXPORT int CPhidget_getErrorDescription(int code, const char **text)
{
    switch (code) {
    case kInvalidArgument: *text = "Invalid argument."; break;
    case kNotAttached: *text = "Phidget not physically attached."; break;
    case kOutOfBounds: *text = "Index out of Bounds."; break;
    default: *text = "Unknown error."; break;
    }
    return kOk;
}

FAKE_EXPORT int CPhidgetInterfaceKit_create(void **h) { return create(h, "PhidgetInterfaceKit"); }
FAKE_EXPORT int CPhidgetInterfaceKit_getOutputCount(void *h, int *n) { return count(h, "PhidgetInterfaceKit", n); }
FAKE_EXPORT int CPhidgetInterfaceKit_setOutputState(void *h, int i, int on)
{
    return write(h, "PhidgetInterfaceKit", "OutputState", i, on ? "1" : "0", 1);
}
FAKE_EXPORT int CPhidgetLED_create(void **h) { return create(h, "PhidgetLED"); }
FAKE_EXPORT int CPhidgetLED_getLEDCount(void *h, int *n) { return count(h, "PhidgetLED", n); }
FAKE_EXPORT int CPhidgetLED_setDiscreteLED(void *h, int i, int v)
{
    return write(h, "PhidgetLED", "DiscreteLED", i, std::to_string(v), 1, 0, 100, v);
}
FAKE_EXPORT int CPhidgetTextLCD_create(void **h) { return create(h, "PhidgetTextLCD"); }
FAKE_EXPORT int CPhidgetTextLCD_setBrightness(void *h, int v)
{
    return write(h, "PhidgetTextLCD", "Brightness", 0, std::to_string(v), -1, 0, 255, v);
}
FAKE_EXPORT int CPhidgetTextLCD_setBacklight(void *h, int on)
{
    return write(h, "PhidgetTextLCD", "Backlight", 0, on ? "1" : "0");
}
FAKE_EXPORT int CPhidgetTextLCD_setCursorOn(void *h, int on)
{
    return write(h, "PhidgetTextLCD", "CursorOn", 0, on ? "1" : "0");
}
FAKE_EXPORT int CPhidgetTextLCD_setDisplayString(void *h, int row, char *text)
{
    return write(h, "PhidgetTextLCD", "DisplayString", row, text, 1);
}
FAKE_EXPORT int CPhidgetTextLCD_getRowCount(void *h, int *n) { return count(h, "PhidgetTextLCD", n); }
FAKE_EXPORT int CPhidgetTextLED_create(void **h) { return create(h, "PhidgetTextLED"); }
FAKE_EXPORT int CPhidgetTextLED_getRowCount(void *h, int *n) { return count(h, "PhidgetTextLED", n); }
FAKE_EXPORT int CPhidgetTextLED_setBrightness(void *h, int v)
{
    return write(h, "PhidgetTextLED", "Brightness", 0, std::to_string(v), -1, 0, 100, v);
}
FAKE_EXPORT int CPhidgetTextLED_setDisplayString(void *h, int row, char *text)
{
    return write(h, "PhidgetTextLED", "DisplayString", row, text, 1);
}
FAKE_EXPORT int CPhidgetServo_create(void **h) { return create(h, "PhidgetServo"); }
FAKE_EXPORT int CPhidgetServo_getMotorCount(void *h, int *n) { return count(h, "PhidgetServo", n); }
FAKE_EXPORT int CPhidgetServo_setPosition(void *h, int i, double position)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", position);
    return write(h, "PhidgetServo", "MotorPosition", i, text, 1);
}
