#include "core/KeyHookHelper.h"

#include <array>
#include <atomic>
#include <utility>

#include "core/HotkeySetting.h"
#include "core/TypedAhead.h"
#include "core/rules/Hotkey.h"
#include "core/rules/Typeahead.h"

HookHandle KeyHookHandle;

namespace {

// Read by the hook's thread, written by the user-interface thread.
std::atomic<HWND> ShowBarWindow = nullptr;
std::atomic<UINT> ShowBarMessage = 0;
std::atomic<UINT> NoticeMessage = 0;

KernelHandle HookThread;
DWORD HookThreadId = 0;
hotkey::RecentPresses Recent; // the hook's thread only

constexpr UINT kTypeaheadCheckMs = 100;
UINT_PTR TypeaheadTimer = 0; // the hook's thread only

// The platform removes a low-level hook that once ran past its time-out, without a word: the hook's
// thread notices a key held that the hook never saw go down, and installs the hook again.
constexpr UINT kHookCheckMs = 250;
constexpr ULONGLONG kHookLagMs = 500; // the system's key state may lag the hook by a few milliseconds
constexpr UINT kInstallAgainMessage = WM_APP + 1;
struct SeenKey {
    bool down = false;
    ULONGLONG at = 0;
};
std::array<SeenKey, 256> Seen; // the hook's thread only
bool MaskSent = false;         // since the Windows key's last press; the hook's thread only

ULONGLONG Now() noexcept
{
    return ::GetTickCount64();
}

void Notify(HookNotice notice, size_t count) noexcept
{
    if (const HWND target = ShowBarWindow; target && NoticeMessage)
        ::PostMessageW(target, NoticeMessage, static_cast<WPARAM>(notice), static_cast<LPARAM>(count));
}

void CALLBACK CheckTypeahead(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    const TypeaheadExpiry expiry = ExpireTypedAhead();
    if (!KeepingTypedAhead()) {
        ::KillTimer(nullptr, timer);
        if (timer == TypeaheadTimer)
            TypeaheadTimer = 0;
    }
    if (const HWND target = ShowBarWindow; target && expiry.showBar)
        ::PostMessageW(target, ShowBarMessage, 0, 0);
    else if (expiry.dropped > 0)
        Notify(HookNotice::KeysDropped, expiry.dropped);
}

bool IsDown(int vk) noexcept
{
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

// The keys whose state tells whether the hook still sees the keyboard: the shortcut's.
std::array<DWORD, 3> WatchedKeys() noexcept
{
    return {VK_LWIN, VK_RWIN, HotkeyKey.load() & 0xFF};
}

void InstallHook() noexcept
{
    KeyHookHandle.reset();
    KeyHookHandle.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyHookProc, ::GetModuleHandleW(nullptr), 0));
    // Keys held from before count as seen: only a press after this one can tell the hook is gone.
    // (Every other key's entry is the hook's own record, kept as it comes.)
    const ULONGLONG now = Now();
    for (const DWORD vk : WatchedKeys())
        Seen[vk] = {IsDown(static_cast<int>(vk)), now};
}

// The Windows keys and the hotkey: a key the system reports held though the hook saw no press
// of it (for longer than the system's report may lag) went past a hook that is no longer there.
// A release the hook never saw (the secure desktop takes it, or the hook is gone) is taken as
// seen: a key left held here would hide the next press that goes past.
void CALLBACK CheckHook(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    const ULONGLONG now = Now();
    for (const DWORD vk : WatchedKeys()) {
        SeenKey& seen = Seen[vk];
        if (now - seen.at < kHookLagMs || seen.down == IsDown(static_cast<int>(vk)))
            continue;
        if (seen.down) {
            seen = {false, now};
            continue;
        }
        InstallHook();
        Notify(HookNotice::HookInstalledAgain, 0);
        return;
    }
}

