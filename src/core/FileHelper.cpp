#include "core/FileHelper.h"

#include <windows.h>

#include <shellapi.h>

#include <cwctype>
#include <optional>

#include "core/Handle.h"
#include "core/WinError.h"
#include "core/rules/AppError.h"
#include "core/rules/IoErrorText.h"
#include "core/rules/PathListText.h"
#include "core/rules/TextConv.h"

namespace {

// Attributes of what `path` finally names: opening it follows links, so a dangling one fails.
bool TargetAttributes(const std::wstring& path, DWORD& attributes)
{
    if (path.empty())
        return false;
    FileHandle target(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!target) {
        // Some folders (a drive root on some systems) cannot be opened without rights; ask plainly.
        const DWORD plain = ::GetFileAttributesW(path.c_str());
        if (plain == INVALID_FILE_ATTRIBUTES || (plain & FILE_ATTRIBUTE_REPARSE_POINT))
            return false;
        attributes = plain;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(target.get(), &info))
        return false;
    attributes = info.dwFileAttributes;
    return true;
}

bool HasInvalidPathCharacter(const std::wstring& path)
{
    for (wchar_t c : path)
        if (c < 32 || c == L'<' || c == L'>' || c == L'"' || c == L'|')
            return true;
    return false;
}

// Wildcards and colons are fine in a search pattern but not in a path to create.
void ValidatePathToCreate(const std::wstring& path, size_t limit)
{
    if (path.find_first_not_of(L' ') == std::wstring::npos)
        throw AppError(L"Path is empty");
    if (HasInvalidPathCharacter(path) || path.find_first_of(L"*?") != std::wstring::npos)
        throw AppError(L"Illegal characters in path");
    const size_t colon = path.find(L':');
    const bool driveColon = colon == 1 && iswalpha(path[0]);
    if (colon != std::wstring::npos && (!driveColon || path.find(L':', 2) != std::wstring::npos))
        throw AppError(L"The given path's format is not supported");
    if (path.size() >= limit)
        throw AppError(L"The specified path is too long");
}

} // namespace

