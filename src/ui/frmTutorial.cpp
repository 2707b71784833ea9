#include "ui/frmTutorial.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include <uxtheme.h>

#include "core/SettingsFile.h"
#include "core/rules/WindowLayout.h"
#include "resource.h"
#include "ui/ErrorReport.h"
#include "ui/Modal.h"
#include "ui/Picture.h"
#include "ui/Theme.h"

using layout::Scale;
using namespace layout::tutorial;

namespace {

constexpr const wchar_t* kTutorialClass = L"TformTutorial";
constexpr int kPictureId = 304;

// What each picture shows, in words: the picture's name to assistive technology.
constexpr const wchar_t* kStepTexts[kTutorialPages] = {
    L"1. Windows key + Space. Hold a Windows key and press Space: the bar appears, ready for your words.",
    L"2. Type a few words, press Enter. Words from the name or the path, in any order. Enter opens the chosen "
    L"file or folder.",
    L"3. Your folders, one per line. F2 opens the path list. A row with * lists its subfolders too.",
    L"4. The menu: settings, guide, more. Right-click the tray icon or click the menu button.",
};

HFONT SegoeUi(int dpi)
{
    return ::CreateFontW(-Scale(16, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
}

} // namespace

bool IsTutorialDisabled()
{
    return ReadSettingBool(L"DontShowTutorial", false);
}

void SetTutorialDisabled(bool value)
{
    WriteSettingBool(L"DontShowTutorial", value);
}

void ShowTutorialAtStart(HWND owner)
{
    if (IsTutorialDisabled())
        return;
    TformTutorial tutorial(owner);
    tutorial.ShowModal();
}

TformTutorial::TformTutorial(HWND owner) : owner_(owner)
{
    RegisterWindowClass(kTutorialClass, 0, FaceBrush());
    // A tool window of fixed size: a narrow caption with the close box only.
    CreateBound(kTutorialClass, WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, L"Tutorial",
                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, kClientWidth, kClientHeight, owner);
    // The class keeps the brush of the look it was first made in.
    ::SetClassLongPtrW(Handle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(FaceBrush()));
    dpi_ = TextLayoutDpi(Handle(), WindowDpi(), kClientWidth, kClientHeight);
    font_.reset(SegoeUi(dpi_));
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        const HWND control = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, Handle(),
                                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return control;
    };
    // The picture is a control of its own, so that assistive technology reads its step's words.
    VirtualImage1 = make(L"STATIC", kStepTexts[0], SS_OWNERDRAW, kPictureId);
    // The buttons take no keyboard focus: the check box is the window's only stop.
    btnPrevious = make(L"BUTTON", L"Previous", BS_PUSHBUTTON | BS_FLAT | WS_DISABLED, kTutorialPreviousId);
    btnNExt = make(L"BUTTON", L"Next", BS_PUSHBUTTON | BS_FLAT, kTutorialNextId);
    chkDontShowTutorial = make(L"BUTTON", L"Don't show this message again", BS_CHECKBOX | WS_TABSTOP, kTutorialCheckId);
    // Drawn with the platform's visual styles, a check box takes its caption's colour from the
    // style and ignores WM_CTLCOLORSTATIC: dark on the dark face. The plain drawing honours it.
    ::SetWindowTheme(chkDontShowTutorial, L"", L"");
    const HICON icon = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAINICON), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    for (int i = 0; i < kTutorialPages; ++i) {
        const std::wstring name = L"tutorial_" + std::to_wstring(i + 1);
        ImageCollection1[static_cast<size_t>(i)].bitmap =
            LoadPngResource(name.c_str(), ImageCollection1[static_cast<size_t>(i)].size);
    }
    // The client area of the layout, at this DPI.
    SizeClient(Scale(kClientWidth, dpi_), Scale(kClientHeight, dpi_));
    Layout();
}

TformTutorial::~TformTutorial()
{
    if (Handle())
        ::DestroyWindow(Handle());
}

void TformTutorial::ShowModal()
{
    FormShow();
    // The check box is the window's only focus stop: Space works from the first moment.
    ::SetFocus(chkDontShowTutorial);
    ModalRun::Run(Handle(), owner_);
}

