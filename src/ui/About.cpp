#include "ui/About.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include "core/AppInfo.h"
#include "core/AutostartHelper.h"
#include "core/GuideFile.h"
#include "core/HotkeySetting.h"
#include "core/MiniLogHelper.h"
#include "core/ScopeGuard.h"
#include "core/UpdateHelper.h"
#include "core/VersionHelper.h"
#include "core/rules/Ascii.h"
#include "core/rules/WindowLayout.h"
#include "resource.h"
#include "ui/ErrorReport.h"
#include "ui/ImageButton.h"
#include "ui/Modal.h"
#include "ui/Theme.h"
#include "ui/ToggleSwitch.h"
#include "ui/frmTutorial.h"

using layout::Scale;
using namespace about;
using namespace layout::settings;

namespace {

constexpr const wchar_t* kAboutClass = L"TAboutBox";
// ImageList1: 0 settings, 1 log and tutorial, 2 help and guide, 3 hotkey, 4 autostart, 5 update check.
constexpr int kImageSettings = 0, kImageLog = 1, kImageHelp = 2, kImageHotkey = 3, kImageAutostart = 4,
              kImageUpdate = 5;
// The maker's web address when the build has one; a line about the program otherwise.
std::wstring WebAddress()
{
    return SiteUrl.empty() ? L"Zarvi: a keyboard launcher for the Windows desktop." : SiteUrl;
}

HFONT Arial(int pixels, int dpi)
{
    return ::CreateFontW(-Scale(pixels, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Arial");
}

} // namespace

std::wstring AboutHelpText(const std::wstring& hotkeyName)
{
    return L"#DESCRIPTION:\r\n"
           L"Open files or folders from a predefined list of paths.\r\n"
           L"\r\n"
           L"#USAGE:\r\n"
           L"- Type to search across file/folder names, press Enter to open.\r\n"
           L"- ESC: hide\r\n"
           L"- WIN+" +
           ascii::Upper(std::wstring_view(hotkeyName)) +
           L": show\r\n"
           L"- F1: guide\r\n"
           L"\r\n"
           L"#CONFIG:\r\n"
           L"- F2: edit paths list\r\n"
           L"- Prefix a line with * to enable recursive search\r\n"
           L"- Menu -> Add a folder: add a new path";
}

TAboutBox::TAboutBox(HWND owner) : owner_(owner)
{
    RegisterWindowClass(kAboutClass, 0, FaceBrush());
    CreateBound(kAboutClass, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT, kAppCaption,
                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, 0, 0, kClientWidth, kClientHeight,
                owner);
    // The class keeps the brush of the look it was first made in.
    ::SetClassLongPtrW(Handle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(FaceBrush()));
    dpi_ = TextLayoutDpi(Handle(), WindowDpi(), kClientWidth, kClientHeight);
    SizeClient(Scale(kClientWidth, dpi_), Scale(kClientHeight, dpi_));
    CreateControls();
    RunGuarded([this] { FormCreate(); });
    if (!open_)
        open_ = this;
}

TAboutBox::~TAboutBox()
{
    if (open_ == this)
        open_ = nullptr;
    if (Handle())
        ::DestroyWindow(Handle());
}

HWND TAboutBox::Make(const wchar_t* cls, const wchar_t* text, DWORD style, int id, FontKind font, const Place* place)
{
    const HWND control =
        ::CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 10, 10, Handle(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(font)), FALSE);
    placed_.push_back({control, place, font});
    return control;
}

HFONT TAboutBox::FontOf(FontKind kind) const noexcept
{
    const GdiHandle& font = kind == FontKind::Title ? titleFont_ : kind == FontKind::Label ? labelFont_ : font_;
    return static_cast<HFONT>(font.get());
}

void TAboutBox::ApplyDpi(int dpi)
{
    dpi_ = dpi;
    // The new fonts and pictures are in use before the old ones go.
    GdiHandle font(Arial(kTextHeight, dpi)), titleFont(Arial(kTitleHeight, dpi)), labelFont(Arial(kLabelHeight, dpi));
    const int picture = Scale(layout::kPictureSize, dpi);
    ImageListHandle images(CreateGlyphList(
        picture, {Glyph::Menu, Glyph::Tutorial, Glyph::Guide, Glyph::Hotkey, Glyph::Autostart, Glyph::Update},
        GlyphInk()));
    // The platform draws the tabs light: their pictures are drawn in dark ink.
    ImageListHandle tabImages(CreateGlyphList(
        picture, {Glyph::Menu, Glyph::Tutorial, Glyph::Guide, Glyph::Hotkey, Glyph::Autostart, Glyph::Update},
        GlyphInk() != CLR_DEFAULT ? GlyphInk() : RGB(0x2A, 0x35, 0x41)));
    IconHandle icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAINICON),
                                                    IMAGE_ICON, Scale(kIconSize, dpi), Scale(kIconSize, dpi), 0)));
    std::swap(font_, font);
    std::swap(titleFont_, titleFont);
    std::swap(labelFont_, labelFont);
    for (const Placed& p : placed_)
        if (p.font != FontKind::None)
            ::SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(p.font)), FALSE);
    if (PageControl1) {
        ::SendMessageW(PageControl1, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tabImages.get()));
        ::SendMessageW(PageControl1, TCM_SETITEMSIZE, 0, MAKELPARAM(Scale(kTabWidth, dpi), Scale(kTabHeight, dpi)));
    }
    if (programIcon_)
        ::SendMessageW(programIcon_, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    std::swap(ImageList1, images);
    std::swap(tabImages_, tabImages);
    std::swap(icon_, icon);
}

