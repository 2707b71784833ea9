#include "ui/MAIN.h"

#include <windows.h>

#include <shellscalingapi.h>

#include "core/AppPathHelper.h"
#include "core/AutostartHelper.h"
#include "core/FileHelper.h"
#include "core/FolderScanner.h"
#include "core/GuideFile.h"
#include "core/KeyHookHelper.h"
#include "core/MiniLogHelper.h"
#include "core/ScopeGuard.h"
#include "core/TestSeams.h"
#include "core/UpdateHelper.h"
#include "core/rules/WindowLayout.h"
#include "resource.h"
#include "ui/ErrorReport.h"
#include "ui/ImageButton.h"
#include "ui/LoadPathList.h"
#include "ui/frmTutorial.h"
#include "ui/ShellMenu.h"
#include "ui/SmartCombo.h"
#include "ui/TApplication.h"
#include "ui/Theme.h"
#include "ui/TrayIcon.h"
#include "ui/UpdateQuestion.h"

TForm1* Form1 = nullptr;
TSmartComboBox* SearchBox = nullptr;

namespace {

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
    CreateBound(kBarClass, WS_EX_TOPMOST | WS_EX_CONTROLPARENT, L".", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                layout::kDesignWidth, layout::kDesignHeight, owner);
    dpi_ = WindowDpi();
    // Tab order: the edit-paths button first, then the menu button.
    btnPaths = CreateImageButton(Handle(), kPathsButtonId);
    btnMenu = CreateImageButton(Handle(), kMenuButtonId);
    tooltips_ = std::make_unique<TTooltips>(Handle());
    // The buttons show pictures only: their texts are their names to assistive technology.
    ::SetWindowTextW(btnMenu, L"Menu"); // F1 opens the guide, not the menu
    ::SetWindowTextW(btnPaths, L"Edit paths (F2)");
    tooltips_->Add(btnMenu, L"Menu");
    tooltips_->Add(btnPaths, L"Edit paths (F2)");
    PopupMenu1 = std::make_unique<TPopupMenu>(MenuItems(), CurrentTheme().has_value(), dpi_);
    ApplyDpi(dpi_);
    smallIcon_.reset(
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAINICON), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
    TrayIcon1 = std::make_unique<TTrayIcon>(Handle(), kTrayMessage, smallIcon_.get(), L"Just double click");
    // Menus opened on the application window are drawn by the bar.
    if (const HWND application = ApplicationHandle())
        ::SendMessageW(application, kSetMenuPainterMessage, 0, reinterpret_cast<LPARAM>(Handle()));
    // An error in one step skips the rest of the start-up; the bar still works without them.
    RunGuarded([this] { FormCreate(); });
    // A start-up cut short by an error still leaves the way in through the tray.
    TrayIcon1->Show();
    starting_ = false;
    // A shortcut pressed during the start-up shows the bar now that it is done.
    if (showPending_)
        ::PostMessageW(Handle(), kShowBarMessage, 0, 0);
}

TForm1::~TForm1()
{
    // Destroyed while this object is whole, so FormDestroy still runs (the base would be too late).
    if (Handle())
        ::DestroyWindow(Handle());
    SearchBox = nullptr;
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::FormCreate()
{
    // An error in one step is told and skips the steps after it, but the bar always gets its
    // title and its search box: right after logon another program often holds a file just
    // written, and a bar that a second start cannot find, or that shows no box, is no bar.
    bool going = true;
    const auto step = [&going](auto&& run) { going = going && RunGuarded(run); };
    SetShowBarTarget(Handle(), kShowBarMessage, kHookNoticeMessage);
    SetUpdateAnswerTarget(Handle(), kUpdateAnswerMessage);
    step([] { InstallKeyHook(); });
    step([] { ApplyAutostart(); });
    ::SetWindowTextW(Handle(), kBarTitle);
    AddLog(L"Starting app...");
    const bool boxMade = RunGuarded([] { CreateSearchBox(); });
    going = going && boxMade;
    // Beside the start, never holding it: the answer comes as kUpdateAnswerMessage.
    step([] { UpdateCheck(); });
    ::ShowWindow(Handle(), SW_HIDE);
    step([] { ExtractGuide(); });
    step([this] { ShowTutorialAtStart(Handle()); });
    step([this] { ShowTrayHint(); });
}

void CreateSearchBox()
{
    Form1->searchBox_ =
        std::make_unique<TSmartComboBox>(Form1->Handle(), layout::kDesignBoxLeft, 0, layout::kDesignBoxWidth);
    SearchBox = Form1->searchBox_.get();
    SearchBox->SetFont(Form1->SearchBoxFont());
    Form1->PlaceBar();
}

void TForm1::ApplyDpi(int dpi)
{
    dpi_ = dpi;
    textPercent_ = TextSizePercent();
    ImageList1.reset(CreateImageList1(layout::Scale(layout::kPictureSize, dpi)));
    // The text follows the platform's text size on top of the DPI; the bar's height follows the box.
    const int textDpi = layout::TextDpi(dpi, textPercent_);
    // The new fonts are in use before the old ones are deleted.
    GdiHandle barFont(SegoeUi(-layout::Scale(layout::kBarFontHeight, textDpi)));
    GdiHandle boxFont(SegoeUi(-::MulDiv(layout::kBoxFontPoints, textDpi, 72)));
    ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(barFont.get()), FALSE);
    if (SearchBox)
        SearchBox->SetFont(static_cast<HFONT>(boxFont.get()));
    barFont_ = std::move(barFont);
    boxFont_ = std::move(boxFont);
    PopupMenu1->SetLook(static_cast<HFONT>(barFont_.get()), ImageList1.get(), dpi);
}

