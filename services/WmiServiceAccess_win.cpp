#include "services/WmiServiceAccess_win.h"

#include "common/ComPtrs_win.h"
#include "common/HResultText_win.h"
#include "common/Text.h"
#include "common/UniqueHandle_win.h"
#include "services/ServiceOutcome.h"
#include "services/ServiceWork.h"
#include "services/WmiNames.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>


#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <chrono>
#include <string>
#include <vector>

namespace quenlow {

namespace {

using Microsoft::WRL::ComPtr;

// What the moniker winmgmts:\\.\root\cimv2 binds: root\cimv2 on the local computer.
constexpr std::wstring_view kNamespace = L"\\\\.\\root\\cimv2";

constexpr HRESULT kWbemFailed = static_cast<HRESULT>(WBEM_E_FAILED);
constexpr HRESULT kWbemInvalidObject = static_cast<HRESULT>(WBEM_E_INVALID_OBJECT);
constexpr HRESULT kWbemInvalidParameter = static_cast<HRESULT>(WBEM_E_INVALID_PARAMETER);
// A limit as WMI takes it: milliseconds in a long.
long TimeoutOf(std::chrono::milliseconds limit)
{
    return static_cast<long>(std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, 0x7FFFFFFF));
}

// ConnectServer gives up after two minutes instead of waiting for ever.
constexpr LONG kConnectUseMaxWait = 0x80; // WBEM_FLAG_CONNECT_USE_MAX_WAIT

// No call cuts a connection short: the wait on the window thread gives the work up once the
// connection has taken longer than WMI is allowed to (its board says since when), and the thread
// is left to end when WMI lets go of it. The thread is already in the multithreaded apartment.
ComPtr<IWbemServices> Connect(const std::wstring& activity)
{
    ComPtr<IWbemLocator> locator;
    ThrowIfFailed(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator)),
                  activity);
    const UniqueBstr wmiNamespace(kNamespace);
    ComPtr<IWbemServices> services;
    ThrowIfFailed(locator->ConnectServer(wmiNamespace.get(), nullptr, nullptr, nullptr, kConnectUseMaxWait, nullptr,
                                         nullptr, &services),
                  activity);
    return services;
}

// Lets WMI act as the caller when it talks to the service manager.
void SetCallerBlanket(IUnknown* proxy, std::wstring_view activity)
{
    ThrowIfFailed(::CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE),
                  activity);
}

// A CIM string ends at its first NUL. Wine hands out __PATH and __RELPATH in BSTRs longer
// than their text, padded with NULs, which must not reach a comparison or a method call.
std::wstring TextOf(BSTR text)
{
    if (!text) {
        return {};
    }
    const std::wstring_view whole(text, ::SysStringLen(text));
    return std::wstring(whole.substr(0, whole.find(L'\0')));
}

std::wstring_view MethodName(ServiceMethod method)
{
    return method == ServiceMethod::Start ? wmi::kStartService : wmi::kStopService;
}

// How this process's WMI answers a method call: through a call result, as documented for a
// semisynchronous call, or only synchronously. Wine's takes no flags: it runs the method at once,
// hands out its out-parameters only where they were asked for and no call result at all, so a
// semisynchronous call there starts the service and loses its ReturnValue.
enum class CallForm { Unknown, Semisynchronous, Synchronous };
std::atomic<CallForm> g_callForm{CallForm::Unknown};

// Asked once, of something that runs nothing: a semisynchronous GetObject of __SystemSecurity,
// a class that every namespace has. WMI that answers such calls hands out a call result at once;
// one that refuses the form (Wine: WBEM_E_INVALID_PARAMETER), or answers without a call result,
// is called synchronously from then on. Any other failure says nothing, and the documented form
// is taken this time.
CallForm CallFormOf(IWbemServices& services)
{
    CallForm form = g_callForm.load();
    if (form != CallForm::Unknown) {
        return form;
    }
    const UniqueBstr anyClass(L"__SystemSecurity");
    ComPtr<IWbemCallResult> callResult;
    const HRESULT hr = services.GetObject(anyClass.get(), WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, nullptr, &callResult);
    if (SUCCEEDED(hr)) {
        form = callResult ? CallForm::Semisynchronous : CallForm::Synchronous;
    } else if (hr == kWbemInvalidParameter || hr == E_INVALIDARG) {
        form = CallForm::Synchronous;
    } else {
        return CallForm::Semisynchronous;
    }
    g_callForm.store(form);
    return form;
}

