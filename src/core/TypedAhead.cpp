#include "core/TypedAhead.h"

#include <vector>

#include "core/Handle.h"
#include "core/Lock.h"
#include "core/rules/Typeahead.h"

namespace {

// Kept by the hook's thread, typed again by the user-interface thread (or by the hook's thread
// itself when the time is up).
struct Typeahead {
    SRWLOCK lock = SRWLOCK_INIT;
    typeahead::Keeper keeper;
    // The end marker: a key event of our own that the hook answers once every key before it
    // in the input stream has been seen. Its generation tells a late marker from the awaited one.
    WORD endGeneration = 0;
    KernelHandle endSeen{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
} Ahead;

constexpr ULONG_PTR kEndMarkerBase = 0x5A650000; // "Ze" and a generation
constexpr DWORD kEndMarkerWaitMs = 1000;
constexpr WORD kUnassignedKey = 0xE8; // no key of any layout sends it

ULONGLONG Now() noexcept
{
    return ::GetTickCount64();
}

typeahead::Key ToKey(WPARAM message, const KBDLLHOOKSTRUCT& event) noexcept
{
    // A character injected as such (an input method, a tool that types) comes as VK_PACKET with
    // the character in place of the scan code, and goes out the same way.
    return {event.vkCode, event.scanCode, message == WM_KEYUP || message == WM_SYSKEYUP,
            (event.flags & LLKHF_EXTENDED) != 0, event.vkCode == VK_PACKET};
}

INPUT ToInput(const typeahead::Key& key) noexcept
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key.character ? 0 : static_cast<WORD>(key.vk);
    input.ki.wScan = static_cast<WORD>(key.scan);
    input.ki.dwFlags = (key.up ? KEYEVENTF_KEYUP : 0) | (key.character ? KEYEVENTF_UNICODE : 0) |
                       (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
    input.ki.dwExtraInfo = kOwnInputMarker;
    return input;
}

// Types the keys again at once, wherever the focus is.
void TypeAtFocus(const std::vector<typeahead::Key>& keys) noexcept
{
    std::vector<INPUT> inputs;
    try {
        for (const auto& key : keys)
            if (!key.shortcut)
                inputs.push_back(ToInput(key));
    } catch (...) {
        return;
    }
    if (!inputs.empty())
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The end marker has passed every key typed before it: the keeping ends unless the hook kept
// some of those after the bar found none.
void SeeEndMarker(WORD generation) noexcept
{
    {
        const ExclusiveLock lock(Ahead.lock);
        if (generation != Ahead.endGeneration)
            return;
        Ahead.keeper.EndIfNoneWaits();
    }
    ::SetEvent(Ahead.endSeen.get());
}

} // namespace

INPUT UnassignedKeyInput(bool up, ULONG_PTR extra) noexcept
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = kUnassignedKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.ki.dwExtraInfo = extra;
    return input;
}

void ReleaseTypeahead() noexcept
{
    std::vector<typeahead::Key> keys;
    try {
        const ExclusiveLock lock(Ahead.lock);
        keys = Ahead.keeper.End();
    } catch (...) {
    }
    TypeAtFocus(keys);
}

TypeaheadExpiry ExpireTypedAhead() noexcept
{
    typeahead::Expiry expiry;
    try {
        const ExclusiveLock lock(Ahead.lock);
        expiry = Ahead.keeper.Check(Now());
    } catch (...) {
    }
    TypeaheadExpiry told;
    if (expiry.what == typeahead::Expiry::What::TypeAtFocus) {
        TypeAtFocus(expiry.keys);
        told.showBar = expiry.HadShortcut();
    } else if (expiry.what == typeahead::Expiry::What::Dropped) {
        told.dropped = expiry.Presses();
    }
    return told;
}

bool KeepingTypedAhead() noexcept
{
    const ExclusiveLock lock(Ahead.lock);
    return Ahead.keeper.Keeping();
}

bool StartTypeahead() noexcept
{
    try {
        const ExclusiveLock lock(Ahead.lock);
        return Ahead.keeper.Shortcut(Now());
    } catch (...) {
        return true; // not kept: shown at once, as ever
    }
}

bool KeepTypedAhead(WPARAM message, const KBDLLHOOKSTRUCT& event, bool windowsKeyHeld) noexcept
{
    try {
        const ExclusiveLock lock(Ahead.lock);
        return Ahead.keeper.See(ToKey(message, event), windowsKeyHeld, Now()) == typeahead::Verdict::Keep;
    } catch (...) {
        return false;
    }
}

bool IsEndMarker(const KBDLLHOOKSTRUCT& event) noexcept
{
    if ((event.dwExtraInfo & ~ULONG_PTR{0xFFFF}) != kEndMarkerBase)
        return false;
    SeeEndMarker(static_cast<WORD>(event.dwExtraInfo & 0xFFFF));
    return true;
}

bool EndTypeahead() noexcept
{
    std::vector<typeahead::Key> keys;
    bool shortcutFollows = false;
    try {
        const ExclusiveLock lock(Ahead.lock);
        keys = Ahead.keeper.EndUntilShortcut(shortcutFollows);
    } catch (...) {
    }
    TypeAtFocus(keys);
    return shortcutFollows;
}

TypedAhead TakeTypedAhead(INPUT& key) noexcept
{
    typeahead::Key taken{};
    {
        const ExclusiveLock lock(Ahead.lock);
        if (Ahead.keeper.Next(taken, Now()) != typeahead::Keeper::Take::Taken)
            return TypedAhead::None;
    }
    if (taken.shortcut)
        return TypedAhead::Shortcut;
    key = ToInput(taken);
    return TypedAhead::Key;
}

EndAtMarker EndTypeaheadAtMarker() noexcept
{
    // Keys typed before this moment may still be on their way to the hook: ended here, they
    // would pass behind the bar's back and reach a control the first key has replaced. The
    // marker goes the way they go, behind them.
    INPUT marker{};
    {
        const ExclusiveLock lock(Ahead.lock);
        if (!Ahead.keeper.Keeping())
            return EndAtMarker::Ended;
        marker = UnassignedKeyInput(false, kEndMarkerBase | ++Ahead.endGeneration);
    }
    ::ResetEvent(Ahead.endSeen.get());
    if (::SendInput(1, &marker, sizeof(INPUT)) == 1 &&
        ::WaitForSingleObject(Ahead.endSeen.get(), kEndMarkerWaitMs) == WAIT_OBJECT_0) {
        // While the bar replays, only the marker ends the keeping.
        const ExclusiveLock lock(Ahead.lock);
        return Ahead.keeper.Keeping() ? EndAtMarker::StillKeeping : EndAtMarker::Ended;
    }
    return EndAtMarker::MarkerLost;
}
