#include "core/ShellActions.h"

#include <shellapi.h>

#include <cstring>

#include "core/MiniLogHelper.h"
#include "core/WinError.h"

namespace {

bool AskExplorerToSelect(const std::wstring& path)
{
    const std::wstring parameters = L"/select,\"" + path + L"\"";
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL));
    return result > 32;
}

} // namespace

ItemIdList ParseItem(const std::wstring& path, HRESULT& hr)
{
    ItemIdList item;
    hr = ::SHParseDisplayName(path.c_str(), nullptr, item.put(), 0, nullptr);
    return item;
}

bool OpenContainingFolder(const std::wstring& path)
{
    HRESULT hr = S_OK;
    const ItemIdList item = ParseItem(path, hr);
    if (SUCCEEDED(hr))
        hr = ::SHOpenFolderAndSelectItems(item.get(), 0, nullptr, 0);
    if (SUCCEEDED(hr))
        return true;
    // Where the shell refuses (no shell namespace for the path, a policy), Explorer's own
    // command line still selects the entry.
    if (AskExplorerToSelect(path))
        return true;
    AddLog(L"Cannot show \"" + path + L"\" in its folder: " + SystemErrorText(static_cast<DWORD>(hr)));
    return false;
}

RunAsResult RunAsAdministrator(const std::wstring& path, HWND owner)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info))
        return RunAsResult::Started;
    const DWORD error = ::GetLastError();
    if (error == ERROR_CANCELLED)
        return RunAsResult::Refused;
    AddLog(L"Cannot run \"" + path + L"\" as administrator: " + SystemErrorText(error));
    return RunAsResult::Failed;
}

bool CopyTextToClipboard(HWND owner, const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return false;
    if (void* target = ::GlobalLock(memory)) {
        std::memcpy(target, text.c_str(), bytes);
        ::GlobalUnlock(memory);
    } else {
        ::GlobalFree(memory);
        return false;
    }
    // Another program may hold the clipboard for a moment: ask a few times.
    bool opened = false;
    for (int attempt = 0; attempt < 5 && !(opened = ::OpenClipboard(owner) != FALSE); ++attempt)
        ::Sleep(20);
    if (!opened) {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    // Once set, the clipboard owns the memory.
    const bool set = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    if (!set)
        ::GlobalFree(memory);
    return set;
}
