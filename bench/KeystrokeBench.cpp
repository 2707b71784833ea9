// Times the search box and the path list under the real platform: one keystroke (filter,
// list rebuild and paint) and one rebuild of the entry list. Prints "name value unit" lines.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchTree.h"
#include "PathGenerator.h"
#include "core/FileHelper.h"
#include "BenchDrive.h"
#include "core/Handle.h"
#include "core/WindowsSpecialFolderHelper.h"
#include "core/rules/TextConv.h"
#include "ui/LoadPathList.h"
#include "support/SearchHost.h"
#include "ui/SmartCombo.h"

namespace {

constexpr int kRuns = 11;

using bench::NowMs;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Handles what is waiting, and lets the box finish what it leaves for the moments between keys
// (a user types a key every 100 ms or more).
void Pump(const TSmartComboBox* box = nullptr)
{
    SearchHost::Settle();
    for (int waited = 0; box && box->IsIdleWorkPending() && waited < 5000; waited += 10) {
        ::Sleep(10);
        SearchHost::Settle();
    }
}

using Host = SearchHost;

// Typing style with an empty edit field and the full list: select all and press Delete.
void ClearTyping(TSmartComboBox& box)
{
    ::SendMessageW(box.EditField(), EM_SETSEL, 0, -1);
    ::SendMessageW(box.EditField(), WM_KEYDOWN, VK_DELETE, 0);
    ::SendMessageW(box.EditField(), WM_KEYUP, VK_DELETE, 0);
    Pump(&box);
}

// The printable character (not a letter that begins entries) found in the share of entries
// closest to `share`; ASCII letters count in either case, as the search matches them.
wchar_t CharacterMatching(const std::vector<std::wstring>& entries, double share)
{
    auto fold = [](wchar_t x) { return (x >= L'a' && x <= L'z') ? static_cast<wchar_t>(x - 32) : x; };
    std::vector<size_t> hits(128, 0);
    for (const auto& e : entries) {
        bool seen[128]{};
        for (wchar_t x : e)
            if (x < 128)
                seen[fold(x)] = true;
        for (size_t c = 0; c < 128; ++c)
            hits[c] += seen[c];
    }
    wchar_t best = L'#';
    double bestDistance = 2;
    for (wchar_t c = 33; c < 127; ++c) {
        if (c == L'C' || c == L'c' || c == L'D' || c == L'd')
            continue; // would be completed, not typed
        const double distance =
            std::abs(static_cast<double>(hits[fold(c)]) / static_cast<double>(entries.size()) - share);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = c;
        }
    }
    return best;
}

// The time from the character given to `to` until the box, whichever combo now shows it, and its
// list are drawn.
double TypedAndDrawnMs(const TSmartComboBox& box, HWND to, wchar_t ch)
{
    const double start = NowMs();
    ::SendMessageW(to, WM_CHAR, ch, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(box.Combo(), &info);
    ::UpdateWindow(box.Combo());
    ::UpdateWindow(info.hwndList);
    return NowMs() - start;
}

double KeystrokeMs(Host& host, wchar_t ch, int runs)
{
    TSmartComboBox& box = *host.box;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        ClearTyping(box);
        times.push_back(TypedAndDrawnMs(box, box.EditField(), ch));
        Pump(&box);
    }
    return Median(times);
}

// The first character of a search, typed into the full list (the switch to typing included).
double FirstKeystrokeMs(Host& host, wchar_t ch, int runs)
{
    TSmartComboBox& box = *host.box;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        box.ResetToFullList();
        box.FocusBox();
        Pump(&box);
        times.push_back(TypedAndDrawnMs(box, box.Combo(), ch));
        Pump(&box);
    }
    return Median(times);
}

