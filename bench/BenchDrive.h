#pragma once
// Driving the program from outside, as another program on its desktop: start it, press the
// shortcut, see the bar in front with the focus in its search box.
#include <windows.h>

#include <vector>

#include <cstdio>
#include <string>

#include "core/AppInfo.h"
#include "core/Handle.h"
#include "ui/BarIds.h"

namespace bench {

// The search box's combo the bar shows, found from outside (the box keeps hidden ones beside it).
inline HWND ShownCombo(HWND bar)
{
    const HWND box = ::FindWindowExW(bar, nullptr, kSearchBoxClass, nullptr);
    for (HWND combo = nullptr; (combo = ::FindWindowExW(box, combo, L"ComboBox", nullptr)) != nullptr;)
        if (::GetWindowLongW(combo, GWL_STYLE) & WS_VISIBLE)
            return combo;
    return nullptr;
}

inline double NowMs()
{
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline void Key(WORD vk, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(INPUT));
}

template <typename Condition> bool Poll(Condition condition, double timeoutMs)
{
    const double end = NowMs() + timeoutMs;
    while (NowMs() < end) {
        if (condition())
            return true;
        ::Sleep(0);
    }
    return false;
}

// Asks the script that runs the bench to measure from outside (what Wine does not report): a file
// <folder>\measure-<label> holding `content` appears; the script answers with measured-<label>.
inline void AskToMeasure(const std::wstring& folder, const std::wstring& label, const std::string& content)
{
    const std::wstring done = folder + L"\\measured-" + label;
    ::DeleteFileW(done.c_str());
    const HANDLE ask = ::CreateFileW((folder + L"\\measure-" + label).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ask == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(ask, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(ask);
    for (const double end = NowMs() + 30000; NowMs() < end;) {
        if (::GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES)
            return;
        ::Sleep(50);
    }
}

inline bool FocusedInBar(HWND bar)
{
    if (::GetForegroundWindow() != bar)
        return false;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(bar, nullptr), &gui) && gui.hwndFocus &&
           ::IsChild(bar, gui.hwndFocus);
}

// A program started by the bench and ended with it.
class Started {
public:
    explicit Started(const std::wstring& exe, const std::wstring& arguments = L"")
    {
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            process_.reset(pi.hProcess);
            ::CloseHandle(pi.hThread);
            pid_ = pi.dwProcessId;
        }
    }
    ~Started()
    {
        if (process_ && ::WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.get(), 1);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    bool Running() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    DWORD Pid() const noexcept { return pid_; }
    HANDLE Process() const noexcept { return process_.get(); }

private:
    KernelHandle process_;
    DWORD pid_ = 0;
};

// zarvi.exe started, its start-up settled; the bar closes (and the program ends) at the end.
class Zarvi {
public:
    explicit Zarvi(const std::wstring& exe) : process_(exe)
    {
        Poll([&] { return (bar_ = ::FindWindowW(nullptr, kBarTitle)) != nullptr; }, 20000);
        ::Sleep(500); // start-up settles
    }
    ~Zarvi()
    {
        if (bar_)
            ::PostMessageW(bar_, WM_CLOSE, 0, 0);
    }
    Zarvi(const Zarvi&) = delete;
    Zarvi& operator=(const Zarvi&) = delete;

    HWND Bar() const noexcept { return bar_; }
    const Started& Process() const noexcept { return process_; }

    // The shortcut, until the bar is in front with the focus in its box; milliseconds, or < 0.
    double Show(double timeoutMs = 10000)
    {
        const double start = NowMs();
        Key(VK_LWIN, false);
        Key(VK_SPACE, false);
        const bool shown = Poll([&] { return FocusedInBar(bar_); }, timeoutMs);
        const double took = NowMs() - start;
        Key(VK_SPACE, true);
        Key(VK_LWIN, true);
        return shown ? took : -1;
    }
    void Hide()
    {
        Key(VK_ESCAPE, false);
        Key(VK_ESCAPE, true);
        Poll([&] { return !::IsWindowVisible(bar_); }, 5000);
    }

private:
    Started process_;
    HWND bar_ = nullptr;
};

// The handles a process holds. Under Wine GetProcessHandleCount answers 0; the system's handle
// table, which it does keep, is counted instead.
inline DWORD HandleCount(HANDLE process, DWORD pid)
{
    DWORD count = 0;
    if (::GetProcessHandleCount(process, &count) && count > 0)
        return count;
    struct Entry {
        ULONG ownerPid;
        BYTE objectType, flags;
        USHORT handle;
        void* object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    LONG status = 0;
    while (query && (status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                    &length)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (!query || status != 0)
        return 0;
    const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    for (ULONG i = 0; i < entries; ++i)
        count += entry[i].ownerPid == pid;
    return count;
}

} // namespace bench
