#pragma once
// Small file fixtures for tests that touch the real (test prefix) file system.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/rules/TextConv.h"

namespace testfiles {

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A path list as the program keeps it: UTF-8 behind its byte-order mark; `text` holds the rows
// with their own line ends.
inline void WritePathList(const std::filesystem::path& file, const std::wstring& text)
{
    WriteBytes(file, "\xEF\xBB\xBF" + WideToUtf8(text));
}

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Touch(const std::filesystem::path& path, DWORD attributes = 0)
{
    WriteBytes(path, "");
    if (attributes)
        ::SetFileAttributesW(path.c_str(), attributes);
}

inline void MakeFolder(const std::filesystem::path& path, DWORD attributes = 0)
{
    std::filesystem::create_directories(path);
    if (attributes)
        ::SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY);
}

// Sets a folder's last-write time to one fixed moment long past (2020-01-01): a folder's time
// changes only as its children come and go, and a time a moment old vouches for nothing.
inline void SetOldTime(const std::filesystem::path& path)
{
    const HANDLE file =
        ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    constexpr ULONGLONG kNewYear2020 = 132223104000000000ull;
    const FILETIME then{static_cast<DWORD>(kNewYear2020), static_cast<DWORD>(kNewYear2020 >> 32)};
    ::SetFileTime(file, nullptr, nullptr, &then);
    ::CloseHandle(file);
}

// A folder of its own below C:\zarvi-tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        static int counter = 0;
        path_ = std::filesystem::path(L"C:\\zarvi-tmp") /
                (std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
        RemoveTree(path_.wstring());
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { RemoveTree(path_.wstring()); }

    // Removes a folder and everything in it; links are removed, never followed.
    static void RemoveTree(const std::wstring& folder)
    {
        WIN32_FIND_DATAW data{};
        const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring child = folder + L"\\" + name;
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                const bool folderChild = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                if (folderChild && !link)
                    RemoveTree(child);
                else if (folderChild)
                    ::RemoveDirectoryW(child.c_str());
                else
                    ::DeleteFileW(child.c_str());
            } while (::FindNextFileW(search, &data));
            ::FindClose(search);
        }
        ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::RemoveDirectoryW(folder.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const noexcept { return path_; }
    std::wstring operator/(const std::wstring& name) const { return (path_ / name).wstring(); }
    std::wstring Str() const { return path_.wstring(); }

private:
    std::filesystem::path path_;
};

// Sets one per-user registry value for the life of the object, then puts the old one back.
class UserRegistryValue {
public:
    UserRegistryValue(const wchar_t* key, const wchar_t* name, const std::wstring& value) : key_(key), name_(name)
    {
        wchar_t old[2048] = {};
        DWORD size = sizeof(old);
        had_ = ::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type_,
                              old, &size) == ERROR_SUCCESS;
        old_ = old;
        Set(REG_SZ, value);
    }
    ~UserRegistryValue()
    {
        if (had_)
            Set(type_, old_);
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str());
    }
    UserRegistryValue(const UserRegistryValue&) = delete;
    UserRegistryValue& operator=(const UserRegistryValue&) = delete;

private:
    void Set(DWORD type, const std::wstring& value)
    {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), type, value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring key_, name_, old_;
    DWORD type_ = REG_SZ;
    bool had_ = false;
};

} // namespace testfiles

namespace testfiles {

// The Linux path behind a Windows path (Wine only); empty elsewhere.
inline std::string UnixPath(const std::wstring& dosPath)
{
    using Fn = char*(__cdecl*)(const wchar_t*);
    const auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn)
        return {};
    char* unix = fn(dosPath.c_str());
    if (!unix)
        return {};
    std::string result(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

} // namespace testfiles

namespace testfiles {

// Drive F: of the test bench: a disk with no room left (see scripts/lib/winebench.sh). Empty
// when the bench could not make one (mounting needs root).
inline std::wstring FullDiskFolder()
{
    const DWORD attributes = ::GetFileAttributesW(L"F:\\Documents");
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? L"F:\\Documents" : L"";
}

// A folder on drive S:, the bench's share that stops answering: its listing blocks until the
// object lets it go (at the latest when it ends: a process waiting on it cannot be ended).
// Empty where the bench has no such drive (FUSE needs root and its device).
class SilentFolder {
public:
    SilentFolder()
    {
        static int counter = 0;
        name_ = L"silent-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        if (::GetDriveTypeW(L"S:\\") != DRIVE_NO_ROOT_DIR &&
            ::GetFileAttributesW(L"C:\\zarvi-test\\let-go") != INVALID_FILE_ATTRIBUTES)
            path_ = L"S:\\" + name_;
    }
    ~SilentFolder() { LetGo(); }
    SilentFolder(const SilentFolder&) = delete;
    SilentFolder& operator=(const SilentFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    // Its one child, once it answers.
    std::wstring Child() const { return path_ + L"\\report.txt"; }
    void LetGo() const
    {
        if (!path_.empty())
            WriteBytes(L"C:\\zarvi-test\\let-go\\" + name_, "");
    }

private:
    std::wstring name_;
    std::wstring path_;
};

// Points the user's Documents folder somewhere else for the life of the object.
class DocumentsAt {
public:
    explicit DocumentsAt(const std::wstring& folder)
        : user_(kKey, L"Personal", folder), shell_(kShellKey, L"Personal", folder)
    {
    }

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const wchar_t* kShellKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    UserRegistryValue user_;
    UserRegistryValue shell_;
};

} // namespace testfiles
