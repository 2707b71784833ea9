// The program's memory, idle after a show of `folders` × 100 entries, and that of the smallest
// window program beside it. Private bytes are read from outside: on Windows from the process's
// PrivateUsage; under Wine, which reports none, the script that runs this measures the Linux
// process when a file C:\zarvi-memory\measure-<label> appears (holding the program's file name)
// and answers with measured-<label>.
// Usage: memory_bench <zarvi.exe> <idle_window.exe> <folders> <label>
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "BenchDrive.h"
#include "BenchTree.h"

namespace {

const std::wstring kMemory = L"C:\\zarvi-memory";

void Measure(const std::wstring& label, const std::string& exeName, DWORD pid)
{
    const KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (process &&
        ::GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof(counters)) &&
        counters.PrivateUsage > 0)
        std::printf("windows_private_%ls_kb %zu kB\n", label.c_str(), counters.PrivateUsage / 1024);
    bench::AskToMeasure(kMemory, label, exeName);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: memory_bench <zarvi.exe> <idle_window.exe> <folders> <label>\n");
        return 2;
    }
    ::CreateDirectoryW(kMemory.c_str(), nullptr);
    bench::WriteEntryPathList(_wtoi(argv[3]));
    {
        bench::Started idle(argv[2]);
        bench::Poll([] { return ::FindWindowW(L"IdleWindow", nullptr) != nullptr; }, 20000);
        ::Sleep(1000);
        Measure(L"baseline", "idle_window.exe", idle.Pid());
        ::PostMessageW(::FindWindowW(L"IdleWindow", nullptr), WM_CLOSE, 0, 0);
    }
    bench::Zarvi zarvi(argv[1]);
    if (!zarvi.Bar() || zarvi.Show(180000) < 0)
        return 1;
    // A long list may still be arriving after the show: measured once the box holds all of it
    // (the empty first row aside), and again after the hide has set the full list up anew.
    const LRESULT entries = std::min<LRESULT>(static_cast<LRESULT>(_wtoi(argv[3])) * 100, 1'000'000);
    const auto allListed = [&] { return ::SendMessageW(bench::ShownCombo(zarvi.Bar()), CB_GETCOUNT, 0, 0) >= entries; };
    if (!bench::Poll(allListed, 180000)) {
        std::fprintf(stderr, "the box never held the whole list\n");
        return 1;
    }
    zarvi.Hide();
    bench::Poll(allListed, 180000);
    ::Sleep(entries > 100'000 ? 10000 : 1500); // idle: what the hidden bar keeps between shows
    DWORD pid = 0;
    ::GetWindowThreadProcessId(zarvi.Bar(), &pid);
    Measure(argv[4], "zarvi.exe", pid);
    return 0;
}
