#include "ui/MAIN.h"

#include "ui/LoadPathList.h"

#include <windows.h>

#include "core/AppInfo.h"
#include "core/AppPathHelper.h"
#include "core/FileHelper.h"
#include "core/GuideFile.h"
#include "core/HotkeySetting.h"
#include "core/NotificationCenter.h"
#include "core/UpdateHelper.h"
#include "core/rules/Hotkey.h"
#include "core/MiniLogHelper.h"
#include "ui/About.h"
#include "ui/ErrorReport.h"
#include "ui/FolderPicker.h"
#include "ui/LoadPathList.h"
#include "ui/TApplication.h"
#include "ui/TrayIcon.h"
#include "ui/frmTutorial.h"

// The bar's tray icon, its popup menu and the menu's commands.

namespace {

enum MenuId : UINT { mnuShow = 201, mnuAdd, mnuAbout, mnuTutorial, mnuHelp, mnuQuit };

constexpr TPopupMenu::Item kMenuItems[] = {{mnuShow, L"Show bar", Glyph::ShowBar},
                                           {mnuAdd, L"Add a folder", Glyph::AddFolder},
                                           {0, nullptr, Glyph::Count},
                                           {mnuAbout, L"Settings", Glyph::Menu},
                                           {mnuTutorial, L"Tutorial", Glyph::Tutorial},
                                           {mnuHelp, L"Guide", Glyph::Guide},
                                           {0, nullptr, Glyph::Count},
                                           {mnuQuit, L"Quit", Glyph::Quit}};

} // namespace

std::span<const TPopupMenu::Item> TForm1::MenuItems() noexcept
{
    return kMenuItems;
}

void TForm1::ShowTrayHint()
{
    TrayIcon1->Show();
    TrayIcon1->ShowBalloon(kAppTitle, L"", kBalloonMs);
    if (!OneInNine())
        return;
    const std::wstring hint = hotkey::StartupHint(GetHotkeyName());
    // Where the platform has no toast notifications, the same words go into the balloon.
    if (!PresentToast(kAppCaption, hint))
        TrayIcon1->ShowBalloon(kAppCaption, hint, kBalloonMs);
}

void TForm1::OpenPopupMenu1(int x, int y, HWND owner)
{
    if (const UINT id = PopupMenu1->Open(x, y, owner))
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
        const HWND application = ApplicationHandle();
        ::SetForegroundWindow(application);
        ProcessPendingMessages(); // so the menu opens on a settled foreground window
        POINT cursor{};
        ::GetCursorPos(&cursor);
        OpenPopupMenu1(cursor.x, cursor.y, application);
        break;
    }
    default:
        break;
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
        const auto chosen = PickFolder(ApplicationHandle());
        pickerOpen_ = false;
        if (chosen && DirectoryExists(*chosen)) {
            AppendFolderToPathList(GetPathListFile(), *chosen);
            if (searchBox_)
                LoadPathList(*searchBox_, Handle(), kEntriesMessage, kLoadPathListWaitMs);
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
    ShowSettings(SettingsPage::Settings);
}

void TForm1::ShowSettings(SettingsPage page)
{
    int answer = 0;
    {
        TAboutBox settings(Handle());
        settings.SelectPage(page);
        settings.SetLog(LogText);
        answer = settings.ShowModal();
    }
    // OK brings the bar back; the close box leaves it hidden.
    if (answer == IDOK)
        ShowBar();
    ActivateBar();
}

void TForm1::mnuTutorialClick()
{
    ::ShowWindow(Handle(), SW_HIDE);
    TformTutorial tutorial(Handle());
    tutorial.ShowModal();
}

void TForm1::mnuHelpClick()
{
    ShowGuide();
}

void TForm1::mnuQuitClick()
{
    TerminateApplication(0);
}
