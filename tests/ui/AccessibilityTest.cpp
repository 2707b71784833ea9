#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <oleacc.h>

#include <memory>
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <tuple>
#include <vector>

#include "core/Handle.h"
#include "core/rules/WindowLayout.h"
#include "core/rules/TextConv.h"
#include "support/AppFolderSandbox.h"
#include "support/TestFiles.h"
#include "support/Probe.h"
#include "support/SearchHost.h"
#include "ui/About.h"
#include "ui/BarIds.h"
#include "ui/MAIN.h"
#include "ui/Accessible.h"
#include "ui/TApplication.h"
#include "ui/Theme.h"
#include "ui/ToggleSwitch.h"
#include "ui/frmTutorial.h"

namespace {

// What assistive technology reads of a window: its client object's name, role and state.
struct Read {
    std::wstring name;
    long role = 0;
    long state = 0;
};

VARIANT Self()
{
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

ComPtr<IAccessible> ObjectOf(HWND window)
{
    ComPtr<IAccessible> object;
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessibleId,
                                 reinterpret_cast<void**>(object.put()));
    return object;
}

Read ReadOf(HWND window)
{
    Read read;
    const auto object = ObjectOf(window);
    if (!object)
        return read;
    BSTR name = nullptr;
    if (object->get_accName(Self(), &name) == S_OK && name) {
        read.name = name;
        ::SysFreeString(name);
    }
    VARIANT value{};
    if (object->get_accRole(Self(), &value) == S_OK && value.vt == VT_I4)
        read.role = value.lVal;
    if (object->get_accState(Self(), &value) == S_OK && value.vt == VT_I4)
        read.state = value.lVal;
    return read;
}

class Accessibility : public AppFolderSandbox {
protected:
    // As the program's own thread is: an object handed out is marshalled through COM.
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override
    {
        ::CoUninitialize();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"zarvi.exe");
        AppFolderSandbox::TearDown();
    }
};

// The bar's two buttons show pictures only: their names are their tooltips' words.
TEST_F(Accessibility, TheBarsButtonsAreNamedByTheirTooltips)
{
    SkipTutorial();
    const auto application = std::make_unique<TApplication>();
    const auto bar = std::make_unique<TForm1>(application->Handle());
    EXPECT_EQ(ReadOf(::GetDlgItem(bar->Handle(), kMenuButtonId)).name, L"Menu");
    EXPECT_EQ(ReadOf(::GetDlgItem(bar->Handle(), kPathsButtonId)).name, L"Edit paths (F2)");
}

// The autostart switch is a check button named by its label, checked while on, toggled by Space
// and by its default action.
TEST_F(Accessibility, TheAutostartSwitchIsACheckButtonNamedByItsLabel)
{
    SkipTutorial();
    TAboutBox box(nullptr);
    const HWND sw = box.swtAutostart->Handle();
    Read read = ReadOf(sw);
    EXPECT_EQ(read.name, L"Autostart with Windows");
    EXPECT_EQ(read.role, ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(read.state & STATE_SYSTEM_CHECKED, 0);

    ::ShowWindow(box.Handle(), SW_SHOW);
    ::SetForegroundWindow(box.Handle());
    ::SetFocus(sw);
    probe::TapKey(VK_SPACE);
    SearchHost::Settle();
    read = ReadOf(sw);
    EXPECT_TRUE(box.swtAutostart->IsOn());
    EXPECT_NE(read.state & STATE_SYSTEM_CHECKED, 0);
    EXPECT_NE(read.state & STATE_SYSTEM_FOCUSED, 0);

    const auto object = ObjectOf(sw);
    ASSERT_TRUE(object);
    BSTR action = nullptr;
    ASSERT_EQ(object->get_accDefaultAction(Self(), &action), S_OK);
    EXPECT_EQ(std::wstring(action), L"Uncheck");
    ::SysFreeString(action);
    EXPECT_EQ(object->accDoDefaultAction(Self()), S_OK);
    SearchHost::Settle();
    EXPECT_FALSE(box.swtAutostart->IsOn());
    EXPECT_EQ(ReadOf(sw).state & STATE_SYSTEM_CHECKED, 0);
}

// The tutorial's picture carries the words of its step.
TEST_F(Accessibility, TheTutorialsPictureIsNamedByItsStep)
{
    TformTutorial t(nullptr);
    EXPECT_EQ(ReadOf(t.VirtualImage1).name.rfind(L"1. Windows key + Space.", 0), 0u);
    t.ShowPage(2);
    EXPECT_EQ(ReadOf(t.VirtualImage1).name.rfind(L"3. Your folders, one per line.", 0), 0u);
}

// The pixels of a control as it stands on screen, drawn anew.
std::vector<uint32_t> PixelsOf(HWND control)
{
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    SearchHost::Settle();
    RECT r{};
    ::GetClientRect(control, &r);
    const HDC screen = ::GetDC(control);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + static_cast<size_t>(r.right) * r.bottom);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(control, screen);
    return pixels;
}

