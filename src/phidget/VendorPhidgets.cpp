#include "phidget/VendorPhidgets.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/SharedLibrary.h"
#include "phidget/BoardKind.h"

#include <type_traits>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

using Handle = void *;
using AttachHandler = int(TAVREL_VENDOR_CALL *)(Handle, void *);
using ErrorHandler = int(TAVREL_VENDOR_CALL *)(Handle, void *, int, const char *);
using Create = int(TAVREL_VENDOR_CALL *)(Handle *);
using Act = int(TAVREL_VENDOR_CALL *)(Handle);
using SetAttachHandler = int(TAVREL_VENDOR_CALL *)(Handle, AttachHandler, void *);
using SetErrorHandler = int(TAVREL_VENDOR_CALL *)(Handle, ErrorHandler, void *);
using GetText = int(TAVREL_VENDOR_CALL *)(Handle, const char **);
using Describe = int(TAVREL_VENDOR_CALL *)(int, const char **);
using GetInt = int(TAVREL_VENDOR_CALL *)(Handle, int *);
using SetInt = int(TAVREL_VENDOR_CALL *)(Handle, int);
using SetIndexed = int(TAVREL_VENDOR_CALL *)(Handle, int, int);
using SetText = int(TAVREL_VENDOR_CALL *)(Handle, int, char *);
using SetPosition = int(TAVREL_VENDOR_CALL *)(Handle, int, double);

constexpr bool kRequired = true;
// Without these the text writers learn a missing line from the write itself.
constexpr bool kOptional = false;

} // namespace

// The library's functions the program uses: the exported name, its type, and whether a
// library without it is refused.
#define TAVREL_PHIDGET21_FUNCTIONS(X)                                    \
    X(CPhidgetManager_create, Create, kRequired)                         \
    X(CPhidgetManager_set_OnAttach_Handler, SetAttachHandler, kRequired) \
    X(CPhidgetManager_set_OnDetach_Handler, SetAttachHandler, kRequired) \
    X(CPhidgetManager_open, Act, kRequired)                              \
    X(CPhidgetManager_close, Act, kRequired)                             \
    X(CPhidgetManager_delete, Act, kRequired)                            \
    X(CPhidget_getDeviceType, GetText, kRequired)                        \
    X(CPhidget_getSerialNumber, GetInt, kRequired)                       \
    X(CPhidget_getDeviceVersion, GetInt, kRequired)                      \
    X(CPhidget_set_OnAttach_Handler, SetAttachHandler, kRequired)        \
    X(CPhidget_set_OnDetach_Handler, SetAttachHandler, kRequired)        \
    X(CPhidget_set_OnError_Handler, SetErrorHandler, kRequired)          \
    X(CPhidget_open, SetInt, kRequired)                                  \
    X(CPhidget_close, Act, kRequired)                                    \
    X(CPhidget_delete, Act, kRequired)                                   \
    X(CPhidget_getErrorDescription, Describe, kRequired)                 \
    X(CPhidgetInterfaceKit_create, Create, kRequired)                    \
    X(CPhidgetInterfaceKit_getOutputCount, GetInt, kRequired)            \
    X(CPhidgetInterfaceKit_setOutputState, SetIndexed, kRequired)        \
    X(CPhidgetLED_create, Create, kRequired)                             \
    X(CPhidgetLED_getLEDCount, GetInt, kRequired)                        \
    X(CPhidgetLED_setDiscreteLED, SetIndexed, kRequired)                 \
    X(CPhidgetTextLCD_create, Create, kRequired)                         \
    X(CPhidgetTextLCD_getRowCount, GetInt, kOptional)                    \
    X(CPhidgetTextLCD_setBrightness, SetInt, kRequired)                  \
    X(CPhidgetTextLCD_setBacklight, SetInt, kRequired)                   \
    X(CPhidgetTextLCD_setCursorOn, SetInt, kRequired)                    \
    X(CPhidgetTextLCD_setDisplayString, SetText, kRequired)              \
    X(CPhidgetTextLED_create, Create, kRequired)                         \
    X(CPhidgetTextLED_getRowCount, GetInt, kOptional)                    \
    X(CPhidgetTextLED_setBrightness, SetInt, kRequired)                  \
    X(CPhidgetTextLED_setDisplayString, SetText, kRequired)              \
    X(CPhidgetServo_create, Create, kRequired)                           \
    X(CPhidgetServo_getMotorCount, GetInt, kRequired)                    \
    X(CPhidgetServo_setPosition, SetPosition, kRequired)

