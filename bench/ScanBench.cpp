// Times the first scan of a path list of `folders` × 100 entries, from nothing to the complete
// list in the search box (partial lists handed over as they come, as to the bar), against a bare
// FindFirstFileExW walk of the same folders in the same run. Prints "name value unit" lines.
// Usage: scan_bench <folders> <label>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchDrive.h"
#include "BenchTree.h"
#include "core/AppPathHelper.h"
#include "core/FolderScanner.h"
#include "support/SearchHost.h"
#include "ui/LoadPathList.h"
#include "ui/SmartCombo.h"

namespace {

// Every file and folder below `folder`, as the plainest program would list them.
size_t Walk(const std::wstring& folder)
{
    size_t count = 0;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        ++count;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += Walk(folder + L"\\" + name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return count;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: scan_bench <folders> <label>\n");
        return 2;
    }
    bench::WriteEntryPathList(_wtoi(argv[1]));
    std::vector<double> walks;
    size_t walked = 0;
    for (int run = 0; run < 3; ++run) {
        const double start = bench::NowMs();
        walked = Walk(bench::kTree.wstring());
        walks.push_back(bench::NowMs() - start);
    }
    std::sort(walks.begin(), walks.end());

    SearchHost host;
    const double start = bench::NowMs();
    double firstPartial = -1;
    int handOvers = 0;
    double inHandOvers = 0;
    Scanner().Request(GetPathListFile(), nullptr, 0);
    std::shared_ptr<const std::vector<std::wstring>> last;
    for (;;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        SearchHost::Settle();
        const double before = bench::NowMs();
        const HandOver state = HandOverEntries(*host.box, true);
        if (EntryList != last) {
            last = EntryList;
            ++handOvers;
            inHandOvers += bench::NowMs() - before;
            if (firstPartial < 0)
                firstPartial = bench::NowMs() - start;
        }
        if (state != HandOver::Partial)
            break;
    }
    // The last rows go in between keys: the list is complete once they are in.
    while (host.box->RowsPending()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        SearchHost::Settle();
    }
    const double scan = bench::NowMs() - start;
    std::fprintf(stderr,
                 "first scan of %zu entries (the walk found %zu): first list in the box after %.0f ms, %d lists "
                 "handed over in %.0f ms, the walk %.0f ms\n",
                 host.box->StoredItems().size() - 1, walked, firstPartial, handOvers, inHandOvers, walks[1]);
    std::printf("first_scan_%ls_ms %.0f ms\n", argv[2], scan);
    std::printf("bare_walk_%ls_ms %.0f ms\n", argv[2], walks[1]);
    std::printf("first_scan_%ls_vs_walk %.2f x\n", argv[2], scan / walks[1]);
    return 0;
}