// A focused control drawn by the program shows a focus mark. (Whether it hides the mark after a
// mouse click follows the window's UI state, which Wine does not keep: WM_QUERYUISTATE answers 0.)
TEST_F(Accessibility, AControlDrawnByTheProgramShowsAFocusMark)
{
    SkipTutorial();
    TAboutBox box(nullptr);
    ::ShowWindow(box.Handle(), SW_SHOW);
    ::SetForegroundWindow(box.Handle());
    const std::pair<const char*, HWND> controls[] = {
        {"the autostart switch", box.swtAutostart->Handle()},
        {"Check for updates", ::GetDlgItem(box.Handle(), about::kCheckUpdatesId)},
    };
    for (const auto& [name, control] : controls) {
        ::SetFocus(box.OKButton);
        const auto unfocused = PixelsOf(control);
        ::SetFocus(control);
        EXPECT_NE(PixelsOf(control), unfocused) << name << ": no focus mark";
    }
}

bool Shows(const std::vector<uint32_t>& pixels, COLORREF colour)
{
    const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    return std::any_of(pixels.begin(), pixels.end(), [&](uint32_t p) { return (p & 0xFFFFFF) == wanted; });
}

// The platform's high-contrast mode (here through the test seam: Wine keeps no such setting)
// switches the look while the bar runs, and switches it back. (This test program carries no
// theme of its own, so its look is otherwise the plain one; the end-to-end test pictures the
// program's own slate turning to the system's colours.)
TEST_F(Accessibility, TheHighContrastModeSwitchesTheLookWhileTheBarRuns)
{
    SkipTutorial();
    testfiles::TempDir dir;
    testfiles::Touch(dir / L"entry.txt");
    testfiles::WriteBytes(appFolder + L"\\zarvi.txt", "\xEF\xBB\xBF" + WideToUtf8(dir.Str()) + "\r\n");
    const auto application = std::make_unique<TApplication>();
    const auto bar = std::make_unique<TForm1>(application->Handle());
    bar->ShowBar();
    SearchHost::Settle();
    ASSERT_FALSE(CurrentTheme().has_value());
    const HWND combo = SearchBox->Combo();

    ::SetEnvironmentVariableW(L"ZARVI_TEST_HIGH_CONTRAST", L"1");
    ::SendMessageW(bar->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    SearchHost::Settle();
    ASSERT_TRUE(CurrentTheme().has_value());
    EXPECT_TRUE(CurrentTheme()->highContrast);
    EXPECT_EQ(ToColorRef(CurrentTheme()->edit), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ToColorRef(CurrentTheme()->highlight), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_NE(SearchBox->Combo(), combo) << "the box kept the platform's parts of the old look";
    EXPECT_TRUE(Shows(PixelsOf(SearchBox->Combo()), ::GetSysColor(COLOR_WINDOW)));

    ::SetEnvironmentVariableW(L"ZARVI_TEST_HIGH_CONTRAST", nullptr);
    ::SendMessageW(bar->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    SearchHost::Settle();
    EXPECT_FALSE(CurrentTheme().has_value());
}

// The platform's text size (Settings, Accessibility, Text size) enlarges the text of the bar,
// its box, the settings window and the tutorial on top of the DPI; the layouts follow.
TEST_F(Accessibility, TheTextSizeSettingEnlargesTheText)
{
    SkipTutorial();
    const auto fontHeight = [](HWND window) {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
        return font.lfHeight;
    };
    const auto boxAndBar = [&](LONG& box, int& barHeight) {
        const auto application = std::make_unique<TApplication>();
        const auto bar = std::make_unique<TForm1>(application->Handle());
        box = fontHeight(SearchBox->Combo());
        RECT r{};
        ::GetWindowRect(bar->Handle(), &r);
        barHeight = r.bottom - r.top;
    };
    LONG plainBox = 0;
    int plainBar = 0;
    boxAndBar(plainBox, plainBar);

    const DWORD percent = 150;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor", REG_DWORD,
                                &percent, sizeof(percent)),
              ERROR_SUCCESS);
    struct Back {
        ~Back() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor"); }
    } back;
    LONG largeBox = 0;
    int largeBar = 0;
    boxAndBar(largeBox, largeBar);
    EXPECT_EQ(largeBox, -::MulDiv(14, 144, 72)) << "the box's 14 points, half as large again";
    EXPECT_EQ(plainBox, -::MulDiv(14, 96, 72));
    EXPECT_GT(largeBar, plainBar) << "the bar did not grow with its box";

    TAboutBox settings(nullptr);
    EXPECT_EQ(fontHeight(settings.OKButton), -30);
    RECT client{};
    ::GetClientRect(settings.Handle(), &client);
    EXPECT_EQ(client.right, layout::Scale(675, 144));
    TformTutorial tutorial(nullptr);
    EXPECT_EQ(fontHeight(tutorial.chkDontShowTutorial), -24);
}

// Selection events as another program's screen reader receives them (out of context, every
// process: Wine delivers nothing to a hook limited to one process).
class SelectionEvents {
public:
    SelectionEvents()
    {
        events_.clear();
        hook_ = ::SetWinEventHook(EVENT_OBJECT_SELECTION, EVENT_OBJECT_SELECTION, nullptr, &Record, 0, 0,
                                  WINEVENT_OUTOFCONTEXT);
    }
    ~SelectionEvents() { ::UnhookWinEvent(hook_); }
    SelectionEvents(const SelectionEvents&) = delete;
    SelectionEvents& operator=(const SelectionEvents&) = delete;
    bool Hooked() const { return hook_ != nullptr; }
    // The rows (from 0) selected in `list`, in the order told.
    std::vector<long> RowsOf(HWND list) const
    {
        std::vector<long> rows;
        for (const auto& [window, object, child] : events_)
            if (window == list && object == OBJID_CLIENT)
                rows.push_back(child - 1);
        return rows;
    }

private:
    static void CALLBACK Record(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
    {
        events_.emplace_back(window, object, child);
    }
    static inline std::vector<std::tuple<HWND, LONG, LONG>> events_;
    HWINEVENTHOOK hook_ = nullptr;
};

HWND ListOf(HWND combo)
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(combo, &info);
    return info.hwndList;
}

// The focus stays in the search box; each move of the selection is told for that row of the
// list: Down, Page Down, a completion, and the first row of a list made anew by typing.
TEST(SearchBoxAccessibility, EveryMoveOfTheSelectionIsToldForItsRow)
{
    SearchHost host;
    host.box->SetStoredItems(std::vector<std::wstring>{L"", L"C:\\a\\alpha.txt", L"C:\\a\\beta.txt",
                                                       L"C:\\a\\gamma.txt", L"C:\\b\\delta.txt"});
    host.Settle();
    SelectionEvents events;
    ASSERT_TRUE(events.Hooked());
    host.Type(L"a");
    host.Settle();
    const HWND list = ListOf(host.box->Combo());
    host.Press(VK_DOWN);
    host.Press(VK_DOWN);
    host.Settle();
    const auto selected = host.box->ItemIndex();
    ASSERT_GE(selected, 1);
    auto rows = events.RowsOf(list);
    ASSERT_FALSE(rows.empty()) << "no selection was told";
    EXPECT_EQ(rows.back(), selected) << "the last row told is not the one selected";
    EXPECT_EQ(::GetFocus(), host.box->EditField()) << "the focus left the search box";

    const size_t before = rows.size();
    host.Press(VK_UP);
    host.Settle();
    rows = events.RowsOf(list);
    ASSERT_GT(rows.size(), before);
    EXPECT_EQ(rows.back(), host.box->ItemIndex());
}

// A completion selects the entry it completes to: told like any other move.
TEST(SearchBoxAccessibility, ACompletionIsToldForTheRowItSelects)
{
    SearchHost host;
    host.box->SetStoredItems(std::vector<std::wstring>{L"", L"C:\\a\\alpha.txt", L"D:\\b\\beta.txt"});
    host.Settle();
    SelectionEvents events;
    ASSERT_TRUE(events.Hooked());
    host.Type(L"D");
    host.Settle();
    ASSERT_EQ(host.box->Text(), L"D:\\b\\beta.txt") << "no completion";
    const auto rows = events.RowsOf(ListOf(host.box->Combo()));
    ASSERT_FALSE(rows.empty()) << "the completion was not told";
    EXPECT_EQ(rows.back(), host.box->ItemIndex());
}

} // namespace
