#include "core/VersionHelper.h"

#include <cstdio>
#include <cstring>

#include "core/rules/AppError.h"

std::vector<std::byte> LoadVersionBlock(HMODULE module, int id)
{
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(16));
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        throw AppError(L"Resource " + std::to_wstring(id) + L" not found");
    // The platform's queries may write into the block: they get a copy of their own.
    std::vector<std::byte> block(::SizeofResource(module, found));
    std::memcpy(block.data(), data, block.size());
    return block;
}

std::wstring VersionStringIn(const std::vector<std::byte>& block, const std::wstring& name)
{
    std::vector<std::byte> copy = block;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(copy.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return {};
    WORD pair[2] = {};
    std::memcpy(pair, value, sizeof(pair));
    wchar_t table[9] = {};
    swprintf(table, 9, L"%04X%04X", pair[0], pair[1]);
    const std::wstring path = L"\\StringFileInfo\\" + std::wstring(table) + L"\\" + name;
    if (!::VerQueryValueW(copy.data(), path.c_str(), &value, &length) || !value)
        return {};
    return std::wstring(static_cast<const wchar_t*>(value));
}

std::wstring AppVersionIn(const std::vector<std::byte>& block)
{
    std::vector<std::byte> copy = block;
    void* value = nullptr;
    UINT length = 0;
    if (copy.empty() || !::VerQueryValueW(copy.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return {};
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, value, sizeof(fixed));
    return std::to_wstring(HIWORD(fixed.dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed.dwFileVersionMS));
}

std::wstring AppVersionOfFile(const std::wstring& path)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<std::byte> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return {};
    return AppVersionIn(block);
}

std::wstring GetVersionString(const std::wstring& name)
{
    return VersionStringIn(LoadVersionBlock(::GetModuleHandleW(nullptr), 1), name);
}

std::wstring GetProductVersion()
{
    return GetVersionString(L"ProductVersion");
}

std::wstring GetCopyright()
{
    return GetVersionString(L"LegalCopyright");
}
