#pragma once
// A folder tree that a one-row path list turns into `folders` × 100 entries: folders of 99 files
// each, listed by one deep row. Written to the Documents path list of the running prefix; a tree
// of the same size left by an earlier run is used again.
#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <string>

#include "core/WindowsSpecialFolderHelper.h"
#include "support/TestFiles.h"

namespace bench {

inline const std::filesystem::path kTree = L"C:\\zarvi-bench";

inline void RemoveTree()
{
    std::error_code ignored;
    std::filesystem::remove_all(kTree, ignored);
}

inline void WriteEntryPathList(int folders)
{
    namespace fs = std::filesystem;
    const fs::path marker = kTree.wstring() + L"." + std::to_wstring(folders);
    if (!fs::exists(marker) || !fs::exists(kTree)) {
        RemoveTree();
        for (const auto& old : fs::directory_iterator(kTree.parent_path()))
            if (old.path().filename().wstring().starts_with(L"zarvi-bench."))
                fs::remove(old.path());
        for (int f = 0; f < folders; ++f) {
            const fs::path folder = kTree / (L"folder" + std::to_wstring(f));
            fs::create_directories(folder);
            for (int i = 0; i < 99; ++i) {
                const std::wstring file = (folder / (L"document " + std::to_wstring(i) + L".txt")).wstring();
                ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            }
        }
        ::CloseHandle(::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    const std::wstring listFile = GetSpecialFolder(CSIDL_PERSONAL) + L"\\zarvi\\zarvi.txt";
    testfiles::WritePathList(listFile, L"*" + kTree.wstring() + L"\r\n");
    // A user who has seen the tutorial: the start does not wait for it.
    testfiles::WriteBytes(fs::path(listFile).parent_path() / L"zarvi.ini", "[Settings]\r\nDontShowTutorial=1\r\n");
}

inline void WriteTenThousandEntryPathList()
{
    WriteEntryPathList(100);
}

} // namespace bench
