#include "phidget/VendorPhidgets.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/SharedLibrary.h"

#include <type_traits>

namespace tavrel {

using namespace Qt::StringLiterals;

// The vendor declares the library's functions, and the handlers it calls, __stdcall.
#ifdef _WIN32
#define TAVREL_PHIDGET_CALL __stdcall
#else
#define TAVREL_PHIDGET_CALL
#endif

namespace {

using Handle = void *;
using AttachHandler = int(TAVREL_PHIDGET_CALL *)(Handle, void *);
using ErrorHandler = int(TAVREL_PHIDGET_CALL *)(Handle, void *, int, const char *);
using Create = int(TAVREL_PHIDGET_CALL *)(Handle *);
using GetInt = int(TAVREL_PHIDGET_CALL *)(Handle, int *);
using SetInt = int(TAVREL_PHIDGET_CALL *)(Handle, int);
using SetIndexed = int(TAVREL_PHIDGET_CALL *)(Handle, int, int);
using SetText = int(TAVREL_PHIDGET_CALL *)(Handle, int, char *);

} // namespace

// The library's functions the program uses, each resolved by name.
struct Phidget21Api
{
    QLibrary library;
    Create CPhidgetManager_create;
    int(TAVREL_PHIDGET_CALL *CPhidgetManager_set_OnAttach_Handler)(Handle, AttachHandler, void *);
    int(TAVREL_PHIDGET_CALL *CPhidgetManager_set_OnDetach_Handler)(Handle, AttachHandler, void *);
    int(TAVREL_PHIDGET_CALL *CPhidgetManager_open)(Handle);
    int(TAVREL_PHIDGET_CALL *CPhidgetManager_close)(Handle);
    int(TAVREL_PHIDGET_CALL *CPhidgetManager_delete)(Handle);
    int(TAVREL_PHIDGET_CALL *CPhidget_getDeviceType)(Handle, const char **);
    GetInt CPhidget_getSerialNumber;
    GetInt CPhidget_getDeviceVersion;
    int(TAVREL_PHIDGET_CALL *CPhidget_set_OnAttach_Handler)(Handle, AttachHandler, void *);
    int(TAVREL_PHIDGET_CALL *CPhidget_set_OnDetach_Handler)(Handle, AttachHandler, void *);
    int(TAVREL_PHIDGET_CALL *CPhidget_set_OnError_Handler)(Handle, ErrorHandler, void *);
    SetInt CPhidget_open;
    int(TAVREL_PHIDGET_CALL *CPhidget_close)(Handle);
    int(TAVREL_PHIDGET_CALL *CPhidget_delete)(Handle);
    int(TAVREL_PHIDGET_CALL *CPhidget_getErrorDescription)(int, const char **);
    Create CPhidgetInterfaceKit_create;
    GetInt CPhidgetInterfaceKit_getOutputCount;
    SetIndexed CPhidgetInterfaceKit_setOutputState;
    Create CPhidgetLED_create;
    GetInt CPhidgetLED_getLEDCount;
    SetIndexed CPhidgetLED_setDiscreteLED;
    Create CPhidgetTextLCD_create;
    SetInt CPhidgetTextLCD_setBrightness;
    SetInt CPhidgetTextLCD_setBacklight;
    SetInt CPhidgetTextLCD_setCursorOn;
    SetText CPhidgetTextLCD_setDisplayString;
    Create CPhidgetTextLED_create;
    SetInt CPhidgetTextLED_setBrightness;
    SetText CPhidgetTextLED_setDisplayString;
    // Optional: without them the text writers learn a missing line from the write itself.
    GetInt CPhidgetTextLCD_getRowCount;
    GetInt CPhidgetTextLED_getRowCount;
    Create CPhidgetServo_create;
    GetInt CPhidgetServo_getMotorCount;
    int(TAVREL_PHIDGET_CALL *CPhidgetServo_setPosition)(Handle, int, double);

