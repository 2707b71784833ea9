#include "core/KeyHookHelper.h"

#include "core/SettingsFile.h"
#include "core/rules/Hotkey.h"

std::wstring HotkeyName = L"space";
std::atomic<DWORD> HotkeyKey = hotkey::kSpace;
HookHandle KeyHookHandle;

namespace {

// Read by the hook's thread, written by the user-interface thread.
std::atomic<HWND> ShowBarWindow = nullptr;
std::atomic<UINT> ShowBarMessage = 0;

KernelHandle HookThread;
DWORD HookThreadId = 0;

// The hook's thread: installs the hook, then runs a message loop that waits for nothing else
// (the platform calls the hook through it) until it is told to quit.
DWORD WINAPI RunHookThread(void* ready) noexcept
{
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists from here on
    KeyHookHandle.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyHookProc, ::GetModuleHandleW(nullptr), 0));
    ::SetEvent(static_cast<HANDLE>(ready));
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    KeyHookHandle.reset();
    return 0;
}
constexpr WORD kUnassignedKey = 0xE8; // no key of any layout sends it

bool IsDown(int vk) noexcept
{
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

hotkey::Message ToMessage(WPARAM wParam) noexcept
{
    switch (wParam) {
    case WM_KEYDOWN:
        return hotkey::Message::KeyDown;
    case WM_KEYUP:
        return hotkey::Message::KeyUp;
    case WM_SYSKEYDOWN:
        return hotkey::Message::SysKeyDown;
    case WM_SYSKEYUP:
        return hotkey::Message::SysKeyUp;
    default:
        return hotkey::Message::Other;
    }
}

} // namespace

std::wstring GetHotkeyName()
{
    return HotkeyName;
}

std::wstring NormalizeHotkeyName(const std::wstring& name)
{
    return hotkey::NormalizeName(name);
}

DWORD HotkeyNameToKey(const std::wstring& name)
{
    return hotkey::NameToKey(name);
}

void SetHotkey(const std::wstring& name)
{
    HotkeyName = NormalizeHotkeyName(name);
    HotkeyKey = HotkeyNameToKey(HotkeyName);
}

void LoadHotkey()
{
    SetHotkey(L"space");
    SetHotkey(ReadSettingString(L"Hotkey", HotkeyName));
}

void SaveHotkey(const std::wstring& name)
{
    SetHotkey(name);
    WriteSettingString(L"Hotkey", HotkeyName);
}

void SetShowBarTarget(HWND window, UINT message) noexcept
{
    ShowBarWindow = window;
    ShowBarMessage = message;
}

void InstallKeyHook()
{
    LoadHotkey();
    if (HookThread)
        return;
    const KernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HookThread.reset(::CreateThread(nullptr, 0, &RunHookThread, ready.get(), 0, &HookThreadId));
    // A refused hook is not reported: the bar is still reached through the tray.
    if (HookThread)
        ::WaitForSingleObject(ready.get(), INFINITE);
}

void RemoveKeyHook() noexcept
{
    if (!HookThread)
        return;
    ::PostThreadMessageW(HookThreadId, WM_QUIT, 0, 0);
    ::WaitForSingleObject(HookThread.get(), INFINITE);
    HookThread.reset();
    HookThreadId = 0;
}

LRESULT CALLBACK KeyHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (event->dwExtraInfo != kOwnInputMarker) {
            const DWORD hotkeyKey = HotkeyKey;
            const hotkey::KeyState state{IsDown(VK_LWIN) || IsDown(VK_RWIN), IsDown(static_cast<int>(hotkeyKey))};
            const auto decision = hotkey::Decide({ToMessage(wParam), event->vkCode}, state, hotkeyKey);
            if (decision.swallow) {
                if (const HWND target = ShowBarWindow; decision.show && target)
                    ::PostMessageW(target, ShowBarMessage, 0, 0);
                return 1;
            }
        }
    }
    return ::CallNextHookEx(KeyHookHandle.get(), code, wParam, lParam);
}

void MaskWindowsKeyRelease() noexcept
{
    INPUT inputs[2]{};
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = kUnassignedKey;
        inputs[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
        inputs[i].ki.dwExtraInfo = kOwnInputMarker;
    }
    ::SendInput(2, inputs, sizeof(INPUT));
}
