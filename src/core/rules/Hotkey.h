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
    bool winDown; // either Windows key, as the system reports it now
    bool hotDown; // the hotkey, as the system reports it now
};

struct Decision {
    bool swallow; // keep the event from every other program
    bool show;    // and show the bar
};

// The event itself overrides the reported state of its own key; a key-up is never swallowed.
Decision Decide(const KeyEvent& event, KeyState state, uint32_t hotkeyKey) noexcept;

} // namespace hotkey
