#include "core/GuideFile.h"

#include <windows.h>

#include "core/AppPathHelper.h"
#include "core/FileHelper.h"
#include "core/rules/AppError.h"

namespace {

std::string EmbeddedGuide()
{
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, L"RCMANUAL", MAKEINTRESOURCEW(10));
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        throw AppError(L"Resource RCMANUAL not found");
    return std::string(static_cast<const char*>(data), ::SizeofResource(module, found));
}

} // namespace

std::wstring GetGuideFolder()
{
    return GetAppFolder();
}

std::wstring GetGuideFile()
{
    try {
        return GetGuideFolder() + L"\\zarvi.pdf";
    } catch (...) {
        return {};
    }
}

void ExtractGuide()
{
    const std::wstring file = GetGuideFile();
    if (FileExists(file))
        return;
    WriteWholeFile(file, EmbeddedGuide());
}

void ShowGuide()
{
    ExtractGuide();
    const std::wstring file = GetGuideFile();
    if (FileExists(file))
        OpenPath(file);
}
