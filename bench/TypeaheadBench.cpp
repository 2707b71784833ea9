// Keys typed at once after the shortcut, as a user does: the shortcut and "readme" from the X
// keyboard (xdotool, 30 ms between keys) while another program has the focus, with 5,700 entries
// listed; counts the keys that did not arrive in the search box or that reached the other
// program, over `trials` tries. Usage: typeahead_bench <zarvi.exe> <trials>
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchDrive.h"
#include "BenchTree.h"
#include "support/Probe.h"

namespace {

// Keys of "readme" missing from what arrived: the longest common prefix counts as arrived.
size_t Lost(const std::wstring& arrived)
{
    const std::wstring typed = L"readme";
    size_t same = 0;
    while (same < typed.size() && same < arrived.size() && arrived[same] == typed[same])
        ++same;
    return typed.size() - same;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: typeahead_bench <zarvi.exe> <trials>\n");
        return 2;
    }
    const int trials = _wtoi(argv[2]);
    bench::WriteEntryPathList(57);
    ::CloseHandle(::CreateFileW((bench::kTree.wstring() + L"\\folder0\\readme.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
    const HWND other = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 80, nullptr,
                                         nullptr, nullptr, nullptr);
    size_t lost = 0;
    {
        bench::Zarvi zarvi(argv[1]);
        if (!zarvi.Bar())
            return 1;
        for (int trial = 0; trial < trials; ++trial) {
            ::SetWindowTextW(other, L"");
            probe::WaitUntil(
                [&] {
                    ::SetForegroundWindow(other);
                    ::SetFocus(other);
                    return ::GetForegroundWindow() == other;
                },
                5000, 20);
            probe::RunHostCommand(L"/usr/bin/xdotool key --delay 30 super+space r e a d m e");
            std::wstring arrived;
            probe::WaitUntil(
                [&] {
                    probe::PumpMessages();
                    arrived = probe::WindowText(bench::ShownCombo(zarvi.Bar()));
                    return arrived == L"readme";
                },
                3000, 20);
            ::Sleep(100);
            probe::PumpMessages();
            lost += Lost(arrived) + probe::WindowText(other).size();
            zarvi.Hide();
        }
    }
    ::DestroyWindow(other);
    std::printf("typeahead_lost_keys %zu of %d\n", lost, trials * 6);
    return 0;
}
