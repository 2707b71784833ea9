#include "core/rules/FolderStamp.h"

#include <string>

#include "core/rules/Ascii.h"

namespace folderstamp {

bool KeepsFolderTimes(std::wstring_view fileSystem, bool remote) noexcept
{
    if (remote)
        return false;
    const std::wstring name = ascii::Upper(fileSystem);
    return name == L"NTFS" || name == L"REFS";
}

bool Settled(uint64_t lastWrite, uint64_t lookStart) noexcept
{
    return lastWrite != 0 && lastWrite <= lookStart && lookStart - lastWrite >= kSettleTime;
}

bool Unchanged(const Stamp& before, const Stamp& now) noexcept
{
    return before.vouches && before.volume == now.volume && before.file == now.file &&
           before.lastWrite == now.lastWrite;
}

namespace {

bool IsSeparator(wchar_t c) noexcept
{
    return c == L'\\' || c == L'/';
}

// The end of the path component that starts at `from`.
size_t ComponentEnd(std::wstring_view path, size_t from) noexcept
{
    size_t i = from;
    while (i < path.size() && !IsSeparator(path[i]))
        ++i;
    return i;
}

} // namespace

VolumeRoot VolumeRootOf(std::wstring_view path)
{
    size_t at = 0;
    bool share = false;
    if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) {
        at = 4;
        if (path.size() >= 8 && ascii::Upper(path.substr(4, 4)) == L"UNC\\") {
            at = 8;
            share = true;
        }
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        at = 2;
        share = true;
    }
    if (share) {
        const size_t server = ComponentEnd(path, at);
        if (server == at || server >= path.size())
            return {};
        const size_t name = ComponentEnd(path, server + 1);
        if (name == server + 1)
            return {};
        return {std::wstring(path.substr(0, name)) + L"\\", true};
    }
    if (path.size() >= at + 2 && path[at + 1] == L':' && ascii::Upper(path[at]) >= L'A' &&
        ascii::Upper(path[at]) <= L'Z')
        return {std::wstring(path.substr(0, at + 2)) + L"\\", false};
    return {};
}

bool FullLookDue(uint32_t scannedAt, uint32_t now, uint32_t fullLookAfterMs) noexcept
{
    return static_cast<uint32_t>(now - scannedAt) >= fullLookAfterMs;
}

} // namespace folderstamp