bool FileExists(const std::wstring& path)
{
    DWORD attributes = 0;
    return TargetAttributes(path, attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path)
{
    DWORD attributes = 0;
    return TargetAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileOrDirectoryExists(const std::wstring& path)
{
    DWORD attributes = 0;
    return TargetAttributes(path, attributes);
}

void ForceDirectories(const std::wstring& path)
{
    if (path.empty())
        throw AppError(L"Path is empty");
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        ThrowLastError(L"GetFullPathName");
    std::wstring full(needed, L'\0');
    full.resize(::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr));
    // Directory paths leave room for an 8.3 file name inside them.
    ValidatePathToCreate(full, MAX_PATH - 12);
    if (full.size() >= 2 && full[1] == L':') {
        const std::wstring root = full.substr(0, 2) + L"\\";
        if (::GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR)
            throw AppError(L"The drive " + full.substr(0, 2) + L" does not exist");
    }
    // Each level from the top down; a refusal is not an error here (the caller's write will tell).
    for (size_t i = 3; i <= full.size(); ++i) {
        if (i == full.size() || full[i] == L'\\') {
            const std::wstring level = full.substr(0, i);
            if (!DirectoryExists(level))
                ::CreateDirectoryW(level.c_str(), nullptr);
        }
    }
}

ReplaceFailure ReplaceFileWhole(const std::wstring& path, const std::string& bytes)
{
    const std::wstring beside = path + L".new";
    FileHandle file(
        ::CreateFileW(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {::GetLastError(), false};
    DWORD written = 0;
    ReplaceFailure failure;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !::FlushFileBuffers(file.get())) {
        failure = {::GetLastError(), true};
        if (!failure.code)
            failure.code = ERROR_DISK_FULL; // a short write without a code
    }
    file.reset();
    if (!failure && !::MoveFileExW(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = {::GetLastError(), false};
    if (failure)
        ::DeleteFileW(beside.c_str());
    return failure;
}

void WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    ValidatePathToCreate(path, MAX_PATH);
    if (const ReplaceFailure failure = ReplaceFileWhole(path, bytes)) {
        if (failure.whileWriting)
            throw AppError(L"Stream write error");
        throw AppError(L"Cannot create file \"" + path + L"\". " + SystemErrorText(failure.code));
    }
}

namespace {

// The rest of an open file from its current position; false with the error code set.
bool ReadRest(HANDLE file, std::string& bytes)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        return false;
    if (size.QuadPart > 0x7FFFFFFF) {
        ::SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return false;
    bytes.resize(read);
    return true;
}

} // namespace

std::string ReadWholeFile(const std::wstring& path)
{
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw AppError(L"Cannot open file \"" + path + L"\". " + SystemErrorText(::GetLastError()));
    std::string bytes;
    if (!ReadRest(file.get(), bytes))
        throw AppError(L"Cannot read file \"" + path + L"\". " + SystemErrorText(::GetLastError()));
    return bytes;
}

std::wstring AnsiToWide(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length == 0)
        ThrowLastError(L"MultiByteToWideChar");
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

std::vector<std::wstring> ReadPathListRows(const std::wstring& path)
{
    const std::string bytes = ReadWholeFile(path);
    const auto detected = pathlist::DetectEncoding(bytes);
    const std::string_view body = std::string_view(bytes).substr(detected.markLength);
    return pathlist::SplitRows(detected.encoding == pathlist::Encoding::Ansi
                                   ? AnsiToWide(body)
                                   : pathlist::DecodeUnicode(body, detected.encoding));
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    if (HasInvalidPathCharacter(folder) || HasInvalidPathCharacter(name))
        throw AppError(L"Illegal characters in path");
    if (!folder.empty()) {
        const wchar_t last = folder.back();
        if (last == L'\\' || last == L'/' || last == L':')
            return folder + name;
    }
    return folder + L"\\" + name;
}

unsigned long ScanFolder(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper)
{
    const std::wstring pattern = folder + L"\\*";
    WIN32_FIND_DATAW data{};
    FindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
    if (!search)
        return ::GetLastError();
    do {
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..")
            continue;
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (deeper && !isFolder)
            continue;
        std::wstring path = JoinPath(folder, data.cFileName);
        list.push_back(path);
        // Not list.back(): the nested scan grows the list and would move the string under it.
        if (deeper)
            ScanFolder(path, list, false);
    } while (::FindNextFileW(search.get(), &data));
    return 0;
}

void OpenPath(const std::wstring& path)
{
    ::ShellExecuteW(nullptr, L"OPEN", path.c_str(), L"", L"", SW_SHOWNORMAL);
}

namespace {

[[noreturn]] void ThrowIoError(DWORD code)
{
    throw AppError(IoErrorText(code));
}

// ANSI bytes of `text` when the code page holds every character of it exactly.
std::optional<std::string> ToAnsiExactly(std::wstring_view text)
{
    if (text.empty())
        return std::string();
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                          nullptr, &usedDefault);
    if (usedDefault)
        return std::nullopt;
    return bytes;
}

} // namespace

void AppendFolderToPathList(const std::wstring& file, const std::wstring& folder)
{
    // Others may read but not write while we append.
    FileHandle handle(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        ThrowIoError(::GetLastError());

    std::string existing;
    if (!ReadRest(handle.get(), existing))
        ThrowIoError(::GetLastError());

    const auto plan = pathlist::PlanAppend(existing, folder, &ToAnsiExactly,
                                           [](std::string_view bytes) { return AnsiToWide(bytes); });
    // Written beside and swapped in whole, an append too: a failure or an end in the middle
    // (a full disk, a killed process) never leaves half a row behind.
    handle.reset();
    if (const ReplaceFailure failure = ReplaceFileWhole(file, plan.rewrite ? plan.bytes : existing + plan.bytes))
        ThrowIoError(failure.code);
}
