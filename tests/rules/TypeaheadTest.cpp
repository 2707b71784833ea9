#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "core/rules/Typeahead.h"

namespace {

using typeahead::Keeper;
using typeahead::Key;

// A script of what happens after the shortcut, and where each key's press ends up. Keys are
// characters: a letter, ' ' Space, '\t' Tab, '\b' Backspace, '\n' Enter, '\x1b' Escape; '!' is
// a shortcut pressed again, where the bar takes it.
enum class Op {
    Shortcut,    // the shortcut, or an auto-repeat of it
    Tap,         // the key pressed and released by the user
    Press,       // pressed only
    Release,     // released only
    WinTap,      // pressed and released with a Windows key held
    TakeAll,     // the bar takes every key waiting, one by one
    TakeThrough, // the bar takes keys up to this key's release, then its loop is held (a menu) or ends
    Marker,      // the bar's end marker came back through the hook
    BarGone,     // the bar hid or lost the focus: the rest goes where the focus is, up to a shortcut
    Check,       // the hook's timer looks at the time
};

struct Step {
    Op op;
    uint64_t at;
    char key = 0;
};

struct Outcome {
    std::string passed;  // presses that went on to the focused program as they came
    std::string bar;     // presses the bar took
    std::string atFocus; // presses typed again where the focus is
    std::string dropped; // presses dropped
    bool keeping;        // still keeping at the end
};

uint32_t VkOf(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) ? static_cast<uint32_t>(std::toupper(c))
                                                       : static_cast<uint32_t>(c == '\n' ? 13 : c);
}

char CharOf(const Key& key)
{
    if (key.shortcut)
        return '!';
    return key.vk == 13                             ? '\n'
           : std::isalpha(static_cast<int>(key.vk)) ? static_cast<char>(std::tolower(static_cast<int>(key.vk)))
                                                    : static_cast<char>(key.vk);
}

void AddPresses(std::string& to, const std::vector<Key>& keys)
{
    for (const Key& k : keys)
        if (!k.up && !k.shortcut)
            to += CharOf(k);
}

Outcome Play(const std::vector<Step>& steps)
{
    Keeper keeper;
    Outcome out;
    const auto see = [&](char c, bool up, bool win, uint64_t at) {
        const Key key{VkOf(c), 0, up, false, false};
        if (keeper.See(key, win, at) == typeahead::Verdict::Pass && !up)
            out.passed += c;
    };
    for (const Step& s : steps) {
        switch (s.op) {
        case Op::Shortcut:
            if (keeper.Shortcut(s.at))
                out.bar += '!';
            break;
        case Op::Tap:
            see(s.key, false, false, s.at);
            see(s.key, true, false, s.at);
            break;
        case Op::Press:
            see(s.key, false, false, s.at);
            break;
        case Op::Release:
            see(s.key, true, false, s.at);
            break;
        case Op::WinTap:
            see(s.key, false, true, s.at);
            see(s.key, true, true, s.at);
            break;
        case Op::TakeAll:
        case Op::TakeThrough:
            for (Key key{}; keeper.Next(key, s.at) == Keeper::Take::Taken;) {
                if (!key.up)
                    out.bar += CharOf(key);
                if (s.op == Op::TakeThrough && key.up && key.vk == VkOf(s.key))
                    break;
            }
            break;
        case Op::Marker:
            keeper.EndIfNoneWaits();
            break;
        case Op::BarGone: {
            bool shortcutFollows = false;
            AddPresses(out.atFocus, keeper.EndUntilShortcut(shortcutFollows));
            if (shortcutFollows)
                out.bar += '!';
            break;
        }
        case Op::Check: {
            const auto expiry = keeper.Check(s.at);
            if (expiry.what == typeahead::Expiry::What::Dropped) {
                AddPresses(out.dropped, expiry.keys);
                EXPECT_EQ(expiry.Presses(), out.dropped.size());
            } else if (expiry.what == typeahead::Expiry::What::TypeAtFocus) {
                AddPresses(out.atFocus, expiry.keys);
                if (expiry.HadShortcut())
                    out.bar += '!'; // shown, as it asked
            }
            break;
        }
        }
    }
    out.keeping = keeper.Keeping();
    return out;
}

