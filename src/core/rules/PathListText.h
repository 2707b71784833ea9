#pragma once
// The path list file as text: its byte-order marks, its rows and what each row means.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pathlist {

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct Detected {
    Encoding encoding;
    size_t markLength;
};

// Tested in this order: EF BB BF, FF FE, FE FF. Anything else (UTF-32 included) is ANSI.
Detected DetectEncoding(std::string_view bytes) noexcept;

// Decodes the bytes after the mark; UTF-8 that is invalid raises AppError. ANSI is the
// caller's (it needs the system code page), so it is not handled here.
std::wstring DecodeUnicode(std::string_view bytes, Encoding encoding);

// Rows split at CR LF, lone CR and lone LF; a break at the very end makes no empty last row.
std::vector<std::wstring> SplitRows(std::wstring_view text);

struct Row {
    enum class Kind { Comment, Folder } kind;
    std::wstring folder; // the path as it stands, "*" removed for a deep row
    bool deeper = false;
};
Row ParseRow(std::wstring_view row);

// What adding `folder` as the last row does to the file's bytes `existing`: the row goes in the
// file's own encoding (by its mark, else ANSI), after a line break of its own when the last row
// has none. When the ANSI code page cannot hold the folder exactly the whole file is rewritten
// as UTF-8 with a mark rather than storing another path. `toAnsi` gives a text's ANSI bytes
// when the code page holds it exactly; `fromAnsi` reads ANSI bytes.
struct AppendPlan {
    std::string bytes; // appended at the end, or the whole new file when `rewrite`
    bool rewrite = false;
};
AppendPlan PlanAppend(std::string_view existing, std::wstring_view folder,
                      const std::function<std::optional<std::string>(std::wstring_view)>& toAnsi,
                      const std::function<std::wstring(std::string_view)>& fromAnsi);

// What one list takes. Beyond it the collection stops, as at an error, with the message below:
// rows naming folders (all but comments) past kMaxFolderRows, each watched and checked at every
// show; entries past kMaxEntries, each held by the search several times over.
inline constexpr size_t kMaxFolderRows = 10000;
inline constexpr size_t kMaxEntries = 1000000;
std::wstring TooManyRowsText();
std::wstring TooManyEntriesText(std::wstring_view folder);

// The content written when the file is missing: UTF-8 with its mark, CR LF after each line.
std::string DefaultContent(std::wstring_view programsFolder, std::wstring_view documentsFolder);

} // namespace pathlist
