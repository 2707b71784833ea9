#include "support/Probe.h"

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "core/Handle.h"
#include "core/rules/TextConv.h"

namespace probe {

Pumped PumpMessages()
{
    Pumped pumped = Pumped::Nothing;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Dispatching it would lose it: the loop that waits for it must still see it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return Pumped::Quit;
        }
        pumped = Pumped::Some;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return pumped;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        // Keep this thread's own windows responsive while waiting on them.
        PumpMessages();
        ::Sleep(stepMs);
    }
}

std::vector<HWND> TopLevelWindows(DWORD pid)
{
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (s->pid == 0 || owner == s->pid)
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindTopLevel(std::wstring_view title, DWORD pid)
{
    for (HWND hwnd : TopLevelWindows(pid))
        if (WindowText(hwnd) == title)
            return hwnd;
    return nullptr;
}

std::wstring WindowText(HWND hwnd)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                          &copied);
    text.resize(copied);
    return text;
}

std::wstring ClassName(HWND hwnd)
{
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    return name;
}

std::vector<std::wstring> ComboItems(HWND combo)
{
    std::vector<std::wstring> items;
    const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring item(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<size_t>(std::max<LRESULT>(length, 0)));
        items.push_back(std::move(item));
    }
    return items;
}

namespace {

std::wstring WithoutAmpersands(std::wstring text)
{
    text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
    return text;
}

MessageBoxInfo ReadDialog(HWND dialog)
{
    MessageBoxInfo info;
    info.hwnd = dialog;
    info.caption = WindowText(dialog);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring cls = ClassName(child);
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(child, GWL_STYLE));
        if (_wcsicmp(cls.c_str(), L"Button") == 0) {
            if (style & WS_VISIBLE)
                info.buttons.push_back(WithoutAmpersands(WindowText(child)));
        } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                info.hasIcon = info.hasIcon || ((style & WS_VISIBLE) && ::SendMessageW(child, STM_GETICON, 0, 0));
            } else {
                const std::wstring text = WindowText(child);
                if (!text.empty())
                    info.text = text;
            }
        }
    }
    return info;
}

} // namespace

std::optional<MessageBoxInfo> FindMessageBox(DWORD pid)
{
    for (HWND hwnd : TopLevelWindows(pid))
        if (ClassName(hwnd) == L"#32770" && ::IsWindowVisible(hwnd))
            return ReadDialog(hwnd);
    return std::nullopt;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs)
{
    std::optional<MessageBoxInfo> found;
    WaitUntil([&] { return (found = FindMessageBox(pid)).has_value(); }, timeoutMs);
    return found;
}

bool PressDialogButton(HWND dialog, std::wstring_view caption)
{
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassName(child).c_str(), L"Button") == 0 && WithoutAmpersands(WindowText(child)) == caption) {
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(child), BN_CLICKED),
                           reinterpret_cast<LPARAM>(child));
            return true;
        }
    }
    return false;
}

namespace {
INPUT KeyInput(WORD vk, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void SendKey(WORD vk, bool up)
{
    INPUT input = KeyInput(vk, up);
    ::SendInput(1, &input, sizeof(INPUT));
}
} // namespace

void SendKeysAtOnce(std::initializer_list<std::pair<WORD, bool>> keys)
{
    std::vector<INPUT> inputs;
    for (const auto& [vk, up] : keys)
        inputs.push_back(KeyInput(vk, up));
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void KeyDown(WORD vk)
{
    SendKey(vk, false);
}

void KeyUp(WORD vk)
{
    SendKey(vk, true);
}

void TapKey(WORD vk)
{
    KeyDown(vk);
    KeyUp(vk);
}

void TypeText(std::wstring_view text)
{
    for (wchar_t ch : text) {
        INPUT inputs[2]{};
        for (int i = 0; i < 2; ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wScan = ch;
            inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        ::SendInput(2, inputs, sizeof(INPUT));
    }
}

bool TrayIconExists(HWND owner)
{
    // Modifying an icon succeeds only for one that is there; nothing of it changes.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = 1;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool RunHostCommand(const std::wstring& commandLine, DWORD timeoutMs)
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    KernelHandle process(pi.hProcess);
    KernelHandle thread(pi.hThread);
    // Wine starts a Linux program without a process handle that can be waited on: it runs on its own.
    const DWORD waited = ::WaitForSingleObject(process.get(), timeoutMs);
    return waited == WAIT_OBJECT_0 || waited == WAIT_FAILED;
}

bool TakeScreenshot(const std::string& unixPath)
{
    // Written aside and renamed, so that the file appears only once it is whole.
    const std::wstring path = Utf8ToWide(unixPath);
    return RunHostCommand(L"/bin/sh -c \"import -window root '" + path + L".part.png' && mv '" + path +
                          L".part.png' '" + path + L"'\"");
}

std::wstring DosPathFromUnix(std::string_view unixPath)
{
    std::wstring path = L"Z:" + Utf8ToWide(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

} // namespace probe
