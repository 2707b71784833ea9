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
    // The basic information alone: the whole of it asks for the volume's serial number too,
    // which costs a quarter of a millisecond under Wine, at every show.
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(target.get(), FileBasicInfo, &info, sizeof(info)))
        return false;
    attributes = info.FileAttributes;
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

bool RetryWhileBusy(const std::function<bool()>& attempt, bool replacing)
{
    constexpr DWORD kRetryForMs = 1000;
    constexpr DWORD kRetryStepMs = 50;
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (attempt())
            return true;
        const DWORD error = ::GetLastError();
        const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                          (replacing && (error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
                                         error == ERROR_UNABLE_TO_MOVE_REPLACEMENT));
        if (!busy || ::GetTickCount() - start >= kRetryForMs) {
            ::SetLastError(error);
            return false;
        }
        ::Sleep(kRetryStepMs);
    }
}

bool IsDanglingLink(const std::wstring& path)
{
    if (path.empty() || FileOrDirectoryExists(path))
        return false;
    // Windows shows the link itself, with its reparse point.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // Wine shows nothing for a link whose target is missing, but its name is taken: a new file
    // cannot be made under it. The probe leaves nothing behind, whatever happens to the process.
    if (::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    FileHandle probe(::CreateFileW(path.c_str(), DELETE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return !probe && (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS);
}

namespace {

// "\\?\C:\x" as "C:\x", "\\?\UNC\s\x" as "\\s\x": the final path in the form the rest of the
// program writes.
std::wstring WithoutLongPrefix(std::wstring path)
{
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\") && path.size() >= 6 && path[5] == L':')
        return path.substr(4);
    return path;
}

} // namespace

WriteTarget ResolveWriteTarget(const std::wstring& path)
{
    WriteTarget target;
    target.path = path;
    FileHandle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (IsDanglingLink(path))
            target.error = ERROR_FILE_NOT_FOUND;
        else if (error != ERROR_FILE_NOT_FOUND)
            target.error = error; // a folder in its place, no access: the write will tell
        return target;
    }
    target.exists = true;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(file.get(), &info))
        target.shared = info.nNumberOfLinks > 1;
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(file.get(), final.data(), static_cast<DWORD>(final.size()), 0);
    if (length >= final.size()) {
        final.resize(length);
        length = ::GetFinalPathNameByHandleW(file.get(), final.data(), static_cast<DWORD>(final.size()), 0);
    }
    if (length > 0 && length < final.size()) {
        final.resize(length);
        target.path = WithoutLongPrefix(final);
    }
    return target;
}

namespace {

// A file with other hard links keeps its identity: the new bytes go into it. This is the one
// write that is not whole-or-nothing; the file's other names are what the user asked to keep.
DWORD WriteInPlace(const std::wstring& beside, const std::wstring& target)
{
    std::string bytes;
    try {
        bytes = ReadWholeFile(beside);
    } catch (...) {
        return ERROR_READ_FAULT;
    }
    FileHandle file;
    if (!RetryWhileBusy([&] {
            file.reset(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            return static_cast<bool>(file);
        }))
        return ::GetLastError();
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !::SetEndOfFile(file.get()) || !::FlushFileBuffers(file.get()))
        return ::GetLastError() ? ::GetLastError() : ERROR_DISK_FULL;
    return 0;
}

constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

// What the user gave the file that a rename of a new file over it would lose: its attributes,
// its access rights, its creation time and its alternate data streams go to the new file first.
// (ReplaceFileW keeps them too, but is not one rename everywhere: Wine moves the old file aside
// first, and a process ended then leaves no file at all.) Best effort: a part that cannot be
// copied does not stop the write.
void KeepWhatTheUserMade(const std::wstring& target, const std::wstring& beside)
{
    WIN32_FIND_STREAM_DATA stream{};
    if (FindHandle streams(::FindFirstStreamW(target.c_str(), FindStreamInfoStandard, &stream, 0)); streams) {
        do {
            const std::wstring name = stream.cStreamName;
            if (name == L"::$DATA")
                continue;
            try {
                const std::string bytes = ReadWholeFile(target + name);
                FileHandle copy(::CreateFileW((beside + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
                DWORD written = 0;
                if (copy)
                    ::WriteFile(copy.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            } catch (...) {
                // a stream that cannot be read is left behind rather than the write
            }
        } while (::FindNextStreamW(streams.get(), &stream));
    }
    DWORD needed = 0;
    constexpr SECURITY_INFORMATION kRights = DACL_SECURITY_INFORMATION;
    ::GetFileSecurityW(target.c_str(), kRights, nullptr, 0, &needed);
    if (needed > 0) {
        std::vector<BYTE> descriptor(needed);
        if (::GetFileSecurityW(target.c_str(), kRights, descriptor.data(), needed, &needed))
            ::SetFileSecurityW(beside.c_str(), kRights, descriptor.data());
    }
    WIN32_FILE_ATTRIBUTE_DATA old{};
    if (::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &old)) {
        FileHandle copy(::CreateFileW(beside.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (copy)
            ::SetFileTime(copy.get(), &old.ftCreationTime, nullptr, nullptr);
        copy.reset();
        // Read-only stays off: the file would refuse the next write of our own.
        constexpr DWORD kKept =
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (old.dwFileAttributes & kKept)
            ::SetFileAttributesW(beside.c_str(), (old.dwFileAttributes & kKept) | FILE_ATTRIBUTE_ARCHIVE);
    }
}

} // namespace

unsigned long SwapIntoPlace(const std::wstring& beside, const WriteTarget& target)
{
    DWORD error = 0;
    if (target.error) {
        error = target.error;
    } else if (target.exists && target.shared) {
        error = WriteInPlace(beside, target.path);
    } else if (target.exists) {
        KeepWhatTheUserMade(target.path, beside);
        if (!RetryWhileBusy([&] { return ::MoveFileExW(beside.c_str(), target.path.c_str(), kReplace) != FALSE; },
                            true))
            error = ::GetLastError();
    } else if (!RetryWhileBusy([&] { return ::MoveFileExW(beside.c_str(), target.path.c_str(), kReplace) != FALSE; },
                               true)) {
        error = ::GetLastError();
    }
    ::DeleteFileW(beside.c_str());
    return error;
}

ReplaceFailure WriteFreshFile(const std::wstring& path, const std::string& bytes)
{
    FileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
    if (failure)
        ::DeleteFileW(path.c_str());
    return failure;
}

ReplaceFailure ReplaceFileWhole(const std::wstring& path, const std::string& bytes)
{
    const WriteTarget target = ResolveWriteTarget(path);
    if (target.error)
        return {target.error, false};
    const std::wstring beside = target.path + L".new";
    if (const ReplaceFailure failure = WriteFreshFile(beside, bytes))
        return failure;
    if (const DWORD error = SwapIntoPlace(beside, target))
        return {error, false};
    return {};
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
    FileHandle file;
    std::string bytes;
    bool opened = false;
    // Opened and read again while another program holds the file or a range of it.
    const bool read = RetryWhileBusy([&] {
        file.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        opened = static_cast<bool>(file);
        return opened && ReadRest(file.get(), bytes);
    });
    if (!read) {
        const DWORD error = ::GetLastError();
        if (!opened && IsDanglingLink(path))
            throw AppError(L"Cannot open file \"" + path + L"\". It is a link whose target is missing.");
        throw AppError((opened ? L"Cannot read file \"" : L"Cannot open file \"") + path + L"\". " +
                       SystemErrorText(error));
    }
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

unsigned long ScanFolder(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper,
                         ScanProgress* progress)
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
        if (deeper) {
            ScanFolder(path, list, false);
            if (progress)
                progress->Reached(list);
        }
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
    FileHandle handle;
    if (!RetryWhileBusy([&] {
            handle.reset(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            return static_cast<bool>(handle);
        }))
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
