// A stand-in for the vendor's phidget21 library, built as a shared library named like it,
// with the functions the program resolves by name. The test plugs, pulls and fails boards
// through the fakephidget21_* functions; the library then calls the program's handlers
// from a thread of its own, as the real one does. Writes fail as the real boards' do (not
// attached 5, an index past the board 14, a value out of range 4); the ones that succeed
// are kept in a journal of the virtual boards' format.
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))
#define FAKE EXPORT int

namespace {

using Handler = int (*)(void *, void *);
using OnError = int (*)(void *, void *, int, const char *);

struct Board
{
    std::string type;
    int version = 0, count = 0; // outputs, LEDs, lines or motors
    bool attached = false;
};

// A manager (empty type), a device object of one type, or a board object a handler gets.
struct Object
{
    std::string type;
    int serial = 0, version = 0;
    bool open = false;
    Handler onAttach = nullptr, onDetach = nullptr;
    OnError onError = nullptr;
    void *user[3] = {};
};

std::mutex mutex;
std::map<int, Board> boards;
std::set<Object *> objects;
std::string journal;

// The handlers of an event on the board `serial`: every open manager's and the board's
// own device objects' (or only `only`'s). Collected under the lock; they run once it is
// released, each on a thread of its own.
std::vector<std::function<void()>> handlers(int serial, bool attach, Object *only = nullptr)
{
    std::vector<std::function<void()>> calls;
    const Board board = boards[serial];
    for (Object *o : only ? std::set<Object *>{only} : objects) {
        const Handler h = attach ? o->onAttach : o->onDetach;
        void *user = o->user[attach ? 0 : 1];
        if (o->open && h && o->type.empty())
            calls.push_back([h, user, serial, board] {
                Object info{board.type, serial, board.version};
                h(&info, user);
            });
        else if (o->open && h && o->serial == serial && o->type == board.type)
            calls.push_back([o, h, user] { h(o, user); });
    }
    return calls;
}

void run(const std::vector<std::function<void()>> &calls)
{
    for (const auto &call : calls)
        std::thread(call).join();
}

// Plugs a board in or pulls it out; the handlers hear of it once the lock is let go.
void change(int serial, bool attached)
{
    std::unique_lock lock(mutex);
    boards[serial].attached = attached;
    const auto calls = handlers(serial, attached);
    lock.unlock();
    run(calls);
}

// The board of a device object, or the failure a call on it gets (5: not attached).
int boardOf(void *handle, Board *&board)
{
    auto *d = static_cast<Object *>(handle);
    const auto b = boards.find(d->serial);
    board = b == boards.end() ? nullptr : &b->second;
    return d->open && board && board->attached ? 0 : 5;
}

int count(void *handle, int *out)
{
    std::lock_guard lock(mutex);
    Board *b = nullptr;
    const int code = boardOf(handle, b);
    *out = code ? 0 : b->count;
    return code;
}

// index -1 for members without one; min and max bound `number` when they differ.
int write(void *handle, const char *member, int index, const std::string &value, int min = 0, int max = 0, int v = 0)
{
    std::lock_guard lock(mutex);
    Board *b = nullptr;
    if (const int code = boardOf(handle, b))
        return code;
    if (index >= b->count)
        return 14;
    if (index < -1 || v < min || v > max)
        return 4;
    journal += std::to_string(static_cast<Object *>(handle)->serial) + '\t' + member + '\t'
               + (index >= 0 ? std::to_string(index) : "") + '\t' + value + '\n';
    return 0;
}

int create(void **handle, const char *type)
{
    std::lock_guard lock(mutex);
    *handle = *objects.insert(new Object{type}).first;
    return 0;
}

} // namespace

// The test's hand: plug a board in (again), pull it, make it fail.
#define FAKE_HAND EXPORT
FAKE_HAND void fakephidget21_plug(const char *type, int serial, int version, int count)
{
    mutex.lock();
    boards[serial] = {type, version, count, false};
    mutex.unlock();
    change(serial, true);
}
FAKE_HAND void fakephidget21_unplug(int serial)
{
    change(serial, false);
}
FAKE_HAND void fakephidget21_fail(int serial, int code, const char *text)
{
    for (Object *d : objects)
        if (d->open && d->serial == serial && d->onError)
            std::thread([d, code, text] { d->onError(d, d->user[2], code, text); }).join();
}
FAKE_HAND const char *fakephidget21_journal()
{
    return journal.c_str();
}
FAKE_HAND int fakephidget21_objects()
{
    return int(objects.size());
}

