#pragma once
// Keys typed right after the shortcut belong to the bar (the rule: core/rules/Typeahead): from
// the shortcut on, the hook keeps them (in order, with their modifiers) until the bar, once its
// search box has the focus, takes them one by one (TakeTypedAhead) and types each again; keys
// typed meanwhile queue up behind. When none is kept, the keeping ends at that point of the input
// stream (EndTypeaheadInOrder, core/KeyHookHelper): keys the hook has yet to see are kept first.
// EndTypeahead types the rest again at once, wherever the focus is (the bar hid), up to a
// shortcut pressed again. Kept keys the bar has not begun taking five seconds after the shortcut
// are dropped, never typed elsewhere.
#include <windows.h>

#include <cstddef>

// Marks key events the program injects itself, so that the hook lets them pass.
inline constexpr ULONG_PTR kOwnInputMarker = 0x5A617276; // "Zarv"

enum class TypedAhead { None, Key, Shortcut };
// The next kept key (Key), or a shortcut pressed again after the keys before it (Shortcut: show
// the bar, which an Escape among those keys may have hidden).
TypedAhead TakeTypedAhead(INPUT& key) noexcept;
// True when a shortcut was kept after the keys typed at the focus: the bar is to be shown again,
// and the keys after it stay kept for it.
bool EndTypeahead() noexcept;

// The hook's side. The shortcut was pressed: true when the bar is to be shown now, false when the
// shortcut is kept after keys typed before it.
bool StartTypeahead() noexcept;
// Keeps the event for the bar; false when it is not the bar's to keep.
bool KeepTypedAhead(WPARAM message, const KBDLLHOOKSTRUCT& event, bool windowsKeyHeld) noexcept;
// Whether any key is kept, or the keeping has begun.
bool KeepingTypedAhead() noexcept;
// Ends the keeping and types every kept key again at once, wherever the focus is.
void ReleaseTypeahead() noexcept;

// What the time did to the kept keys: typed at the focus (the bar stopped taking them; a shortcut
// among them is to show the bar) or dropped (the bar never began).
struct TypeaheadExpiry {
    bool showBar = false;
    size_t dropped = 0; // presses
};
TypeaheadExpiry ExpireTypedAhead() noexcept;

// The end marker: an event of our own sent behind the keys typed so far. IsEndMarker tells the
// hook it came (it is then no program's key).
bool IsEndMarker(const KBDLLHOOKSTRUCT& event) noexcept;
enum class EndAtMarker { Ended, StillKeeping, MarkerLost };
// Sends the marker and waits for the hook to see it: Ended once it passed with nothing kept
// behind it; StillKeeping when the hook kept keys after all (the bar takes those too);
// MarkerLost when it never came back (the hook is gone).
EndAtMarker EndTypeaheadAtMarker() noexcept;

// A press or release of a key no layout sends, marked with `extra`: an event of our own that no
// program takes for a key of the user's.
INPUT UnassignedKeyInput(bool up, ULONG_PTR extra) noexcept;
