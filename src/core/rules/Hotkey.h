#pragma once
// The global shortcut's rules: hotkey names, their key codes, and which keyboard events the
// shortcut takes from the desktop.
#include <cstdint>
#include <string>
#include <string_view>

namespace hotkey {

inline constexpr uint32_t kSpace = 32;
inline constexpr uint32_t kOem102 = 226; // the "<" key beside the left Shift of 102-key keyboards
inline constexpr uint32_t kLeftWin = 91;
inline constexpr uint32_t kRightWin = 92;

// Lower-cased (a to z only) and trimmed; empty becomes "space".
std::wstring NormalizeName(std::wstring_view name);
// "space" 32, "<" 226, one character its own code, anything else 32. A character whose code is
// a Windows key, Shift, Ctrl or Alt (16-18, 91, 92, 160-165) maps to 32 too.
uint32_t NameToKey(std::wstring_view name);

// The start-up notice: the hotkey name with a to z in capitals, other characters unchanged.
std::wstring StartupHint(std::wstring_view hotkeyName);

enum class Message { KeyDown, KeyUp, SysKeyDown, SysKeyUp, Other };

struct KeyEvent {
    Message message;
    uint32_t vk;
};

struct KeyState {
    bool winDown;          // either Windows key, as the system reports it now
    bool hotDown;          // the hotkey, as the system reports it now
    bool hotFirst = false; // the hotkey is held from a press that came before the Windows key
};

struct Decision {
    bool swallow;                // keep the event from every other program
    bool show;                   // and show the bar
    bool windowsKeyHeld = false; // as the event comes (Judge): a press with it is the system's
};

// The shortcut is a Windows key first, then the hotkey: only the hotkey's presses (auto-repeats
// too) are swallowed, and only while a Windows key is held and the press did not begin before it
// (a space held from typing, then Windows key + V, is the user's). The event itself overrides
// the reported state of its own key; a Windows key and a key-up are never swallowed.
Decision Decide(const KeyEvent& event, KeyState state, uint32_t hotkeyKey) noexcept;

// The state the system reports may lag behind the events the hook has just seen (Wine answers
// from a cache for a few milliseconds): a Windows key or hotkey press seen a moment ago counts
// as held until its release is seen. Only a moment: a release the hook never sees (the secure
// desktop took it) must not leave a key held.
// They also remember whether the hotkey's press came before the Windows key's.
class RecentPresses {
public:
    static constexpr uint64_t kMomentMs = 500;
    // `reported` with the presses seen within the moment before `nowMs` added.
    KeyState Complete(KeyState reported, uint32_t hotkeyKey, uint64_t nowMs) const noexcept;
    // `before`: the state completed just before the event.
    void See(const KeyEvent& event, uint32_t hotkeyKey, uint64_t nowMs, KeyState before) noexcept;
    // The hook's whole judgement of one event: completes the reported state, decides, remembers.
    Decision Judge(const KeyEvent& event, KeyState reported, uint32_t hotkeyKey, uint64_t nowMs) noexcept;

private:
    static constexpr uint64_t kNone = ~uint64_t{0};
    bool Fresh(uint64_t at, uint64_t nowMs) const noexcept { return at != kNone && nowMs - at < kMomentMs; }
    uint64_t winAt_ = kNone;
    uint64_t hotAt_ = kNone;
    uint32_t hotVk_ = 0;
    bool hotHeld_ = false;  // a press of the hotkey seen, its release not yet
    bool hotFirst_ = false; // and that press came while no Windows key was held
};

} // namespace hotkey