void KeystrokeBench(size_t count, const char* name, int runs = kRuns)
{
    auto list = std::make_shared<std::vector<std::wstring>>();
    std::vector<std::wstring>& entries = *list;
    entries.reserve(count + 1);
    entries.emplace_back();
    for (const auto& path : bench::GeneratePaths(count))
        entries.push_back(Utf8ToWide(path));
    Host host;
    host.box->SetStoredItems(std::shared_ptr<const std::vector<std::wstring>>(list));
    Pump();
    ::SendMessageW(host.box->Combo(), WM_CHAR, L'x', 0); // the switch to typing, not timed
    Pump();

    const wchar_t few = CharacterMatching(entries, 0.01);
    // Where a keystroke's time goes: the matching alone, and the platform's prefix search of every
    // row (what completion would cost if it asked it for every character).
    {
        const search::CompactEntryIndex<wchar_t> index(entries);
        const std::vector<std::wstring> words{L"\\"};
        std::vector<double> match, prefix;
        for (int run = 0; run < kRuns; ++run) {
            double start = NowMs();
            const auto rows = index.Match(words);
            match.push_back(NowMs() - start);
            start = NowMs();
            ::SendMessageW(host.box->Combo(), CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"\\"));
            prefix.push_back(NowMs() - start);
        }
        std::vector<double> filter;
        for (int run = 0; run < kRuns; ++run) {
            const double start = NowMs();
            host.box->FilterItems();
            filter.push_back(NowMs() - start);
        }
        // One row as the list draws it: icon, name, folder, marks (words of the last filter).
        const MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
        const GdiHandle bitmap(::CreateCompatibleBitmap(WindowDC(nullptr).get(), 600, 30));
        const SelectedObject selected(dc.get(), bitmap.get());
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_COMBOBOX;
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = host.box->Combo();
        item.hDC = dc.get();
        item.rcItem = {0, 0, 600, 30};
        constexpr int kRows = 200;
        const double start = NowMs();
        for (int row = 0; row < kRows; ++row) {
            item.itemID = static_cast<UINT>(1 + row % 50);
            ::SendMessageW(host.box->Handle(), WM_DRAWITEM, 1, reinterpret_cast<LPARAM>(&item));
        }
        ::GdiFlush();
        const double perRow = (NowMs() - start) / kRows;
        std::fprintf(stderr,
                     "keystroke of %s: matching %.1f ms, the platform's prefix search of every row %.1f ms, "
                     "whole filter step %.1f ms, "
                     "drawing a row %.3f ms\n",
                     name, Median(match), Median(prefix), Median(filter), perRow);
    }
    std::printf("keystroke_%s_all_ms %.1f ms\n", name, KeystrokeMs(host, L'\\', runs));
    std::printf("keystroke_%s_few_ms %.1f ms\n", name, KeystrokeMs(host, few, runs));
    std::printf("keystroke_%s_first_ms %.1f ms\n", name, FirstKeystrokeMs(host, few, runs));
    std::fflush(stdout);
}

void RebuildBench()
{
    bench::WriteTenThousandEntryPathList();
    const std::wstring tree = bench::kTree.wstring();
    Host host;
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const double start = NowMs();
        LoadPathList(*host.box);
        times.push_back(NowMs() - start);
        Pump();
    }
    std::printf("rebuild_10k_ms %.1f ms\n", Median(times));

    // Where the time goes: the folder scan alone, and the hand-over of a changed list.
    std::vector<double> scans, handOvers;
    for (int run = 0; run < kRuns; ++run) {
        std::vector<std::wstring> list{L""};
        double start = NowMs();
        ScanFolder(tree, list, true);
        scans.push_back(NowMs() - start);
        list.push_back(std::to_wstring(run)); // a different list each time
        start = NowMs();
        host.box->SetStoredItems(list);
        handOvers.push_back(NowMs() - start);
        Pump();
    }
    std::fprintf(stderr, "rebuild of %zu entries: scan %.1f ms, hand-over of a changed list %.1f ms\n",
                 EntryList->size() - 1, Median(scans), Median(handOvers));
    bench::RemoveTree();
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    KeystrokeBench(10000, "10k");
    KeystrokeBench(100000, "100k");
    if (!quick)
        KeystrokeBench(1000000, "1m", 5); // the most a list may hold
    RebuildBench();
    return 0;
}