void TformTutorial::Layout()
{
    RECT client{};
    ::GetClientRect(Handle(), &client);
    // The right button grows to show "Start using zarvi" whole: its 93 pixels hold "Next" only.
    SIZE caption{};
    {
        wchar_t text[64] = {};
        ::GetWindowTextW(btnNExt, text, 64);
        const WindowDC dc(btnNExt);
        const SelectedObject font(dc.get(), font_.get());
        ::GetTextExtentPoint32W(dc.get(), text, static_cast<int>(wcslen(text)), &caption);
    }
    const Tutorial placed = PlaceTutorial(client.right, client.bottom, dpi_, static_cast<int>(caption.cx));
    for (const auto& [control, r] :
         {std::pair{btnPrevious, placed.previous}, std::pair{btnNExt, placed.next},
          std::pair{chkDontShowTutorial, placed.check}, std::pair{VirtualImage1, placed.picture}})
        ::MoveWindow(control, r.left, r.top, r.Width(), r.Height(), TRUE);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TformTutorial::ApplyDpi(int dpi, const RECT& suggested)
{
    dpi_ = dpi;
    GdiHandle font(SegoeUi(dpi)); // in use before the old one goes
    for (const HWND control : {btnPrevious, btnNExt, chkDontShowTutorial})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    std::swap(font_, font);
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void TformTutorial::DrawPicture(const DRAWITEMSTRUCT& item) const
{
    const auto& current = ImageCollection1[static_cast<size_t>(page_)];
    ::FillRect(item.hDC, &item.rcItem, FaceBrush());
    DrawPictureFitted(item.hDC, static_cast<HBITMAP>(current.bitmap.get()), current.size, item.rcItem);
}

void TformTutorial::FormShow()
{
    // Setting the box counts as a click: a ticked box is stored again. A store that fails is
    // told, and the window opens all the same.
    if (IsTutorialDisabled()) {
        ::SendMessageW(chkDontShowTutorial, BM_SETCHECK, BST_CHECKED, 0);
        Store();
    }
    ShowPage(0);
}

void TformTutorial::Store() noexcept
{
    try {
        SaveDontShow();
    } catch (...) {
        // The same failure again (every store of an unwritable file fails alike) is told once:
        // one press, one box.
        try {
            std::wstring message = CurrentErrorMessage();
            if (message == toldFailure_)
                return;
            toldFailure_ = std::move(message);
        } catch (...) {
        }
        ReportCurrentException();
    }
}

void TformTutorial::ShowPage(int n)
{
    page_ = std::clamp(n, 0, kTutorialPages - 1);
    ::SetWindowTextW(VirtualImage1, kStepTexts[page_]);
    ::InvalidateRect(VirtualImage1, nullptr, FALSE);
    UpdateButtons();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TformTutorial::UpdateButtons()
{
    ::EnableWindow(btnPrevious, page_ > 0);
    ::SetWindowTextW(btnNExt, page_ < kTutorialPages - 1 ? L"Next" : L"Start using zarvi");
    Layout();
}

void TformTutorial::SaveDontShow()
{
    SetTutorialDisabled(::SendMessageW(chkDontShowTutorial, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void TformTutorial::btnPreviousClick()
{
    ShowPage(page_ - 1);
}

void TformTutorial::btnNExtClick()
{
    if (page_ < kTutorialPages - 1) {
        ShowPage(page_ + 1);
        return;
    }
    Store();
    ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TformTutorial::chkDontShowTutorialClick()
{
    toldFailure_.clear(); // a press of its own: its failure is told
    Store();
}

void TformTutorial::FormClose()
{
    // A store that fails is told, and the window closes all the same: with a settings file that
    // cannot be written it could never be closed otherwise.
    Store();
    ModalRun::EndModal(Handle(), IDCANCEL);
}

void TformTutorial::DpiChanged(const RECT& suggested)
{
    ApplyDpi(TextLayoutDpi(Handle(), WindowDpi(), kClientWidth, kClientHeight), suggested);
}

LRESULT TformTutorial::ControlColours(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    // The flat buttons stand on the face like the check box: they take the face's colours.
    if (message == WM_CTLCOLORBTN)
        if (const HBRUSH brush = ThemeControlColours(WM_CTLCOLORSTATIC, reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
    return Window::ControlColours(message, wParam, lParam);
}

LRESULT TformTutorial::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED)
            return 0;
        if (id == kTutorialPreviousId)
            RunGuarded([this] { btnPreviousClick(); });
        else if (id == kTutorialNextId)
            RunGuarded([this] { btnNExtClick(); });
        else if (id == kTutorialCheckId) {
            const bool ticked = ::SendMessageW(chkDontShowTutorial, BM_GETCHECK, 0, 0) == BST_CHECKED;
            ::SendMessageW(chkDontShowTutorial, BM_SETCHECK, ticked ? BST_UNCHECKED : BST_CHECKED, 0);
            chkDontShowTutorialClick();
        }
        // IDOK and IDCANCEL (Enter and Escape) do nothing: no default, no cancel button.
        if (id == kTutorialPreviousId || id == kTutorialNextId)
            ::SetFocus(chkDontShowTutorial); // the buttons take no focus
        return 0;
    }
    case WM_DRAWITEM:
        if (wParam == kPictureId) {
            DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return DefaultMessage(message, wParam, lParam);
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_SETTINGCHANGE: // the high-contrast mode switched
    case WM_SYSCOLORCHANGE:
        FollowLook(Handle(), lookDrawn_, [] {});
        return DefaultMessage(message, wParam, lParam);
    default:
        return DefaultMessage(message, wParam, lParam);
    }
}