// The out-parameters of a semisynchronous call, waited for within the limit.
ComPtr<IWbemClassObject> AnswerWithin(IWbemCallResult& callResult, std::chrono::milliseconds answerWithin,
                                      const std::wstring& activity)
{
    SetCallerBlanket(&callResult, activity);
    ComPtr<IWbemClassObject> outParameters;
    const HRESULT hr = callResult.GetResultObject(TimeoutOf(answerWithin), &outParameters);
    if (hr == WBEM_S_TIMEDOUT) {
        throw NoAnswerFromWmi(answerWithin);
    }
    ThrowIfFailed(hr, activity);
    return outParameters;
}

struct Property {
    std::wstring name;
    UniqueVariant value;
};

// An instance's properties as they were when the query found it: those the caller asked to
// keep, of the class's own and __PATH, which method calls need. Wine serves every query on a class
// from one shared table that the next query on that class - ExecMethod runs one - refills with
// its own rows: instances and enumerators of an earlier query then read another service's values,
// or freed memory. Copying what each instance is read for while its query is walked keeps what
// the caller reads true to what was found; copying no more keeps a long list small.
using Snapshot = std::vector<Property>;

Snapshot TakeSnapshot(IWbemClassObject& object, std::span<const std::wstring_view> keep)
{
    Snapshot snapshot;
    snapshot.reserve(keep.size());
    for (const std::wstring_view name : keep) {
        Property property{std::wstring(name), UniqueVariant()};
        const UniqueBstr nameBstr(name);
        const HRESULT hr = object.Get(nameBstr.get(), 0, property.value.put(), nullptr, nullptr);
        if (hr == kWmiNotFound) {
            continue; // a property this class lacks (Wine's has no CheckPoint, for one): null
        }
        ThrowIfFailed(hr, L"reading the property " + property.name + L" of a service");
        snapshot.push_back(std::move(property));
    }
    return snapshot;
}

class WmiServiceObject final : public IServiceObject {
public:
    WmiServiceObject(ComPtr<IWbemServices> services, Snapshot snapshot, const WmiWorkEvents* events)
        : m_services(std::move(services)), m_snapshot(std::move(snapshot)), m_events(events)
    {
    }

    std::optional<std::wstring> ReadText(std::wstring_view property) override
    {
        const std::wstring name(property);
        VARIANT& value = Find(name);
        if (value.vt == VT_NULL || value.vt == VT_EMPTY) {
            return std::nullopt;
        }
        if (value.vt == VT_BSTR) {
            return TextOf(value.bstrVal);
        }
        UniqueVariant text;
        ThrowIfFailed(::VariantChangeType(text.put(), &value, VARIANT_ALPHABOOL, VT_BSTR),
                      L"converting the property " + name + L" of a service to text");
        return TextOf(text.get().bstrVal);
    }

    std::optional<std::uint32_t> ReadUnsigned(std::wstring_view property) override
    {
        const std::wstring name(property);
        VARIANT* value = FindIfPresent(name);
        if (!value || value->vt == VT_NULL || value->vt == VT_EMPTY) {
            return std::nullopt;
        }
        // CIM's uint32 travels as VT_I4, so codes from 2^31 up (HRESULTs, for example) arrive
        // negative: take their bits as they are rather than have a conversion refuse them.
        if (value->vt == VT_I4) {
            return static_cast<std::uint32_t>(value->lVal);
        }
        UniqueVariant number;
        ThrowIfFailed(::VariantChangeType(number.put(), value, 0, VT_UI4),
                      L"reading the property " + name + L" of a service as a number");
        return static_cast<std::uint32_t>(number.get().ulVal);
    }

