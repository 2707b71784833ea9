#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/Handle.h"
#include "core/KeyHookHelper.h"
#include "core/TypedAhead.h"
#include "core/Lock.h"
#include "core/rules/Typeahead.h"
#include "support/AppFolderSandbox.h"
#include "support/Probe.h"

namespace {

// The hook of this process with a target that never shows anything: a bar that cannot take the
// focus. Keys typed after the shortcut are kept, then typed again where the focus is.
class TypeaheadWithoutABar : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        target = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        shows = 0;
        notices.clear();
        ::SetWindowLongPtrW(target, GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(+[](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
                                if (message == kShow)
                                    ++shows;
                                if (message == kNotice)
                                    notices.emplace_back(wParam, lParam);
                                return ::DefWindowProcW(hwnd, message, wParam, lParam);
                            }));
        edit = ::CreateWindowExW(WS_EX_TOPMOST, L"EDIT", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 60, 60, 300, 40,
                                 nullptr, nullptr, nullptr, nullptr);
        SetShowBarTarget(target, kShow, kNotice);
        InstallKeyHook();
        ASSERT_TRUE(probe::WaitUntil(
            [&] {
                ::SetForegroundWindow(edit);
                ::SetFocus(edit);
                return ::GetForegroundWindow() == edit;
            },
            5000, 20));
    }
    void TearDown() override
    {
        RemoveKeyHook();
        SetShowBarTarget(nullptr, 0);
        ::DestroyWindow(edit);
        ::DestroyWindow(target);
        AppFolderSandbox::TearDown();
    }
    std::wstring Typed()
    {
        probe::PumpMessages();
        return probe::WindowText(edit);
    }

    static constexpr UINT kShow = WM_APP + 5;
    static constexpr UINT kNotice = WM_APP + 6;
    static constexpr DWORD kHungBarMs = typeahead::kHungBarMs;
    static constexpr DWORD kHeldReplayMs = typeahead::kHeldReplayMs;
    static inline std::vector<std::pair<WPARAM, LPARAM>> notices;
    HWND target = nullptr;
    HWND edit = nullptr;
    static inline int shows = 0;
};

// A user-interface thread that never comes: the keys typed for it go nowhere else, and after
// five seconds they are dropped and the log is told how many.
TEST_F(TypeaheadWithoutABar, KeysNoBarTakesAreDroppedAfterFiveSecondsAndTheLogIsTold)
{
    probe::KeyDown(VK_LWIN);
    probe::TapKey(VK_SPACE);
    probe::KeyUp(VK_LWIN);
    const DWORD start = ::GetTickCount();
    probe::TapKey('A');
    probe::KeyDown(VK_SHIFT);
    probe::TapKey('B');
    probe::KeyUp(VK_SHIFT);
    probe::TypeText(L"\u00e9"); // a character typed as such, as an input method does

    ASSERT_TRUE(probe::WaitUntil(
        [&] {
            probe::PumpMessages();
            return !notices.empty();
        },
        kHungBarMs * 2))
        << "no word of the dropped keys";
    EXPECT_GE(::GetTickCount() - start + 200, kHungBarMs) << "dropped before the bar had its five seconds";
    EXPECT_EQ(Typed(), L"") << "keys typed for the bar reached another window";
    EXPECT_EQ(shows, 1);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first, static_cast<WPARAM>(HookNotice::KeysDropped));
    EXPECT_EQ(notices[0].second, 4) << "A, Shift, B and the character";
    EXPECT_EQ(HookNoticeText(notices[0].first, notices[0].second),
              L"4 keys typed after the shortcut were dropped: the bar did not take them within 5 seconds.");

    // Once dropped, keys pass as ever.
    probe::TapKey('C');
    EXPECT_TRUE(probe::WaitUntil([&] { return Typed() == L"c"; }, 2000));
}

