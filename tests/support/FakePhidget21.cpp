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
    Handler onAttach = nullptr, onDetach = nullptr;
    ErrorHandler onError = nullptr;
    void *onAttachUser = nullptr, *onDetachUser = nullptr, *onErrorUser = nullptr;
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
        if (const Handler handler = attach ? o->onAttach : o->onDetach)
            std::thread(handler, o->type.empty() ? &board : o, attach ? o->onAttachUser : o->onDetachUser).join();
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
        if (d->open && d->serial == serial && d->onError)
            std::thread(d->onError, d, d->onErrorUser, code, text).join();
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
FAKE CPhidget_open(void *h, int serial)
{
    OBJECT->open = true, OBJECT->serial = serial;
    for (const auto &[s, board] : boards) // a manager hears of every board there, a device object of its own
        if (board.open)
            tell({OBJECT}, s, true);
    return 0;
}
FAKE CPhidget_delete(void *h)
{
    objects.erase(OBJECT);
    delete OBJECT;
    return 0;
}
// Every other function: its name, its parameters and what it returns ("(*out = x, 0)":
// gives x, returns 0).
#define EXPORTED(name, params, result) \
    FAKE name params                   \
    {                                  \
        return result;                 \
    }
EXPORTED(CPhidget_close, (void *h), (OBJECT->open = false, 0))
EXPORTED(CPhidget_set_OnAttach_Handler, (void *h, Handler f, void *u),
         (OBJECT->onAttach = f, OBJECT->onAttachUser = u, 0))
EXPORTED(CPhidget_set_OnDetach_Handler, (void *h, Handler f, void *u),
         (OBJECT->onDetach = f, OBJECT->onDetachUser = u, 0))
EXPORTED(CPhidget_set_OnError_Handler, (void *h, ErrorHandler f, void *u),
         (OBJECT->onError = f, OBJECT->onErrorUser = u, 0))
EXPORTED(CPhidget_getDeviceType, (void *h, const char **type), (*type = OBJECT->type.c_str(), 0))
EXPORTED(CPhidget_getSerialNumber, (void *h, int *serial), (*serial = OBJECT->serial, 0))
EXPORTED(CPhidget_getDeviceVersion, (void *h, int *version), (*version = OBJECT->version, 0))
EXPORTED(CPhidget_getErrorDescription, (int code, const char **text),
         (*text = code == 5 ? "Phidget not physically attached." : "Invalid argument.", 0))
// A manager is an object of no type that hears of every board: the same functions serve it.
EXPORTED(CPhidgetManager_create, (void **h), create(h, ""))
EXPORTED(CPhidgetManager_set_OnAttach_Handler, (void *h, Handler f, void *u), CPhidget_set_OnAttach_Handler(h, f, u))
EXPORTED(CPhidgetManager_set_OnDetach_Handler, (void *h, Handler f, void *u), CPhidget_set_OnDetach_Handler(h, f, u))
EXPORTED(CPhidgetManager_open, (void *h), CPhidget_open(h, 0))
EXPORTED(CPhidgetManager_close, (void *h), CPhidget_close(h))
EXPORTED(CPhidgetManager_delete, (void *h), CPhidget_delete(h))
// Each board type: its device object, its count of outputs, LEDs, rows or motors, and
// what it is told (the member's name in the journal, its index or -1 for none, the value
// as written down and, for a number with a range, its bounds and the number).
EXPORTED(CPhidgetInterfaceKit_create, (void **h), create(h, "PhidgetInterfaceKit"))
EXPORTED(CPhidgetInterfaceKit_getOutputCount, (void *h, int *n), count(h, n))
EXPORTED(CPhidgetInterfaceKit_setOutputState, (void *h, int i, int on), write(h, "OutputState", i, on ? "1" : "0"))
EXPORTED(CPhidgetLED_create, (void **h), create(h, "PhidgetLED"))
EXPORTED(CPhidgetLED_getLEDCount, (void *h, int *n), count(h, n))
EXPORTED(CPhidgetLED_setDiscreteLED, (void *h, int i, int b), write(h, "DiscreteLED", i, std::to_string(b), 0, 100, b))
EXPORTED(CPhidgetTextLCD_create, (void **h), create(h, "PhidgetTextLCD"))
EXPORTED(CPhidgetTextLCD_getRowCount, (void *h, int *n), count(h, n))
EXPORTED(CPhidgetTextLCD_setBrightness, (void *h, int v), write(h, "Brightness", -1, std::to_string(v), 0, 255, v))
EXPORTED(CPhidgetTextLCD_setBacklight, (void *h, int on), write(h, "Backlight", -1, on ? "1" : "0", 0, 1, on))
EXPORTED(CPhidgetTextLCD_setCursorOn, (void *h, int on), write(h, "CursorOn", -1, on ? "1" : "0", 0, 1, on))
EXPORTED(CPhidgetTextLCD_setDisplayString, (void *h, int row, char *text), write(h, "DisplayString", row, text))
EXPORTED(CPhidgetTextLED_create, (void **h), create(h, "PhidgetTextLED"))
EXPORTED(CPhidgetTextLED_getRowCount, (void *h, int *n), count(h, n))
EXPORTED(CPhidgetTextLED_setBrightness, (void *h, int v), write(h, "Brightness", -1, std::to_string(v), 0, 100, v))
EXPORTED(CPhidgetTextLED_setDisplayString, (void *h, int row, char *text), write(h, "DisplayString", row, text))
EXPORTED(CPhidgetServo_create, (void **h), create(h, "PhidgetServo"))
EXPORTED(CPhidgetServo_getMotorCount, (void *h, int *n), count(h, n))
EXPORTED(CPhidgetServo_setPosition, (void *h, int i, double p), write(h, "MotorPosition", i, shortest(p)))
