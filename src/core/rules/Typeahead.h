#pragma once
// The keys typed right after the shortcut are the bar's: the hook keeps them, in order, until the
// bar takes them one by one and types each again in its search box, however late its show comes.
// This is the rule alone: key events and the time in, what becomes of each key out.
#include <bitset>
#include <cstdint>
#include <deque>
#include <vector>

namespace typeahead {

// A user-interface thread that has not begun taking kept keys this long after the shortcut hangs:
// its keys are dropped rather than typed into whatever has the focus.
inline constexpr uint64_t kHungBarMs = 5000;
// Once the bar is taking them, a key it typed may have opened a modal loop (its menu) that holds
// the taking until the user's next keys close it: a key waiting this long goes where the focus is.
inline constexpr uint64_t kHeldReplayMs = 1000;

struct Key {
    uint32_t vk;    // below 256; for a character typed as such, VK_PACKET
    uint32_t scan;  // the scan code, or the character
    bool up;        // a release
    bool extended;  // an extended key (the arrows of the separate block, right Ctrl, ...)
    bool character; // a character typed as such (an input method, a tool that types)
    // Not a key: the shortcut, pressed again while keys typed before it are kept. It acts in its
    // place among them (an Escape typed just before it hides the bar, then it shows it again).
    bool shortcut = false;
    bool operator==(const Key&) const = default;
};

enum class Verdict { Pass, Keep };

// What the time did to the kept keys.
struct Expiry {
    enum class What { Nothing, Dropped, TypeAtFocus } what = What::Nothing;
    std::vector<Key> keys;
    // The presses among them: what the user counts as keys.
    size_t Presses() const noexcept;
    // Whether a kept shortcut was among them: the bar is to be shown still.
    bool HadShortcut() const noexcept;
};

// Neither thread-safe nor time-aware by itself: the hook's side serialises the calls and gives the time.
class Keeper {
public:
    // The shortcut (or an auto-repeat of it): from now on keys are kept. True when the keeping
    // starts here (show the bar now); while keeping, the shortcut is kept in its place after the
    // keys typed before it, which stay, and so does the time they have waited.
    bool Shortcut(uint64_t nowMs);
    // A key event of the desktop, typed by the user. `windowsKeyHeld`: a Windows key is down as it
    // comes: a press with it (Windows key + L) is the system's, never the bar's.
    Verdict See(const Key& key, bool windowsKeyHeld, uint64_t nowMs);

    enum class Take { NotKeeping, NoneYet, Taken };
    // The bar asks for the next key. NoneYet: it is taking, and none waits (the bar then asks
    // the hook's side to end the keeping behind any keys still on their way, EndIfNoneWaits).
    Take Next(Key& key, uint64_t nowMs);
    // Every key typed before the bar's request has been seen: the keeping ends, unless some of
    // them were kept meanwhile. True when it ended.
    bool EndIfNoneWaits();
    // Ends at once: the keys still kept, to be typed where the focus is (a kept shortcut among
    // them has nothing left to show).
    std::vector<Key> End();
    // The bar hid while keys are kept: those before the next kept shortcut, to be typed where the
    // focus is. That shortcut is taken with them (`shortcutFollows`: show the bar again) and the
    // keeping goes on for the keys after it; without one, the keeping ends.
    std::vector<Key> EndUntilShortcut(bool& shortcutFollows);
    // What the time does to the kept keys at `nowMs`.
    Expiry Check(uint64_t nowMs);

    bool Keeping() const noexcept { return keeping_; }
    size_t Waiting() const noexcept { return kept_.size(); }

private:
    std::vector<Key> TakeAll();
    void Keep(const Key& key, uint64_t nowMs);

    bool keeping_ = false;
    bool taking_ = false; // the bar has begun taking
    std::deque<Key> kept_;
    std::bitset<256> keptDown_; // keys whose press was kept: their release is kept too
    // Since the shortcut, or since the bar took a key, or since a key came to an empty queue
    // while the bar was taking.
    uint64_t waitingSince_ = 0;
};

} // namespace typeahead