void TForm1::LookChanged()
{
    const bool lookFollowed = FollowLook(Handle(), lookDrawn_, [this] {
        ApplyDpi(dpi_); // the pictures in the look's ink, the fonts at the text size
        if (SearchBox)
            SearchBox->LookChanged();
    });
    if (!lookFollowed && TextSizePercent() != textPercent_) {
        ApplyDpi(dpi_);
        PlaceBar();
    }
}

void TForm1::PlaceBar()
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const HMONITOR target = ::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(target, &monitor);
    // Laid out at the scale of the monitor it goes to: the WM_DPICHANGED that the move raises
    // inside SetWindowPos then finds everything in place already.
    UINT dpiX = 0, dpiY = 0;
    if (::GetDpiForMonitor(target, MDT_EFFECTIVE_DPI, &dpiX, &dpiY) == S_OK && static_cast<int>(dpiX) != dpi_) {
        ApplyDpi(static_cast<int>(dpiX));
    }
    const auto placing = Raised(placing_);
    const auto bar =
        layout::PlaceBar(ToRect(monitor.rcWork), dpi_, SearchBox ? SearchBox->Height() : 0, SearchBox != nullptr);
    const auto place = [](HWND window, const layout::Rect& r) {
        ::SetWindowPos(window, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(Handle(), bar.window);
    place(btnMenu, bar.menu);
    place(btnPaths, bar.paths);
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
    const auto showing = Raised(showing_);
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
    // The pause gives the folders that changed since the last show their rescan; a list not
    // ready at its end follows in a kEntriesMessage.
    const DWORD start = ::GetTickCount();
    if (SearchBox) {
        Scanner().Request(GetPathListFile(), Handle(), kEntriesMessage);
        Scanner().WaitComplete(kShowPauseMs);
        if (HandOverEntries(*SearchBox, false) == HandOver::Stopped)
            return;
    }
    const DWORD spent = ::GetTickCount() - start;
    if (spent < kShowPauseMs)
        ::Sleep(kShowPauseMs - spent);
    ActivateBar();
}

void TForm1::EntriesArrived()
{
    // During a show, the show itself hands the list over.
    if (!SearchBox || showing_)
        return;
    const auto showing = Raised(showing_);
    HandOverEntries(*SearchBox, true);
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
    DelayShowForTests();
    if (starting_) {
        showPending_ = true;
        return;
    }
    // Keys typed before the shortcut act first (an Escape's release hides the bar this shows
    // again): posted messages are taken before input, so this one would overtake them.
    ProcessPendingMessages(PM_QS_INPUT);
    ShowBar();
    ReplayTypedAhead();
}

void TForm1::FormDestroy() noexcept
{
    if (TrayIcon1)
        TrayIcon1->Remove();
    RemoveKeyHook();
    SetShowBarTarget(nullptr, 0);
    SetUpdateAnswerTarget(nullptr, 0);
}

void TForm1::DrawItem(const DRAWITEMSTRUCT& item) const
{
    if (item.CtlType == ODT_MENU)
        PopupMenu1->Draw(item);
    else
        DrawImageButton(item, ImageList1.get(),
                        static_cast<int>(item.hwndItem == btnMenu ? Glyph::Menu : Glyph::EditPaths), dpi_);
}

void TForm1::DpiChanged(const RECT&)
{
    if (WindowDpi() != dpi_)
        ApplyDpi(WindowDpi());
    if (!placing_) // inside PlaceBar's own move, which lays out at this scale already
        PlaceBar();
}

LRESULT TForm1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (LRESULT result = 0; ForwardToShellMenu(message, wParam, lParam, result))
        return result;
    switch (message) {
    case kShowBarMessage:
        RunGuarded([this] { ShowFromHotkey(); });
        return 0;
    case kEntriesMessage:
        RunGuarded([this] { EntriesArrived(); });
        return 0;
    case kHookNoticeMessage:
        RunGuarded([&] { AddLog(HookNoticeText(wParam, lParam)); });
        return 0;
    case kUpdateAnswerMessage:
        RunGuarded([&] { AnswerUpdateCheck(lParam); });
        return 0;
    case kReadyBoxMessage:
        if (SearchBox && !::IsWindowVisible(Handle()))
            RunGuarded([] { SearchBox->ResetToFullList(); });
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
        if (LOWORD(wParam) == kPathsButtonId && HIWORD(wParam) == BN_CLICKED)
            RunGuarded([this] { btnPathsClick(); });
        else if (LOWORD(wParam) == kMenuButtonId && HIWORD(wParam) == BN_CLICKED)
            RunGuarded([this] { btnMenuClick(); });
        return 0;
    case WM_MEASUREITEM:
        if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU)
            PopupMenu1->Measure(Handle(), *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case kTrayMessage:
        RunGuarded([&] { TrayIconMessage(lParam); });
        return 0;
    case WM_SHOWWINDOW:
        if (!wParam) {
            pressedKeys_.reset();
            ::PostMessageW(Handle(), kReadyBoxMessage, 0, 0);
        }
        // The application window carries the program's taskbar button while the bar is shown.
        ::ShowWindow(ApplicationHandle(), wParam ? SW_SHOWNOACTIVATE : SW_HIDE);
        return DefaultMessage(message, wParam, lParam);
    case WM_SETTINGCHANGE: // the high-contrast mode switched
    case WM_SYSCOLORCHANGE:
        RunGuarded([this] { LookChanged(); });
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