struct Phidget21Api
{
    QLibrary library;
#define TAVREL_DECLARE(name, Type, required) Type name = nullptr;
    TAVREL_PHIDGET21_FUNCTIONS(TAVREL_DECLARE)
#undef TAVREL_DECLARE

    // Loads the library and resolves every function; false when a required one is
    // missing, with the reason in `why`.
    bool load(const QString &name, QString &why)
    {
        if (!loadSharedLibrary(library, name, &why))
            return false;
        bool complete = true;
        const auto resolve = [&](auto &function, const char *symbol, bool required) {
            function = resolveFunction<std::remove_reference_t<decltype(function)>>(library, symbol);
            if (function || !required)
                return;
            if (complete)
                why = u"%1 has no function %2"_s.arg(loadedLibraryPath(library, "CPhidget_open"),
                                                     QLatin1String(symbol));
            complete = false;
        };
#define TAVREL_RESOLVE(name, Type, required) resolve(name, #name, required);
        TAVREL_PHIDGET21_FUNCTIONS(TAVREL_RESOLVE)
#undef TAVREL_RESOLVE
        return complete;
    }

    // Raises the library's failure for a call that did not return 0.
    void check(int code) const
    {
        if (code == 0)
            return;
        const char *text = nullptr;
        CPhidget_getErrorDescription(code, &text);
        throw Error(code, text ? QString::fromLatin1(text) : u"Phidget error %1"_s.arg(code), u"Phidget"_s);
    }
};

// One board of the library as the program has it bound: the board's own device object,
// opened by serial number, through which every call goes. A board plugged in again is
// bound anew over the same device object; the binding from before stays gone. A board of
// a type the program does not drive has no device object and offers only the common
// members.
class VendorPhidgetManager::Board21 final : public PhidgetBoard
{
public:
    // A servo controller's handle is BoardKind::Servo whatever its motors; a type the
    // cockpit does not drive has no kind and no member but the common ones.
    using Kind = BoardKind;

    Board21(std::shared_ptr<const Phidget21Api> api, std::optional<Kind> kind, Handle handle, QString type,
            std::int32_t serial, float version)
        : api_(std::move(api))
        , kind_(kind)
        , device_(std::make_shared<Handle>(handle))
        , type_(std::move(type))
        , serial_(serial)
        , version_(version)
    {
    }

    Handle handle() const { return *device_; }
    bool isGone() const { return gone_; }
    // The board was pulled: this binding fails every call from now on.
    void markGone() { gone_ = true; }
    // The board plugged in again: a new binding over the same device object.
    std::shared_ptr<Board21> rebind() const
    {
        auto board = std::make_shared<Board21>(api_, kind_, nullptr, type_, serial_, version_);
        board->device_ = device_;
        return board;
    }
    // Lets the device object go; later calls, through any binding, fail as on a board
    // that is gone.
    void close()
    {
        if (!*device_)
            return;
        api_->CPhidget_close(*device_);
        api_->CPhidget_delete(*device_);
        *device_ = nullptr;
    }

    QString deviceType() const override { return type_; }
    std::int32_t serialNumber() const override { return serial_; }
    float version() const override { return version_; }

