#include "core/rules/Typeahead.h"

#include <algorithm>

#include "core/rules/Hotkey.h"

namespace typeahead {

size_t Expiry::Presses() const noexcept
{
    return static_cast<size_t>(
        std::count_if(keys.begin(), keys.end(), [](const Key& k) { return !k.up && !k.shortcut; }));
}

bool Expiry::HadShortcut() const noexcept
{
    return std::any_of(keys.begin(), keys.end(), [](const Key& k) { return k.shortcut; });
}

bool Keeper::Shortcut(uint64_t nowMs)
{
    if (keeping_) {
        // An auto-repeat adds nothing to a shortcut kept just before it.
        if (kept_.empty() || !kept_.back().shortcut)
            Keep({0, 0, false, false, false, true}, nowMs);
        return false;
    }
    keeping_ = true;
    taking_ = false;
    kept_.clear();
    keptDown_.reset();
    waitingSince_ = nowMs;
    return true;
}

Verdict Keeper::See(const Key& key, bool windowsKeyHeld, uint64_t nowMs)
{
    if (!keeping_ || key.vk >= 256 || key.vk == hotkey::kLeftWin || key.vk == hotkey::kRightWin)
        return Verdict::Pass;
    // A release goes where its press went: before the shortcut, or to the system with a Windows key.
    if (key.up && !keptDown_[key.vk])
        return Verdict::Pass;
    if (!key.up && windowsKeyHeld)
        return Verdict::Pass;
    keptDown_[key.vk] = !key.up;
    Keep(key, nowMs);
    return Verdict::Keep;
}

void Keeper::Keep(const Key& key, uint64_t nowMs)
{
    // The first to wait while the bar is taking waits from now.
    if (kept_.empty() && taking_)
        waitingSince_ = nowMs;
    kept_.push_back(key);
}

Keeper::Take Keeper::Next(Key& key, uint64_t nowMs)
{
    if (!keeping_)
        return Take::NotKeeping;
    taking_ = true;
    if (kept_.empty())
        return Take::NoneYet;
    key = kept_.front();
    kept_.pop_front();
    waitingSince_ = nowMs;
    return Take::Taken;
}

bool Keeper::EndIfNoneWaits()
{
    if (keeping_ && kept_.empty())
        keeping_ = false;
    return !keeping_;
}

std::vector<Key> Keeper::TakeAll()
{
    keeping_ = false;
    std::vector<Key> keys(kept_.begin(), kept_.end());
    kept_.clear();
    return keys;
}

std::vector<Key> Keeper::End()
{
    return keeping_ ? TakeAll() : std::vector<Key>{};
}

std::vector<Key> Keeper::EndUntilShortcut(bool& shortcutFollows)
{
    shortcutFollows = false;
    if (!keeping_)
        return {};
    const auto shortcut = std::find_if(kept_.begin(), kept_.end(), [](const Key& k) { return k.shortcut; });
    if (shortcut == kept_.end())
        return TakeAll();
    std::vector<Key> before(kept_.begin(), shortcut);
    kept_.erase(kept_.begin(), shortcut + 1);
    shortcutFollows = true;
    return before;
}

Expiry Keeper::Check(uint64_t nowMs)
{
    Expiry expiry;
    if (!keeping_)
        return expiry;
    const uint64_t waited = nowMs - waitingSince_;
    if (!taking_ && waited >= kHungBarMs) {
        expiry.what = Expiry::What::Dropped;
        expiry.keys = TakeAll();
    } else if (taking_ && !kept_.empty() && waited >= kHeldReplayMs) {
        expiry.what = Expiry::What::TypeAtFocus;
        expiry.keys = TakeAll();
    }
    return expiry;
}

} // namespace typeahead
