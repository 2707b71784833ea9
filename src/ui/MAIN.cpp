#include "ui/MAIN.h"

#include <windows.h>

#include <algorithm>

#include "core/AppInfo.h"
#include "core/AppPathHelper.h"
#include "core/KeyHookHelper.h"
#include "core/rules/BarLayout.h"
#include "core/FileHelper.h"
#include "core/Handle.h"
#include "core/MiniLogHelper.h"
#include "core/rules/AppError.h"
#include "core/rules/PathListText.h"
#include "ui/ErrorReport.h"
#include "ui/Glyphs.h"
#include "ui/SmartCombo.h"
#include "core/NotificationCenter.h"
#include "ui/Theme.h"
#include "ui/TrayIcon.h"
#include "ui/FolderPicker.h"
#include "core/UpdateHelper.h"
#include "core/rules/Hotkey.h"
#include "resource.h"
#include "ui/TApplication.h"

std::vector<std::wstring> EntryList;

namespace {

void CollectEntries(std::vector<std::wstring>& list)
{
    for (const std::wstring& text : ReadPathListRows(GetPathListFile())) {
        const pathlist::Row row = pathlist::ParseRow(text);
        if (row.kind == pathlist::Row::Kind::Comment)
            continue;
        if (DirectoryExists(row.folder))
            ScanFolder(row.folder, list, row.deeper);
    }
}

} // namespace

bool LoadPathList()
{
    return SearchBox ? LoadPathList(*SearchBox) : true;
}

