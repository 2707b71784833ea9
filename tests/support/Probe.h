#pragma once
// Observes and drives windows from outside, the way a user or another program would:
// only public Win32 calls that also work across processes.
#include <windows.h>

#include <initializer_list>
#include <utility>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace probe {

// Handles every message waiting on this thread. A quit is put back for the thread's own loop and
// ends the pumping; the answer says whether it came.
enum class Pumped { Nothing, Some, Quit };
Pumped PumpMessages();

// Polls `condition` until it holds or `timeoutMs` passes, pumping this thread's messages between
// polls; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000, DWORD stepMs = 10);

// A top-level window, shown or hidden, with exactly this title; `pid` 0 matches any process.
HWND FindTopLevel(std::wstring_view title, DWORD pid = 0);
std::vector<HWND> TopLevelWindows(DWORD pid);

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
std::vector<std::wstring> ComboItems(HWND combo);

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;
    bool hasIcon = false;
};
// A shown dialog box (class #32770) of process `pid` (0: any), read whole.
std::optional<MessageBoxInfo> FindMessageBox(DWORD pid = 0);
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid = 0, DWORD timeoutMs = 10000);
// Clicks the button captioned `caption` (ampersands ignored) as a user would.
bool PressDialogButton(HWND dialog, std::wstring_view caption);

// Whether `owner` has its notification-area icon (id 1) on the taskbar now.
bool TrayIconExists(HWND owner);

// Key strokes through SendInput: they reach whatever window has the focus, and low-level hooks.
void KeyDown(WORD vk);
void KeyUp(WORD vk);
void TapKey(WORD vk);
void TypeText(std::wstring_view text);
// Presses (false) and releases (true) sent in one call: all of them queued before any is handled.
void SendKeysAtOnce(std::initializer_list<std::pair<WORD, bool>> keys);

// Runs a program and waits for it to end. A Linux program (xdotool, import) started from inside
// Wine cannot be waited for: it is only started, so wait for its effect instead.
bool RunHostCommand(const std::wstring& commandLine, DWORD timeoutMs = 15000);
// Writes a screenshot of the whole X display to a Linux path.
bool TakeScreenshot(const std::string& unixPath);

// "Z:\path" for a Linux path: Wine maps the root of the Linux file system to drive Z.
std::wstring DosPathFromUnix(std::string_view unixPath);

} // namespace probe
