#pragma once
// The path list file as text: its byte-order marks, its rows and what each row means.
#include <cstdint>
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

// The content written when the file is missing: UTF-8 with its mark, CR LF after each line.
std::string DefaultContent(std::wstring_view programsFolder, std::wstring_view documentsFolder);

} // namespace pathlist
