#pragma once
// What the user can do with an entry besides opening it: show it in its folder, run it as
// administrator, copy its path. Each goes through the shell as Explorer's own commands do.
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "core/Handle.h"

// The shell's identifier of a file or folder, freed on every way out.
using ItemIdList = UniqueHandle<handle_traits::ClosedBy<PIDLIST_ABSOLUTE, &::CoTaskMemFree, nullptr>>;
// `path` as the shell names it; empty, with the reason in `hr`, when the shell cannot.
ItemIdList ParseItem(const std::wstring& path, HRESULT& hr);

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
