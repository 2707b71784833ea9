#pragma once
// A folder tree that a one-row path list turns into 10,000 entries: 100 folders of 99 files,
// listed by one deep row. Written to the Documents path list of the running prefix.
#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/FileHelper.h"
#include "core/WindowsSpecialFolderHelper.h"
#include "core/rules/TextConv.h"

namespace bench {

inline const std::filesystem::path kTree = L"C:\\zarvi-bench";

inline void WriteTenThousandEntryPathList()
{
    namespace fs = std::filesystem;
    fs::remove_all(kTree);
    for (int f = 0; f < 100; ++f) {
        const fs::path folder = kTree / (L"folder" + std::to_wstring(f));
        fs::create_directories(folder);
        for (int i = 0; i < 99; ++i)
            std::ofstream(folder / (L"document " + std::to_wstring(i) + L".txt"));
    }
    const std::wstring listFile = GetSpecialFolder(CSIDL_PERSONAL) + L"\\zarvi\\zarvi.txt";
    fs::create_directories(fs::path(listFile).parent_path());
    WriteWholeFile(listFile, "\xEF\xBB\xBF" + WideToUtf8(L"*" + kTree.wstring() + L"\r\n"));
    // A user who has seen the tutorial: the start does not wait for it.
    WriteWholeFile(fs::path(listFile).parent_path().wstring() + L"\\zarvi.ini", "[Settings]\r\nDontShowTutorial=1\r\n");
}

inline void RemoveTree()
{
    std::filesystem::remove_all(kTree);
}

} // namespace bench