TEST(Typeahead, KeysAfterTheShortcutGoToTheBarInOrderAndNowhereElse)
{
    constexpr uint64_t kHung = typeahead::kHungBarMs;
    constexpr uint64_t kHeld = typeahead::kHeldReplayMs;
    struct Case {
        const char* name;
        std::vector<Step> steps;
        Outcome expected;
    };
    const Case cases[] = {
        {"a bar that comes late takes every key, Enter last",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, 'r'},
          {Op::Tap, 20, 'e'},
          {Op::Tap, 30, 'a'},
          {Op::Tap, 40, 'd'},
          {Op::Tap, 50, '\n'},
          {Op::Check, 1100},
          {Op::Check, kHung - 1},
          {Op::TakeAll, kHung - 1}},
         {"", "!read\n", "", "", true}},
        {"a hung bar: its keys are dropped, and keys after them pass",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, 'a'},
          {Op::Tap, 20, 'b'},
          {Op::Check, kHung - 1},
          {Op::Check, kHung},
          {Op::Tap, kHung + 10, 'c'}},
         {"c", "!", "", "ab", false}},
        {"a hung bar with nothing typed ends the keeping quietly",
         {{Op::Shortcut, 0}, {Op::Check, kHung}, {Op::Tap, kHung + 10, 'c'}},
         {"c", "!", "", "", false}},
        {"Escape hides the bar: keys typed after it go where the focus goes",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, 'r'},
          {Op::Tap, 20, 'e'},
          {Op::Tap, 30, '\x1b'},
          {Op::Tap, 40, 'x'},
          {Op::TakeThrough, 300, '\x1b'},
          {Op::BarGone, 310}},
         {"", "!re\x1b", "x", "", false}},
        {"Enter opens: keys typed after it go where the focus goes",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, 'r'},
          {Op::Tap, 20, '\n'},
          {Op::Tap, 30, 'x'},
          {Op::TakeThrough, 300, '\n'},
          {Op::BarGone, 310}},
         {"", "!r\n", "x", "", false}},
        {"Backspace is kept in its place",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, 'r'},
          {Op::Tap, 20, 'x'},
          {Op::Tap, 30, '\b'},
          {Op::Tap, 40, 'e'},
          {Op::TakeAll, 200}},
         {"", "!rx\be", "", "", true}},
        {"a menu opened during the replay holds the bar: the next keys reach it a second later",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, '\t'},
          {Op::Tap, 20, ' '},
          {Op::Tap, 30, '\x1b'},
          {Op::TakeThrough, 200, ' '},
          {Op::Check, 200 + kHeld - 1},
          {Op::Check, 200 + kHeld}},
         {"", "!\t ", "\x1b", "", false}},
        {"keys typed while the menu is open wait their second from their own arrival",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, ' '},
          {Op::TakeAll, 100},
          {Op::Tap, 900, '\x1b'},
          {Op::Check, 900 + kHeld - 1},
          {Op::Check, 900 + kHeld}},
         {"", "! ", "\x1b", "", false}},
        {"a second shortcut keeps the keys kept before it",
         {{Op::Shortcut, 0}, {Op::Tap, 10, 'a'}, {Op::Shortcut, 20}, {Op::Tap, 30, 'b'}, {Op::TakeAll, 2000}},
         {"", "!a!b", "", "", true}},
        {"Escape, then the shortcut at once: the Escape hides the bar, then the shortcut shows it again",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, 'r'},
          {Op::Tap, 20, '\x1b'},
          {Op::Shortcut, 30},
          {Op::Tap, 40, 'x'},
          {Op::TakeThrough, 300, '\x1b'},
          {Op::BarGone, 310},
          {Op::TakeAll, 400}},
         {"", "!r\x1b!x", "", "", true}},
        {"a menu that holds the bar past its second still gets the shortcut's show",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, ' '},
          {Op::Shortcut, 20},
          {Op::TakeThrough, 100, ' '},
          {Op::Check, 100 + kHeld}},
         {"", "! !", "", "", false}},
        {"auto-repeats of the shortcut keep them too, and the time they waited",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, 'a'},
          {Op::Shortcut, 500},
          {Op::Shortcut, 530},
          {Op::Tap, 540, 'b'},
          {Op::Shortcut, 4000},
          {Op::Check, kHung}},
         {"", "!", "", "ab", false}},
        {"a key pressed with a Windows key held is the system's",
         {{Op::Shortcut, 0}, {Op::Tap, 10, 'a'}, {Op::WinTap, 20, 'l'}, {Op::Tap, 30, 'b'}, {Op::TakeAll, 100}},
         {"l", "!ab", "", "", true}},
        {"a release whose press came before the shortcut goes where the press went",
         {{Op::Press, 0, 'q'}, {Op::Shortcut, 5}, {Op::Release, 10, 'q'}, {Op::Tap, 20, 'a'}, {Op::TakeAll, 100}},
         {"q", "!a", "", "", true}},
        {"the end marker ends the keeping when nothing waits",
         {{Op::Shortcut, 0}, {Op::Tap, 10, 'a'}, {Op::TakeAll, 100}, {Op::Marker, 110}, {Op::Tap, 120, 'b'}},
         {"b", "!a", "", "", false}},
        {"keys that came before the marker are taken first",
         {{Op::Shortcut, 0},
          {Op::Tap, 10, 'a'},
          {Op::TakeAll, 100},
          {Op::Tap, 105, 'b'},
          {Op::Marker, 110},
          {Op::TakeAll, 120},
          {Op::Marker, 130},
          {Op::Tap, 140, 'c'}},
         {"c", "!ab", "", "", false}},
        {"nothing is kept before the shortcut", {{Op::Tap, 0, 'a'}, {Op::Check, kHung}}, {"a", "", "", "", false}},
    };
    for (const auto& c : cases) {
        const Outcome got = Play(c.steps);
        EXPECT_EQ(got.passed, c.expected.passed) << c.name;
        EXPECT_EQ(got.bar, c.expected.bar) << c.name;
        EXPECT_EQ(got.atFocus, c.expected.atFocus) << c.name;
        EXPECT_EQ(got.dropped, c.expected.dropped) << c.name;
        EXPECT_EQ(got.keeping, c.expected.keeping) << c.name;
    }
}

// A key comes back as it was kept: a character typed as such, an extended key.
TEST(Typeahead, KeysComeBackAsTheyWereKept)
{
    Keeper keeper;
    keeper.Shortcut(0);
    const Key character{0xE7, 0xE9, false, false, true};
    const Key arrow{0x25, 0x4B, false, true, false};
    EXPECT_EQ(keeper.See(character, false, 1), typeahead::Verdict::Keep);
    EXPECT_EQ(keeper.See(arrow, false, 2), typeahead::Verdict::Keep);
    Key taken{};
    ASSERT_EQ(keeper.Next(taken, 3), Keeper::Take::Taken);
    EXPECT_EQ(taken, character);
    ASSERT_EQ(keeper.Next(taken, 3), Keeper::Take::Taken);
    EXPECT_EQ(taken, arrow);
    EXPECT_EQ(keeper.Next(taken, 3), Keeper::Take::NoneYet);
    // The Windows keys themselves always pass: they are half of the system's shortcuts.
    EXPECT_EQ(keeper.See({91, 0, false, false, false}, true, 4), typeahead::Verdict::Pass);
}

} // namespace
