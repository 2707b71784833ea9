#include "core/KeyHookHelper.h"

#include "core/SettingsFile.h"
#include "core/rules/Hotkey.h"

std::wstring HotkeyName = L"space";
DWORD HotkeyKey = hotkey::kSpace;
HookHandle KeyHookHandle;

namespace {

HWND ShowBarWindow = nullptr;
UINT ShowBarMessage = 0;
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
    if (!KeyHookHandle)
        KeyHookHandle.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyHookProc, ::GetModuleHandleW(nullptr), 0));
}

void RemoveKeyHook() noexcept
{
    KeyHookHandle.reset();
}

LRESULT CALLBACK KeyHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (event->dwExtraInfo != kOwnInputMarker) {
            const hotkey::KeyState state{IsDown(VK_LWIN) || IsDown(VK_RWIN), IsDown(static_cast<int>(HotkeyKey))};
            const auto decision = hotkey::Decide({ToMessage(wParam), event->vkCode}, state, HotkeyKey);
            if (decision.swallow) {
                if (decision.show && ShowBarWindow)
                    ::PostMessageW(ShowBarWindow, ShowBarMessage, 0, 0);
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