FAKE CPhidgetManager_create(void **h)
{
    return create(h, "");
}
#define OBJECT static_cast<Object *>(h)
FAKE CPhidget_set_OnAttach_Handler(void *h, Handler f, void *u)
{
    return OBJECT->onAttach = f, OBJECT->user[0] = u, 0;
}
FAKE CPhidget_set_OnDetach_Handler(void *h, Handler f, void *u)
{
    return OBJECT->onDetach = f, OBJECT->user[1] = u, 0;
}
FAKE CPhidget_set_OnError_Handler(void *h, OnError f, void *u)
{
    return OBJECT->onError = f, OBJECT->user[2] = u, 0;
}
#define FORWARD(name, to)                  \
    FAKE name(void *h, Handler f, void *u) \
    {                                      \
        return to(h, f, u);                \
    }
FORWARD(CPhidgetManager_set_OnAttach_Handler, CPhidget_set_OnAttach_Handler)
FORWARD(CPhidgetManager_set_OnDetach_Handler, CPhidget_set_OnDetach_Handler)
FAKE CPhidget_open(void *h, int serial)
{
    std::unique_lock lock(mutex);
    auto *o = static_cast<Object *>(h);
    o->open = true, o->serial = serial;
    std::vector<std::function<void()>> calls;
    for (const auto &[s, board] : boards) // a manager hears of every board there, a device object of its own
        if (board.attached)
            for (auto &call : handlers(s, true, o))
                calls.push_back(call);
    lock.unlock();
    run(calls);
    return 0;
}
FAKE CPhidgetManager_open(void *h)
{
    return CPhidget_open(h, 0);
}
FAKE CPhidget_close(void *h)
{
    std::lock_guard lock(mutex);
    OBJECT->open = false;
    return 0;
}
FAKE CPhidgetManager_close(void *h)
{
    return CPhidget_close(h);
}
FAKE CPhidget_delete(void *h)
{
    std::lock_guard lock(mutex);
    objects.erase(OBJECT);
    delete OBJECT;
    return 0;
}
FAKE CPhidgetManager_delete(void *h)
{
    return CPhidget_delete(h);
}
FAKE CPhidget_getDeviceType(void *h, const char **type)
{
    *type = OBJECT->type.c_str();
    return 0;
}
FAKE CPhidget_getSerialNumber(void *h, int *serial)
{
    *serial = OBJECT->serial;
    return 0;
}
FAKE CPhidget_getDeviceVersion(void *h, int *version)
{
    *version = OBJECT->version;
    return 0;
}
FAKE CPhidget_getErrorDescription(int code, const char **text)
{
    *text = code == 5 ? "Phidget not physically attached." : "Invalid argument.";
    return 0;
}

// Each board type: its device object, and its count of outputs, LEDs, rows or motors.
#define BOARD_TYPE(prefix, type, getCount)    \
    FAKE prefix##_create(void **h)            \
    {                                         \
        return create(h, type);               \
    }                                         \
    FAKE prefix##_##getCount(void *h, int *n) \
    {                                         \
        return count(h, n);                   \
    }
BOARD_TYPE(CPhidgetInterfaceKit, "PhidgetInterfaceKit", getOutputCount)
BOARD_TYPE(CPhidgetLED, "PhidgetLED", getLEDCount)
BOARD_TYPE(CPhidgetTextLCD, "PhidgetTextLCD", getRowCount)
BOARD_TYPE(CPhidgetTextLED, "PhidgetTextLED", getRowCount)
BOARD_TYPE(CPhidgetServo, "PhidgetServo", getMotorCount)

FAKE CPhidgetInterfaceKit_setOutputState(void *h, int i, int on)
{
    return write(h, "OutputState", i, on ? "1" : "0");
}
FAKE CPhidgetLED_setDiscreteLED(void *h, int i, int b)
{
    return write(h, "DiscreteLED", i, std::to_string(b), 0, 100, b);
}
FAKE CPhidgetTextLCD_setBrightness(void *h, int v)
{
    return write(h, "Brightness", -1, std::to_string(v), 0, 255, v);
}
FAKE CPhidgetTextLCD_setBacklight(void *h, int on)
{
    return write(h, "Backlight", -1, on ? "1" : "0", 0, 1, on);
}
FAKE CPhidgetTextLCD_setCursorOn(void *h, int on)
{
    return write(h, "CursorOn", -1, on ? "1" : "0", 0, 1, on);
}
FAKE CPhidgetTextLCD_setDisplayString(void *h, int row, char *text)
{
    return write(h, "DisplayString", row, text);
}
FAKE CPhidgetTextLED_setBrightness(void *h, int v)
{
    return write(h, "Brightness", -1, std::to_string(v), 0, 100, v);
}
FAKE CPhidgetTextLED_setDisplayString(void *h, int row, char *text)
{
    return write(h, "DisplayString", row, text);
}
FAKE CPhidgetServo_setPosition(void *h, int i, double p)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", p);
    return write(h, "MotorPosition", i, text);
}