    std::int32_t CallMethod(ServiceMethod method, std::chrono::milliseconds answerWithin) override
    {
        const std::wstring methodName(MethodName(method));
        const auto path = ReadText(wmi::kPath);
        if (!path || path->empty()) {
            ThrowHResult(kWbemInvalidObject, L"calling " + methodName + L" on a service that has no object path");
        }
        const std::wstring activity = L"calling " + methodName + L" on " + *path;
        const ComPtr<IWbemClassObject> outParameters = ExecMethodWithin(*path, methodName, answerWithin, activity);
        if (!outParameters) {
            ThrowHResult(kWbemFailed, activity + L": WMI gave no ReturnValue");
        }

        UniqueVariant returned;
        ThrowIfFailed(outParameters->Get(wmi::kReturnValue.data(), 0, returned.put(), nullptr, nullptr),
                      L"reading the ReturnValue of " + methodName);
        if (returned.type() == VT_I4) {
            return static_cast<std::int32_t>(returned.get().lVal);
        }
        UniqueVariant number;
        ThrowIfFailed(::VariantChangeType(number.put(), returned.addressof(), 0, VT_I4),
                      L"reading the ReturnValue of " + methodName);
        return static_cast<std::int32_t>(number.get().lVal);
    }

private:
    // The method's out-parameters, by the documented semisynchronous call (the call result alone,
    // then its answer within the limit) where WMI answers that way; by the synchronous call where
    // it does not (CallFormOf), or where it refuses the first as a form, which runs nothing.
    ComPtr<IWbemClassObject> ExecMethodWithin(const std::wstring& path, const std::wstring& methodName,
                                              std::chrono::milliseconds answerWithin, const std::wstring& activity)
    {
        const UniqueBstr objectPath(path);
        const UniqueBstr methodBstr(methodName);
        // Wine carries the whole method out within ExecMethod: it refills the shared table first and
        // lets go of it last. A semisynchronous call is answered at once, and its answer is waited
        // for without the turn.
        std::optional<WmiTableTurn> turn(std::in_place, m_events);
        if (CallFormOf(*m_services.Get()) == CallForm::Semisynchronous) {
            ComPtr<IWbemCallResult> callResult;
            const HRESULT hr = m_services->ExecMethod(objectPath.get(), methodBstr.get(), WBEM_FLAG_RETURN_IMMEDIATELY,
                                                      nullptr, nullptr, nullptr, &callResult);
            if (hr != kWbemInvalidParameter && hr != E_INVALIDARG) {
                turn.reset();
                ThrowIfFailed(hr, activity);
                if (!callResult) {
                    // Taken without the call result the form promises: the method may have run,
                    // so it is not called again.
                    ThrowHResult(kWbemFailed, activity + L": WMI gave no call result");
                }
                return AnswerWithin(*callResult.Get(), answerWithin, activity);
            }
        }
        ComPtr<IWbemClassObject> outParameters;
        ThrowIfFailed(m_services->ExecMethod(objectPath.get(), methodBstr.get(), 0, nullptr, nullptr, &outParameters,
                                             nullptr),
                      activity);
        return outParameters;
    }

    // WMI's property names ignore case, as its Get does.
    VARIANT* FindIfPresent(const std::wstring& name)
    {
        for (auto& property : m_snapshot) {
            if (EqualNoCase(property.name, name)) {
                return property.value.addressof();
            }
        }
        return nullptr;
    }

    VARIANT& Find(const std::wstring& name)
    {
        if (VARIANT* value = FindIfPresent(name)) {
            return *value;
        }
        ThrowHResult(kWmiNotFound, L"reading the property " + name + L" of a service");
    }

    ComPtr<IWbemServices> m_services;
    Snapshot m_snapshot;
    const WmiWorkEvents* m_events;
};

class WmiServiceResult final : public IServiceResult {
public:
    WmiServiceResult(ComPtr<IWbemServices> services, std::vector<Snapshot> instances, const WmiWorkEvents* events)
        : m_services(std::move(services)), m_instances(std::move(instances)), m_events(events)
    {
    }

