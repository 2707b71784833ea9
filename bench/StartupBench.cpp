// Times the program's start as the user feels it: from starting zarvi.exe to its tray icon being
// there with the start-up done (the guide, written last but one, is deleted before each start and
// waited for), with the update check's site on 127.0.0.1 answering at once (median of 5), and
// with a site that accepts and never answers (one run: the check runs beside the start, which
// must not wait for it).
// Usage: startup_bench <path of zarvi.exe>; the build's site must be http://127.0.0.1:47613/.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchDrive.h"
#include "core/AppInfo.h"
#include "core/Handle.h"
#include "support/LocalSite.h"
#include "support/Probe.h"

namespace {

constexpr unsigned short kSitePort = 47613;

using bench::NowMs;

std::wstring GuideFile()
{
    wchar_t documents[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents);
    return std::wstring(documents) + L"\\zarvi\\zarvi.pdf";
}

// Milliseconds from the start to the tray icon and the guide; negative when they never came.
double TimeOneStart(const std::wstring& exe)
{
    const std::wstring guide = GuideFile();
    ::DeleteFileW(guide.c_str());
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const double start = NowMs();
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    const KernelHandle process(pi.hProcess), thread(pi.hThread);
    double elapsed = -1;
    while (NowMs() - start < 30000) {
        const HWND bar = ::FindWindowW(nullptr, kBarTitle);
        if (bar && probe::TrayIconExists(bar) && ::GetFileAttributesW(guide.c_str()) != INVALID_FILE_ATTRIBUTES) {
            elapsed = NowMs() - start;
            ::PostMessageW(bar, WM_CLOSE, 0, 0);
            break;
        }
        ::Sleep(1);
    }
    if (::WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), 1);
    return elapsed;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: startup_bench <zarvi.exe>\n");
        return 2;
    }
    // A user who has seen the tutorial: the start does not wait for it.
    const std::wstring folder = GuideFile().substr(0, GuideFile().rfind(L'\\'));
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const HANDLE settings = ::CreateFileW((folder + L"\\zarvi.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
    const char content[] = "[Settings]\r\nDontShowTutorial=1\r\n";
    DWORD written = 0;
    ::WriteFile(settings, content, sizeof(content) - 1, &written, nullptr);
    ::CloseHandle(settings);

    std::vector<double> times;
    {
        LocalSite site("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n1.0", LocalSite::Mode::Answer, kSitePort);
        if (!site.Listening()) {
            std::fprintf(stderr, "port %u is taken\n", kSitePort);
            return 1;
        }
        TimeOneStart(argv[1]); // the first start writes the program's files: not counted
        for (int run = 0; run < 5; ++run)
            times.push_back(TimeOneStart(argv[1]));
    }
    double silent = -1;
    {
        LocalSite site("", LocalSite::Mode::NeverAnswer, kSitePort);
        silent = TimeOneStart(argv[1]);
    }
    if (std::count_if(times.begin(), times.end(), [](double t) { return t < 0; }) || silent < 0) {
        std::fprintf(stderr, "the tray icon did not appear\n");
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("startup_ms %.1f ms\n", times[times.size() / 2]);
    std::printf("startup_silent_site_ms %.1f ms\n", silent);
    return 0;
}
