// Times the shortcut from outside, as the user feels it: from the hotkey's key-down (sent with
// SendInput) to the bar being the foreground window with the focus in its search box, for a
// path list of 10,000 entries. Usage: show_bench <path of zarvi.exe>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchTree.h"
#include "core/Handle.h"

namespace {

double NowMs()
{
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Key(WORD vk, bool up)
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

bool FocusedInBar(HWND bar)
{
    if (::GetForegroundWindow() != bar)
        return false;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(bar, nullptr), &gui) && gui.hwndFocus &&
           ::IsChild(bar, gui.hwndFocus);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: show_bench <zarvi.exe>\n");
        return 2;
    }
    bench::WriteTenThousandEntryPathList();
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "cannot start zarvi.exe\n");
        return 1;
    }
    KernelHandle process(pi.hProcess);
    KernelHandle thread(pi.hThread);
    HWND bar = nullptr;
    Poll([&] { return (bar = ::FindWindowW(nullptr, L"Harbolt")) != nullptr; }, 20000);
    ::Sleep(500); // start-up settles

    std::vector<double> times;
    for (int run = 0; run < 7 && bar; ++run) {
        const double start = NowMs();
        Key(VK_LWIN, false);
        Key(VK_SPACE, false);
        const bool shown = Poll([&] { return FocusedInBar(bar); }, 10000);
        times.push_back(NowMs() - start);
        Key(VK_SPACE, true);
        Key(VK_LWIN, true);
        if (!shown) {
            std::fprintf(stderr, "the bar did not take the focus\n");
            break;
        }
        Key(VK_ESCAPE, false);
        Key(VK_ESCAPE, true);
        Poll([&] { return !::IsWindowVisible(bar); }, 5000);
        ::Sleep(100);
    }
    ::PostMessageW(bar, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(process.get(), 5000);
    bench::RemoveTree();
    if (times.empty())
        return 1;
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("show_10k_ms %.1f ms\n", median);
    std::printf("show_10k_beyond_pause_ms %.1f ms\n", median - 100.0);
    return 0;
}