SIZE TAboutBox::MinimumClient() const
{
    // Every control of every page whole and apart: the controls keep their places, so the window
    // may narrow to the farthest right edge (a label's: the end of its text) and the lowest edge.
    int right = Scale(kTabsWidth, dpi_), bottom = Scale(kHelpTextMinBottom, dpi_);
    for (const Placed& p : placed_) {
        if (!p.place || p.place->anchor != Anchor::TopLeft)
            continue;
        const layout::Rect& at = p.place->at;
        int end = Scale(at.right, dpi_);
        wchar_t cls[16] = {};
        ::GetClassNameW(p.control, cls, 16);
        if (_wcsicmp(cls, L"Static") == 0 && p.font != FontKind::None)
            end =
                std::min(end, Scale(at.left, dpi_) + TextWidth(p.control, FontOf(p.font)) + Scale(kTextEndSpace, dpi_));
        right = std::max(right, end);
        // A list box drops down over what lies below it: only its closed height counts.
        RECT r{};
        ::GetWindowRect(p.control, &r);
        const int height = p.control == cmbHotkey ? static_cast<int>(r.bottom - r.top) : Scale(at.Height(), dpi_);
        bottom = std::max(bottom, Scale(at.top, dpi_) + height);
    }
    const int margin = Scale(kPageMargin, dpi_);
    return {right + 2 * margin, Scale(kTabsHeight, dpi_) + margin + bottom + Scale(kOkHeight, dpi_)};
}

