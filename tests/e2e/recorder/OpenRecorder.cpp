// Stands in for the user's default programs in the test prefix: every "open" that the shell
// hands to it is appended, as one UTF-8 line, to C:\zarvi-test\opened.txt.
#include <windows.h>

#include <string>

#include "core/Handle.h"
#include "core/rules/TextConv.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    std::wstring path = commandLine ? commandLine : L"";
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
        path = path.substr(1, path.size() - 2);
    const std::string line = WideToUtf8(path) + "\r\n";

    // Several opens may race; the append-only handle keeps each line whole.
    FileHandle file(::CreateFileW(L"C:\\zarvi-test\\opened.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 1;
    DWORD written = 0;
    return ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ? 0 : 1;
}
