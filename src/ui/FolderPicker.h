#pragma once
#include <windows.h>

#include <optional>
#include <string>

// The platform's folder picker (the item dialog with only the pick-folders option), modal to
// `owner`. The chosen folder's file-system path; empty optional when the user cancels.
// Raises AppError when the picker cannot be opened.
std::optional<std::wstring> PickFolder(HWND owner);
