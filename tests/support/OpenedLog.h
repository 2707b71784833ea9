#pragma once
// What the shell was asked to open in the test prefix (recorded by open-recorder.exe).
#include <string>
#include <vector>

#include "core/rules/TextConv.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace opened {

inline constexpr const wchar_t* kLogFile = L"C:\\zarvi-test\\opened.txt";

inline void Clear()
{
    ::DeleteFileW(kLogFile);
}

inline std::vector<std::wstring> Paths()
{
    std::vector<std::wstring> lines;
    const std::wstring text = Utf8ToWide(testfiles::ReadBytes(kLogFile));
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Waits for the recorder to have written `count` lines (it runs as a process of its own).
inline std::vector<std::wstring> WaitForPaths(size_t count, DWORD timeoutMs = 10000)
{
    std::vector<std::wstring> lines;
    probe::WaitUntil([&] { return (lines = Paths()).size() >= count; }, timeoutMs);
    return lines;
}

} // namespace opened
