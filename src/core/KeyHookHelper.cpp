#include "core/KeyHookHelper.h"

#include <bitset>
#include <deque>
#include <vector>

#include "core/Lock.h"
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
hotkey::RecentPresses Recent; // the hook's thread only

// The typeahead: kept by the hook's thread, typed again by the user-interface thread (or by
// the hook's thread itself when the time is up).
struct Typeahead {
    SRWLOCK lock = SRWLOCK_INIT;
    bool keeping = false;
    bool replaying = false; // the bar types them again itself, one by one
    std::deque<INPUT> kept;
    std::bitset<256> keptDown; // keys whose press was kept: their release is kept too
    // When the first kept key began to wait: since the shortcut, or since the bar took the one
    // before it.
    ULONGLONG waitingSince = 0;
    UINT_PTR timer = 0; // the hook's thread only
    // The end marker: a key event of our own that the hook answers once every key before it
    // in the input stream has been seen. Its generation tells a late marker from the awaited one.
    WORD endGeneration = 0;
    KernelHandle endSeen{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
} Ahead;

constexpr ULONG_PTR kEndMarkerBase = 0x5A650000; // "Ze" and a generation
constexpr DWORD kEndMarkerWaitMs = 1000;
constexpr UINT kTypeaheadCheckMs = 100;

// Ends the keeping and types every kept key again at once, wherever the focus is.
void ReleaseTypeahead() noexcept
{
    std::vector<INPUT> keys;
    {
        const ExclusiveLock lock(Ahead.lock);
        if (!Ahead.keeping)
            return;
        Ahead.keeping = false;
        try {
            keys.assign(Ahead.kept.begin(), Ahead.kept.end());
        } catch (...) {
        }
        Ahead.kept.clear();
    }
    if (!keys.empty())
        ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

// No kept key waits for the bar longer than the limit: not before the bar takes the first, and
// not while it replays either, since a key it typed may have opened a modal loop (the menu, a
// message box) that holds its replay until the user's next keys, kept here, close it.
void CALLBACK CheckTypeahead(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    {
        const ExclusiveLock lock(Ahead.lock);
        if (Ahead.keeping) {
            const bool waiting = !Ahead.replaying || !Ahead.kept.empty();
            if (!waiting || ::GetTickCount64() - Ahead.waitingSince < kTypeaheadLimitMs)
                return;
        }
    }
    ::KillTimer(nullptr, timer);
    if (timer == Ahead.timer)
        Ahead.timer = 0;
    ReleaseTypeahead();
}

void StartTypeahead() noexcept
{
    if (Ahead.timer)
        ::KillTimer(nullptr, Ahead.timer);
    {
        const ExclusiveLock lock(Ahead.lock);
        Ahead.keeping = true;
        Ahead.replaying = false;
        Ahead.kept.clear();
        Ahead.keptDown.reset();
        Ahead.waitingSince = ::GetTickCount64();
    }
    Ahead.timer = ::SetTimer(nullptr, 0, kTypeaheadCheckMs, &CheckTypeahead);
}

// Keeps the event for the bar; false when it is not the bar's to keep.
bool KeepTypedAhead(WPARAM message, const KBDLLHOOKSTRUCT& event) noexcept
{
    const ExclusiveLock lock(Ahead.lock);
    if (!Ahead.keeping || event.vkCode >= 256 || event.vkCode == VK_LWIN || event.vkCode == VK_RWIN)
        return false;
    const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
    // A release whose press went out before the shortcut goes where the press went.
    if (up && !Ahead.keptDown[event.vkCode])
        return false;
    Ahead.keptDown[event.vkCode] = !up;
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    // A character injected as such (an input method, a tool that types) comes as VK_PACKET with
    // the character in place of the scan code, and goes out the same way.
    const bool character = event.vkCode == VK_PACKET;
    input.ki.wVk = character ? 0 : static_cast<WORD>(event.vkCode);
    input.ki.wScan = static_cast<WORD>(event.scanCode);
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (character ? KEYEVENTF_UNICODE : 0) |
                       ((event.flags & LLKHF_EXTENDED) ? KEYEVENTF_EXTENDEDKEY : 0);
    input.ki.dwExtraInfo = kOwnInputMarker;
    try {
        if (Ahead.kept.empty() && Ahead.replaying)
            Ahead.waitingSince = ::GetTickCount64();
        Ahead.kept.push_back(input);
    } catch (...) {
        return false;
    }
    return true;
}

// The end marker has passed every key typed before it: the keeping ends unless the hook kept
// some of those after the bar found none.
void SeeEndMarker(WORD generation) noexcept
{
    {
        const ExclusiveLock lock(Ahead.lock);
        if (generation != Ahead.endGeneration)
            return;
        if (Ahead.kept.empty())
            Ahead.keeping = false;
    }
    ::SetEvent(Ahead.endSeen.get());
}

// The hook's thread: installs the hook, then runs a message loop that waits for nothing else
// (the platform calls the hook through it) until it is told to quit.
DWORD WINAPI RunHookThread(void* ready) noexcept
{
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists from here on
    KeyHookHandle.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyHookProc, ::GetModuleHandleW(nullptr), 0));
    ::SetEvent(static_cast<HANDLE>(ready));
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::DispatchMessageW(&msg);
    }
    ReleaseTypeahead();
    KeyHookHandle.reset();
    return 0;
}
constexpr WORD kUnassignedKey = 0xE8; // no key of any layout sends it

