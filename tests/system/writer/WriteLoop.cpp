// Writes one of the program's files over and over, with the program's own code, until it is
// killed: the tests end it at random points and look at what it left.
// Usage: write_loop settings|pathlist|guide <file> <event signalled after the first write>
#include <windows.h>

#include <string>

#include "core/FileHelper.h"
#include "core/GuideFile.h"
#include "core/SettingsFile.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    const std::wstring kind = argv[1], file = argv[2];
    const HANDLE started = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    for (unsigned long i = 0;; ++i) {
        if (kind == L"settings")
            TSettingsAccess(file).WriteString(kSettingsSection, L"Hotkey", i % 2 ? L"m" : L"k");
        else if (kind == L"pathlist")
            AppendFolderToPathList(file, L"C:\\folder " + std::to_wstring(i));
        else if (kind == L"guide") {
            ExtractGuide();
            ::DeleteFileW(file.c_str());
        } else
            return 2;
        if (i == 0 && started)
            ::SetEvent(started);
    }
}
