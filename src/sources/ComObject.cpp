#include "sources/ComObject.h"

#include "core/Error.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

namespace tavrel {

// How COM failures become the program's errors (number, description, source), as the
// late-binding runtime reports them:
//   - the ProgID is unknown, or the object cannot be created or has no dispatch
//     interface: 429 "ActiveX component can't create object", source the ProgID;
//   - GetIDsOfNames fails, or Invoke answers DISP_E_MEMBERNOTFOUND: 438 "Object doesn't
//     support this property or method";
//   - DISP_E_TYPEMISMATCH: 13 "Type mismatch"; DISP_E_OVERFLOW: 6 "Overflow";
//   - DISP_E_EXCEPTION: the server's own error from its EXCEPINFO (filled in first when
//     the server defers it): its number, description and source;
//   - a Null value: 94 "Invalid use of Null";
//   - any other HRESULT: its number and the system's text for it.
// A number is the HRESULT itself (negative for a failure) unless the HRESULT carries one
// of the runtime's own error numbers (facility "control"), which is then the number.
// Errors raised by our side name the ProgID as their source.

namespace {

constexpr int kLongestName = 255; // longer names are no member of any server

int errorNumber(HRESULT hr)
{
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL)
        return HRESULT_CODE(hr);
    return static_cast<int>(hr);
}

QString fromBstr(BSTR text)
{
    return QString(reinterpret_cast<const QChar *>(text), static_cast<qsizetype>(SysStringLen(text)));
}

QString systemText(HRESULT hr)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    QString text = QString::fromWCharArray(buffer, static_cast<qsizetype>(length)).trimmed();
    LocalFree(buffer);
    return text.isEmpty() ? QStringLiteral("Automation error") : text;
}

[[noreturn]] void raise(HRESULT hr, const QString &source)
{
    switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
        throw Error::standard(Error::MemberNotFound, source);
    case DISP_E_TYPEMISMATCH:
        throw Error::standard(Error::TypeMismatch, source);
    case DISP_E_OVERFLOW:
        throw Error::standard(Error::Overflow, source);
    default:
        throw Error(errorNumber(hr), systemText(hr), source);
    }
}

[[noreturn]] void raiseServerError(EXCEPINFO &info, const QString &progId)
{
    if (info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    const HRESULT code = info.scode ? info.scode : DISP_E_EXCEPTION;
    const int number = info.wCode ? info.wCode : errorNumber(code);
    QString description = fromBstr(info.bstrDescription);
    QString source = fromBstr(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    throw Error(number, description.isEmpty() ? systemText(code) : description, source.isEmpty() ? progId : source);
}

// A VARIANT that is cleared however its scope is left.
struct Variant
{
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
};

// The value as the rest of the program reads it: empty, boolean, integer, floating
// number or text. Other kinds (currency, decimal, date, a value by reference, an
// object's default value) go through the runtime's own conversion: to a number where
// they have one, else to text.
QVariant toQVariant(VARIANT &value, const QString &progId)
{
    switch (value.vt) {
    case VT_EMPTY:
        return {};
    case VT_NULL:
        throw Error::standard(Error::InvalidUseOfNull, progId);
    case VT_BOOL:
        return QVariant(value.boolVal != VARIANT_FALSE);
    case VT_I1:
        return QVariant(static_cast<int>(value.cVal));
    case VT_UI1:
        return QVariant(static_cast<int>(value.bVal));
    case VT_I2:
        return QVariant(static_cast<int>(value.iVal));
    case VT_UI2:
        return QVariant(static_cast<int>(value.uiVal));
    case VT_I4:
        return QVariant(static_cast<int>(value.lVal));
    case VT_INT:
        return QVariant(static_cast<int>(value.intVal));
    case VT_UI4:
        return QVariant(static_cast<qlonglong>(value.ulVal));
    case VT_UINT:
        return QVariant(static_cast<qlonglong>(value.uintVal));
    case VT_I8:
        return QVariant(static_cast<qlonglong>(value.llVal));
    case VT_UI8:
        return QVariant(static_cast<qulonglong>(value.ullVal));
    case VT_R4:
        return QVariant(static_cast<double>(value.fltVal));
    case VT_R8:
        return QVariant(value.dblVal);
    case VT_BSTR:
        return QVariant(fromBstr(value.bstrVal));
    default:
        break;
    }
    Variant converted;
    if (SUCCEEDED(VariantChangeType(&converted.v, &value, 0, VT_R8)))
        return QVariant(converted.v.dblVal);
    const HRESULT hr = VariantChangeType(&converted.v, &value, 0, VT_BSTR);
    if (FAILED(hr))
        raise(hr, progId);
    return QVariant(fromBstr(converted.v.bstrVal));
}

} // namespace

ComObject::ComObject(const QString &progId) : progId_(progId)
{
    // The calling thread joins a single-threaded apartment. S_FALSE (joined before) counts
    // like S_OK and is balanced the same; a thread already in the multithreaded apartment
    // (RPC_E_CHANGED_MODE) stays there, and COM reaches the object from it as well.
    uninitialize_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));

    CLSID clsid;
    IUnknown *unknown = nullptr;
    HRESULT hr = CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progId_.utf16()), &clsid);
    if (SUCCEEDED(hr))
        // In process, local or on another machine: where the server runs is up to how its
        // ProgID is registered (a remote server through its AppID), never up to us.
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, reinterpret_cast<void **>(&unknown));
    if (SUCCEEDED(hr)) {
        hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&dispatch_));
        unknown->Release();
    }
    if (FAILED(hr) || !dispatch_) {
        dispatch_ = nullptr;
        if (uninitialize_)
            CoUninitialize();
        throw Error::standard(Error::CannotCreateObject, progId_);
    }
}

ComObject::~ComObject()
{
    dispatch_->Release();
    if (uninitialize_)
        CoUninitialize();
}

// Reading with no arguments cannot tell a property from a method, so it asks for either,
// as the runtime does; a call statement invokes a method.
QVariant ComObject::get(std::string_view name)
{
    return invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD);
}

QVariant ComObject::call(std::string_view name)
{
    return invoke(name, DISPATCH_METHOD);
}

QVariant ComObject::invoke(std::string_view name, unsigned short flags)
{
    // The name goes to the server as given (it compares without letter case), through a
    // buffer on the stack.
    wchar_t wide[kLongestName + 1];
    const int length = name.empty() || name.size() > kLongestName
                           ? 0
                           : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(),
                                                 static_cast<int>(name.size()), wide, kLongestName);
    if (length <= 0)
        raise(DISP_E_UNKNOWNNAME, progId_);
    wide[length] = L'\0';
    LPOLESTR names[] = {wide};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        raise(DISP_E_UNKNOWNNAME, progId_);

    DISPPARAMS noArguments = {nullptr, nullptr, 0, 0};
    Variant result;
    EXCEPINFO exception = {};
    UINT badArgument = 0;
    const HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &noArguments, &result.v, &exception,
                                         &badArgument);
    if (hr == DISP_E_EXCEPTION)
        raiseServerError(exception, progId_);
    if (FAILED(hr))
        raise(hr, progId_);
    return toQVariant(result.v, progId_);
}

} // namespace tavrel
