// Times the shortcut from outside, as the user feels it: from the hotkey's key-down (sent with
// SendInput) to the bar being the foreground window with the focus in its search box, for a path
// list of `folders` × 100 entries with nothing changed between shows, timed once the whole list is
// in the box (median of 7).
// Usage: show_bench <path of zarvi.exe> <folders> <label>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchDrive.h"
#include "BenchTree.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: show_bench <zarvi.exe> <folders> <label>\n");
        return 2;
    }
    bench::WriteEntryPathList(_wtoi(argv[2]));
    std::vector<double> times;
    {
        bench::Zarvi zarvi(argv[1]);
        if (!zarvi.Bar())
            return 1;
        // The first show scans every folder (a million entries take seconds): not counted.
        if (zarvi.Show(180000) < 0) {
            std::fprintf(stderr, "the bar did not show\n");
            return 1;
        }
        // Timed once the box holds the whole list (a long one is still arriving after the show).
        const LRESULT entries = std::min<LRESULT>(static_cast<LRESULT>(_wtoi(argv[2])) * 100, 1'000'000);
        if (!bench::Poll([&] { return ::SendMessageW(bench::ShownCombo(zarvi.Bar()), CB_GETCOUNT, 0, 0) >= entries; },
                         180000)) {
            std::fprintf(stderr, "the box never held the whole list\n");
            return 1;
        }
        zarvi.Hide();
        for (int run = 0; run < 7; ++run) {
            ::Sleep(100);
            const double took = zarvi.Show();
            if (took < 0) {
                std::fprintf(stderr, "the bar did not take the focus\n");
                return 1;
            }
            times.push_back(took);
            zarvi.Hide();
        }
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("show_%ls_ms %.1f ms\n", argv[3], median);
    std::printf("show_%ls_beyond_pause_ms %.1f ms\n", argv[3], median - 100.0);
    return 0;
}