// A key the bar typed again may open a modal loop (its menu, a message box) that holds the bar
// until the user's next keys close it: those must not wait for the bar for ever.
TEST_F(TypeaheadWithoutABar, KeysTheBarStopsTakingGoWhereTheFocusIsASecondLater)
{
    probe::KeyDown(VK_LWIN);
    probe::TapKey(VK_SPACE);
    probe::KeyUp(VK_LWIN);
    probe::TapKey('A');
    probe::TapKey('B');

    INPUT taken{};
    ASSERT_TRUE(probe::WaitUntil([&] { return TakeTypedAhead(taken) == TypedAhead::Key; }, kHeldReplayMs / 2));
    EXPECT_EQ(taken.ki.wVk, 'A');
    EXPECT_EQ(taken.ki.dwFlags & KEYEVENTF_KEYUP, 0u);
    const DWORD start = ::GetTickCount();
    probe::WaitUntil([] { return false; }, kHeldReplayMs / 2);
    EXPECT_EQ(Typed(), L"") << "keys left the bar while it was still taking them";
    // The bar took A's press and is held from then on: the rest, A's release and B, is let go.
    EXPECT_TRUE(probe::WaitUntil([&] { return Typed() == L"b"; }, kHeldReplayMs * 3))
        << "holds \"" << std::string(Typed().begin(), Typed().end()) << "\"";
    EXPECT_GE(::GetTickCount() - start + kHeldReplayMs / 4, kHeldReplayMs / 2);

    probe::TapKey('C');
    EXPECT_TRUE(probe::WaitUntil([&] { return Typed() == L"bc"; }, 2000));
}

// What the bar takes, key by key, as its presses ('!': a shortcut pressed again, in its place): a
// second shortcut or the shortcut's auto-repeat leaves the keys kept before it, and a key pressed
// with a Windows key held is the system's (Windows key + L locks the machine: it must not come
// back as a plain l).
TEST_F(TypeaheadWithoutABar, TheBarTakesTheKeysTypedForItAndOnlyThose)
{
    struct Case {
        const char* name;
        std::function<void()> type;
        std::wstring taken;
    };
    const Case cases[] = {
        {"a second shortcut",
         [] {
             probe::TapKey('A');
             probe::KeyDown(VK_LWIN);
             probe::TapKey(VK_SPACE);
             probe::KeyUp(VK_LWIN);
             probe::TapKey('B');
         },
         L"A!B"},
        {"the shortcut's auto-repeat",
         [] {
             probe::TapKey('A');
             probe::KeyDown(VK_LWIN);
             probe::KeyDown(VK_SPACE);
             probe::KeyDown(VK_SPACE);
             probe::KeyDown(VK_SPACE);
             probe::KeyUp(VK_SPACE);
             probe::KeyUp(VK_LWIN);
             probe::TapKey('B');
         },
         L"A!B"},
        {"Windows key + L",
         [] {
             probe::TapKey('A');
             probe::KeyDown(VK_LWIN);
             probe::TapKey('L');
             probe::KeyUp(VK_LWIN);
             probe::TapKey('B');
         },
         L"AB"},
    };
    for (const auto& c : cases) {
        probe::KeyDown(VK_LWIN);
        probe::TapKey(VK_SPACE);
        probe::KeyUp(VK_LWIN);
        c.type();
        std::wstring taken;
        INPUT key{};
        probe::WaitUntil(
            [&] {
                for (TypedAhead t; (t = TakeTypedAhead(key)) != TypedAhead::None;)
                    if (t == TypedAhead::Shortcut)
                        taken += L'!';
                    else if (!(key.ki.dwFlags & KEYEVENTF_KEYUP))
                        taken += static_cast<wchar_t>(key.ki.wVk);
                return taken.size() >= c.taken.size();
            },
            2000);
        EXPECT_EQ(taken, c.taken) << c.name;
        EXPECT_TRUE(EndTypeaheadInOrder()) << c.name;
        probe::PumpMessages();
    }
}

// Every key event of the desktop as a hook installed after the program's sees it: before it.
class KeyRecorder {
public:
    struct Event {
        DWORD vk;
        bool up;
        ULONG_PTR extra;
    };
    KeyRecorder()
    {
        const KernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ready_ = ready.get();
        thread_.reset(::CreateThread(
            nullptr, 0,
            [](void* self) -> DWORD {
                auto* recorder = static_cast<KeyRecorder*>(self);
                MSG msg;
                ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
                const HookHandle hook(::SetWindowsHookExW(WH_KEYBOARD_LL, &Record, ::GetModuleHandleW(nullptr), 0));
                ::SetEvent(recorder->ready_);
                while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
                    ::DispatchMessageW(&msg);
                return 0;
            },
            this, 0, &threadId_));
        ::WaitForSingleObject(ready.get(), 5000);
    }
    ~KeyRecorder()
    {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        ::WaitForSingleObject(thread_.get(), 5000);
    }
    std::vector<Event> Events()
    {
        const ExclusiveLock lock(lock_);
        return events_;
    }

private:
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HC_ACTION) {
            const auto* e = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            const ExclusiveLock lock(lock_);
            events_.push_back({e->vkCode, wParam == WM_KEYUP || wParam == WM_SYSKEYUP, e->dwExtraInfo});
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline SRWLOCK lock_ = SRWLOCK_INIT;
    static inline std::vector<Event> events_;
    HANDLE ready_ = nullptr;
    KernelHandle thread_;
    DWORD threadId_ = 0;
};

