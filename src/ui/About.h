#pragma once
// The settings window: three pages (Settings, Help, LOG), the hotkey, start with Windows, the
// update check, the guide and the tutorial, the event log.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/Handle.h"
#include "core/rules/WindowLayout.h"
#include "ui/Glyphs.h"
#include "ui/Theme.h"
#include "ui/Window.h"

class TToggleSwitch;

namespace about {
inline constexpr int kPageControlId = 401;
inline constexpr int kHotkeyId = 402;
inline constexpr int kAutostartId = 403;
inline constexpr int kCheckUpdatesId = 404;
inline constexpr int kShowGuideId = 405;
inline constexpr int kShowTutorialId = 406;
inline constexpr int kHelpId = 407;
inline constexpr int kLogId = 408;
inline constexpr int kHotkeyLabelId = 409;
inline constexpr int kAutostartLabelId = 410;
// The hotkey names offered, in the list's order.
inline constexpr std::array<const wchar_t*, 9> kHotkeyNames = {L"space", L"z", L"x", L"c", L"v",
                                                               L"b",     L"n", L"m", L"<"};
} // namespace about

// The help page's text, for the hotkey `hotkeyName`.
std::wstring AboutHelpText(const std::wstring& hotkeyName);

// The settings window's pages, in the order of their tabs.
using SettingsPage = layout::settings::Page;
inline constexpr int kSettingsPageCount = layout::settings::kPageCount;

class TAboutBox : public Window {
public:
    explicit TAboutBox(HWND owner);
    int Dpi() const noexcept { return dpi_; }
    HFONT FontOfButtons() const noexcept { return FontOf(FontKind::Normal); }
    ~TAboutBox() override;

    // Shows the window modally; IDOK after OK (or Enter, Escape), IDCANCEL after the close box.
    int ShowModal();
    void SelectPage(SettingsPage page);
    SettingsPage ActivePage() const noexcept { return page_; }
    void SetLog(const std::wstring& text);
    // The open settings window, if any.
    static TAboutBox* Open() noexcept { return open_; }
    // An update check has answered: the log page shows it and the button works again.
    void UpdateCheckEnded();

    HWND PageControl1 = nullptr;
    HWND OKButton = nullptr;
    HWND btnCheckUpdates = nullptr;
    HWND cmbHotkey = nullptr;
    HWND memoHelp = nullptr;
    HWND memoLOG = nullptr;
    std::unique_ptr<TToggleSwitch> swtAutostart;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void DpiChanged(const RECT& suggested) override;

private:
    void FormCreate();
    void FormShow();
    bool PreviewKey(const MSG& msg);
    void OKButtonClick();
    void cmbHotkeyChange();
    void swtAutostartClick();
    void btnCheckUpdatesClick();
    void btnShowGuideClick();
    void btnShowTutorialClick();
    enum class FontKind { None, Normal, Title, Label };
    void CreateControls();
    // Fonts and pictures for `dpi`, given to the controls.
    void ApplyDpi(int dpi);
    HFONT FontOf(FontKind kind) const noexcept;
    void Layout();
    // The smallest client area in which every control stays whole, at the window's DPI.
    SIZE MinimumClient() const;
    HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, int id, FontKind font,
              const layout::settings::Place* place);

    static inline TAboutBox* open_ = nullptr;
    bool FLoading = false;
    HWND owner_;
    unsigned lookDrawn_ = LookGeneration();
    int dpi_ = 96; // the layout's: the monitor's enlarged by the platform's text size
    SettingsPage page_ = SettingsPage::Settings;
    GdiHandle font_, titleFont_, labelFont_;
    ImageListHandle ImageList1;
    ImageListHandle tabImages_;
    IconHandle icon_;
    HWND programIcon_ = nullptr;
    struct Placed {
        HWND control;
        const layout::settings::Place* place; // null: the frame's, on every page
        FontKind font = FontKind::Normal;
    };
    std::vector<Placed> placed_;
};
