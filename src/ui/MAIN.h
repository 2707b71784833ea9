#pragma once
#include <windows.h>

#include <bitset>
#include <memory>
#include <span>

#include "core/Handle.h"
#include "ui/BarIds.h"
#include "ui/Glyphs.h"
#include "ui/Theme.h"
#include "ui/PopupMenu.h"
#include "ui/Window.h"

class TSmartComboBox;
namespace layout::settings {
enum class Page;
}
using SettingsPage = layout::settings::Page;
class TTooltips;
class TTrayIcon;

// The launcher bar: a borderless strip on top of every window, menu button, search box and
// edit-paths button. Hidden most of the time; shown by the shortcut and the tray.
class TForm1 : public Window {
public:
    // Creates the window and runs FormCreate (the rest of the program's start-up).
    explicit TForm1(HWND owner);
    ~TForm1() override;

    // Shows a hidden bar (placing it, rebuilding the entry list) or brings a shown one forward.
    void ShowBar();
    void ActivateBar();
    void PlaceBar();
    void HideToTray();
    void FormKeyUp(WORD key);
    // The settings window on `page`, modal; the bar after it.
    void ShowSettings(SettingsPage page);
    // The bar's key preview: sees every message before it is dispatched; true when the message
    // was handled and must go no further.
    bool PreviewKey(const MSG& msg) noexcept;
    // The search box's font (Segoe UI, 14 points at the bar's DPI).
    HFONT SearchBoxFont() const noexcept { return static_cast<HFONT>(boxFont_.get()); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void DpiChanged(const RECT& suggested) override;

private:
    friend void CreateSearchBox();

    // The items of PopupMenu1, in order.
    static std::span<const TPopupMenu::Item> MenuItems() noexcept;
    // The never-seen application window that owns the bar.
    HWND ApplicationHandle() const noexcept { return ::GetWindow(Handle(), GW_OWNER); }

    void FormCreate();
    void FormShow();
    void EntriesArrived();
    void FormDestroy() noexcept;
    void btnPathsClick();
    void btnMenuClick();
    void ApplicationEvents1Deactivate();
    void HandleActivationMessage();
    void ShowFromHotkey();
    void MoveFocus(bool backwards);
    void ReplayTypedAhead();
    void ApplyDpi(int dpi);
    // The high-contrast mode, the system's colours or the text size changed: everything made and
    // drawn again.
    void LookChanged();
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    void OpenPopupMenu1(int x, int y, HWND owner);
    void MenuCommand(UINT id);
    void TrayIconMessage(LPARAM event);
    // Handles what is waiting; `only` narrows it as PeekMessage does (PM_QS_INPUT: input alone).
    void ProcessPendingMessages(UINT only = 0);
    void ShowTrayHint();
    void TrayIcon1DblClick();
    void mnuShowClick();
    void mnuAddClick();
    void mnuAboutClick();
    void mnuTutorialClick();
    void mnuHelpClick();
    void mnuQuitClick();

    HWND btnMenu = nullptr;
    HWND btnPaths = nullptr;
    std::unique_ptr<TTooltips> tooltips_;
    ImageListHandle ImageList1;
    GdiHandle barFont_;
    GdiHandle boxFont_;
    int dpi_ = 96;
    std::unique_ptr<TSmartComboBox> searchBox_;
    IconHandle smallIcon_;
    std::unique_ptr<TTrayIcon> TrayIcon1;
    std::unique_ptr<TPopupMenu> PopupMenu1;
    bool shownBefore_ = false;
    bool starting_ = true;
    bool pickerOpen_ = false;
    bool showPending_ = false;
    bool showing_ = false;  // a show or a hand-over is running (the empty-list stop may be in its box)
    bool placing_ = false;  // PlaceBar is moving the bar
    int textPercent_ = 100; // the platform's text size the fonts were made for
    unsigned lookDrawn_ = LookGeneration();
    // The fixed pause between the shortcut and the activation of the bar.
    static constexpr DWORD kShowPauseMs = 100;
    // Keys whose press the bar saw: only their release acts.
    std::bitset<256> pressedKeys_;
};

// The one bar and its search box (null until CreateSearchBox has run; the bar owns it).
extern TForm1* Form1;
extern TSmartComboBox* SearchBox;
void CreateSearchBox();