void TAboutBox::CreateControls()
{
    ApplyDpi(dpi_);
    const FontKind font = FontKind::Normal;

    // The OK button comes first in the tab order, so it has the focus when the window opens.
    OKButton = Make(L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, font, nullptr);
    PageControl1 =
        Make(WC_TABCONTROLW, L"",
             WS_VISIBLE | WS_TABSTOP | TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK | TCS_MULTILINE | WS_CLIPSIBLINGS,
             kPageControlId, font, nullptr);
    ::SendMessageW(PageControl1, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tabImages_.get()));
    ::SendMessageW(PageControl1, TCM_SETITEMSIZE, 0, MAKELPARAM(Scale(kTabWidth, dpi_), Scale(kTabHeight, dpi_)));
    const std::pair<const wchar_t*, int> tabs[] = {
        {L"Settings", kImageSettings}, {L"Help", kImageHelp}, {L"LOG", kImageLog}};
    for (int i = 0; i < 3; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<wchar_t*>(tabs[i].first);
        item.iImage = tabs[i].second;
        ::SendMessageW(PageControl1, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }

    // Page "Settings".
    programIcon_ = Make(L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL, 0, FontKind::None, &PlaceOf(Slot::ProgramIcon));
    ::SendMessageW(programIcon_, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    Make(L"STATIC", kAppTitle, SS_LEFT, 0, FontKind::Title, &PlaceOf(Slot::Title));
    Make(L"STATIC", L"", SS_LEFT, 1001, FontKind::Label, &PlaceOf(Slot::Version));
    Make(L"STATIC", L"", SS_LEFT, 1002, FontKind::Label, &PlaceOf(Slot::Copyright));
    Make(L"STATIC", WebAddress().c_str(), SS_LEFT, 0, FontKind::Label, &PlaceOf(Slot::Comments));
    btnCheckUpdates = Make(L"BUTTON", L"Check for updates", WS_TABSTOP | BS_OWNERDRAW, kCheckUpdatesId, font,
                           &PlaceOf(Slot::CheckUpdates));
    Make(L"BUTTON", L"Hotkey: WIN +  ", BS_OWNERDRAW, kHotkeyLabelId, font, &PlaceOf(Slot::HotkeyLabel));
    cmbHotkey =
        Make(WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kHotkeyId, font, &PlaceOf(Slot::Hotkey));
    for (const wchar_t* name : kHotkeyNames)
        ::SendMessageW(cmbHotkey, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    // A list box drawn with visual styles takes its face's colours from the style, not from the
    // theme's WM_CTLCOLOR answers: the plain drawing keeps the face and its text in one theme.
    ::SetWindowTheme(cmbHotkey, L"", L"");
    ::SendMessageW(cmbHotkey, CB_SETCURSEL, 0, 0);
    Make(L"BUTTON", L"Autostart with Windows", BS_OWNERDRAW, kAutostartLabelId, font, &PlaceOf(Slot::AutostartLabel));
    swtAutostart = std::make_unique<TToggleSwitch>(Handle(), kAutostartId, 0, 0, 50, 20);
    ::SetWindowTextW(swtAutostart->Handle(), L"Autostart with Windows"); // its name: the label beside it
    placed_.push_back({swtAutostart->Handle(), &PlaceOf(Slot::Autostart), FontKind::None});

    // Page "Help".
    Make(L"BUTTON", L"show guide", WS_TABSTOP | BS_OWNERDRAW, kShowGuideId, font, &PlaceOf(Slot::ShowGuide));
    Make(L"BUTTON", L"show tutorial", WS_TABSTOP | BS_OWNERDRAW, kShowTutorialId, font, &PlaceOf(Slot::ShowTutorial));
    memoHelp = Make(L"EDIT", L"", WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY,
                    kHelpId, font, &PlaceOf(Slot::HelpText));
    ::SetWindowTextW(memoHelp, AboutHelpText(GetHotkeyName()).c_str());

    // Page "LOG".
    memoLOG = Make(L"EDIT", L"LOG", WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY,
                   kLogId, font, &PlaceOf(Slot::Log));
    Layout();
    SelectPage(SettingsPage::Settings);
}

void TAboutBox::Layout()
{
    RECT client{};
    ::GetClientRect(Handle(), &client);
    // The OK button and the page control follow the window's edges. The control shows only its
    // row of tabs: the pages lie on the window itself, in the theme's colours.
    const Frame frame = PlaceFrame(client.right, client.bottom, dpi_);
    for (const auto& [control, r] : {std::pair{OKButton, frame.ok}, std::pair{PageControl1, frame.tabs}})
        ::MoveWindow(control, r.left, r.top, r.Width(), r.Height(), TRUE);
    for (const Placed& p : placed_) {
        if (!p.place)
            continue;
        layout::Rect r = PlaceControl(*p.place, frame.page, dpi_);
        // A caption button grows to show its caption whole: the design's width holds it only in
        // the design's font.
        if ((::GetWindowLongW(p.control, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW &&
            ::GetDlgCtrlID(p.control) != kHotkeyLabelId && ::GetDlgCtrlID(p.control) != kAutostartLabelId)
            r.right = std::max(r.right, r.left + CaptionButtonWidth(p.control, FontOf(p.font), dpi_));
        ::SetWindowPos(p.control, HWND_TOP, r.left, r.top, r.Width(), r.Height(), SWP_NOACTIVATE);
    }
}

void TAboutBox::SelectPage(SettingsPage page)
{
    page_ = page;
    ::SendMessageW(PageControl1, TCM_SETCURSEL, static_cast<WPARAM>(page_), 0);
    ::InvalidateRect(PageControl1, nullptr, TRUE);
    for (const Placed& p : placed_)
        if (p.place)
            ::ShowWindow(p.control, p.place->page == page_ ? SW_SHOW : SW_HIDE);
}

void TAboutBox::SetLog(const std::wstring& text)
{
    ::SetWindowTextW(memoLOG, text.c_str());
}

void TAboutBox::FormCreate()
{
    const auto loading = Raised(FLoading);
    ::SetDlgItemTextW(Handle(), 1001, GetProductVersion().c_str());
    ::SetDlgItemTextW(Handle(), 1002, GetCopyright().c_str());
    const std::wstring name = GetHotkeyName();
    int selected = -1;
    for (size_t i = 0; i < kHotkeyNames.size(); ++i)
        if (ascii::Lower(std::wstring_view(kHotkeyNames[i])) == ascii::Lower(std::wstring_view(name)))
            selected = static_cast<int>(i);
    // A list-only box cannot show a name it does not offer: nothing is selected then.
    ::SendMessageW(cmbHotkey, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    swtAutostart->SetOn(LoadAutostart());
    // A check started before the window opened (the one at start-up) answers for this one too.
    ::EnableWindow(btnCheckUpdates, !UpdateCheckRunning());
}

int TAboutBox::ShowModal()
{
    FormShow();
    ::SetFocus(OKButton);
    return ModalRun::Run(Handle(), owner_, [this](const MSG& msg) { return PreviewKey(msg); });
}

bool TAboutBox::PreviewKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN)
        return false;
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages, as in any window of pages.
    if (msg.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) < 0) {
        const int step = ::GetKeyState(VK_SHIFT) < 0 ? kSettingsPageCount - 1 : 1;
        SelectPage(static_cast<SettingsPage>((static_cast<int>(page_) + step) % kSettingsPageCount));
        return true;
    }
    // A multi-line edit turns Escape into a close request, which would end the window as the
    // close box does: Escape anywhere is the OK button.
    if (msg.wParam == VK_ESCAPE && (msg.hwnd == memoHelp || msg.hwnd == memoLOG)) {
        RunGuarded([this] { OKButtonClick(); });
        return true;
    }
    return false;
}

// The window that opened this one (the bar) stays out of sight meanwhile; what follows the
// answer is its business (ShowModal's result).
void TAboutBox::FormShow()
{
    if (owner_)
        ::ShowWindow(owner_, SW_HIDE);
}

void TAboutBox::OKButtonClick()
{
    ModalRun::EndModal(Handle(), IDOK);
}

void TAboutBox::cmbHotkeyChange()
{
    if (FLoading)
        return;
    const auto index = ::SendMessageW(cmbHotkey, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= kHotkeyNames.size())
        return;
    // The help text names the key in effect, which changes before the store may fail.
    const ScopeExit help([this] { ::SetWindowTextW(memoHelp, AboutHelpText(GetHotkeyName()).c_str()); });
    SaveHotkey(kHotkeyNames[static_cast<size_t>(index)]);
}

void TAboutBox::swtAutostartClick()
{
    if (!FLoading)
        SetAutostart(swtAutostart->IsOn());
}

void TAboutBox::btnCheckUpdatesClick()
{
    SelectPage(SettingsPage::Log);
    if (::GetFocus() == btnCheckUpdates)
        ::SetFocus(memoLOG);
    // The request runs on a thread of its own: the window stays responsive, and the answer
    // comes to UpdateCheckEnded.
    UpdateCheck();
    ::EnableWindow(btnCheckUpdates, !UpdateCheckRunning());
    SetLog(LogText);
}

void TAboutBox::UpdateCheckEnded()
{
    SetLog(LogText);
    ::EnableWindow(btnCheckUpdates, !UpdateCheckRunning());
}

void TAboutBox::btnShowGuideClick()
{
    ShowGuide();
}

void TAboutBox::btnShowTutorialClick()
{
    ::ShowWindow(Handle(), SW_HIDE);
    const ScopeExit back([this] {
        ::ShowWindow(Handle(), SW_SHOW);
        ::SetForegroundWindow(Handle());
    });
    TformTutorial tutorial(Handle());
    tutorial.ShowModal();
}

void TAboutBox::DpiChanged(const RECT& suggested)
{
    ApplyDpi(TextLayoutDpi(Handle(), WindowDpi(), kClientWidth, kClientHeight));
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TAboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL: // Enter and Escape: OK is the default and the cancel button
            RunGuarded([this] { OKButtonClick(); });
            break;
        case kHotkeyId:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                RunGuarded([this] { cmbHotkeyChange(); });
            break;
        case kAutostartId:
            RunGuarded([this] { swtAutostartClick(); });
            break;
        case kCheckUpdatesId:
            RunGuarded([this] { btnCheckUpdatesClick(); });
            break;
        case kShowGuideId:
            RunGuarded([this] { btnShowGuideClick(); });
            break;
        case kShowTutorialId:
            RunGuarded([this] { btnShowTutorialClick(); });
            break;
        default:
            break;
        }
        return 0;
    case DM_GETDEFID: // Enter in a multi-line edit asks which button is the default one
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == TCN_SELCHANGE)
            SelectPage(static_cast<SettingsPage>(std::clamp(
                static_cast<int>(::SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0)), 0, kSettingsPageCount - 1)));
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        int picture = kImageUpdate;
        switch (item.CtlID) {
        case kHotkeyLabelId:
            picture = kImageHotkey;
            break;
        case kAutostartLabelId:
            picture = kImageAutostart;
            break;
        case kShowGuideId:
            picture = kImageHelp;
            break;
        case kShowTutorialId:
            picture = kImageLog;
            break;
        default:
            break;
        }
        DrawCaptionButton(item, ImageList1.get(), picture, dpi_);
        return TRUE;
    }
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO:
        if (PageControl1) {
            const SIZE least = MinimumClient();
            const SIZE frame = FrameForClient(least.cx, least.cy);
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {frame.cx, frame.cy};
        }
        return 0;
    case WM_CLOSE:
        ModalRun::EndModal(Handle(), IDCANCEL);
        return 0;
    case WM_SETTINGCHANGE: // the high-contrast mode switched
    case WM_SYSCOLORCHANGE:
        RunGuarded([this] { FollowLook(Handle(), lookDrawn_, [this] { ApplyDpi(dpi_); }); });
        return DefaultMessage(message, wParam, lParam);
    default:
        return DefaultMessage(message, wParam, lParam);
    }
}
