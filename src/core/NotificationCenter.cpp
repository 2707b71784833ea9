#include "core/NotificationCenter.h"

#include <windows.h>

#include <inspectable.h>
#include <objbase.h>
#include <propidl.h>
#include <propsys.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>

#include "core/AppPathHelper.h"
#include "core/Handle.h"
#include "core/ToastRuntime.h"
#include "core/rules/Ascii.h"
#include "core/WindowsSpecialFolderHelper.h"

namespace {

// System.AppUserModel.ID of a shortcut.
constexpr PROPERTYKEY kAppUserModelId = {{0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}},
                                         5};

std::wstring XmlEscaped(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'"':
            out += L"&quot;";
            break;
        case L'\'':
            out += L"&apos;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

void EnsureSettingsKey(const std::wstring& appId)
{
    const std::wstring path = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Notifications\\Settings\\" + appId;
    RegKeyHandle key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
        return;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) ==
        ERROR_SUCCESS) {
        const DWORD one = 1;
        ::RegSetValueExW(key.get(), L"ShowInActionCenter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                         sizeof(one));
    }
}

// A Start-menu shortcut to the program carrying `appId`; one that points here already is kept.
bool EnsureShortcut(const std::wstring& exe, const std::wstring& appId)
{
    const std::wstring programs = GetSpecialFolder(CSIDL_PROGRAMS);
    if (programs.empty())
        return false;
    const std::wstring link = programs + L"\\" + GetExeName() + L".lnk";

    ComPtr<IShellLinkW> shell;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shell.put_void())))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(shell->QueryInterface(IID_IPersistFile, file.put_void())))
        return false;
    if (SUCCEEDED(file->Load(link.c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {};
        if (SUCCEEDED(shell->GetPath(target, MAX_PATH, nullptr, 0)) && _wcsicmp(target, exe.c_str()) == 0)
            return true;
    }
    shell->SetPath(exe.c_str());
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    shell->SetWorkingDirectory(folder.c_str());
    ComPtr<IPropertyStore> properties;
    if (FAILED(shell->QueryInterface(IID_IPropertyStore, properties.put_void())))
        return false;
    PROPVARIANT value{};
    value.vt = VT_LPWSTR;
    value.pwszVal = static_cast<wchar_t*>(::CoTaskMemAlloc((appId.size() + 1) * sizeof(wchar_t)));
    if (!value.pwszVal)
        return false;
    wcscpy_s(value.pwszVal, appId.size() + 1, appId.c_str());
    const bool stored = SUCCEEDED(properties->SetValue(kAppUserModelId, value)) && SUCCEEDED(properties->Commit());
    ::PropVariantClear(&value);
    return stored && SUCCEEDED(file->Save(link.c_str(), TRUE));
}

} // namespace

std::wstring ToastAppId(const std::wstring& exePath)
{
    // FNV-1a over the path with a to z folded: the same file gives the same identity.
    uint32_t hash = 2166136261u;
    for (wchar_t c : exePath) {
        hash = (hash ^ static_cast<uint32_t>(ascii::Upper(c))) * 16777619u;
    }
    wchar_t digits[9] = {};
    swprintf(digits, 9, L"%08X", hash);
    return std::wstring(L"Zarvi.Launcher.") + digits;
}

bool ShowToast(const WinRtApi& rt, const std::wstring& appId, const std::wstring& title, const std::wstring& body)
{
    const HString xmlClass(rt, L"Windows.Data.Xml.Dom.XmlDocument");
    ComPtr<IInspectable> instance;
    if (FAILED(rt.activate(xmlClass.get(), instance.put())))
        return false;
    ComPtr<IXmlDocumentIO> loader;
    if (FAILED(instance->QueryInterface(kIidXmlDocumentIO, loader.put_void())))
        return false;
    const HString xml(rt, L"<toast><visual><binding template=\"ToastGeneric\"><text>" + XmlEscaped(title) +
                              L"</text><text>" + XmlEscaped(body) +
                              L"</text></binding></visual><audio silent=\"true\"/></toast>");
    if (FAILED(loader->LoadXml(xml.get())))
        return false;
    // The factory takes the document as the interface it declares, not as whatever activation gave.
    ComPtr<IInspectable> document;
    if (FAILED(instance->QueryInterface(kIidXmlDocument, document.put_void())))
        return false;

    const HString toastClass(rt, L"Windows.UI.Notifications.ToastNotification");
    ComPtr<IToastNotificationFactory> factory;
    if (FAILED(rt.getFactory(toastClass.get(), kIidToastFactory, factory.put_void())))
        return false;
    ComPtr<IInspectable> toast;
    if (FAILED(factory->CreateToastNotification(document.get(), toast.put())))
        return false;
    const HString managerClass(rt, L"Windows.UI.Notifications.ToastNotificationManager");
    ComPtr<IToastNotificationManagerStatics> manager;
    if (FAILED(rt.getFactory(managerClass.get(), kIidToastManagerStatics, manager.put_void())))
        return false;
    const HString id(rt, appId);
    ComPtr<IToastNotifier> notifier;
    if (FAILED(manager->CreateToastNotifierWithId(id.get(), notifier.put())))
        return false;
    return SUCCEEDED(notifier->Show(toast.get()));
}

bool PresentToast(const std::wstring& title, const std::wstring& body)
{
    static WinRtApi rt;
    static const bool loaded = rt.LoadFromCombase();
    if (!loaded)
        return false;

    // No toast manager, no toasts on this system: nothing to register for.
    const HString managerClass(rt, L"Windows.UI.Notifications.ToastNotificationManager");
    ComPtr<IToastNotificationManagerStatics> manager;
    if (FAILED(rt.getFactory(managerClass.get(), kIidToastManagerStatics, manager.put_void())))
        return false;

    const std::wstring exe = GetExeFile();
    const std::wstring appId = ToastAppId(exe);
    static bool registered = false;
    if (!registered) {
        EnsureSettingsKey(appId);
        registered = EnsureShortcut(exe, appId);
        if (!registered)
            return false;
    }
    return ShowToast(rt, appId, title, body);
}
