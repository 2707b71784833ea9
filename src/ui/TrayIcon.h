#pragma once
#include <windows.h>

#include <shellapi.h>

#include <string>

// How long a balloon of the tray icon stays.
inline constexpr UINT kBalloonMs = 3000;

// TrayIcon1: the program's icon in the notification area, reporting mouse use to `owner` as
// `callbackMessage`. It appears with Show (at the end of the start-up, after the tutorial), is
// added again when the shell's taskbar is created anew, and is removed with the object.
class TTrayIcon {
public:
    TTrayIcon(HWND owner, UINT callbackMessage, HICON icon, const wchar_t* tooltip);
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    void Show();
    void Remove() noexcept;
    // A balloon on the icon; the shell shows none when the text is empty.
    void ShowBalloon(const std::wstring& title, const std::wstring& text, UINT timeoutMs);
    // True when `message` is the shell's "TaskbarCreated": the icon has been added again.
    bool HandleTaskbarCreated(UINT message);

private:
    NOTIFYICONDATAW data_{};
    bool added_ = false;
    bool wanted_ = false;
    UINT taskbarCreated_ = 0;
};
