#include <gtest/gtest.h>

#include <vector>

#include "core/rules/Hotkey.h"

namespace {

using hotkey::Message;

TEST(HotkeyName, NormalisesAndMapsToKeyCodes)
{
    struct Case {
        std::wstring stored;
        std::wstring name;
        uint32_t key;
    };
    const Case cases[] = {
        {L"space", L"space", 32},
        {L"z", L"z", 90},
        {L"x", L"x", 88},
        {L"c", L"c", 67},
        {L"v", L"v", 86},
        {L"b", L"b", 66},
        {L"n", L"n", 78},
        {L"m", L"m", 77},
        {L"<", L"<", 226},
        {L"Z", L"z", 90},
        {L" Space ", L"space", 32},
        {L"", L"space", 32},
        {L"   ", L"space", 32},
        {L"F5", L"f5", 32},
        {L"\tM\r\n", L"m", 77},
        {L"\u00c9", L"\u00c9", 0xC9},
        // A hand-edited name must never capture the Windows keys or a modifier; the name stays.
        {L"[", L"[", 32},
        {L"\\", L"\\", 32},
        {L"\u0010", L"space", 32},
        {L"\u00a0", L"\u00a0", 32},
        {L"\u00a5", L"\u00a5", 32},
        {L"\u00a6", L"\u00a6", 0xA6},
        {L"\u009f", L"\u009f", 0x9F},
        {L"Z", L"z", 90},
    };
    for (const auto& c : cases) {
        const std::wstring name = hotkey::NormalizeName(c.stored);
        EXPECT_EQ(name, c.name) << testing::PrintToString(c.stored);
        EXPECT_EQ(hotkey::NameToKey(name), c.key) << testing::PrintToString(c.stored);
    }
}

struct Step {
    Message message;
    uint32_t vk;
    bool winDown; // what the system reports just before the event
    bool hotDown;
    bool swallow;
    bool show;
};

void Replay(const char* name, const std::vector<Step>& steps, uint32_t hotkeyKey = 32)
{
    for (size_t i = 0; i < steps.size(); ++i) {
        const auto& s = steps[i];
        const auto d = hotkey::Decide({s.message, s.vk}, {s.winDown, s.hotDown}, hotkeyKey);
        EXPECT_EQ(d.swallow, s.swallow) << name << " step " << i;
        EXPECT_EQ(d.show, s.show) << name << " step " << i;
    }
}

TEST(HotkeyDecision, WindowsKeyThenHotkeyShowsOnTheHotkeysPressOnly)
{
    Replay("win first", {{Message::KeyDown, 91, false, false, false, false},
                         {Message::KeyDown, 32, true, false, true, true},
                         {Message::KeyDown, 32, true, true, true, true}, // auto-repeat
                         {Message::KeyUp, 32, true, true, false, false},
                         {Message::KeyUp, 91, true, false, false, false}});
}

TEST(HotkeyDecision, HotkeyFirstIsNeverTheShortcut)
{
    Replay("hotkey first", {{Message::KeyDown, 32, false, false, false, false},
                            {Message::KeyDown, 32, false, true, false, false},
                            {Message::KeyDown, 92, false, true, false, false},
                            {Message::KeyUp, 92, true, true, false, false},
                            {Message::KeyUp, 32, false, true, false, false}});
    // Held from before the Windows key, its repeats stay the user's.
    EXPECT_FALSE(hotkey::Decide({Message::KeyDown, 32}, {true, true, true}, 32).swallow);
}

TEST(HotkeyDecision, OtherKeysWithTheWindowsKeyAndKeyUpsAlwaysPass)
{
    Replay("others", {{Message::KeyDown, 'E', true, false, false, false},
                      {Message::KeyDown, 'R', true, false, false, false},
                      {Message::KeyDown, 91, false, false, false, false},
                      {Message::KeyDown, 91, false, true, false, false}, // with the hotkey held
                      {Message::KeyUp, 91, true, false, false, false},
                      // both Windows keys held: releasing one is judged with none held
                      {Message::KeyUp, 91, true, true, false, false},
                      {Message::KeyUp, 92, true, true, false, false}});
}

TEST(HotkeyDecision, AltGivesSystemKeyMessagesJudgedTheSame)
{
    Replay("alt", {{Message::SysKeyDown, 91, false, false, false, false},
                   {Message::SysKeyDown, 32, true, false, true, true},
                   {Message::SysKeyUp, 32, true, true, false, false},
                   {Message::Other, 32, true, true, false, false}});
}

TEST(HotkeyDecision, ChosenHotkeyReplacesSpace)
{
    Replay("m", {{Message::KeyDown, 32, true, false, false, false}, {Message::KeyDown, 77, true, false, true, true}},
           77);
}

} // namespace

namespace {

TEST(StartupHint, NamesTheShortcutWithCapitalLettersOnly)
{
    EXPECT_EQ(hotkey::StartupHint(L"m"), L"I'm hidden in taskbar, press WIN+M to start search");
    EXPECT_EQ(hotkey::StartupHint(L"space"), L"I'm hidden in taskbar, press WIN+SPACE to start search");
    EXPECT_EQ(hotkey::StartupHint(L"<"), L"I'm hidden in taskbar, press WIN+< to start search");
    EXPECT_EQ(hotkey::StartupHint(L"f5"), L"I'm hidden in taskbar, press WIN+F5 to start search");
}

} // namespace

