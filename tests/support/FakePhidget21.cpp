// A stand-in for the vendor's phidget21 library, built as a shared library named like it,
// with the functions the program resolves by name. The test plugs, pulls and fails boards
// through the fakephidget21_* functions; the library then calls the program's handlers
// from a thread of its own, as the real one does (the caller waits for each, so nothing
// here runs at the same time). Writes fail as the real boards' do (not attached 5, an
// index past the board 14, a value out of range 4); the ones that succeed are kept in a
// journal of the virtual boards' format.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))
#define FAKE EXPORT int

namespace {

using Handler = int (*)(void *, void *);
using ErrorHandler = int (*)(void *, void *, int, const char *);

// A manager (empty type) or a device object of one type, as the program holds them; or a
// board as the test plugs it in (open: attached), which a manager's handlers get.
struct Object
{
    std::string type;
    int serial = 0, version = 0, count = 0; // count: outputs, LEDs, lines or motors
    bool open = false;
    Handler OnAttach = nullptr, OnDetach = nullptr; // the handlers by the library's names for them
    ErrorHandler OnError = nullptr;
    void *OnAttachUser = nullptr, *OnDetachUser = nullptr, *OnErrorUser = nullptr;
};

std::map<int, Object> boards;
std::set<Object *> objects;
std::string journal;

// Tells the objects (taken before: a handler may make or delete some) of the board
// `serial` coming or going: a manager of any board, a device object of its own.
void tell(const std::vector<Object *> &told, int serial, bool attach)
{
    Object &board = boards[serial];
    for (Object *o : told) {
        if (!objects.count(o) || !o->open || !(o->type.empty() || (o->serial == serial && o->type == board.type)))
            continue;
        if (const Handler handler = attach ? o->OnAttach : o->OnDetach)
            std::thread(handler, o->type.empty() ? &board : o, attach ? o->OnAttachUser : o->OnDetachUser).join();
    }
}

// The board a device object is open on, or nullptr while there is none attached.
const Object *boardOf(void *handle)
{
    const auto *d = static_cast<Object *>(handle);
    const auto b = boards.find(d->serial);
    return d->open && b != boards.end() && b->second.open ? &b->second : nullptr;
}

int count(void *handle, int *out)
{
    const Object *b = boardOf(handle);
    *out = b ? b->count : 0;
    return b ? 0 : 5;
}

// index -1 for members without one; min and max bound `number` when they differ.
int write(void *handle, const char *member, int index, const std::string &value, int min = 0, int max = 0,
          int number = 0)
{
    const Object *b = boardOf(handle);
    if (!b)
        return 5;
    if (index >= b->count)
        return 14;
    if (index < -1 || number < min || number > max)
        return 4;
    journal += std::to_string(b->serial) + '\t' + member + '\t' + (index >= 0 ? std::to_string(index) : "") + '\t'
               + value + '\n';
    return 0;
}

// A position as the virtual boards write it down: the shortest text that reads back.
std::string shortest(double number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", number);
    return text;
}

int create(void **handle, const char *type)
{
    *handle = *objects.insert(new Object{type}).first;
    return 0;
}

} // namespace

// The test's hand: plug a board in (again), pull it, make it fail.
#define FAKE_HAND EXPORT
FAKE_HAND void fakephidget21_plug(const char *type, int serial, int version, int count)
{
    boards[serial] = {type, serial, version, count, true};
    tell({objects.begin(), objects.end()}, serial, true);
}
FAKE_HAND void fakephidget21_unplug(int serial)
{
    boards[serial].open = false;
    tell({objects.begin(), objects.end()}, serial, false);
}
FAKE_HAND void fakephidget21_fail(int serial, int code, const char *text)
{
    for (Object *d : objects)
        if (d->open && d->serial == serial && d->OnError)
            std::thread(d->OnError, d, d->OnErrorUser, code, text).join();
}
FAKE_HAND const char *fakephidget21_journal()
{
    return journal.c_str();
}
FAKE_HAND int fakephidget21_objects()
{
    return int(objects.size());
}

#define OBJECT static_cast<Object *>(h)
#define HANDLER(Type, event)                                      \
    FAKE CPhidget_set_##event##_Handler(void *h, Type f, void *u) \
    {                                                             \
        return OBJECT->event = f, OBJECT->event##User = u, 0;     \
    }
HANDLER(Handler, OnAttach)
HANDLER(Handler, OnDetach)
HANDLER(ErrorHandler, OnError)
FAKE CPhidget_open(void *h, int serial)
{
    OBJECT->open = true, OBJECT->serial = serial;
    for (const auto &[s, board] : boards) // a manager hears of every board there, a device object of its own
        if (board.open)
            tell({OBJECT}, s, true);
    return 0;
}
FAKE CPhidget_close(void *h)
{
    return OBJECT->open = false, 0;
}
FAKE CPhidget_delete(void *h)
{
    objects.erase(OBJECT);
    delete OBJECT;
    return 0;
}
// A manager is an object of no type that hears of every board: the same functions serve it.
FAKE CPhidgetManager_create(void **h)
{
    return create(h, "");
}
#define MANAGER_TOO(name, params, ...)       \
    FAKE CPhidgetManager_##name params       \
    {                                        \
        return CPhidget_##name(__VA_ARGS__); \
    }
MANAGER_TOO(set_OnAttach_Handler, (void *h, Handler f, void *u), h, f, u)
MANAGER_TOO(set_OnDetach_Handler, (void *h, Handler f, void *u), h, f, u)
MANAGER_TOO(open, (void *h), h, 0)
MANAGER_TOO(close, (void *h), h)
MANAGER_TOO(delete, (void *h), h)

#define GETTER(name, Type, value)           \
    FAKE CPhidget_##name(void *h, Type out) \
    {                                       \
        *out = value;                       \
        return 0;                           \
    }
GETTER(getDeviceType, const char **, OBJECT->type.c_str())
GETTER(getSerialNumber, int *, OBJECT->serial)
GETTER(getDeviceVersion, int *, OBJECT->version)
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

// What a board is told: the member's name in the journal, its index (-1 for none), the
// value as written down and, for a number with a range, its bounds and the number.
#define SETTER(name, params, ...)     \
    FAKE name params                  \
    {                                 \
        return write(h, __VA_ARGS__); \
    }
SETTER(CPhidgetInterfaceKit_setOutputState, (void *h, int i, int on), "OutputState", i, on ? "1" : "0")
SETTER(CPhidgetLED_setDiscreteLED, (void *h, int i, int b), "DiscreteLED", i, std::to_string(b), 0, 100, b)
SETTER(CPhidgetTextLCD_setBrightness, (void *h, int v), "Brightness", -1, std::to_string(v), 0, 255, v)
SETTER(CPhidgetTextLCD_setBacklight, (void *h, int on), "Backlight", -1, on ? "1" : "0", 0, 1, on)
SETTER(CPhidgetTextLCD_setCursorOn, (void *h, int on), "CursorOn", -1, on ? "1" : "0", 0, 1, on)
SETTER(CPhidgetTextLCD_setDisplayString, (void *h, int row, char *text), "DisplayString", row, text)
SETTER(CPhidgetTextLED_setBrightness, (void *h, int v), "Brightness", -1, std::to_string(v), 0, 100, v)
SETTER(CPhidgetTextLED_setDisplayString, (void *h, int row, char *text), "DisplayString", row, text)
SETTER(CPhidgetServo_setPosition, (void *h, int i, double p), "MotorPosition", i, shortest(p))
