#pragma once
// What the user can do with an entry besides opening it: show it in its folder, run it as
// administrator, copy its path. Each goes through the shell as Explorer's own commands do.
#include <windows.h>

#include <string>

// Opens the entry's folder in Explorer with the entry selected. False when neither the shell
// nor Explorer could be asked.
bool OpenContainingFolder(const std::wstring& path);

enum class RunAsResult {
    Started,
    Refused, // the user said No to the elevation: nothing to report
    Failed,
};
// Asks the shell to run `path` with the "runas" verb, owned by `owner`.
RunAsResult RunAsAdministrator(const std::wstring& path, HWND owner);

// Puts `text` on the clipboard as Unicode text; false when the clipboard could not be had.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);
