// Long use: the shortcut, a typed character and Escape, over and over, with a folder added to the
// path list and removed again on the way. At the 100th cycle and at the end it asks the script
// that runs it to measure the program's private bytes from the Linux side (a file
// C:\zarvi-soak\measure-<cycle> appears; the script answers with measured-<cycle>) and reports
// the program's GDI and USER objects (0 under Wine, which does not count them), its windows
// and its handles itself. Usage: soak_bench <zarvi.exe> <cycles>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchDrive.h"
#include "core/Handle.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace {

const std::wstring kSoak = L"C:\\zarvi-soak";

void WritePathList(const std::wstring& documents, bool withExtra)
{
    std::wstring rows = L"C:\\zarvi-soak\\files\r\n";
    if (withExtra)
        rows += L"C:\\zarvi-soak\\extra\r\n";
    testfiles::WritePathList(documents + L"\\zarvi\\zarvi.txt", rows);
}

// The windows a process owns, top-level and children: most of its USER objects, counted where
// the platform reports none (Wine).
DWORD WindowCount(DWORD pid)
{
    struct Count {
        DWORD pid, windows;
    } count{pid, 0};
    ::EnumWindows(
        [](HWND top, LPARAM lp) -> BOOL {
            auto& c = *reinterpret_cast<Count*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if (owner != c.pid)
                return TRUE;
            ++c.windows;
            ::EnumChildWindows(
                top,
                [](HWND, LPARAM inner) -> BOOL {
                    ++*reinterpret_cast<DWORD*>(inner);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&c.windows));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

void Measure(int cycle)
{
    bench::AskToMeasure(kSoak, std::to_wstring(cycle), "zarvi.exe");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: soak_bench <zarvi.exe> <cycles>\n");
        return 2;
    }
    const int cycles = _wtoi(argv[2]);
    wchar_t documents[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"USERPROFILE", documents, MAX_PATH);
    const std::wstring docs = std::wstring(documents) + L"\\Documents";
    ::CreateDirectoryW(kSoak.c_str(), nullptr);
    for (const wchar_t* folder : {L"\\files", L"\\extra"}) {
        ::CreateDirectoryW((kSoak + folder).c_str(), nullptr);
        for (int i = 0; i < 100; ++i)
            testfiles::WriteBytes(kSoak + folder + L"\\note " + std::to_wstring(i) + L".txt", "");
    }
    ::CreateDirectoryW((docs + L"\\zarvi").c_str(), nullptr);
    testfiles::WriteBytes(docs + L"\\zarvi\\zarvi.ini", "[Settings]\r\nDontShowTutorial=1\r\n");
    WritePathList(docs, false);

    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    const KernelHandle process(pi.hProcess), thread(pi.hThread);
    HWND bar = nullptr;
    const auto ready = [&] {
        return (bar = probe::FindTopLevel(L"Harbolt", pi.dwProcessId)) && probe::TrayIconExists(bar);
    };
    if (!probe::WaitUntil(ready, 30000))
        return 1;

    struct Counts {
        DWORD gdi, user, handles, windows;
    } first{}, last{};
    auto counts = [&] {
        return Counts{::GetGuiResources(process.get(), GR_GDIOBJECTS), ::GetGuiResources(process.get(), GR_USEROBJECTS),
                      bench::HandleCount(process.get(), pi.dwProcessId), WindowCount(pi.dwProcessId)};
    };
    int done = 0;
    bool answering = true;
    for (int cycle = 1; cycle <= cycles && answering; ++cycle) {
        if (cycle % 1000 == 0)
            WritePathList(docs, true); // a folder added ...
        if (cycle % 1000 == 500)
            WritePathList(docs, false); // ... and removed again
        // The shortcut; a second press when the first found the bar still on its way out.
        for (int attempt = 0; attempt < 2 && !::IsWindowVisible(bar); ++attempt) {
            probe::KeyDown(VK_LWIN);
            probe::KeyDown(VK_SPACE);
            probe::KeyUp(VK_SPACE);
            probe::KeyUp(VK_LWIN);
            probe::WaitUntil([&] { return ::GetForegroundWindow() == bar; }, 2500, 2);
        }
        answering = ::IsWindowVisible(bar) != FALSE;
        probe::TypeText(L"n");
        probe::TapKey(VK_ESCAPE);
        probe::TapKey(VK_ESCAPE);
        probe::WaitUntil([&] { return !::IsWindowVisible(bar); }, 5000, 2);
        ::Sleep(20); // the key releases settle before the next shortcut
        done = cycle;
        if (cycle == 100) {
            first = counts();
            Measure(100);
        }
    }
    last = counts();
    Measure(done);
    std::printf("soak_cycles %d cycles\n", done);
    std::printf("soak_shortcut_answers %d yes\n", answering ? 1 : 0);
    std::printf("soak_gdi_objects_first %lu objects\nsoak_gdi_objects_last %lu objects\n", first.gdi, last.gdi);
    std::printf("soak_user_objects_first %lu objects\nsoak_user_objects_last %lu objects\n", first.user, last.user);
    std::printf("soak_handles_first %lu handles\nsoak_handles_last %lu handles\n", first.handles, last.handles);
    std::printf("soak_windows_first %lu windows\nsoak_windows_last %lu windows\n", first.windows, last.windows);
    ::PostMessageW(bar, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(process.get(), 10000);
    return answering ? 0 : 1;
}