    // Loads the library and resolves every function; false when any is missing, with the
    // reason in `why`.
    bool load(const QString &name, QString &why)
    {
        if (!loadSharedLibrary(library, name, &why))
            return false;
        bool complete = true;
        const auto resolve = [&](auto &function, const char *symbol) {
            function = resolveFunction<std::remove_reference_t<decltype(function)>>(library, symbol);
            if (!function && complete)
                why = u"%1 has no function %2"_s.arg(loadedLibraryPath(library, "CPhidget_open"),
                                                     QLatin1String(symbol));
            complete = complete && function;
        };
#define TAVREL_RESOLVE(name) resolve(name, #name)
        TAVREL_RESOLVE(CPhidgetManager_create);
        TAVREL_RESOLVE(CPhidgetManager_set_OnAttach_Handler);
        TAVREL_RESOLVE(CPhidgetManager_set_OnDetach_Handler);
        TAVREL_RESOLVE(CPhidgetManager_open);
        TAVREL_RESOLVE(CPhidgetManager_close);
        TAVREL_RESOLVE(CPhidgetManager_delete);
        TAVREL_RESOLVE(CPhidget_getDeviceType);
        TAVREL_RESOLVE(CPhidget_getSerialNumber);
        TAVREL_RESOLVE(CPhidget_getDeviceVersion);
        TAVREL_RESOLVE(CPhidget_set_OnAttach_Handler);
        TAVREL_RESOLVE(CPhidget_set_OnDetach_Handler);
        TAVREL_RESOLVE(CPhidget_set_OnError_Handler);
        TAVREL_RESOLVE(CPhidget_open);
        TAVREL_RESOLVE(CPhidget_close);
        TAVREL_RESOLVE(CPhidget_delete);
        TAVREL_RESOLVE(CPhidget_getErrorDescription);
        TAVREL_RESOLVE(CPhidgetInterfaceKit_create);
        TAVREL_RESOLVE(CPhidgetInterfaceKit_getOutputCount);
        TAVREL_RESOLVE(CPhidgetInterfaceKit_setOutputState);
        TAVREL_RESOLVE(CPhidgetLED_create);
        TAVREL_RESOLVE(CPhidgetLED_getLEDCount);
        TAVREL_RESOLVE(CPhidgetLED_setDiscreteLED);
        TAVREL_RESOLVE(CPhidgetTextLCD_create);
        TAVREL_RESOLVE(CPhidgetTextLCD_setBrightness);
        TAVREL_RESOLVE(CPhidgetTextLCD_setBacklight);
        TAVREL_RESOLVE(CPhidgetTextLCD_setCursorOn);
        TAVREL_RESOLVE(CPhidgetTextLCD_setDisplayString);
        TAVREL_RESOLVE(CPhidgetTextLED_create);
        TAVREL_RESOLVE(CPhidgetTextLED_setBrightness);
        TAVREL_RESOLVE(CPhidgetTextLED_setDisplayString);
        TAVREL_RESOLVE(CPhidgetServo_create);
        TAVREL_RESOLVE(CPhidgetServo_getMotorCount);
        TAVREL_RESOLVE(CPhidgetServo_setPosition);
#undef TAVREL_RESOLVE
        CPhidgetTextLCD_getRowCount = resolveFunction<GetInt>(library, "CPhidgetTextLCD_getRowCount");
        CPhidgetTextLED_getRowCount = resolveFunction<GetInt>(library, "CPhidgetTextLED_getRowCount");
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
    enum class Kind { Other, InterfaceKit, Led64, TextLcd, TextLed, Servo };

    Board21(std::shared_ptr<const Phidget21Api> api, Kind kind, Handle handle, QString type, std::int32_t serial,
            float version)
        : api_(std::move(api)), kind_(kind), device_(std::make_shared<Handle>(handle)), type_(std::move(type)),
          serial_(serial), version_(version)
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
        const GetInt function =
            kind_ == Kind::TextLed ? api_->CPhidgetTextLED_getRowCount : api_->CPhidgetTextLCD_getRowCount;
        if (!function || (kind_ != Kind::TextLed && kind_ != Kind::TextLcd))
            memberNotFound();
        return get(kind_, function);
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
    Kind kind_;
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
    static int TAVREL_PHIDGET_CALL managerAttach(Handle phidget, void *user)
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
        handOver(manager, [manager, typeName, serial, version] { manager->boardFound(typeName, serial, float(version)); });
        return 0;
    }
    static int TAVREL_PHIDGET_CALL managerDetach(Handle phidget, void *user)
    {
        auto *manager = static_cast<VendorPhidgetManager *>(user);
        int serial = 0;
        if (manager->api_->CPhidget_getSerialNumber(phidget, &serial) == 0)
            handOver(manager, [manager, serial] { manager->boardLost(serial); });
        return 0;
    }
    static int TAVREL_PHIDGET_CALL deviceAttach(Handle device, void *user)
    {
        return hand(device, user, VendorPhidgetManager::EventKind::Attach);
    }
    static int TAVREL_PHIDGET_CALL deviceDetach(Handle device, void *user)
    {
        return hand(device, user, VendorPhidgetManager::EventKind::Detach);
    }
    static int TAVREL_PHIDGET_CALL deviceError(Handle device, void *user, int code, const char *text)
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

std::unique_ptr<VendorPhidgetManager> VendorPhidgetManager::open(const QString &library, QObject *parent,
                                                                 QString *why)
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
    using Kind = Board21::Kind;
    const struct
    {
        const char *type;
        Kind kind;
        Create create;
    } kinds[] = {
        {"PhidgetInterfaceKit", Kind::InterfaceKit, f.CPhidgetInterfaceKit_create},
        {"PhidgetLED", Kind::Led64, f.CPhidgetLED_create},
        {"PhidgetTextLCD", Kind::TextLcd, f.CPhidgetTextLCD_create},
        {"PhidgetTextLED", Kind::TextLed, f.CPhidgetTextLED_create},
        {"PhidgetServo", Kind::Servo, f.CPhidgetServo_create},
    };
    Kind kind = Kind::Other;
    Handle device = nullptr;
    for (const auto &k : kinds) {
        if (type == QLatin1String(k.type) && k.create(&device) == 0 && device) {
            kind = k.kind;
            break;
        }
    }
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