    std::unique_ptr<IServiceObject> Next() override
    {
        if (m_next == m_instances.size()) {
            return nullptr;
        }
        return std::make_unique<WmiServiceObject>(m_services, std::move(m_instances[m_next++]), m_events);
    }

private:
    ComPtr<IWbemServices> m_services;
    std::vector<Snapshot> m_instances;
    const WmiWorkEvents* m_events;
    std::size_t m_next = 0;
};

class WmiServiceConnection final : public IServiceConnection {
public:
    WmiServiceConnection(ComPtr<IWbemServices> services, const WmiWorkEvents* events)
        : m_services(std::move(services)), m_events(events)
    {
    }

    std::unique_ptr<IServiceResult> ExecQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                                              std::chrono::milliseconds answerWithin) override
    {
        std::vector<Snapshot> instances;
        Walk(query, keep, answerWithin,
             [&instances](Snapshot&& instance) { instances.push_back(std::move(instance)); });
        return std::make_unique<WmiServiceResult>(m_services, std::move(instances), m_events);
    }

    void VisitQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                    std::chrono::milliseconds answerWithin,
                    const std::function<void(IServiceObject&)>& visit) override
    {
        Walk(query, keep, answerWithin, [this, &visit](Snapshot&& instance) {
            WmiServiceObject service(m_services, std::move(instance), m_events);
            visit(service);
        });
    }

private:
    // Runs the query and hands over each instance's copy as it is read: the whole set before the
    // caller can run anything else on WMI, within the limit as a whole, counted from the turn. The
    // turn is held until the enumerator is let go (in Wine, its last reference empties the table);
    // a walk of work that was given up stops at the next instance.
    void Walk(std::wstring_view query, std::span<const std::wstring_view> keep,
              std::chrono::milliseconds answerWithin, const std::function<void(Snapshot&&)>& take)
    {
        const std::wstring activity = L"running the WMI query " + std::wstring(query);
        const WmiTableTurn turn(m_events);
        const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(TimeoutOf(answerWithin));
        const UniqueBstr language(L"WQL");
        const UniqueBstr text(query);
        ComPtr<IEnumWbemClassObject> enumerator;
        ThrowIfFailed(m_services->ExecQuery(language.get(), text.get(),
                                            WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                            &enumerator),
                      activity);
        SetCallerBlanket(enumerator.Get(), activity);

        for (;;) {
            if (WorkGivenUp(m_events)) {
                throw RequestNotSent();
            }
            ComPtr<IWbemClassObject> object;
            ULONG returned = 0;
            const ULONGLONG now = ::GetTickCount64();
            const long left = now < deadline ? static_cast<long>(deadline - now) : 0;
            // WBEM_S_FALSE with nothing returned marks the end; failures of a query that was
            // accepted at once (WBEM_FLAG_RETURN_IMMEDIATELY) surface here.
            const HRESULT hr = enumerator->Next(left, 1, &object, &returned);
            if (hr == WBEM_S_TIMEDOUT) {
                throw NoAnswerFromWmi(answerWithin);
            }
            ThrowIfFailed(hr, activity);
            if (returned == 0 || !object) {
                break;
            }
            take(TakeSnapshot(*object.Get(), keep));
        }
    }

    ComPtr<IWbemServices> m_services;
    const WmiWorkEvents* m_events;
};

} // namespace

std::unique_ptr<IServiceConnection> WmiServiceAccess::fConnectWmi()
{
    const std::wstring activity = L"connecting to WMI namespace " + std::wstring(kNamespace);
    ComPtr<IWbemServices> services = Connect(activity);
    SetCallerBlanket(services.Get(), activity);
    return std::make_unique<WmiServiceConnection>(std::move(services), m_events);
}

bool WmiServiceAccess::CallerIsElevated()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return true; // nothing says otherwise: say nothing about rights
    }
    const UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size)) {
        return true;
    }
    return elevation.TokenIsElevated != 0;
}

} // namespace quenlow
