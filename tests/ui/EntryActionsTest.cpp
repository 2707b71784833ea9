#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>

#include "support/Clipboard.h"
#include "support/OpenedLog.h"
#include "support/SearchHost.h"
#include "support/TestFiles.h"

namespace {

using Items = std::vector<std::wstring>;

void PressWith(std::initializer_list<WORD> held, WORD key)
{
    for (WORD vk : held)
        probe::KeyDown(vk);
    probe::TapKey(key);
    for (auto it = std::rbegin(held); it != std::rend(held); ++it)
        probe::KeyUp(*it);
    SearchHost::Settle();
}

// The captions of a popup menu, ampersands and accelerators left out.
Items Captions(HMENU menu)
{
    Items captions;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[256]{};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        std::wstring caption;
        for (const wchar_t* c = text; *c && *c != L'\t'; ++c)
            if (*c != L'&')
                caption += *c;
        if (!caption.empty())
            captions.push_back(caption);
    }
    return captions;
}

// Watches for the popup menu the test thread itself opens (and so blocks in): `act` runs inside
// the menu's loop with the menu's window and its items, and must close it.
class MenuWatcher {
public:
    explicit MenuWatcher(std::function<void(HWND, HMENU)> act) : act_(std::move(act))
    {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 50, &MenuWatcher::Tick);
    }
    ~MenuWatcher()
    {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    MenuWatcher(const MenuWatcher&) = delete;
    MenuWatcher& operator=(const MenuWatcher&) = delete;

    bool Seen() const noexcept { return seen_; }
    const Items& Shown() const noexcept { return captions_; }
    DWORD OwnerThread() const noexcept { return ownerThread_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        MenuWatcher* self = current_;
        if (!self || self->seen_)
            return;
        for (HWND hwnd : probe::TopLevelWindows(::GetCurrentProcessId())) {
            if (probe::ClassName(hwnd) != L"#32768" || !::IsWindowVisible(hwnd))
                continue;
            const auto menu = reinterpret_cast<HMENU>(::SendMessageW(hwnd, MN_GETHMENU, 0, 0));
            if (!menu)
                continue;
            self->seen_ = true;
            self->ownerThread_ = ::GetWindowThreadProcessId(hwnd, nullptr);
            self->captions_ = Captions(menu);
            self->act_(hwnd, menu);
            return;
        }
    }

    static inline MenuWatcher* current_ = nullptr;
    std::function<void(HWND, HMENU)> act_;
    UINT_PTR timer_ = 0;
    bool seen_ = false;
    Items captions_;
    DWORD ownerThread_ = 0;
};

class EntryActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        opened::Clear();
        testfiles::Touch(dir / L"Alpha.zarvitest");
        testfiles::Touch(dir / L"Beta.zarvitest");
        testfiles::MakeFolder(dir / L"Folder");
        host.box->SetStoredItems(Items{L"", dir / L"Alpha.zarvitest", dir / L"Beta.zarvitest", dir / L"Folder"});
        host.Settle();
    }

public:
    std::wstring Entry(const wchar_t* name) { return dir / name; }

    testfiles::TempDir dir;
    SearchHost host;
};