// The bar here never handles its show: whatever keeps Start shut is the hook's own doing.
TEST_F(TypeaheadWithoutABar, TheWindowsKeysReleaseComesAfterAKeyOfOursWhateverTheBarIsDoing)
{
    KeyRecorder recorder;
    probe::KeyDown(VK_LWIN);
    probe::TapKey(VK_SPACE);
    probe::KeyUp(VK_LWIN);
    std::vector<KeyRecorder::Event> events;
    ASSERT_TRUE(probe::WaitUntil(
        [&] {
            events = recorder.Events();
            return !events.empty() && events.back().vk == VK_LWIN && events.back().up;
        },
        3000));
    const auto ours = std::find_if(events.begin(), events.end(), [](const KeyRecorder::Event& e) {
        return e.extra == kOwnInputMarker && e.vk != VK_LWIN && e.vk != VK_SPACE;
    });
    const auto release =
        std::find_if(events.begin(), events.end(), [](const KeyRecorder::Event& e) { return e.vk == VK_LWIN && e.up; });
    EXPECT_LT(ours, release);
    ASSERT_NE(ours, events.end()) << "no key of ours between the Windows key's press and its release";
    EXPECT_FALSE(ours->up) << "a press and its release, so that no key stays down";
    ASSERT_NE(ours + 1, events.end());
    EXPECT_TRUE((ours + 1)->up && (ours + 1)->vk == ours->vk);
    EXPECT_TRUE(probe::WaitUntil(
        [&] {
            probe::PumpMessages();
            return shows == 1;
        },
        2000));
}

// The platform removes, without a word, a low-level hook that once ran past its time-out: here
// the hook is removed behind the program's back. A Windows key held, which the hook never saw
// go down, tells it is gone; it is installed again and the log is told.
TEST_F(TypeaheadWithoutABar, AHookThePlatformRemovedIsInstalledAgain)
{
    const KernelHandle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, KeyHookThreadId()));
    EXPECT_EQ(::GetThreadPriority(thread.get()), THREAD_PRIORITY_ABOVE_NORMAL)
        << "a busy machine would make the hook late";

    ASSERT_TRUE(::UnhookWindowsHookEx(KeyHookHandle.get()));
    // From the X keyboard: Wine puts a key injected here back up when the X server says it is.
    // Both halves of the shortcut held: whichever went past the removed hook tells it is gone
    // (under load, Wine may still call the hook for a moment after its removal).
    ASSERT_TRUE(probe::RunHostCommand(L"/usr/bin/xdotool keydown super sleep 0.1 keydown space"));
    EXPECT_TRUE(probe::WaitUntil(
        [&] {
            probe::PumpMessages();
            return !notices.empty();
        },
        3000))
        << "the hook's absence went unnoticed";
    // The user tries again, the Windows key still held (the held space went to the edit).
    const std::wstring before = Typed();
    ASSERT_TRUE(probe::RunHostCommand(L"/usr/bin/xdotool keyup space sleep 0.1 key space sleep 0.1 keyup super"));
    EXPECT_TRUE(probe::WaitUntil(
        [&] {
            probe::PumpMessages();
            return shows == 1;
        },
        2000))
        << "the shortcut is dead";
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices[0].first, static_cast<WPARAM>(HookNotice::HookInstalledAgain));
    EXPECT_EQ(HookNoticeText(notices[0].first, notices[0].second),
              L"The keyboard hook of the shortcut had stopped answering; it is installed again.");
    EXPECT_EQ(Typed(), before) << "the shortcut's space was typed";
}

} // namespace