bool LoadPathList(TSmartComboBox& searchBox)
{
    EntryList.clear();
    EntryList.emplace_back();
    try {
        CollectEntries(EntryList);
    } catch (...) {
        // Whatever was found before the failure stays in the list.
        AddLog(L"Error loading paths list from " + GetPathListFile() + L" - \r\n" + CurrentErrorMessage());
    }

    if (EntryList.size() <= 1) {
        AddLog(kEmptyListMessage);
        ::MessageBoxW(nullptr, kEmptyListMessage, kAppTitle, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
        OpenPath(GetPathListFile());
        TerminateApplication(1);
        return false;
    }
    searchBox.SetStoredItems(EntryList);
    return true;
}

TForm1* Form1 = nullptr;
TSmartComboBox* SearchBox = nullptr;

namespace {

constexpr const wchar_t* kBarClass = L"TForm1";
constexpr int kMenuId = 101;
constexpr int kPathsId = 102;

enum MenuId : UINT { mnuShow = 201, mnuAdd, mnuAbout, mnuTutorial, mnuHelp, mnuQuit };

struct MenuRow {
    UINT id;
    const wchar_t* caption;
    Glyph picture;
};
std::unique_ptr<TSmartComboBox> SearchBoxOwner;

HFONT SegoeUi(int height)
{
    return ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
}

bool IsOwnOrNoWindow(HWND hwnd)
{
    DWORD pid = 0;
    return !hwnd || (::GetWindowThreadProcessId(hwnd, &pid) && pid == ::GetCurrentProcessId());
}

layout::Rect ToRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

TForm1::TForm1(HWND owner)
{
    Form1 = this;
    RegisterWindowClass(kBarClass, CS_DBLCLKS, FaceBrush());
    // Owned by the application window, so the bar has no taskbar button of its own.
    CreateBound(kBarClass, WS_EX_TOPMOST | WS_EX_CONTROLPARENT, L".", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 640, 94, owner);
    dpi_ = static_cast<int>(::GetDpiForWindow(Handle()));
    CreateButtons();
    ApplyDpi(dpi_);
    smallIcon_.reset(
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAINICON), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
    TrayIcon1 = std::make_unique<TTrayIcon>(Handle(), kTrayMessage, smallIcon_.get(), L"Just double click");
    CreatePopupMenu1();
    // An error in one step skips the rest of the start-up; the bar still works without them.
    RunGuarded([this] { FormCreate(); });
    starting_ = false;
    // A shortcut pressed during the start-up shows the bar now that it is done.
    if (showPending_)
        ::PostMessageW(Handle(), kShowBarMessage, 0, 0);
}

TForm1::~TForm1()
{
    // Destroyed while this object is whole, so FormDestroy still runs (the base would destroy it too late).
    if (Handle())
        ::DestroyWindow(Handle());
    SearchBox = nullptr;
    SearchBoxOwner.reset();
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::FormCreate()
{
    SetShowBarTarget(Handle(), kShowBarMessage);
    InstallKeyHook();
    // Start with Windows joins here.
    ::SetWindowTextW(Handle(), kBarTitle);
    AddLog(L"Starting app...");
    CreateSearchBox();
    ::ShowWindow(Handle(), SW_HIDE);
    // The guide file and the start-up tutorial join here.
    ShowTrayHint();
}

void TForm1::ShowTrayHint()
{
    TrayIcon1->Show();
    TrayIcon1->ShowBalloon(L"Zarvi", L"", 3000);
    if (!OneInNine())
        return;
    const std::wstring hint = hotkey::StartupHint(GetHotkeyName());
    // Where the platform has no toast notifications, the same words go into the balloon.
    if (!PresentToast(L"ZARVI", hint))
        TrayIcon1->ShowBalloon(L"ZARVI", hint, 3000);
}

void TForm1::CreatePopupMenu1()
{
    PopupMenu1.reset(::CreatePopupMenu());
    using Item = MenuRow;
    static const Item items[] = {{mnuShow, L"Show bar", Glyph::ShowBar},
                                 {mnuAdd, L"Add a folder", Glyph::AddFolder},
                                 {0, nullptr, Glyph::Count},
                                 {mnuAbout, L"Settings", Glyph::Menu},
                                 {mnuTutorial, L"Tutorial", Glyph::Tutorial},
                                 {mnuHelp, L"Guide", Glyph::Guide},
                                 {0, nullptr, Glyph::Count},
                                 {mnuQuit, L"Quit", Glyph::Quit}};
    const bool themed = CurrentTheme().has_value();
    for (const auto& item : items) {
        // Themed, every row is drawn by the bar (colours, picture, caption); plain, the platform
        // draws the caption and a picture of dark ink.
        const UINT kind = themed ? MF_OWNERDRAW : 0;
        const auto data = reinterpret_cast<const wchar_t*>(&item);
        if (!item.caption) {
            ::AppendMenuW(PopupMenu1.get(), MF_SEPARATOR | kind, 0, themed ? data : nullptr);
            continue;
        }
        ::AppendMenuW(PopupMenu1.get(), MF_STRING | kind, item.id, themed ? data : item.caption);
        if (themed)
            continue;
        menuPictures_.emplace_back(CreateGlyphBitmap(item.picture, layout::Scale(24, dpi_), RGB(0x2A, 0x35, 0x41)));
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = static_cast<HBITMAP>(menuPictures_.back().get());
        ::SetMenuItemInfoW(PopupMenu1.get(), item.id, FALSE, &info);
    }
    if (themed) {
        MENUINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = MIM_BACKGROUND;
        info.hbrBack = FaceBrush();
        ::SetMenuInfo(PopupMenu1.get(), &info);
    }
    if (const HWND application = ::GetWindow(Handle(), GW_OWNER))
        ::SendMessageW(application, kSetMenuPainterMessage, 0, reinterpret_cast<LPARAM>(Handle()));
}

void TForm1::MeasureMenuRow(MEASUREITEMSTRUCT& item) const
{
    const auto* row = reinterpret_cast<const MenuRow*>(item.itemData);
    if (!row || !row->caption) {
        item.itemHeight = static_cast<UINT>(layout::Scale(9, dpi_));
        item.itemWidth = 0;
        return;
    }
    const HDC dc = ::GetDC(Handle());
    const HGDIOBJ old = ::SelectObject(dc, barFont_.get());
    SIZE text{};
    ::GetTextExtentPoint32W(dc, row->caption, static_cast<int>(wcslen(row->caption)), &text);
    ::SelectObject(dc, old);
    ::ReleaseDC(Handle(), dc);
    item.itemHeight = static_cast<UINT>(layout::Scale(30, dpi_));
    item.itemWidth = static_cast<UINT>(text.cx + layout::Scale(24 + 12 + 24, dpi_));
}

void TForm1::DrawMenuRow(const DRAWITEMSTRUCT& item) const
{
    const auto& look = *CurrentTheme();
    const auto* row = reinterpret_cast<const MenuRow*>(item.itemData);
    RECT r = item.rcItem;
    if (!row || !row->caption) {
        ::FillRect(item.hDC, &r, FaceBrush());
        GdiHandle line(::CreateSolidBrush(ToColorRef(look.border)));
        RECT rule{r.left + layout::Scale(6, dpi_), (r.top + r.bottom) / 2, r.right - layout::Scale(6, dpi_),
                  (r.top + r.bottom) / 2 + 1};
        ::FillRect(item.hDC, &rule, static_cast<HBRUSH>(line.get()));
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    GdiHandle back(::CreateSolidBrush(ToColorRef(selected ? look.highlight : look.face)));
    ::FillRect(item.hDC, &r, static_cast<HBRUSH>(back.get()));
    const int picture = layout::Scale(24, dpi_);
    ::ImageList_Draw(ImageList1.get(), static_cast<int>(row->picture), item.hDC, r.left + layout::Scale(4, dpi_),
                     r.top + (r.bottom - r.top - picture) / 2, ILD_TRANSPARENT);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ToColorRef(selected ? look.highlightText : look.faceText));
    const HGDIOBJ old = ::SelectObject(item.hDC, barFont_.get());
    r.left += picture + layout::Scale(12, dpi_);
    ::DrawTextW(item.hDC, row->caption, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    ::SelectObject(item.hDC, old);
}

void TForm1::OpenPopupMenu1(int x, int y, HWND owner)
{
    if (menuOpen_)
        return; // the platform shows one menu at a time
    menuOpen_ = true;
    const UINT id = static_cast<UINT>(
        ::TrackPopupMenu(PopupMenu1.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
    menuOpen_ = false;
    // Lets the menu close properly when the user clicks elsewhere.
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (id)
        MenuCommand(id);
}

void TForm1::MenuCommand(UINT id)
{
    switch (id) {
    case mnuShow:
        mnuShowClick();
        break;
    case mnuAdd:
        mnuAddClick();
        break;
    case mnuAbout:
        mnuAboutClick();
        break;
    case mnuTutorial:
        mnuTutorialClick();
        break;
    case mnuHelp:
        mnuHelpClick();
        break;
    case mnuQuit:
        mnuQuitClick();
        break;
    default:
        break;
    }
}

void TForm1::TrayIconMessage(LPARAM event)
{
    switch (event) {
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        TrayIcon1DblClick();
        break;
    case WM_RBUTTONUP: {
        const HWND application = ::GetWindow(Handle(), GW_OWNER);
        ::SetForegroundWindow(application);
        ProcessPendingMessages();
        POINT cursor{};
        ::GetCursorPos(&cursor);
        OpenPopupMenu1(cursor.x, cursor.y, application);
        break;
    }
    default:
        break;
    }
}

void TForm1::ProcessPendingMessages()
{
    // What is waiting goes first, so the menu opens on a settled foreground window.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (PreviewKey(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void TForm1::TrayIcon1DblClick()
{
    ShowBar();
    ActivateBar();
}

void TForm1::mnuShowClick()
{
    ShowBar();
}

void TForm1::mnuAddClick()
{
    if (pickerOpen_)
        return; // one picker at a time
    ::ShowWindow(Handle(), SW_HIDE);
    std::exception_ptr error;
    try {
        pickerOpen_ = true;
        const auto chosen = PickFolder(::GetWindow(Handle(), GW_OWNER));
        pickerOpen_ = false;
        if (chosen && DirectoryExists(*chosen)) {
            AppendFolderToPathList(GetPathListFile(), *chosen);
            LoadPathList();
        }
    } catch (...) {
        pickerOpen_ = false;
        error = std::current_exception();
    }
    // The bar comes back in every case, before any error is told.
    if (Handle())
        ShowBar();
    if (error)
        std::rethrow_exception(error);
}

void TForm1::mnuAboutClick()
{
    // The settings window joins here.
}

void TForm1::mnuTutorialClick()
{
    // The tutorial window joins here.
}

void TForm1::mnuHelpClick()
{
    // The guide joins here.
}

void TForm1::mnuQuitClick()
{
    TerminateApplication(0);
}

void CreateSearchBox()
{
    SearchBoxOwner = std::make_unique<TSmartComboBox>(Form1->Handle(), 33, 0, 566);
    SearchBox = SearchBoxOwner.get();
    SearchBox->SetFont(Form1->SearchBoxFont());
    Form1->PlaceBar();
    // The update check joins here.
}

void TForm1::CreateButtons()
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
    // Tab order: the edit-paths button first, then the menu button.
    btnPaths_ = ::CreateWindowExW(0, L"BUTTON", L"", style, 608, 0, 32, 32, Handle(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPathsId)), instance, nullptr);
    btnMenu_ = ::CreateWindowExW(0, L"BUTTON", L"", style, 0, 0, 32, 32, Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMenuId)), instance, nullptr);
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                 Handle(), nullptr, instance, nullptr);
    const std::pair<HWND, const wchar_t*> tips[] = {{btnMenu_, L"Menu (F1)"}, {btnPaths_, L"Edit paths (F2)"}};
    for (const auto& [button, text] : tips) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(button);
        tool.lpszText = const_cast<wchar_t*>(text);
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TForm1::ApplyDpi(int dpi)
{
    dpi_ = dpi;
    ImageList1.reset(CreateImageList1(layout::Scale(24, dpi)));
    // The new fonts are in use before the old ones are deleted.
    GdiHandle barFont(SegoeUi(-layout::Scale(12, dpi)));
    GdiHandle boxFont(SegoeUi(-::MulDiv(14, dpi, 72)));
    ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(barFont.get()), FALSE);
    if (SearchBox)
        SearchBox->SetFont(static_cast<HFONT>(boxFont.get()));
    barFont_ = std::move(barFont);
    boxFont_ = std::move(boxFont);
}

void TForm1::PlaceBar()
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
    const auto bar =
        layout::PlaceBar(ToRect(monitor.rcWork), dpi_, SearchBox ? SearchBox->Height() : 0, SearchBox != nullptr);
    ::SetWindowPos(Handle(), nullptr, bar.window.left, bar.window.top, bar.window.Width(), bar.window.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(btnMenu_, nullptr, bar.menu.left, bar.menu.top, bar.menu.Width(), bar.menu.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(btnPaths_, nullptr, bar.paths.left, bar.paths.top, bar.paths.Width(), bar.paths.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (SearchBox)
        SearchBox->SetBounds(bar.searchBox.left, bar.searchBox.top, bar.searchBox.Width());
}

void TForm1::ShowBar()
{
    // A show that arrives while one is running (its empty-list message box runs a modal loop)
    // does nothing: the first one decides.
    if (!Handle() || showing_)
        return;
    if (::IsWindowVisible(Handle())) {
        ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return;
    }
    struct Showing {
        bool& flag;
        explicit Showing(bool& f) : flag(f) { flag = true; }
        ~Showing() { flag = false; }
    } showing(showing_);
    FormShow();
    if (!Handle() || !::IsWindow(Handle()))
        return; // the empty-list stop is ending the program
    if (!shownBefore_) {
        // The first show of a run is centred on the primary screen, wherever the mouse is.
        shownBefore_ = true;
        RECT r{};
        ::GetWindowRect(Handle(), &r);
        const auto centred =
            layout::CentreOnScreen(ToRect(r), ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                   ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN));
        ::SetWindowPos(Handle(), nullptr, centred.left, centred.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    ActivateBar();
}

void TForm1::FormShow()
{
    PlaceBar();
    if (!LoadPathList())
        return;
    ::Sleep(100);
    ActivateBar();
}

void TForm1::ActivateBar()
{
    // A hidden bar leaves the foreground and the focus where they are: taken by an invisible
    // window, the user's next keys would vanish.
    if (!Handle() || !::IsWindowVisible(Handle()))
        return;
    ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // An input event of our own makes this process the last to have had input, which the
    // platform asks of a process that takes the foreground.
    INPUT empty{};
    ::SendInput(1, &empty, sizeof(INPUT));
    ::SetForegroundWindow(Handle());
    if (SearchBox)
        SearchBox->FocusBox();
}

void TForm1::HideToTray()
{
    ::ShowWindow(Handle(), SW_HIDE);
    TrayIcon1->Show();
}

void TForm1::FormKeyUp(WORD key)
{
    switch (key) {
    case VK_ESCAPE:
        HideToTray();
        break;
    case VK_F1:
        // The guide joins here.
        break;
    case VK_F2:
        btnPathsClick();
        break;
    default:
        break;
    }
}

bool TForm1::PreviewKey(const MSG& msg) noexcept
{
    const HWND bar = Handle();
    if (!bar || (msg.hwnd != bar && !::IsChild(bar, msg.hwnd)))
        return false;
    // Alt+F4 closes the bar even from a control that would keep the key to itself. F4 alone
    // also arrives as a system key when no control has the focus: the Alt flag tells them apart.
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4 && (HIWORD(msg.lParam) & KF_ALTDOWN)) {
        ::PostMessageW(bar, WM_CLOSE, 0, 0);
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0) {
        RunGuarded([this] { MoveFocus(::GetKeyState(VK_SHIFT) < 0); });
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && (msg.hwnd == btnPaths_ || msg.hwnd == btnMenu_)) {
        // Posted: the menu button's menu runs a modal loop of its own.
        const int id = msg.hwnd == btnPaths_ ? kPathsId : kMenuId;
        ::PostMessageW(bar, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(msg.hwnd));
        return true;
    }
    // A release acts only when the bar saw the press: an Escape that cancelled a dialog must
    // not hide the bar that dialog gave the focus back to.
    const auto key = static_cast<WORD>(msg.wParam & 0xFF);
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
        pressedKeys_.set(key);
    if ((msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) && pressedKeys_.test(key)) {
        pressedKeys_.reset(key);
        RunGuarded([this, key] { FormKeyUp(key); });
    }
    return false;
}

void TForm1::MoveFocus(bool backwards)
{
    // The tab order: edit paths, menu, then the search box.
    const HWND focus = ::GetFocus();
    const int current = focus == btnPaths_ ? 0 : focus == btnMenu_ ? 1 : 2;
    const int next = (current + (backwards ? 2 : 1)) % 3;
    if (next == 2 && SearchBox)
        SearchBox->FocusBox();
    else if (next != 2)
        ::SetFocus(next == 0 ? btnPaths_ : btnMenu_);
}

void TForm1::btnPathsClick()
{
    OpenPath(GetPathListFile());
    ::ShowWindow(Handle(), SW_HIDE);
}

void TForm1::btnMenuClick()
{
    // Just below the bar's left end.
    RECT bar{};
    ::GetWindowRect(Handle(), &bar);
    OpenPopupMenu1(bar.left, bar.bottom, Handle());
}

void TForm1::ApplicationEvents1Deactivate()
{
    ::ShowWindow(Handle(), SW_HIDE);
}

void TForm1::HandleActivationMessage()
{
    ActivateBar();
}

void TForm1::ShowFromHotkey()
{
    MaskWindowsKeyRelease();
    if (starting_) {
        showPending_ = true;
        return;
    }
    ShowBar();
}

void TForm1::FormDestroy() noexcept
{
    if (TrayIcon1)
        TrayIcon1->Remove();
    RemoveKeyHook();
    SetShowBarTarget(nullptr, 0);
}

void TForm1::DrawButton(const DRAWITEMSTRUCT& item) const
{
    // The theme's face behind the light pictures, darker while pressed (slate without a theme too,
    // so the pictures always show).
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const auto& look = CurrentTheme();
    const COLORREF colour = look ? ToColorRef(pressed ? look->pressed : look->face)
                                 : (pressed ? RGB(0x2A, 0x35, 0x41) : RGB(0x3B, 0x4A, 0x5A));
    GdiHandle face(::CreateSolidBrush(colour));
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(face.get()));
    const int size = layout::Scale(24, dpi_);
    const int x = (item.rcItem.right - item.rcItem.left - size) / 2;
    const int y = (item.rcItem.bottom - item.rcItem.top - size) / 2;
    const int image = item.hwndItem == btnMenu_ ? 1 : 0;
    ::ImageList_Draw(ImageList1.get(), image, item.hDC, x, y, ILD_NORMAL);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -2, -2);
        ::DrawFocusRect(item.hDC, &focus);
    }
}

LRESULT TForm1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case kShowBarMessage:
        RunGuarded([this] { ShowFromHotkey(); });
        return 0;
    case kActivationMessage:
        RunGuarded([this] { HandleActivationMessage(); });
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            pressedKeys_.reset(); // a press seen before must not arm a release much later
        // FormActivate: the focus comes to the bar from no window or from another of ours.
        if (LOWORD(wParam) != WA_INACTIVE && IsOwnOrNoWindow(reinterpret_cast<HWND>(lParam)))
            RunGuarded([this] { ActivateBar(); });
        return DefaultMessage(message, wParam, lParam);
    case WM_ACTIVATEAPP:
        if (!wParam)
            RunGuarded([this] { ApplicationEvents1Deactivate(); });
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kPathsId && HIWORD(wParam) == BN_CLICKED)
            RunGuarded([this] { btnPathsClick(); });
        else if (LOWORD(wParam) == kMenuId && HIWORD(wParam) == BN_CLICKED)
            RunGuarded([this] { btnMenuClick(); });
        return 0;
    case WM_MEASUREITEM:
        if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU)
            MeasureMenuRow(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlType == ODT_MENU)
            DrawMenuRow(item);
        else
            DrawButton(item);
        return TRUE;
    }
    case WM_DPICHANGED:
        RunGuarded([&] {
            ApplyDpi(HIWORD(wParam));
            PlaceBar();
        });
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        if (const HBRUSH brush = ThemeControlColours(message, reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
        return DefaultMessage(message, wParam, lParam);
    case kTrayMessage:
        RunGuarded([&] { TrayIconMessage(lParam); });
        return 0;
    case WM_SHOWWINDOW:
        if (!wParam)
            pressedKeys_.reset();
        // The application window carries the program's taskbar button while the bar is shown.
        ::ShowWindow(::GetWindow(Handle(), GW_OWNER), wParam ? SW_SHOWNOACTIVATE : SW_HIDE);
        return DefaultMessage(message, wParam, lParam);
    case WM_CLOSE:
        TerminateApplication(0);
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    default:
        if (TrayIcon1 && TrayIcon1->HandleTaskbarCreated(message))
            return 0;
        return DefaultMessage(message, wParam, lParam);
    }
}