TEST(HotkeyRecentPresses, APressSeenAMomentAgoCountsAsHeldUntilItsRelease)
{
    using hotkey::KeyEvent;
    using hotkey::RecentPresses;
    constexpr uint64_t kMoment = RecentPresses::kMomentMs;
    struct Case {
        const char* name;
        std::vector<std::pair<KeyEvent, uint64_t>> seen; // events, and when the hook saw them
        uint32_t seenHotkey;                             // the hotkey while they were seen
        uint32_t askedHotkey;                            // the hotkey when the state is asked
        uint64_t now;
        bool winDown, hotDown; // the state completed, with nothing reported held
    };
    const Case cases[] = {
        {"nothing seen", {}, 32, 32, 1000, false, false},
        {"left Windows key a moment ago", {{{Message::KeyDown, 91}, 1000}}, 32, 32, 1002, true, false},
        {"right Windows key, as a system key", {{{Message::SysKeyDown, 92}, 1000}}, 32, 32, 1002, true, false},
        {"the moment has passed", {{{Message::KeyDown, 91}, 1000}}, 32, 32, 1000 + kMoment, false, false},
        {"released since", {{{Message::KeyDown, 91}, 1000}, {{Message::KeyUp, 91}, 1001}}, 32, 32, 1002, false, false},
        {"auto-repeat keeps it fresh",
         {{{Message::KeyDown, 91}, 1000}, {{Message::KeyDown, 91}, 1000 + kMoment - 100}},
         32,
         32,
         1000 + kMoment + 100,
         true,
         false},
        {"hotkey a moment ago", {{{Message::KeyDown, 32}, 1000}}, 32, 32, 1010, false, true},
        {"hotkey released",
         {{{Message::KeyDown, 32}, 1000}, {{Message::SysKeyUp, 32}, 1005}},
         32,
         32,
         1010,
         false,
         false},
        {"a key that is not the hotkey", {{{Message::KeyDown, 'M'}, 1000}}, 32, 32, 1010, false, false},
        {"the hotkey changed since its press", {{{Message::KeyDown, 32}, 1000}}, 32, 'M', 1010, false, false},
        {"an event of no key", {{{Message::Other, 91}, 1000}}, 32, 32, 1002, false, false},
    };
    for (const auto& c : cases) {
        RecentPresses recent;
        for (const auto& [event, at] : c.seen)
            recent.Judge(event, {false, false}, c.seenHotkey, at);
        const auto state = recent.Complete({false, false}, c.askedHotkey, c.now);
        EXPECT_EQ(state.winDown, c.winDown) << c.name;
        EXPECT_EQ(state.hotDown, c.hotDown) << c.name;
    }
    // What the system reports held stays held.
    const auto reported = RecentPresses{}.Complete({true, true}, 32, 5000);
    EXPECT_TRUE(reported.winDown && reported.hotDown);
}

// The hook's whole judgement, event after event: what the system reports, and when.
TEST(HotkeyJudgement, TheShortcutIsTheWindowsKeyFirstThenTheHotkey)
{
    struct Event {
        Message message;
        uint32_t vk;
        uint64_t at;
        bool winReported, hotReported; // what the system reports just before the event
        bool swallow;
    };
    struct Case {
        const char* name;
        std::vector<Event> events;
    };
    const Case cases[] = {
        {"Windows key, then the hotkey and its repeats (swallowed, so never reported held)",
         {{Message::KeyDown, 91, 0, false, false, false},
          {Message::KeyDown, 32, 100, true, false, true},
          {Message::KeyDown, 32, 700, true, false, true},
          {Message::KeyDown, 32, 730, true, false, true},
          {Message::KeyUp, 32, 760, true, false, false},
          {Message::KeyUp, 91, 800, true, false, false}}},
        {"space held from typing, then Windows key + V: nothing is the bar's",
         {{Message::KeyDown, 32, 0, false, false, false},
          {Message::KeyDown, 32, 500, false, true, false},
          {Message::KeyDown, 91, 520, false, true, false},
          {Message::KeyDown, 32, 530, true, true, false},
          {Message::KeyDown, 'V', 540, true, true, false},
          {Message::KeyDown, 32, 2000, true, true, false},
          {Message::KeyUp, 32, 2010, true, true, false},
          {Message::KeyUp, 91, 2020, true, false, false}}},
        {"the hotkey let go and pressed again with the Windows key held is the shortcut",
         {{Message::KeyDown, 32, 0, false, false, false},
          {Message::KeyDown, 91, 100, false, true, false},
          {Message::KeyUp, 32, 200, true, true, false},
          {Message::KeyDown, 32, 300, true, false, true}}},
        {"the system's state lags: a Windows key seen a moment ago counts",
         {{Message::KeyDown, 91, 1000, false, false, false}, {Message::KeyDown, 32, 1002, false, false, true}}},
        {"a hotkey press whose release the hook never saw is over once the system lets it go",
         {{Message::KeyDown, 32, 0, false, false, false},
          {Message::KeyDown, 91, 5000, false, false, false},
          {Message::KeyDown, 32, 5100, true, false, true}}},
    };
    for (const auto& c : cases) {
        hotkey::RecentPresses recent;
        for (size_t i = 0; i < c.events.size(); ++i) {
            const auto& e = c.events[i];
            const auto d = recent.Judge({e.message, e.vk}, {e.winReported, e.hotReported}, 32, e.at);
            EXPECT_EQ(d.swallow, e.swallow) << c.name << ", event " << i;
            EXPECT_EQ(d.show, e.swallow) << c.name << ", event " << i;
        }
    }
}