// Ctrl+C copies the chosen entry's path unless the edit field has text selected, which it copies
// as any edit box does; with nothing chosen the clipboard keeps what it had.
TEST_F(EntryActions, CtrlCCopiesTheEntrysPathOrTheSelectedText)
{
    struct Case {
        const char* name;
        std::function<void(SearchHost&)> prepare;
        std::function<std::wstring(EntryActions&)> expected;
    };
    const Case cases[] = {
        {"a row chosen in the full list",
         [](SearchHost& h) {
             h.Press(VK_DOWN);
             h.Press(VK_DOWN);
         },
         [](EntryActions& t) { return t.Entry(L"Alpha.zarvitest"); }},
        {"a typed search, a row chosen with the arrows",
         [](SearchHost& h) {
             h.Type(L"beta");
             h.Press(VK_DOWN);
         },
         [](EntryActions& t) { return t.Entry(L"Beta.zarvitest"); }},
        {"a typed search with its text selected",
         [](SearchHost& h) {
             h.Type(L"alpha");
             ::SendMessageW(h.box->EditField(), EM_SETSEL, 0, 3);
         },
         [](EntryActions&) { return std::wstring(L"alp"); }},
        {"a typed full path, no row chosen",
         [this](SearchHost& h) {
             h.Type(Entry(L"Folder"));
             ::SendMessageW(h.box->EditField(), EM_SETSEL, 2, 2);
         },
         [](EntryActions& t) { return t.Entry(L"Folder"); }},
        {"nothing chosen", [](SearchHost& h) { h.Type(L"zzz"); }, [](EntryActions&) { return std::wstring(L"kept"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.box->ResetToFullList();
        host.box->FocusBox();
        host.Settle();
        ASSERT_TRUE(clipboard::SetText(L"kept"));
        c.prepare(host);
        const std::wstring text = host.box->Text();
        PressWith({VK_CONTROL}, 'C');
        EXPECT_EQ(clipboard::Text(), c.expected(*this));
        EXPECT_TRUE(::IsWindowVisible(host.window)) << "the bar stays";
        EXPECT_EQ(host.box->Text(), text) << "the box is left as it was";
    }
}

// The menu key and Shift+F10 show the shell's menu of the chosen entry, under the box; with no
// entry chosen, the edit field's own menu. Escape closes either and leaves the box as it was.
TEST_F(EntryActions, MenuKeysShowTheShellsMenuOfTheChosenEntryAndEscapeLeavesTheBoxAsItWas)
{
    struct Case {
        const char* name;
        const wchar_t* typed;
        bool chooseRow;
        std::initializer_list<WORD> held;
        WORD key;
        const wchar_t* expectedItem;
    };
    const Case cases[] = {
        {"menu key, a row chosen", L"alpha", true, {}, VK_APPS, L"Open"},
        {"Shift+F10, a row chosen", L"alpha", true, {VK_SHIFT}, VK_F10, L"Open"},
        {"menu key, nothing chosen", L"zzz", false, {}, VK_APPS, L"Select All"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.box->ResetToFullList();
        host.box->FocusBox();
        host.Settle();
        host.Type(c.typed);
        if (c.chooseRow)
            host.Press(VK_DOWN);
        const std::wstring text = host.box->Text();
        MenuWatcher watcher([](HWND, HMENU) { probe::TapKey(VK_ESCAPE); });
        PressWith(c.held, c.key);
        ASSERT_TRUE(probe::WaitUntil([&] {
            SearchHost::Settle();
            return watcher.Seen();
        }));
        const Items& shown = watcher.Shown();
        EXPECT_NE(std::find(shown.begin(), shown.end(), c.expectedItem), shown.end()) << testing::PrintToString(shown);
        EXPECT_EQ(watcher.OwnerThread(), ::GetCurrentThreadId());
        SearchHost::Settle();
        EXPECT_TRUE(::IsWindowVisible(host.window));
        EXPECT_EQ(host.box->Text(), text);
        EXPECT_TRUE(opened::Paths().empty());
    }
}

// Wine's own item menu opens folders only (a file's "Open" does nothing there); Windows' opens
// both through the same registry verbs.
TEST_F(EntryActions, ChoosingOpenInTheShellsMenuOpensTheEntryAndHidesTheBar)
{
    host.Type(L"folder");
    host.Press(VK_DOWN);
    ASSERT_EQ(host.box->Text(), Entry(L"Folder"));
    MenuWatcher watcher([](HWND, HMENU) { probe::TapKey('O'); }); // "&Open"
    host.Press(VK_APPS);
    ASSERT_TRUE(probe::WaitUntil([&] {
        SearchHost::Settle();
        return watcher.Seen();
    }));
    EXPECT_EQ(opened::WaitForPaths(1), Items{Entry(L"Folder")});
    EXPECT_FALSE(::IsWindowVisible(host.window));
}

// Explorer's window on the folder, from the process that shows it: under Wine, its own browser
// titled with the folder's name.
HWND FindExplorerOn(const std::wstring& folder)
{
    const std::wstring name = folder.substr(folder.rfind(L'\\') + 1);
    for (HWND hwnd : probe::TopLevelWindows(0))
        if (probe::ClassName(hwnd) == L"ExplorerWClass" && probe::WindowText(hwnd) == name && ::IsWindowVisible(hwnd))
            return hwnd;
    return nullptr;
}

TEST_F(EntryActions, CtrlEnterShowsTheEntryInItsFolderAndHidesTheBar)
{
    host.Type(L"beta");
    host.Press(VK_DOWN);
    PressWith({VK_CONTROL}, VK_RETURN);
    HWND explorer = nullptr;
    EXPECT_TRUE(probe::WaitUntil([&] { return (explorer = FindExplorerOn(dir.Str())) != nullptr; }));
    EXPECT_FALSE(::IsWindowVisible(host.window));
    EXPECT_TRUE(opened::Paths().empty()) << "the entry itself is not opened";
    if (explorer) {
        ::PostMessageW(explorer, WM_CLOSE, 0, 0);
        EXPECT_TRUE(probe::WaitUntil([&] { return !::IsWindow(explorer); }));
    }
}

TEST_F(EntryActions, CtrlShiftEnterAsksTheShellToRunTheEntryAsAdministrator)
{
    host.Type(L"alpha");
    host.Press(VK_DOWN);
    PressWith({VK_CONTROL, VK_SHIFT}, VK_RETURN);
    EXPECT_EQ(opened::WaitForPaths(1), Items{L"runas:" + Entry(L"Alpha.zarvitest")});
    EXPECT_FALSE(::IsWindowVisible(host.window));
}

} // namespace