// A press or release of the unassigned key, marked with `extra`: an event of our own that no
// program takes for a key of the user's.
INPUT UnassignedKeyInput(bool up, ULONG_PTR extra) noexcept
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = kUnassignedKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.ki.dwExtraInfo = extra;
    return input;
}

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
        if ((event->dwExtraInfo & ~ULONG_PTR{0xFFFF}) == kEndMarkerBase) {
            SeeEndMarker(static_cast<WORD>(event->dwExtraInfo & 0xFFFF));
            return 1; // no program's key
        }
        if (event->dwExtraInfo != kOwnInputMarker) {
            const DWORD hotkeyKey = HotkeyKey;
            const hotkey::KeyEvent key{ToMessage(wParam), event->vkCode};
            const ULONGLONG now = ::GetTickCount64();
            const hotkey::KeyState state = Recent.Complete(
                {IsDown(VK_LWIN) || IsDown(VK_RWIN), IsDown(static_cast<int>(hotkeyKey))}, hotkeyKey, now);
            Recent.See(key, hotkeyKey, now);
            const auto decision = hotkey::Decide(key, state, hotkeyKey);
            if (decision.swallow) {
                if (const HWND target = ShowBarWindow; decision.show && target) {
                    StartTypeahead();
                    ::PostMessageW(target, ShowBarMessage, 0, 0);
                }
                return 1;
            }
            if (KeepTypedAhead(wParam, *event))
                return 1;
        }
    }
    return ::CallNextHookEx(KeyHookHandle.get(), code, wParam, lParam);
}

void EndTypeahead() noexcept
{
    ReleaseTypeahead();
}

bool TakeTypedAhead(INPUT& key) noexcept
{
    const ExclusiveLock lock(Ahead.lock);
    if (!Ahead.keeping)
        return false;
    Ahead.replaying = true;
    if (Ahead.kept.empty())
        return false;
    key = Ahead.kept.front();
    Ahead.kept.pop_front();
    Ahead.waitingSince = ::GetTickCount64();
    return true;
}

bool EndTypeaheadInOrder() noexcept
{
    // Keys typed before this moment may still be on their way to the hook: ended here, they
    // would pass behind the bar's back and reach a control the first key has replaced. The
    // marker goes the way they go, behind them.
    INPUT marker{};
    {
        const ExclusiveLock lock(Ahead.lock);
        if (!Ahead.keeping)
            return true;
        marker = UnassignedKeyInput(false, kEndMarkerBase | ++Ahead.endGeneration);
    }
    ::ResetEvent(Ahead.endSeen.get());
    if (::SendInput(1, &marker, sizeof(INPUT)) == 1 &&
        ::WaitForSingleObject(Ahead.endSeen.get(), kEndMarkerWaitMs) == WAIT_OBJECT_0) {
        // While the bar replays, only the marker ends the keeping.
        const ExclusiveLock lock(Ahead.lock);
        if (Ahead.keeping)
            return false;
    }
    // A marker that never comes back (another hook kept it) must not hold the keyboard.
    ReleaseTypeahead();
    return true;
}

void MaskWindowsKeyRelease() noexcept
{
    INPUT inputs[2] = {UnassignedKeyInput(false, kOwnInputMarker), UnassignedKeyInput(true, kOwnInputMarker)};
    ::SendInput(2, inputs, sizeof(INPUT));
}