    int numOutputs() const override { return get(Kind::InterfaceKit, api_->CPhidgetInterfaceKit_getOutputCount); }
    void setOutputState(int index, bool on) override
    {
        call(Kind::InterfaceKit, api_->CPhidgetInterfaceKit_setOutputState, index, on ? 1 : 0);
    }
    int ledCount() const override { return get(Kind::Led64, api_->CPhidgetLED_getLEDCount); }
    void setDiscreteLED(int index, std::int32_t brightness) override
    {
        call(Kind::Led64, api_->CPhidgetLED_setDiscreteLED, index, brightness);
    }
    void setBrightness(std::int32_t brightness) override
    {
        if (kind_ == Kind::TextLed)
            call(Kind::TextLed, api_->CPhidgetTextLED_setBrightness, brightness);
        else
            call(Kind::TextLcd, api_->CPhidgetTextLCD_setBrightness, brightness);
    }
    void setBacklight(bool on) override { call(Kind::TextLcd, api_->CPhidgetTextLCD_setBacklight, on ? 1 : 0); }
    void setCursorOn(bool on) override { call(Kind::TextLcd, api_->CPhidgetTextLCD_setCursorOn, on ? 1 : 0); }
    int rowCount() const override
    {
        const GetInt function = kind_ == Kind::TextLed ? api_->CPhidgetTextLED_getRowCount
                                                       : api_->CPhidgetTextLCD_getRowCount;
        if (!function || (kind_ != Kind::TextLed && kind_ != Kind::TextLcd))
            memberNotFound();
        return get(*kind_, function);
    }
    void setDisplayString(int line, QStringView text) override
    {
        // The boards take 8-bit text; the buffer keeps its room between writes.
        text_.resize(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            text_[i] = char(convert::toWindows1252(text[i].unicode()));
        if (kind_ == Kind::TextLed)
            call(Kind::TextLed, api_->CPhidgetTextLED_setDisplayString, line, text_.data());
        else
            call(Kind::TextLcd, api_->CPhidgetTextLCD_setDisplayString, line, text_.data());
    }
    int numMotors() const override { return get(Kind::Servo, api_->CPhidgetServo_getMotorCount); }
    void setMotorPosition(int index, double position) override
    {
        call(Kind::Servo, api_->CPhidgetServo_setPosition, index, position);
    }

private:
    void require(Kind kind) const
    {
        if (kind_ != kind)
            memberNotFound();
        if (gone_ || !*device_)
            throw Error::standard(Error::PhidgetNotAttached, u"Phidget"_s);
    }
    template <typename Function, typename... Args>
    void call(Kind kind, Function function, Args... args) const
    {
        require(kind);
        api_->check(function(*device_, args...));
    }
    int get(Kind kind, GetInt function) const
    {
        require(kind);
        int value = 0;
        api_->check(function(*device_, &value));
        return value;
    }

    std::shared_ptr<const Phidget21Api> api_;
    std::optional<Kind> kind_;
    std::shared_ptr<Handle> device_; // shared by every binding of the board
    bool gone_ = false;
    QString type_;
    std::int32_t serial_;
    float version_;
    QByteArray text_;
};

// The library calls these on threads of its own: they read what they need from the
// library's object there and hand the rest to the manager's thread.
struct Phidget21Callbacks
{
    static int TAVREL_VENDOR_CALL managerAttach(Handle phidget, void *user)
    {
        auto *manager = static_cast<VendorPhidgetManager *>(user);
        const Phidget21Api &api = *manager->api_;
        const char *type = nullptr;
        int serial = 0;
        int version = 0;
        if (api.CPhidget_getDeviceType(phidget, &type) != 0 || api.CPhidget_getSerialNumber(phidget, &serial) != 0)
            return 0;
        api.CPhidget_getDeviceVersion(phidget, &version);
        const QString typeName = QString::fromLatin1(type);
        handOver(manager,
                 [manager, typeName, serial, version] { manager->boardFound(typeName, serial, float(version)); });
        return 0;
    }
    static int TAVREL_VENDOR_CALL managerDetach(Handle phidget, void *user)
    {
        auto *manager = static_cast<VendorPhidgetManager *>(user);
        int serial = 0;
        if (manager->api_->CPhidget_getSerialNumber(phidget, &serial) == 0)
            handOver(manager, [manager, serial] { manager->boardLost(serial); });
        return 0;
    }
    static int TAVREL_VENDOR_CALL deviceAttach(Handle device, void *user)
    {
        return hand(device, user, VendorPhidgetManager::EventKind::Attach);
    }
    static int TAVREL_VENDOR_CALL deviceDetach(Handle device, void *user)
    {
        return hand(device, user, VendorPhidgetManager::EventKind::Detach);
    }
    static int TAVREL_VENDOR_CALL deviceError(Handle device, void *user, int code, const char *text)
    {
        return hand(device, user, VendorPhidgetManager::EventKind::Error, QString::fromLatin1(text ? text : ""), code);
    }
    static int hand(Handle device, void *user, VendorPhidgetManager::EventKind kind, const QString &text = QString(),
                    int code = 0)
    {
        auto *manager = static_cast<VendorPhidgetManager *>(user);
        handOver(manager, [manager, device, kind, text, code] { manager->deviceEvent(device, kind, text, code); });
        return 0;
    }
    static void handOver(VendorPhidgetManager *manager, std::function<void()> report)
    {
        QMetaObject::invokeMethod(
            manager, [manager, report = std::move(report)]() mutable { manager->receive(std::move(report)); },
            Qt::QueuedConnection);
    }
};

std::unique_ptr<VendorPhidgetManager> VendorPhidgetManager::open(const QString &library, QObject *parent, QString *why)
{
    auto api = std::make_shared<Phidget21Api>();
    QString reason;
    const auto fail = [&](QString text) -> std::unique_ptr<VendorPhidgetManager> {
        if (why)
            *why = std::move(text);
        return nullptr;
    };
    if (!api->load(library, reason))
        return fail(reason);
    const QString path = loadedLibraryPath(api->library, "CPhidget_open");
    std::unique_ptr<VendorPhidgetManager> manager(new VendorPhidgetManager(std::move(api), parent));
    manager->path_ = path;
    const Phidget21Api &f = *manager->api_;
    Handle handle = nullptr;
    if (const int code = f.CPhidgetManager_create(&handle); code != 0 || !handle)
        return fail(u"%1: its device manager cannot be made (code %2)"_s.arg(manager->libraryName()).arg(code));
    manager->manager_ = handle;
    f.CPhidgetManager_set_OnAttach_Handler(handle, &Phidget21Callbacks::managerAttach, manager.get());
    f.CPhidgetManager_set_OnDetach_Handler(handle, &Phidget21Callbacks::managerDetach, manager.get());
    if (const int code = f.CPhidgetManager_open(handle); code != 0)
        return fail(u"%1: its device manager does not open (code %2)"_s.arg(manager->libraryName()).arg(code));
    return manager;
}

VendorPhidgetManager::VendorPhidgetManager(std::shared_ptr<const Phidget21Api> api, QObject *parent)
    : PhidgetManager(parent)
    , api_(std::move(api))
{
}

// The library stops reporting before anything it could report to goes.
VendorPhidgetManager::~VendorPhidgetManager()
{
    if (manager_) {
        api_->CPhidgetManager_close(manager_);
        api_->CPhidgetManager_delete(manager_);
    }
    for (const auto &board : std::as_const(boards_))
        board->close();
}

QString VendorPhidgetManager::libraryName() const
{
    return path_;
}

void VendorPhidgetManager::receive(std::function<void()> report)
{
    if (isHeld() || !heldReports_.empty()) {
        heldReports_.push_back(std::move(report));
        return;
    }
    report();
}

void VendorPhidgetManager::releaseHeld()
{
    while (!heldReports_.empty() && !isHeld()) {
        const std::function<void()> report = std::move(heldReports_.front());
        heldReports_.pop_front();
        report();
    }
}

// A board the manager reports for the first time gets a device object of its kind, opened
// by its serial number; that object reports the board attached. A board seen before
// reports itself.
void VendorPhidgetManager::boardFound(const QString &type, std::int32_t serial, float version)
{
    if (const auto known = boards_.value(serial)) {
        if (!known->handle())
            post(EventKind::Attach, known);
        return;
    }
    const Phidget21Api &f = *api_;
    std::optional<BoardKind> kind = kindOfType(type);
    Create create = nullptr;
    switch (kind.value_or(BoardKind::MultiServo)) {
    case BoardKind::InterfaceKit:
        create = f.CPhidgetInterfaceKit_create;
        break;
    case BoardKind::Led64:
        create = f.CPhidgetLED_create;
        break;
    case BoardKind::TextLcd:
        create = f.CPhidgetTextLCD_create;
        break;
    case BoardKind::TextLed:
        create = f.CPhidgetTextLED_create;
        break;
    case BoardKind::Servo:
        create = f.CPhidgetServo_create;
        break;
    case BoardKind::MultiServo: // no type name of its own
        break;
    }
    Handle device = nullptr;
    if (!create || create(&device) != 0 || !device)
        kind.reset();
    auto board = std::make_shared<Board21>(api_, kind, device, type, serial, version);
    boards_.insert(serial, board);
    if (!device) {
        post(EventKind::Attach, board);
        return;
    }
    f.CPhidget_set_OnAttach_Handler(device, &Phidget21Callbacks::deviceAttach, this);
    f.CPhidget_set_OnDetach_Handler(device, &Phidget21Callbacks::deviceDetach, this);
    f.CPhidget_set_OnError_Handler(device, &Phidget21Callbacks::deviceError, this);
    f.CPhidget_open(device, serial);
}

// Only boards without a device object of their own learn from the manager that they went.
void VendorPhidgetManager::boardLost(std::int32_t serial)
{
    if (const auto known = boards_.value(serial); known && !known->handle())
        post(EventKind::Detach, known);
}

// A pulled board's binding goes dead at once; plugged in again, the board is bound anew,
// so whatever still holds the old binding drives nothing.
void VendorPhidgetManager::deviceEvent(void *handle, EventKind kind, const QString &description, int code)
{
    for (auto &board : boards_) {
        if (!handle || board->handle() != handle)
            continue;
        if (kind == EventKind::Detach)
            board->markGone();
        else if (kind == EventKind::Attach && board->isGone())
            board = board->rebind();
        post(kind, board, description, code);
        return;
    }
}

} // namespace tavrel
