#include "core/rules/Hotkey.h"

#include "core/rules/Ascii.h"

namespace hotkey {

namespace {

std::wstring Upper(std::wstring_view text)
{
    return ascii::Upper(text);
}

} // namespace

std::wstring NormalizeName(std::wstring_view name)
{
    const std::wstring lower = ascii::Lower(ascii::Trimmed(name));
    return lower.empty() ? L"space" : lower;
}

namespace {

// The Windows keys and the modifiers belong to the shortcut's other half or to every other
// program's shortcuts: a hotkey on one of them would swallow them desktop-wide.
bool IsReservedKey(uint32_t key) noexcept
{
    return key == 16 || key == 17 || key == 18 || key == kLeftWin || key == kRightWin || (key >= 160 && key <= 165);
}

} // namespace

uint32_t NameToKey(std::wstring_view name)
{
    const std::wstring upper = Upper(name);
    const std::wstring_view t = ascii::Trimmed(std::wstring_view(upper));
    if (t == L"SPACE")
        return kSpace;
    if (t == L"<")
        return kOem102;
    if (t.size() == 1 && !IsReservedKey(static_cast<uint32_t>(t[0])))
        return static_cast<uint32_t>(t[0]);
    return kSpace;
}

std::wstring StartupHint(std::wstring_view hotkeyName)
{
    return L"I'm hidden in taskbar, press WIN+" + Upper(hotkeyName) + L" to start search";
}

Decision Decide(const KeyEvent& event, KeyState state, uint32_t hotkeyKey) noexcept
{
    if (event.message == Message::Other)
        return {false, false};
    const bool down = event.message == Message::KeyDown || event.message == Message::SysKeyDown;
    const bool isWin = event.vk == kLeftWin || event.vk == kRightWin;
    const bool swallow = down && !isWin && event.vk == hotkeyKey && state.winDown && !state.hotFirst;
    return {swallow, swallow};
}

KeyState RecentPresses::Complete(KeyState reported, uint32_t hotkeyKey, uint64_t nowMs) const noexcept
{
    reported.winDown = reported.winDown || Fresh(winAt_, nowMs);
    const bool hotFresh = hotVk_ == hotkeyKey && Fresh(hotAt_, nowMs);
    // A press whose release the hook never saw (the secure desktop took it) is over once the
    // system no longer reports the key held.
    reported.hotFirst = hotVk_ == hotkeyKey && hotHeld_ && hotFirst_ && (reported.hotDown || hotFresh);
    reported.hotDown = reported.hotDown || hotFresh;
    return reported;
}

void RecentPresses::See(const KeyEvent& event, uint32_t hotkeyKey, uint64_t nowMs, KeyState before) noexcept
{
    if (event.message == Message::Other)
        return;
    const bool down = event.message == Message::KeyDown || event.message == Message::SysKeyDown;
    if (event.vk == kLeftWin || event.vk == kRightWin)
        winAt_ = down ? nowMs : kNone;
    if (event.vk == hotkeyKey) {
        // An auto-repeat continues the press it repeats; a new press starts its own order.
        const bool repeat = hotVk_ == hotkeyKey && hotHeld_ && before.hotDown;
        if (down && !repeat)
            hotFirst_ = !before.winDown;
        hotVk_ = hotkeyKey;
        hotHeld_ = down;
        hotAt_ = down ? nowMs : kNone;
    }
}

Decision RecentPresses::Judge(const KeyEvent& event, KeyState reported, uint32_t hotkeyKey, uint64_t nowMs) noexcept
{
    const KeyState before = Complete(reported, hotkeyKey, nowMs);
    See(event, hotkeyKey, nowMs, before);
    Decision decision = Decide(event, before, hotkeyKey);
    decision.windowsKeyHeld = before.winDown;
    return decision;
}

} // namespace hotkey
