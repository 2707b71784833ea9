// What a listed folder costs in handles between shows: the program started with 2 folders listed
// and again with 202, each shown once and hidden, then left idle until its folder lookers have
// ended; the handles of each (counted in the system's handle table under Wine) are compared.
// On Windows an open handle inside a folder's tree refuses renaming its parents and removing its
// drive. Usage: handles_bench <zarvi.exe>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchDrive.h"

namespace {

const std::wstring kRoot = L"C:\\zarvi-handles";

// The handles of the program idle after one show, with `folders` folders listed; 0 on failure.
DWORD IdleHandles(const std::wstring& exe, const std::wstring& documents, int folders)
{
    std::string rows = "\xEF\xBB\xBF";
    for (int i = 0; i < folders; ++i) {
        const std::wstring folder = kRoot + L"\\folder " + std::to_wstring(i);
        std::filesystem::create_directories(folder);
        std::ofstream(std::filesystem::path(folder + L"\\note.txt")) << "";
        rows += "C:\\zarvi-handles\\folder " + std::to_string(i) + "\r\n";
    }
    std::filesystem::create_directories(documents + L"\\zarvi");
    std::ofstream(std::filesystem::path(documents + L"\\zarvi\\zarvi.txt"), std::ios::binary) << rows;
    std::ofstream(std::filesystem::path(documents + L"\\zarvi\\zarvi.ini"), std::ios::binary)
        << "[Settings]\r\nDontShowTutorial=1\r\n";

    bench::Zarvi zarvi(exe);
    if (!zarvi.Bar() || zarvi.Show() < 0)
        return 0;
    zarvi.Hide();
    // The folder lookers end after 5 idle seconds; a little more for the machine's pace.
    ::Sleep(7000);
    return bench::HandleCount(zarvi.Process().Process(), zarvi.Process().Pid());
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: handles_bench <zarvi.exe>\n");
        return 2;
    }
    wchar_t profile[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    const std::wstring documents = std::wstring(profile) + L"\\Documents";
    const DWORD few = IdleHandles(argv[1], documents, 2);
    const DWORD many = IdleHandles(argv[1], documents, 202);
    std::error_code ignored;
    std::filesystem::remove_all(kRoot, ignored);
    if (few == 0 || many == 0) {
        std::fprintf(stderr, "handles_bench: the program could not be measured\n");
        return 1;
    }
    std::fprintf(stderr, "handles with 2 folders listed: %lu, with 202: %lu\n", few, many);
    std::printf("handles_per_folder %.2f handles\n", (static_cast<double>(many) - static_cast<double>(few)) / 200.0);
    return 0;
}
