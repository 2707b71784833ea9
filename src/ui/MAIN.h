#pragma once
#include <windows.h>

#include <commctrl.h>

#include <bitset>
#include <memory>
#include <string>
#include <vector>

#include "core/Handle.h"
#include "ui/Glyphs.h"
#include "ui/Window.h"

class TSmartComboBox;
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
    // The bar's key preview: sees every message before it is dispatched; true when the message
    // was handled and must go no further.
    bool PreviewKey(const MSG& msg) noexcept;
    // The search box's font (Segoe UI, 14 points at the bar's DPI).
    HFONT SearchBoxFont() const noexcept { return static_cast<HFONT>(boxFont_.get()); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void FormCreate();
    void FormShow();
    void FormDestroy() noexcept;
    void btnPathsClick();
    void btnMenuClick();
    void ApplicationEvents1Deactivate();
    void HandleActivationMessage();
    void ShowFromHotkey();
    void MoveFocus(bool backwards);
    void ProcessPendingMessages();
    void CreateButtons();
    void ApplyDpi(int dpi);
    void DrawButton(const DRAWITEMSTRUCT& item) const;
    void CreatePopupMenu1();
    void MeasureMenuRow(MEASUREITEMSTRUCT& item) const;
    void DrawMenuRow(const DRAWITEMSTRUCT& item) const;
    void OpenPopupMenu1(int x, int y, HWND owner);
    void MenuCommand(UINT id);
    void TrayIconMessage(LPARAM event);
    void ShowTrayHint();
    void TrayIcon1DblClick();
    void mnuShowClick();
    void mnuAddClick();
    void mnuAboutClick();
    void mnuTutorialClick();
    void mnuHelpClick();
    void mnuQuitClick();

    HWND btnMenu_ = nullptr;
    HWND btnPaths_ = nullptr;
    HWND tooltip_ = nullptr;
    ImageListHandle ImageList1;
    GdiHandle barFont_;
    GdiHandle boxFont_;
    int dpi_ = 96;
    std::unique_ptr<TTrayIcon> TrayIcon1;
    MenuHandle PopupMenu1;
    std::vector<GdiHandle> menuPictures_;
    IconHandle smallIcon_;
    bool shownBefore_ = false;
    bool starting_ = true;
    bool pickerOpen_ = false;
    bool menuOpen_ = false;
    bool showPending_ = false;
    bool showing_ = false;
    // Keys whose press the bar saw: only their release acts.
    std::bitset<256> pressedKeys_;
};

// The one bar and its search box (null until CreateSearchBox has run).
extern TForm1* Form1;
extern TSmartComboBox* SearchBox;
void CreateSearchBox();

// Posted by the keyboard hook to have the bar shown once the hook has returned.
inline constexpr UINT kShowBarMessage = WM_APP + 20;
// The tray icon's mouse use.
inline constexpr UINT kTrayMessage = WM_APP + 21;

// The entry list: element 0 is the empty string, then every entry in the order found.
// Rebuilt from nothing at every LoadPathList.
extern std::vector<std::wstring> EntryList;

// Reads the path list, collects the entries and hands them to `searchBox`. When nothing was
// found it tells the user, opens the path list for editing and ends the program with exit
// code 1; it then returns false and the box keeps what it had.
bool LoadPathList(TSmartComboBox& searchBox);
// The same for the bar's own search box; nothing to do before it exists.
bool LoadPathList();

inline constexpr const wchar_t* kEmptyListMessage =
    L"Directories list is empty, please add some dirs in the text file being opened, then restart the app";
