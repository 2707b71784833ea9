#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <deque>
#include <string>
#include <string_view>

#include "core/NotificationCenter.h"
#include "core/ToastRuntime.h"

namespace {

TEST(ToastAppId, IsAFixedPrefixAndEightHexDigitsOfThePath)
{
    const std::wstring id = ToastAppId(L"C:\\Tools\\zarvi.exe");
    ASSERT_EQ(id.size(), std::wstring(L"Zarvi.Launcher.").size() + 8);
    EXPECT_EQ(id.rfind(L"Zarvi.Launcher.", 0), 0u);
    for (wchar_t c : id.substr(id.size() - 8))
        EXPECT_TRUE(std::iswxdigit(c)) << static_cast<int>(c);
    EXPECT_EQ(id, ToastAppId(L"c:\\tools\\ZARVI.EXE")) << "the same file in other letter case";
    EXPECT_NE(id, ToastAppId(L"D:\\Tools\\zarvi.exe"));
}

TEST(PresentToast, FailsQuietlyWhereThePlatformHasNoToasts)
{
    // Wine has no toast notification manager: the caller must fall back, nothing may throw.
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "this system has toasts; showing one is no test";
    EXPECT_FALSE(PresentToast(L"ZARVI", L"I'm hidden in taskbar, press WIN+SPACE to start search"));
}

// A stand-in for the platform's toast runtime: every object answers only the interfaces the
// real one has, and what the program hands over is recorded.
namespace fake {

std::wstring_view Text(HSTRING s)
{
    return s ? std::wstring_view(*reinterpret_cast<const std::wstring*>(s)) : std::wstring_view();
}

constexpr GUID kIidInspectable = {0xAF86E2E0, 0xB12D, 0x4C6A, {0x9C, 0x5A, 0xD7, 0xAA, 0x65, 0x10, 0x1E, 0x90}};

template <typename Interface> struct Object : Interface {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = Answer(iid);
        return *out ? S_OK : E_NOINTERFACE;
    }
    virtual void* Answer(REFIID iid) { return iid == IID_IUnknown || iid == kIidInspectable ? this : nullptr; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel*) override { return E_NOTIMPL; }
};

struct Record {
    std::wstring xml;
    IInspectable* content = nullptr;
    std::wstring appId;
    IInspectable* shown = nullptr;
};
Record record;

// The document's IXmlDocument is an interface of its own, at another address than the
// IInspectable that activation hands out.
struct DocumentFace : Object<IInspectable> {};
struct Document : Object<IXmlDocumentIO> {
    DocumentFace face;
    void* Answer(REFIID iid) override
    {
        if (iid == kIidXmlDocument)
            return &face;
        return iid == kIidXmlDocumentIO ? this : Object::Answer(iid);
    }
    HRESULT STDMETHODCALLTYPE LoadXml(HSTRING xml) override
    {
        record.xml = Text(xml);
        return S_OK;
    }
} document;

struct Toast : Object<IInspectable> {
} toast;

struct Factory : Object<IToastNotificationFactory> {
    HRESULT STDMETHODCALLTYPE CreateToastNotification(IInspectable* content, IInspectable** result) override
    {
        record.content = content;
        *result = &toast;
        return S_OK;
    }
} factory;

struct Notifier : Object<IToastNotifier> {
    HRESULT STDMETHODCALLTYPE Show(IInspectable* notification) override
    {
        record.shown = notification;
        return S_OK;
    }
} notifier;

struct Manager : Object<IToastNotificationManagerStatics> {
    HRESULT STDMETHODCALLTYPE CreateToastNotifier(IToastNotifier**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateToastNotifierWithId(HSTRING appId, IToastNotifier** result) override
    {
        record.appId = Text(appId);
        *result = &notifier;
        return S_OK;
    }
} manager;

HRESULT WINAPI GetFactory(HSTRING name, REFIID iid, void** out)
{
    *out = nullptr;
    if (Text(name) == L"Windows.UI.Notifications.ToastNotificationManager" && iid == kIidToastManagerStatics)
        *out = static_cast<IToastNotificationManagerStatics*>(&manager);
    if (Text(name) == L"Windows.UI.Notifications.ToastNotification" && iid == kIidToastFactory)
        *out = static_cast<IToastNotificationFactory*>(&factory);
    return *out ? S_OK : REGDB_E_CLASSNOTREG;
}
HRESULT WINAPI Activate(HSTRING name, IInspectable** out)
{
    *out = Text(name) == L"Windows.Data.Xml.Dom.XmlDocument" ? &document : nullptr;
    return *out ? S_OK : REGDB_E_CLASSNOTREG;
}
std::deque<std::wstring> strings; // kept for the whole test program: no string outlives it
HRESULT WINAPI CreateString(const wchar_t* text, UINT32 length, HSTRING* out)
{
    *out = reinterpret_cast<HSTRING>(&strings.emplace_back(text, length));
    return S_OK;
}
HRESULT WINAPI DeleteString(HSTRING)
{
    return S_OK;
}

} // namespace fake

TEST(ShowToast, HandsTheFactoryTheDocumentAsTheInterfaceItDeclares)
{
    fake::record = {};
    const WinRtApi rt{&fake::GetFactory, &fake::Activate, &fake::CreateString, &fake::DeleteString};
    ASSERT_TRUE(ShowToast(rt, L"Zarvi.Launcher.0123ABCD", L"ZARVI", L"press WIN+<"));
    EXPECT_EQ(fake::record.content, static_cast<IInspectable*>(&fake::document.face))
        << "the toast was made from the activation's interface, not the document's";
    EXPECT_EQ(fake::record.xml, L"<toast><visual><binding template=\"ToastGeneric\"><text>ZARVI</text><text>press "
                                L"WIN+&lt;</text></binding></visual><audio silent=\"true\"/></toast>");
    EXPECT_EQ(fake::record.appId, L"Zarvi.Launcher.0123ABCD");
    EXPECT_EQ(fake::record.shown, static_cast<IInspectable*>(&fake::toast));
}

} // namespace
