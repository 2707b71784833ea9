#include "ui/TrayIcon.h"

#include <cwchar>

TTrayIcon::TTrayIcon(HWND owner, UINT callbackMessage, HICON icon, const wchar_t* tooltip)
{
    data_.cbSize = sizeof(data_);
    data_.hWnd = owner;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    wcsncpy_s(data_.szTip, tooltip, _TRUNCATE);
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
}

TTrayIcon::~TTrayIcon()
{
    Remove();
}

void TTrayIcon::Show()
{
    wanted_ = true;
    if (!added_)
        added_ = ::Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

void TTrayIcon::Remove() noexcept
{
    if (added_) {
        ::Shell_NotifyIconW(NIM_DELETE, &data_);
        added_ = false;
    }
}

void TTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text, UINT timeoutMs)
{
    NOTIFYICONDATAW balloon = data_;
    balloon.uFlags = NIF_INFO;
    wcsncpy_s(balloon.szInfoTitle, title.c_str(), _TRUNCATE);
    wcsncpy_s(balloon.szInfo, text.c_str(), _TRUNCATE);
    balloon.dwInfoFlags = NIIF_NONE;
    balloon.uTimeout = timeoutMs;
    ::Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

bool TTrayIcon::HandleTaskbarCreated(UINT message)
{
    if (message != taskbarCreated_ || taskbarCreated_ == 0)
        return false;
    added_ = false;
    if (wanted_)
        Show();
    return true;
}