// The hook's thread: installs the hook, then runs a message loop that waits for nothing else
// (the platform calls the hook through it) until it is told to quit. Above normal priority, so
// that a busy machine does not make the hook late past the platform's time-out.
DWORD WINAPI RunHookThread(void* ready) noexcept
{
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists from here on
    InstallHook();
    const UINT_PTR hookCheck = ::SetTimer(nullptr, 0, kHookCheckMs, &CheckHook);
    ::SetEvent(static_cast<HANDLE>(ready));
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kInstallAgainMessage && !msg.hwnd) {
            InstallHook();
            Notify(HookNotice::HookInstalledAgain, 0);
            continue;
        }
        ::DispatchMessageW(&msg);
    }
    ::KillTimer(nullptr, hookCheck);
    ReleaseTypeahead();
    KeyHookHandle.reset();
    return 0;
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

void SetShowBarTarget(HWND window, UINT message, UINT noticeMessage) noexcept
{
    ShowBarWindow = window;
    ShowBarMessage = message;
    NoticeMessage = noticeMessage;
}

std::wstring HookNoticeText(WPARAM notice, LPARAM count)
{
    if (static_cast<HookNotice>(notice) == HookNotice::HookInstalledAgain)
        return L"The keyboard hook of the shortcut had stopped answering; it is installed again.";
    const std::wstring keys = count == 1 ? L"1 key" : std::to_wstring(count) + L" keys";
    return keys + L" typed after the shortcut " + (count == 1 ? L"was" : L"were") +
           L" dropped: the bar did not take them within " + std::to_wstring(typeahead::kHungBarMs / 1000) +
           L" seconds.";
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

DWORD KeyHookThreadId() noexcept
{
    return HookThread ? HookThreadId : 0;
}

LRESULT CALLBACK KeyHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (IsEndMarker(*event))
            return 1; // no program's key
        if (event->dwExtraInfo != kOwnInputMarker) {
            const DWORD hotkeyKey = HotkeyKey;
            const hotkey::KeyEvent key{ToMessage(wParam), event->vkCode};
            const ULONGLONG now = Now();
            const bool down = key.message == hotkey::Message::KeyDown || key.message == hotkey::Message::SysKeyDown;
            if (key.message != hotkey::Message::Other && event->vkCode < Seen.size())
                Seen[event->vkCode] = {down, now};
            const bool isWin = event->vkCode == VK_LWIN || event->vkCode == VK_RWIN;
            if (isWin && down)
                MaskSent = false;
            const hotkey::KeyState reported{IsDown(VK_LWIN) || IsDown(VK_RWIN), IsDown(static_cast<int>(hotkeyKey))};
            const auto decision = Recent.Judge(key, reported, hotkeyKey, now);
            if (decision.swallow) {
                if (const HWND target = ShowBarWindow; decision.show && target) {
                    // Sent from here, ahead of the Windows key's release, however busy the bar is.
                    if (!std::exchange(MaskSent, true))
                        MaskWindowsKeyRelease();
                    const bool showNow = StartTypeahead();
                    if (!TypeaheadTimer)
                        TypeaheadTimer = ::SetTimer(nullptr, 0, kTypeaheadCheckMs, &CheckTypeahead);
                    if (showNow)
                        ::PostMessageW(target, ShowBarMessage, 0, 0);
                }
                return 1;
            }
            if (KeepTypedAhead(wParam, *event, decision.windowsKeyHeld))
                return 1;
        }
    }
    return ::CallNextHookEx(KeyHookHandle.get(), code, wParam, lParam);
}

bool EndTypeaheadInOrder() noexcept
{
    switch (EndTypeaheadAtMarker()) {
    case EndAtMarker::Ended:
        return true;
    case EndAtMarker::StillKeeping:
        return false;
    case EndAtMarker::MarkerLost:
        break;
    }
    // The marker went past a hook the platform removed, or another hook kept it: installed
    // again, ours is the first to see the keys. Meanwhile the keyboard must not be held.
    ::PostThreadMessageW(HookThreadId, kInstallAgainMessage, 0, 0);
    ReleaseTypeahead();
    return true;
}

void MaskWindowsKeyRelease() noexcept
{
    INPUT inputs[2] = {UnassignedKeyInput(false, kOwnInputMarker), UnassignedKeyInput(true, kOwnInputMarker)};
    ::SendInput(2, inputs, sizeof(INPUT));
}
