#include "core/rules/PathListText.h"

#include "core/rules/TextConv.h"
#include "core/rules/Utf16.h"

namespace pathlist {

Detected DetectEncoding(std::string_view bytes) noexcept
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return {Encoding::Utf8, 3};
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return {Encoding::Utf16LE, 2};
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return {Encoding::Utf16BE, 2};
    return {Encoding::Ansi, 0};
}

std::wstring DecodeUnicode(std::string_view bytes, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return Utf8ToWide(bytes);
    return utf16::Decode(bytes, encoding == Encoding::Utf16BE);
}

std::vector<std::wstring> SplitRows(std::wstring_view text)
{
    std::vector<std::wstring> rows;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            rows.emplace_back(text.substr(start, i - start));
            i += (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        rows.emplace_back(text.substr(start));
    return rows;
}

Row ParseRow(std::wstring_view row)
{
    if (row.substr(0, 2) == L"//")
        return {Row::Kind::Comment, {}, false};
    if (!row.empty() && row.front() == L'*')
        return {Row::Kind::Folder, std::wstring(row.substr(1)), true};
    return {Row::Kind::Folder, std::wstring(row), false};
}

namespace {

bool EndsWithLineBreak(std::string_view body, Encoding encoding)
{
    if (body.empty())
        return true; // nothing to separate from
    if (encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE) {
        if (body.size() < 2)
            return false;
        const std::wstring last = utf16::Decode(body.substr(body.size() - 2), encoding == Encoding::Utf16BE);
        return last == L"\r" || last == L"\n";
    }
    return body.back() == '\r' || body.back() == '\n';
}

} // namespace

AppendPlan PlanAppend(std::string_view existing, std::wstring_view folder,
                      const std::function<std::optional<std::string>(std::wstring_view)>& toAnsi,
                      const std::function<std::wstring(std::string_view)>& fromAnsi)
{
    const Detected detected = DetectEncoding(existing);
    const std::string_view body = existing.substr(detected.markLength);
    const std::wstring row =
        (EndsWithLineBreak(body, detected.encoding) ? L"" : L"\r\n") + std::wstring(folder) + L"\r\n";
    switch (detected.encoding) {
    case Encoding::Utf8:
        return {WideToUtf8(row), false};
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        return {utf16::Encode(row, detected.encoding == Encoding::Utf16BE), false};
    case Encoding::Ansi:
        break;
    }
    if (auto bytes = toAnsi(row))
        return {std::move(*bytes), false};
    // The code page would turn the folder into another path: keep every row exact instead.
    return {"\xEF\xBB\xBF" + WideToUtf8(fromAnsi(existing) + row), true};
}

std::wstring TooManyRowsText()
{
    return L"The path list names more than " + std::to_wstring(kMaxFolderRows) +
           L" folders, the most one list takes: the rows after that are left out";
}

std::wstring TooManyEntriesText(std::wstring_view folder)
{
    return L"The folders hold more than " + std::to_wstring(kMaxEntries) +
           L" entries, the most one list takes: the entries from " + std::wstring(folder) + L" on are left out";
}

std::string DefaultContent(std::wstring_view programsFolder, std::wstring_view documentsFolder)
{
    const std::wstring text = std::wstring(L"//ENTER BELOW THE DIRECTORIES IN WHICH TO LOOK\r\n") +
                              L"//Insert an asterisk (*) before a line to search recursively within the folder\r\n" +
                              L"\r\n\r\n" + std::wstring(programsFolder) + L"\r\n" + std::wstring(documentsFolder) +
                              L"\r\n";
    return "\xEF\xBB\xBF" + WideToUtf8(text);
}

} // namespace pathlist
