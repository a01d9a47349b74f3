// A data server for the Windows tests: an in-process COM server registered with
// regsvr32 under the ProgID "Ostrel.clsFlightData". It offers the members the program
// polls (FillFlightData, Close, Ostrely and one property per flight value) by name only,
// through IDispatch without a type library, names compared without letter case. Its
// values are the program's simulated flight, moved on a fixed step per FillFlightData.
// Two extra members: OddCurrency answers with a currency value, OddRaise raises the
// server's own error (its description filled in only when asked for).
//
// Like the program's built-in server, it appends each FillFlightData, Close and Ostrely
// to the file named by TAVREL_DATA_SERVER_JOURNAL ("FillFlightData", "Close",
// "Ostrely<TAB>1").
#include "sources/SimulatedFlight.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <new>

using namespace tavrel;

namespace {

// {BCEAB7A0-C474-4015-80A6-6838CD1B2EE7}
constexpr CLSID kClsid = {0xbceab7a0, 0xc474, 0x4015, {0x80, 0xa6, 0x68, 0x38, 0xcd, 0x1b, 0x2e, 0xe7}};
#define CLSID_TEXT L"{BCEAB7A0-C474-4015-80A6-6838CD1B2EE7}"
constexpr wchar_t kProgId[] = L"Ostrel.clsFlightData";
constexpr wchar_t kProgIdKey[] = L"Ostrel.clsFlightData\\CLSID";
constexpr wchar_t kClassKey[] = L"CLSID\\" CLSID_TEXT;
constexpr wchar_t kServerKey[] = L"CLSID\\" CLSID_TEXT L"\\InprocServer32";

// Each FillFlightData moves the server's flight on by this much.
constexpr double kSecondsPerFill = 0.1;

// Member numbers: the two methods, Ostrely, the two odd members, the fields by their index.
constexpr DISPID kFill = 1, kClose = 2, kOstrely = 3, kCurrency = 4, kRaise = 5, kFirstField = 100;

bool offered(const FieldInfo &field)
{
    return field.kind != FieldKind::Reserved && field.name != "AdiIlsPos2";
}

bool sameName(const wchar_t *wide, const char *name, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        if (!wide[i] || std::towlower(wide[i]) != std::towlower(static_cast<unsigned char>(name[i])))
            return false;
    return wide[length] == L'\0';
}

DISPID memberId(const wchar_t *name)
{
    constexpr const char *kFixed[] = {"FillFlightData", "Close", "Ostrely", "OddCurrency", "OddRaise"};
    for (DISPID i = 0; i < 5; ++i)
        if (sameName(name, kFixed[i], std::char_traits<char>::length(kFixed[i])))
            return kFill + i;
    for (std::size_t i = 0; i < kFlightDataFields.size(); ++i)
        if (offered(kFlightDataFields[i])
            && sameName(name, kFlightDataFields[i].name.data(), kFlightDataFields[i].name.size()))
            return kFirstField + static_cast<DISPID>(i);
    return DISPID_UNKNOWN;
}

HRESULT STDMETHODCALLTYPE describeRecorderFault(EXCEPINFO *info)
{
    info->bstrDescription = SysAllocString(L"The flight recorder is offline");
    info->bstrSource = SysAllocString(L"Ostrel.Recorder");
    return S_OK;
}

class FlightDataServer final : public IDispatch
{
public:
    FlightDataServer()
    {
        if (const char *path = std::getenv("TAVREL_DATA_SERVER_JOURNAL"); path && *path)
            journal_ = std::fopen(path, "ab");
    }
    ~FlightDataServer()
    {
        if (journal_)
            std::fclose(journal_);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override
    {
        *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids) override
    {
        for (UINT i = 0; i < count; ++i) // no member takes named arguments
            ids[i] = DISPID_UNKNOWN;
        ids[0] = memberId(names[0]);
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS *parameters, VARIANT *result,
                                     EXCEPINFO *exception, UINT *) override
    {
        if (iid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        if (parameters && parameters->cArgs)
            return DISP_E_BADPARAMCOUNT;
        const bool method = id == kFill || id == kClose;
        if (!(flags & (method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET)))
            return DISP_E_MEMBERNOTFOUND;
        VARIANT ignored;
        if (!result)
            result = &ignored;
        VariantInit(result);
        if (id == kFill) {
            ++fills_;
            flight_.sample(fills_ * kSecondsPerFill, snapshot_);
            journal("FillFlightData");
            return S_OK;
        }
        if (id == kClose) {
            journal("Close");
            return S_OK;
        }
        if (id == kOstrely) {
            journal("Ostrely\t1");
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_TRUE;
            return S_OK;
        }
        if (id == kCurrency) {
            result->vt = VT_CY;
            result->cyVal.int64 = 12345678; // 1234.5678
            return S_OK;
        }
        if (id == kRaise) {
            if (!exception)
                return DISP_E_EXCEPTION;
            *exception = {};
            exception->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1001);
            exception->pfnDeferredFillIn = describeRecorderFault;
            return DISP_E_EXCEPTION;
        }
        if (id < kFirstField || id >= kFirstField + static_cast<DISPID>(kFlightDataFields.size()))
            return DISP_E_MEMBERNOTFOUND;
        const FieldInfo &field = kFlightDataFields[static_cast<std::size_t>(id - kFirstField)];
        switch (field.kind) {
        case FieldKind::Float:
            result->vt = VT_R4;
            result->fltVal = floatField(snapshot_, field);
            break;
        case FieldKind::Int:
            result->vt = VT_I4;
            result->lVal = intField(snapshot_, field);
            break;
        case FieldKind::Text:
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(textField(snapshot_, field)),
                                                kTextFieldLength);
            break;
        case FieldKind::Reserved:
            return DISP_E_MEMBERNOTFOUND;
        }
        return S_OK;
    }

private:
    void journal(const char *line)
    {
        if (journal_) {
            std::fprintf(journal_, "%s\n", line);
            std::fflush(journal_);
        }
    }

    LONG references_ = 1;
    SimulatedFlight flight_;
    FlightData snapshot_{};
    int fills_ = 0;
    FILE *journal_ = nullptr;
};

class Factory final : public IClassFactory
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // static: never deleted
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override
    {
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto *server = new (std::nothrow) FlightDataServer;
        if (!server)
            return E_OUTOFMEMORY;
        const HRESULT hr = server->QueryInterface(iid, out);
        server->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override
    {
        return S_OK; // the DLL is never unloaded
    }
} factory;

bool setText(const wchar_t *key, const wchar_t *name, const wchar_t *value)
{
    const auto bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key, name, REG_SZ, value, bytes) == ERROR_SUCCESS;
}

} // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **out)
{
    *out = nullptr;
    return clsid == kClsid ? factory.QueryInterface(iid, out) : CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllRegisterServer()
{
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH];
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&DllRegisterServer), &module)
        || !GetModuleFileNameW(module, path, MAX_PATH))
        return SELFREG_E_CLASS;
    const bool done = setText(kProgIdKey, nullptr, CLSID_TEXT) && setText(kClassKey, nullptr, kProgId)
                      && setText(kClassKey, L"ProgID", kProgId) && setText(kServerKey, nullptr, path)
                      && setText(kServerKey, L"ThreadingModel", L"Apartment");
    return done ? S_OK : SELFREG_E_CLASS;
}

} // extern "C"
