#pragma once
// The platform's toast interfaces, declared here since the MinGW headers lack them (vtable order
// matters), and the runtime functions they are reached through, loaded at run time so the
// program still starts on systems without them.
#include <windows.h>

#include <inspectable.h>

#include <string>
#include <type_traits>

struct HSTRING__;
using HSTRING = HSTRING__*;

struct IToastNotifier : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE Show(IInspectable* notification) = 0;
};
struct IToastNotificationManagerStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE CreateToastNotifier(IToastNotifier** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateToastNotifierWithId(HSTRING appId, IToastNotifier** result) = 0;
};
struct IToastNotificationFactory : IInspectable {
    // `content` is the document's IXmlDocument interface.
    virtual HRESULT STDMETHODCALLTYPE CreateToastNotification(IInspectable* content, IInspectable** result) = 0;
};
struct IXmlDocumentIO : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE LoadXml(HSTRING xml) = 0;
};

inline constexpr GUID kIidToastManagerStatics = {
    0x50AC103F, 0xD235, 0x4598, {0xBB, 0xEF, 0x98, 0xFE, 0x4D, 0x1A, 0x3A, 0xD4}};
inline constexpr GUID kIidToastFactory = {0x04124B20, 0x82C6, 0x4229, {0xB1, 0x09, 0xFD, 0x9E, 0xD4, 0x66, 0x2B, 0x53}};
inline constexpr GUID kIidXmlDocument = {0xF7F3A506, 0x1E87, 0x42D6, {0xBC, 0xFB, 0xB8, 0xC8, 0x09, 0xFA, 0x54, 0x94}};
inline constexpr GUID kIidXmlDocumentIO = {
    0x6CD0E74E, 0xEE65, 0x4489, {0x9E, 0xBF, 0xCA, 0x43, 0xE8, 0x7B, 0xA6, 0x37}};

struct WinRtApi {
    HRESULT(WINAPI* getFactory)(HSTRING, REFIID, void**) = nullptr;
    HRESULT(WINAPI* activate)(HSTRING, IInspectable**) = nullptr;
    HRESULT(WINAPI* createString)(const wchar_t*, UINT32, HSTRING*) = nullptr;
    HRESULT(WINAPI* deleteString)(HSTRING) = nullptr;

    bool LoadFromCombase()
    {
        const HMODULE combase = ::LoadLibraryW(L"combase.dll");
        if (!combase)
            return false;
        auto get = [combase](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
                reinterpret_cast<void*>(::GetProcAddress(combase, name)));
            return fn != nullptr;
        };
        return get(getFactory, "RoGetActivationFactory") && get(activate, "RoActivateInstance") &&
               get(createString, "WindowsCreateString") && get(deleteString, "WindowsDeleteString");
    }
};

class HString {
public:
    HString(const WinRtApi& rt, const std::wstring& text) : rt_(rt)
    {
        rt_.createString(text.c_str(), static_cast<UINT32>(text.size()), &value_);
    }
    ~HString()
    {
        if (value_)
            rt_.deleteString(value_);
    }
    HString(const HString&) = delete;
    HString& operator=(const HString&) = delete;
    HSTRING get() const noexcept { return value_; }

private:
    const WinRtApi& rt_;
    HSTRING value_ = nullptr;
};

// Presents one silent two-line toast under `appId` (already registered) through `rt`.
bool ShowToast(const WinRtApi& rt, const std::wstring& appId, const std::wstring& title, const std::wstring& body);
