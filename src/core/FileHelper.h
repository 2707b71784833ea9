#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Existence tests follow links to their targets: a link whose target is gone counts as nothing.
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
bool FileOrDirectoryExists(const std::wstring& path);

// Creates every missing level of `path`, from the top down. Raises AppError for a path that
// is not valid or names a missing drive; a level the file system refuses is left alone.
void ForceDirectories(const std::wstring& path);

// Another program (an editor saving, a virus scanner, a backup, a sync client) may hold a file
// for a moment without sharing it: `attempt` is tried again while it fails for that reason, for
// about a second. With `replacing`, a refused rename or replacement counts too.
bool RetryWhileBusy(const std::function<bool()>& attempt, bool replacing = false);

// Whether `path` is a link whose target is missing: such a file is neither read nor replaced.
bool IsDanglingLink(const std::wstring& path);

// Where a write that replaces `path` whole must land, so that what the user made stays: the
// final target of a symbolic link (the link stays a link); the path itself for a file not there
// yet. `shared`: the file has other hard links, which a replacement would cut off.
struct WriteTarget {
    std::wstring path;
    bool exists = false;
    bool shared = false;
    unsigned long error = 0; // a link whose target is missing, or what kept the target from being found
};
WriteTarget ResolveWriteTarget(const std::wstring& path);

// Puts the finished file `beside` in the target's place in one rename, the replaced file's
// attributes, access rights, creation time and alternate streams given to it first; a shared
// (hard-linked) file is written in place instead. Returns 0 or the system error code; `beside` is gone either way.
unsigned long SwapIntoPlace(const std::wstring& beside, const WriteTarget& target);

// What went wrong in ReplaceFileWhole: nothing (code 0), or the system error code and whether
// the file could be made but not filled.
struct ReplaceFailure {
    unsigned long code = 0;
    bool whileWriting = false;
    explicit operator bool() const noexcept { return code != 0; }
};

// Writes `bytes` to a file of our own at `path` (one there is replaced), flushed to the disk;
// nothing is left of it when the write fails. Not for the user's files: see ReplaceFileWhole.
ReplaceFailure WriteFreshFile(const std::wstring& path, const std::string& bytes);

// Writes `bytes` beside the write target of `path` and swaps it into place, so the file is either
// the whole new file or what it was before, also when the disk fills up.
ReplaceFailure ReplaceFileWhole(const std::wstring& path, const std::string& bytes);

// ReplaceFileWhole for a path that is checked first; raises AppError "Stream write error" when
// the bytes could not all be written, else "Cannot create file "<path>". <system text>".
void WriteWholeFile(const std::wstring& path, const std::string& bytes);

// Reads the whole file, denying writers while it is read. Raises AppError
// "Cannot open file "<path>". <system text>" when it cannot be opened.
std::string ReadWholeFile(const std::wstring& path);

// Bytes of the system's ANSI code page as wide text.
std::wstring AnsiToWide(std::string_view bytes);

// The path list file's rows, decoded by its byte-order mark (ANSI without one).
std::vector<std::wstring> ReadPathListRows(const std::wstring& path);

// folder + name, with "\" between them unless the folder already ends in "\", "/" or ":".
// Raises AppError when either part holds characters that no path may hold.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// Told by a deep scan after each subfolder's children: it may take the entries found so far
// (moved out, `list` left empty), and the scan goes on appending after them.
class ScanProgress {
public:
    virtual void Reached(std::vector<std::wstring>& list) = 0;

protected:
    ~ScanProgress() = default;
};

// Appends the visible children of `folder` (files and folders); with `deeper`, only its visible
// subfolders, each followed at once by its own visible children. Returns the first search's
// error code, 0 on success.
unsigned long ScanFolder(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper,
                         ScanProgress* progress = nullptr);

// Asks the shell to open `path` ("OPEN", normal window); the shell's answer is not examined.
void OpenPath(const std::wstring& path);

// Adds `folder` as the last row of the path list `file`, in the file's own encoding: by its
// byte-order mark, else ANSI. A last row without a line break gets one first. When the ANSI
// code page cannot hold the folder exactly, the whole file is rewritten as UTF-8 with a mark
// rather than storing a different path. Raises AppError with the I/O error text of the code.
void AppendFolderToPathList(const std::wstring& file, const std::wstring& folder);
