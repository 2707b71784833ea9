#pragma once
#include <string>

// NotificationCenter1: the platform's toast notifications for a desktop program. Registers the
// program on first use (an application identity from its path, the per-user notification
// settings key and a Start-menu shortcut carrying the identity). False when the platform has
// no toasts or refused: the caller then tells the user another way.
bool PresentToast(const std::wstring& title, const std::wstring& body);

// The identity toasts are shown under: a fixed prefix and eight hexadecimal digits of a hash
// of the executable's full path, letter case ignored.
std::wstring ToastAppId(const std::wstring& exePath);
